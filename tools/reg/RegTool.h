#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class CRegistryStore;

// The reg command line over the prefix's registry store:
//   query  KEY [/v NAME | /ve] [/s]
//   add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   delete KEY [/v NAME | /ve | /va] [/f]
// KEY is HKLM\... or HKEY_LOCAL_MACHINE\.... Messages and exit codes follow
// the platform's tool: 0 on success, 1 on any failure.
class CRegTool
{
public:
    CRegTool(const CRegistryStore& store, std::istream& in, std::ostream& out, std::ostream& err);

    // `args` excludes the program name.
    int Run(const std::vector<std::string>& args);

private:
    struct Request
    {
        std::wstring m_strKey;     // below the hive, as typed
        bool m_bHasValue = false;  // /v or /ve given
        std::wstring m_strValue;   // empty for /ve
        bool m_bAllValues = false; // /va
        bool m_bRecursive = false; // query /s
        bool m_bForce = false;     // /f
        std::string m_strType = "REG_SZ";
        bool m_bHasData = false;
        std::string m_strData;
        std::string m_strSeparator = "\\0";
    };

    int Query(const Request& request);
    int Add(const Request& request);
    int Delete(const Request& request);

    int QueryKey(const std::wstring& key, const Request& request, bool& anyShown);
    void PrintValue(const std::wstring& name, uint32_t type, const std::vector<uint8_t>& data);
    bool Confirm(const std::string& question);

    int Fail(const std::string& message);
    int SyntaxError(const std::string& operation);
    int NotFound();
    void Usage(const std::string& operation);

    std::string FullKeyName(const std::wstring& key) const;

    const CRegistryStore& m_store;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_strRootName = "HKEY_LOCAL_MACHINE";
};
