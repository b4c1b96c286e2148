#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How the registry-like store names its folders and files and lays out a
// value file (see REGISTRY-FORMAT.md). Pure text and byte work.
class CRegistryFormat
{
public:
    // Longest key name, as the platform registry allows.
    static constexpr size_t MAX_KEY_NAME = 255;

    // Splits L"Software\\brovix\\Zelqa" into its key names. One trailing
    // backslash is allowed; an empty or over-long name is refused. An empty
    // path is the hive's root (no names).
    static bool SplitKeyPath(const std::wstring& path, std::vector<std::wstring>& names);

    // Folder name of a key and file name of a value. Both are the name in
    // UTF-8 with '%', '/' and control bytes written as %XX; a value file has
    // an '@' in front, so a key folder escapes a leading '@' (and a leading
    // '.', which marks files the store ignores).
    static std::string KeyFileName(const std::wstring& name);
    static std::string ValueFileName(const std::wstring& name);

    // Reads a folder entry's name back: a key, a value, or neither (false).
    static bool ParseFileName(const std::string& fileName, bool& isValue, std::wstring& name);

    // "REG_SZ" and so on; an unnamed type as "REG_0x0000002A".
    static std::string TypeName(uint32_t type);
    static bool ParseTypeName(const std::string& text, uint32_t& type);

    // A value file: the type name, a line feed, then the data bytes unchanged.
    static std::string EncodeValue(uint32_t type, const std::vector<uint8_t>& data);
    static bool DecodeValue(const std::string& file, uint32_t& type, std::vector<uint8_t>& data);

private:
    static std::string Escape(const std::string& utf8, bool escapeLeadingMarks);
    static bool Unescape(const std::string& text, std::string& utf8);
};
