#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// UTF-16 as bytes (registry values, INI files) to and from the program's wide
// strings. wchar_t holds UTF-16 units on Windows and whole code points
// elsewhere; both sides of each conversion follow that.

enum class Utf16ByteOrder
{
    LittleEndian,
    BigEndian,
};

// Appends `text` as UTF-16LE, without a terminating zero.
void AppendUtf16Le(const std::wstring& text, std::vector<uint8_t>& out);

// Decodes UTF-16 bytes; an odd last byte is dropped. With bStopAtNul the text
// ends before the first zero unit.
std::wstring DecodeUtf16(const uint8_t* data, size_t size, Utf16ByteOrder order, bool bStopAtNul);

// A REG_SZ value's data: the text, then zero units. With blockChars 0 that is
// one zero; otherwise the data is exactly blockChars units, and a text that
// leaves no room for at least one zero is refused (false, data untouched).
bool EncodeRegSz(const std::wstring& text, size_t blockChars, std::vector<uint8_t>& data);

// The text of REG_SZ-style data: UTF-16LE up to the first zero unit.
inline std::wstring DecodeRegSz(const std::vector<uint8_t>& data)
{
    return DecodeUtf16(data.data(), data.size(), Utf16ByteOrder::LittleEndian, true);
}
