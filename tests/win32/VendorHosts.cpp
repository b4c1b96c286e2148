#include "VendorHosts.h"

#include <cstdlib>
#include <sstream>

#include "WinTestFolder.h"

bool CVendorHosts::Load(std::string& strError)
{
    const char* pszFolder = getenv("ZELQA_VENDOR_HOSTS");
    if (!pszFolder || pszFolder[0] != '/') {
        strError = "ZELQA_VENDOR_HOSTS names no host folder (run the tests through ctest)";
        return false;
    }
    // The host's root is drive Z: in a Wine prefix.
    m_strFolder = L"Z:";
    for (const char* p = pszFolder; *p; ++p)
        m_strFolder += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));

    std::istringstream hosts(CWinTestFolder::ReadFile(m_strFolder + L"\\hosts"));
    std::string strName;
    int nPort = 0;
    while (hosts >> strName >> nPort)
        m_ports[strName] = nPort;
    if (m_ports.empty()) {
        strError = std::string("no vendor hosts listed in ") + pszFolder + "/hosts";
        return false;
    }
    return true;
}

int CVendorHosts::Port(const std::string& strName) const
{
    const auto it = m_ports.find(strName);
    return it == m_ports.end() ? 0 : it->second;
}

std::wstring CVendorHosts::DownloadUrl(const std::string& strName, const std::wstring& strHost) const
{
    return L"https://" + strHost + L":" + std::to_wstring(Port(strName)) + L"/down/down?path=ZELQACONVERT_Download.exe";
}

std::string CVendorHosts::Payload(const std::string& strName) const
{
    return CWinTestFolder::ReadFile(m_strFolder + L"\\" + std::wstring(strName.begin(), strName.end()) + L".bin");
}
