#pragma once

#include <string>

// Folders of the host file system, for code that is handed a location from
// outside (a prefix, a hive root) and must make sure it is there.

// True when `path` is a folder or a symbolic link that leads to one.
bool FolderExists(const std::string& path);

// mkdir -p: makes `path` and every missing parent. True when it is a folder
// afterwards, also when another process made it meanwhile.
bool MakeFolders(const std::string& path);
