#include "tools/reg/RegTool.h"
#include "base/Utf8.h"

#include "os/OsServices.h"
#include "os/posix/RegistryFormat.h"
#include "os/posix/RegistryStore.h"
#include "os/posix/WideText.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace
{
// A value's name as reg prints it: the unnamed value is "(Default)".
std::string ShownValueName(const std::wstring& name)
{
    return name.empty() ? std::string("(Default)") : ToUtf8(name);
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::string Upper(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

bool IsOption(const std::string& arg)
{
    return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-');
}

std::vector<uint8_t> Utf16WithNul(const std::string& utf8)
{
    std::vector<uint8_t> data;
    AppendUtf16Le(FromUtf8(utf8), data);
    data.push_back(0);
    data.push_back(0);
    return data;
}

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || parsed > limit)
        return false;
    value = parsed;
    return true;
}

bool EncodeData(uint32_t type, const std::string& text, const std::string& separator, std::vector<uint8_t>& data)
{
    data.clear();
    switch (type) {
    case 1: // REG_SZ
    case 2: // REG_EXPAND_SZ
    case 0: // REG_NONE: the platform's tool takes its data as text too
        data = Utf16WithNul(text);
        return true;
    case 7: // REG_MULTI_SZ
    {
        size_t pos = 0;
        while (!text.empty() && pos <= text.size()) {
            size_t end = text.find(separator, pos);
            if (end == std::string::npos)
                end = text.size();
            const std::vector<uint8_t> part = Utf16WithNul(text.substr(pos, end - pos));
            data.insert(data.end(), part.begin(), part.end());
            pos = end + separator.size();
        }
        data.push_back(0);
        data.push_back(0);
        return true;
    }
    case 4:  // REG_DWORD
    case 11: // REG_QWORD
    {
        uint64_t value = 0;
        const size_t size = type == 4 ? 4 : 8;
        if (!text.empty() && !ParseUnsigned(text, type == 4 ? 0xFFFFFFFFull : ~0ull, value))
            return false;
        for (size_t i = 0; i < size; ++i)
            data.push_back(static_cast<uint8_t>(value >> (8 * i)));
        return true;
    }
    case 3: // REG_BINARY
    {
        if (text.size() % 2 != 0)
            return false;
        for (size_t i = 0; i < text.size(); i += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
                return false;
            data.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        }
        return true;
    }
    default:
        return false;
    }
}

std::string Hex(const std::vector<uint8_t>& data)
{
    std::string out;
    char byte[3];
    for (uint8_t b : data) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        out += byte;
    }
    return out;
}

std::string ShowData(uint32_t type, const std::vector<uint8_t>& data)
{
    if (type == 1 || type == 2)
        return ToUtf8(DecodeRegSz(data));
    if (type == 7) {
        std::string out;
        size_t pos = 0;
        while (pos + 1 < data.size()) {
            const std::vector<uint8_t> rest(data.begin() + static_cast<std::ptrdiff_t>(pos), data.end());
            const std::wstring part = DecodeRegSz(rest);
            if (part.empty())
                break;
            out += (out.empty() ? "" : "\\0") + ToUtf8(part);
            std::vector<uint8_t> units;
            AppendUtf16Le(part, units);
            pos += units.size() + 2;
        }
        return out;
    }
    if ((type == 4 && data.size() == 4) || (type == 11 && data.size() == 8)) {
        uint64_t value = 0;
        for (size_t i = 0; i < data.size(); ++i)
            value |= static_cast<uint64_t>(data[i]) << (8 * i);
        char text[32];
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
        return text;
    }
    return Hex(data);
}

} // namespace

CRegTool::CRegTool(const CRegistryStore& store, std::istream& in, std::ostream& out, std::ostream& err)
    : m_store(store), m_in(in), m_out(out), m_err(err)
{
}

int CRegTool::Fail(const std::string& message)
{
    m_err << message << "\n";
    return 1;
}

int CRegTool::SyntaxError(const std::string& operation)
{
    m_err << "ERROR: Invalid syntax.\n"
          << "Type \"REG " << Upper(operation) << " /?\" for usage.\n";
    return 1;
}

int CRegTool::NotFound()
{
    return Fail("ERROR: The system was unable to find the specified registry key or value.");
}

