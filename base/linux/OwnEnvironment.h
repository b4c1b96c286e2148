#pragma once

#include <vector>

// Variables this process sets for itself alone. They are set before main
// (the process has one thread then, and setenv is not safe beside others)
// and left out of the environment of every program it starts.
// Sets `pszName` unless the environment already has it.
void SetForThisProcessOnly(const char* pszName, const char* pszValue);

// The environment to start a program with: this process's, without what
// SetForThisProcessOnly added; ends with a null. Made before fork, since the
// child of a threaded process may not allocate.
std::vector<char*> EnvironmentForChildren();
