#pragma once

#include <map>
#include <string>

// The local vendor hosts that vendor-hosts.sh started for this test run, one
// per behaviour, found through the folder named by $ZELQA_VENDOR_HOSTS.
class CVendorHosts
{
public:
    // Reads the host list; false with a message when there is none.
    bool Load(std::string& strError);
    // The port of the host of that name ("normal", "404", "stall", ...); 0 when unknown.
    int Port(const std::string& strName) const;
    // https://localhost:PORT followed by the download path.
    std::wstring DownloadUrl(const std::string& strName, const std::wstring& strHost = L"localhost") const;
    // The bytes a host serves: "large" or "small".
    std::string Payload(const std::string& strName) const;

private:
    std::wstring m_strFolder;
    std::map<std::string, int> m_ports;
};