void CRegTool::Usage(const std::string& operation)
{
    const std::string op = Lower(operation);
    if (op == "query" || op.empty())
        m_out << "zelqa-reg query KEY [/v NAME | /ve] [/s]\n";
    if (op == "add" || op.empty())
        m_out << "zelqa-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n";
    if (op == "delete" || op.empty())
        m_out << "zelqa-reg delete KEY [/v NAME | /ve | /va] [/f]\n";
    m_out << "\n  KEY   HKLM\\SubKey or HKEY_LOCAL_MACHINE\\SubKey\n"
          << "  TYPE  REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
          << "        REG_BINARY or REG_NONE\n"
          << "\nThe store lies in $ZELQA_PREFIX (default $XDG_DATA_HOME/zelqa)/registry.\n";
}

std::string CRegTool::FullKeyName(const std::wstring& key) const
{
    std::wstring stored;
    if (!m_store.StoredKeyPath(key, stored))
        stored = key;
    return stored.empty() ? m_strRootName : m_strRootName + "\\" + ToUtf8(stored);
}

bool CRegTool::Confirm(const std::string& question)
{
    m_out << question << std::flush;
    std::string answer;
    if (!std::getline(m_in, answer))
        answer.clear();
    const size_t first = answer.find_first_not_of(" \t");
    if (first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y'))
        return true;
    m_out << "The operation was cancelled by the user.\n";
    return false;
}

int CRegTool::Run(const std::vector<std::string>& args)
{
    if (args.empty() || args[0] == "/?" || args[0] == "-?") {
        Usage(std::string());
        return args.empty() ? 1 : 0;
    }
    const std::string operation = Lower(args[0]);
    if (operation != "query" && operation != "add" && operation != "delete")
        return SyntaxError(args[0]);
    if (args.size() >= 2 && (args[1] == "/?" || args[1] == "-?")) {
        Usage(operation);
        return 0;
    }
    if (args.size() < 2 || IsOption(args[1]))
        return SyntaxError(operation);

    Request request;
    const std::string& fullKey = args[1];
    const size_t slash = fullKey.find('\\');
    const std::string root = Upper(fullKey.substr(0, slash));
    if (root != "HKLM" && root != "HKEY_LOCAL_MACHINE")
        return Fail("ERROR: Invalid key name.\nType \"REG " + Upper(operation) + " /?\" for usage.");
    request.m_strKey = slash == std::string::npos ? std::wstring() : FromUtf8(fullKey.substr(slash + 1));
    std::vector<std::wstring> names;
    if (!CRegistryFormat::SplitKeyPath(request.m_strKey, names))
        return Fail("ERROR: Invalid key name.\nType \"REG " + Upper(operation) + " /?\" for usage.");

    bool hasType = false;
    bool hasSeparator = false;
    for (size_t i = 2; i < args.size(); ++i) {
        if (!IsOption(args[i]))
            return SyntaxError(operation);
        const std::string option = Lower(args[i].substr(1));
        const bool hasNext = i + 1 < args.size();
        if (option == "v" && hasNext && !request.m_bHasValue) {
            request.m_bHasValue = true;
            request.m_strValue = FromUtf8(args[++i]);
        } else if (option == "ve" && !request.m_bHasValue) {
            request.m_bHasValue = true;
            request.m_strValue.clear();
        } else if (option == "va" && operation == "delete")
            request.m_bAllValues = true;
        else if (option == "f" && operation != "query")
            request.m_bForce = true;
        else if (option == "s" && operation == "query")
            request.m_bRecursive = true;
        else if (option == "s" && operation == "add" && hasNext && args[i + 1].size() == 1) {
            request.m_strSeparator = args[++i];
            hasSeparator = true;
        } else if (option == "t" && operation == "add" && hasNext) {
            request.m_strType = Upper(args[++i]);
            hasType = true;
        } else if (option == "d" && operation == "add" && hasNext) {
            request.m_bHasData = true;
            request.m_strData = args[++i];
        } else
            return SyntaxError(operation);
    }
    if (request.m_bAllValues && request.m_bHasValue)
        return SyntaxError(operation);
    if (operation == "add" && !request.m_bHasValue && (hasType || hasSeparator || request.m_bHasData))
        return SyntaxError(operation);

    if (operation == "query")
        return Query(request);
    if (operation == "add")
        return Add(request);
    return Delete(request);
}

void CRegTool::PrintValue(const std::wstring& name, uint32_t type, const std::vector<uint8_t>& data)
{
    m_out << "    " << ShownValueName(name) << "    " << CRegistryFormat::TypeName(type) << "    "
          << ShowData(type, data) << "\n";
}

int CRegTool::QueryKey(const std::wstring& key, const Request& request, bool& anyShown)
{
    std::vector<std::wstring> values;
    std::vector<std::wstring> subkeys;
    if (!m_store.ListValues(key, values) || !m_store.ListSubkeys(key, subkeys))
        return 1;

    std::wstring stored;
    m_store.StoredKeyPath(key, stored);
    m_out << FullKeyName(key) << "\n";
    for (const std::wstring& name : values) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (m_store.ReadValue(key, name, type, data)) {
            PrintValue(name, type, data);
            anyShown = true;
        }
    }
    m_out << "\n";
    for (const std::wstring& subkey : subkeys) {
        const std::wstring child = stored.empty() ? subkey : stored + L"\\" + subkey;
        if (request.m_bRecursive)
            QueryKey(child, request, anyShown);
        else
            m_out << FullKeyName(child) << "\n";
    }
    return 0;
}

