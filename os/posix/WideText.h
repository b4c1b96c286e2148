#pragma once

#include <functional>
#include <string>

#include "os/NameCase.h"

// Host folder entries found by name in any letter case (FoldCase and
// EqualsNoCase are defined in WideText.cpp for POSIX targets).

// Reads a folder entry's file name as the name it stands for; false when it
// stands for none.
using EntryNameReader = std::function<bool(const std::string& fileName, std::wstring& name)>;

// The file name of the entry of host folder `folder` whose name equals `name`
// in any letter case, or empty. File names are read as UTF-8 unless
// `readName` says otherwise; `accept`, when given, has the last word on a
// match (its file type, say). Of several matches the first in byte order
// wins, so every reader picks the same one.
std::string FindEntryNoCase(const std::string& folder, const std::wstring& name,
                            const EntryNameReader& readName = nullptr,
                            const std::function<bool(const std::string& fileName)>& accept = nullptr);
