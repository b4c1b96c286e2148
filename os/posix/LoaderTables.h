#pragma once

#include <cstdint>
#include <vector>

// A library's first segment holds what only the dynamic loader reads: its
// symbol and name tables, version records and relocations. Once a library
// and all it needs are loaded with every symbol bound (RTLD_NOW), and looked
// up in for the last time, nothing reads them again, yet their pages stay
// resident: for a TLS stack, two megabytes. These give them back.

// The load addresses of the objects in the process now.
std::vector<uintptr_t> LoadedObjects();

// Gives back the resident pages of the loader's tables of every object
// loaded since `before` was taken. They are clean pages of the file, so a
// later read (an unwinder walking the program headers) only reads them in
// again. An object whose loader wrote into that segment (text relocations)
// is left alone.
void ReleaseLoaderTablesSince(const std::vector<uintptr_t>& before);