int CRegTool::Query(const Request& request)
{
    if (!m_store.KeyExists(request.m_strKey))
        return NotFound();
    if (request.m_bHasValue) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!m_store.ReadValue(request.m_strKey, request.m_strValue, type, data))
            return NotFound();
        // Show the value name as stored, like the key.
        std::wstring shown = request.m_strValue;
        std::vector<std::wstring> values;
        if (m_store.ListValues(request.m_strKey, values))
            for (const std::wstring& name : values)
                if (EqualsNoCase(name, request.m_strValue))
                    shown = name;
        m_out << "\n" << FullKeyName(request.m_strKey) << "\n";
        PrintValue(shown, type, data);
        m_out << "\n";
        return 0;
    }
    bool anyShown = false;
    m_out << "\n";
    return QueryKey(request.m_strKey, request, anyShown);
}

int CRegTool::Add(const Request& request)
{
    uint32_t type = 0;
    if (!CRegistryFormat::ParseTypeName(request.m_strType, type) ||
        (type != 0 && type != 1 && type != 2 && type != 3 && type != 4 && type != 7 && type != 11))
        return SyntaxError("add");
    std::vector<uint8_t> data;
    const std::string separator = request.m_strSeparator;
    if (!EncodeData(type, request.m_strData, separator, data))
        return Fail("ERROR: Invalid value specified for the data type " + request.m_strType + ".");

    if (!m_store.EnsureKey(request.m_strKey))
        return Fail("ERROR: Access is denied.");
    if (request.m_bHasValue) {
        uint32_t oldType = 0;
        std::vector<uint8_t> oldData;
        const std::string shown = ShownValueName(request.m_strValue);
        if (!request.m_bForce && m_store.ReadValue(request.m_strKey, request.m_strValue, oldType, oldData) &&
            !Confirm("Value " + shown + " exists, overwrite(Yes/No)? "))
            return 1;
        if (!m_store.WriteValue(request.m_strKey, request.m_strValue, type, data))
            return Fail("ERROR: Access is denied.");
    }
    m_out << "The operation completed successfully.\n";
    return 0;
}

int CRegTool::Delete(const Request& request)
{
    if (!m_store.KeyExists(request.m_strKey))
        return NotFound();
    if (request.m_bHasValue) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!m_store.ReadValue(request.m_strKey, request.m_strValue, type, data))
            return NotFound();
        const std::string shown = ShownValueName(request.m_strValue);
        if (!request.m_bForce && !Confirm("Delete the registry value " + shown + " (Yes/No)? "))
            return 1;
        if (!m_store.RemoveValue(request.m_strKey, request.m_strValue))
            return Fail("ERROR: Access is denied.");
    } else if (request.m_bAllValues) {
        if (!request.m_bForce &&
            !Confirm("Delete all values under the registry key " + FullKeyName(request.m_strKey) + " (Yes/No)? "))
            return 1;
        std::vector<std::wstring> values;
        m_store.ListValues(request.m_strKey, values);
        for (const std::wstring& name : values)
            if (!m_store.RemoveValue(request.m_strKey, name))
                return Fail("ERROR: Access is denied.");
    } else {
        if (request.m_strKey.empty())
            return Fail("ERROR: Invalid key name.\nType \"REG DELETE /?\" for usage.");
        if (!request.m_bForce &&
            !Confirm("Permanently delete the registry key " + FullKeyName(request.m_strKey) + " (Yes/No)? "))
            return 1;
        if (!m_store.RemoveKey(request.m_strKey))
            return Fail("ERROR: Access is denied.");
    }
    m_out << "The operation completed successfully.\n";
    return 0;
}
