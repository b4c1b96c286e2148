#pragma once

#include <cstdint>
#include <string>

// Reads values of INI files the way the platform's private-profile calls do,
// from text each target reads with its own bounds. Names compare as
// EqualsNoCase (os/NameCase.h) compares them.
class CIniReader
{
public:
    // The raw text of `key` in `section`, names matched in any letter case,
    // blanks around the text removed and one pair of enclosing quotes taken
    // off. Of repeated sections or keys the first counts. False when absent.
    static bool FindValue(const std::wstring& content, const std::wstring& section, const std::wstring& key,
                          std::wstring& value);

    // The integer of a value: blanks skipped, an optional sign, a 0x, 0o or 0b
    // prefix, then digits of that base up to the first other character; no
    // digit gives 0. Overflow wraps around 32 bits as the platform's does.
    static int32_t ParseInt(const std::wstring& value);

    // FindValue and ParseInt together; an absent key or an empty value gives `defaultValue`.
    static int32_t GetInt(const std::wstring& content, const std::wstring& section, const std::wstring& key,
                          int32_t defaultValue);

    // File bytes to text: UTF-16 (LE or BE, with a byte-order mark, or LE
    // recognised by its zero high bytes) or UTF-8 with or without a mark.
    static std::wstring Decode(const std::string& bytes);
};
