#include "base/Utf16.h"

void AppendUtf16Le(const std::wstring& text, std::vector<uint8_t>& out)
{
    auto put = [&out](uint32_t unit) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    };
    for (wchar_t ch : text) {
        const uint32_t cp = static_cast<uint32_t>(ch);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
}

std::wstring DecodeUtf16(const uint8_t* data, size_t size, Utf16ByteOrder order, bool bStopAtNul)
{
    auto unitAt = [data, order](size_t i) -> uint32_t {
        return order == Utf16ByteOrder::BigEndian ? (data[i] << 8) | data[i + 1] : (data[i + 1] << 8) | data[i];
    };
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        uint32_t unit = unitAt(i);
        if (unit == 0 && bStopAtNul)
            break;
        // Where wchar_t holds whole code points, a surrogate pair becomes one.
        if constexpr (sizeof(wchar_t) == 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < size) {
                const uint32_t low = unitAt(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

bool EncodeRegSz(const std::wstring& text, size_t blockChars, std::vector<uint8_t>& data)
{
    std::vector<uint8_t> bytes;
    AppendUtf16Le(text, bytes);
    const size_t units = bytes.size() / 2;
    const size_t total = blockChars == 0 ? units + 1 : blockChars;
    if (units + 1 > total)
        return false;
    bytes.resize(total * 2, 0);
    data = std::move(bytes);
    return true;
}
