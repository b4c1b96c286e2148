#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/InstallSession.h"
#include "os/OsServices.h"

// What one install attempt works with, shared by its threads.
struct CInstallAttempt
{
    IOsServices& m_os;
    std::shared_ptr<CInstallSession> m_pSession;
    std::wstring m_strDownloadUrl;
    std::wstring m_szDownloadDir;    // "<desktop drive>:\brovix"
    std::wstring m_strInstallerPath; // the downloaded full installer
    int64_t m_nLastPos = -1;
    std::wstring m_strPublisher; // whose signature the full installer must carry
};
