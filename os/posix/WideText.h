#pragma once

#include <functional>
#include <string>

// The letter-case rule shared by drive paths, INI names and registry names.

// The upper-case form used to compare names case-insensitively, as the
// platform compares registry, INI and file names.
wchar_t FoldCase(wchar_t ch);

bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

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
