#include "os/IniReader.h"

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "os/NameCase.h"

namespace
{

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\v' || ch == L'\f';
}

std::wstring Trim(const std::wstring& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

int DigitValue(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'z')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'Z')
        return ch - L'A' + 10;
    return 99;
}

std::wstring DecodeUtf16From(const std::string& bytes, size_t start, Utf16ByteOrder order)
{
    return DecodeUtf16(reinterpret_cast<const uint8_t*>(bytes.data()) + start, bytes.size() - start, order, false);
}

} // namespace

bool CIniReader::FindValue(const std::wstring& content, const std::wstring& section, const std::wstring& key,
                           std::wstring& value)
{
    bool inSection = false;
    bool sectionSeen = false;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos)
            end = content.size();
        const std::wstring line = Trim(content.substr(pos, end - pos));
        pos = end + 1;

        if (line.empty() || line[0] == L';')
            continue;
        if (line[0] == L'[') {
            // Only the first section of the name is searched, as the platform does.
            if (inSection)
                return false;
            const size_t close = line.find(L']');
            const std::wstring name =
                Trim(line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            inSection = !sectionSeen && EqualsNoCase(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const size_t equals = line.find(L'=');
        const std::wstring name = Trim(line.substr(0, equals));
        if (!EqualsNoCase(name, key))
            continue;
        std::wstring text = equals == std::wstring::npos ? std::wstring() : Trim(line.substr(equals + 1));
        if (text.size() >= 2 && (text.front() == L'"' || text.front() == L'\'') && text.back() == text.front())
            text = text.substr(1, text.size() - 2);
        value = text;
        return true;
    }
    return false;
}

int32_t CIniReader::ParseInt(const std::wstring& value)
{
    size_t i = 0;
    while (i < value.size() && value[i] <= L' ')
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
        negative = value[i] == L'-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < value.size() && value[i] == L'0') {
        const wchar_t marker = value[i + 1];
        if (marker == L'x' || marker == L'X')
            base = 16;
        else if (marker == L'o' || marker == L'O')
            base = 8;
        else if (marker == L'b' || marker == L'B')
            base = 2;
        if (base != 10)
            i += 2;
    }
    uint32_t result = 0;
    for (; i < value.size(); ++i) {
        const int digit = DigitValue(value[i]);
        if (digit >= static_cast<int>(base))
            break;
        result = result * base + static_cast<uint32_t>(digit);
    }
    if (negative)
        result = 0u - result;
    return static_cast<int32_t>(result);
}

int32_t CIniReader::GetInt(const std::wstring& content, const std::wstring& section, const std::wstring& key,
                           int32_t defaultValue)
{
    std::wstring value;
    if (!FindValue(content, section, key, value) || value.empty())
        return defaultValue;
    return ParseInt(value);
}

std::wstring CIniReader::Decode(const std::string& bytes)
{
    const auto byteAt = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE)
        return DecodeUtf16From(bytes, 2, Utf16ByteOrder::LittleEndian);
    if (bytes.size() >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF)
        return DecodeUtf16From(bytes, 2, Utf16ByteOrder::BigEndian);
    if (bytes.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF)
        return FromUtf8(bytes.substr(3));
    // Unmarked UTF-16LE: ASCII text shows as every second byte zero.
    if (bytes.size() >= 4 && bytes.size() % 2 == 0 && byteAt(0) != 0 && byteAt(1) == 0 && byteAt(2) != 0 &&
        byteAt(3) == 0)
        return DecodeUtf16From(bytes, 0, Utf16ByteOrder::LittleEndian);
    return FromUtf8(bytes);
}
