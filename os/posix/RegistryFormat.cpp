#include "os/posix/RegistryFormat.h"
#include "base/Utf8.h"

#include "os/posix/WideText.h"

#include <cstddef>
#include <cstdio>

namespace
{

struct TypeEntry
{
    uint32_t m_nType;
    const char* m_pszName;
};

const TypeEntry s_arrTypes[] = {
    {0, "REG_NONE"},
    {1, "REG_SZ"},
    {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},
    {4, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {7, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {11, "REG_QWORD"},
};

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

} // namespace

bool CRegistryFormat::SplitKeyPath(const std::wstring& path, std::vector<std::wstring>& names)
{
    names.clear();
    std::wstring rest = path;
    if (!rest.empty() && rest.back() == L'\\')
        rest.pop_back();
    if (rest.empty())
        return path.empty();
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t end = rest.find(L'\\', pos);
        if (end == std::wstring::npos)
            end = rest.size();
        const std::wstring name = rest.substr(pos, end - pos);
        if (name.empty() || name.size() > MAX_KEY_NAME)
            return false;
        names.push_back(name);
        pos = end + 1;
    }
    return true;
}

std::string CRegistryFormat::Escape(const std::string& utf8, bool escapeLeadingMarks)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto ch = static_cast<unsigned char>(utf8[i]);
        const bool leadingMark = escapeLeadingMarks && i == 0 && (ch == '@' || ch == '.');
        if (ch < 0x20 || ch == 0x7F || ch == '%' || ch == '/' || leadingMark) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", ch);
            out += hex;
        } else
            out.push_back(static_cast<char>(ch));
    }
    return out;
}

bool CRegistryFormat::Unescape(const std::string& text, std::string& utf8)
{
    utf8.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            utf8.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        utf8.push_back(static_cast<char>((high << 4) | low));
        i += 2;
    }
    return true;
}

std::string CRegistryFormat::KeyFileName(const std::wstring& name)
{
    return Escape(ToUtf8(name), true);
}

std::string CRegistryFormat::ValueFileName(const std::wstring& name)
{
    return "@" + Escape(ToUtf8(name), false);
}

bool CRegistryFormat::ParseFileName(const std::string& fileName, bool& isValue, std::wstring& name)
{
    if (fileName.empty() || fileName[0] == '.')
        return false;
    isValue = fileName[0] == '@';
    std::string utf8;
    if (!Unescape(isValue ? fileName.substr(1) : fileName, utf8))
        return false;
    name = FromUtf8(utf8);
    return isValue || !name.empty();
}

std::string CRegistryFormat::TypeName(uint32_t type)
{
    for (const TypeEntry& entry : s_arrTypes)
        if (entry.m_nType == type)
            return entry.m_pszName;
    char text[32];
    std::snprintf(text, sizeof text, "REG_0x%08X", type);
    return text;
}

bool CRegistryFormat::ParseTypeName(const std::string& text, uint32_t& type)
{
    for (const TypeEntry& entry : s_arrTypes)
        if (text == entry.m_pszName) {
            type = entry.m_nType;
            return true;
        }
    if (text.size() == 14 && text.compare(0, 6, "REG_0x") == 0) {
        uint32_t value = 0;
        for (size_t i = 6; i < text.size(); ++i) {
            const int digit = HexValue(text[i]);
            if (digit < 0)
                return false;
            value = (value << 4) | static_cast<uint32_t>(digit);
        }
        type = value;
        return true;
    }
    return false;
}

std::string CRegistryFormat::EncodeValue(uint32_t type, const std::vector<uint8_t>& data)
{
    std::string file = TypeName(type) + "\n";
    file.append(reinterpret_cast<const char*>(data.data()), data.size());
    return file;
}

bool CRegistryFormat::DecodeValue(const std::string& file, uint32_t& type, std::vector<uint8_t>& data)
{
    const size_t newline = file.find('\n');
    if (newline == std::string::npos || !ParseTypeName(file.substr(0, newline), type))
        return false;
    data.assign(file.begin() + static_cast<std::ptrdiff_t>(newline + 1), file.end());
    return true;
}
