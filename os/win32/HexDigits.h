#pragma once

#include <cstdint>
#include <string>

// n as eight lower-case hexadecimal digits appended to text, as "%08x"
// would write them. The printf family would bring its whole formatter, with
// the floating-point conversions, into the program for two file names.
inline void AppendHex8(std::wstring& text, uint32_t n)
{
    for (int nShift = 28; nShift >= 0; nShift -= 4)
        text += L"0123456789abcdef"[(n >> nShift) & 0xF];
}
