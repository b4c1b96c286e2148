#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/InstallAttempt.h"
#include "engine/InstallSession.h"
#include "os/OsServices.h"

// Runs installs for the installer window: the location checks, the download,
// the full installer's launch and the monitoring of its progress.
class CInstallEngine
{
public:
    // strPublisher: the name the full installer must be signed under.
    CInstallEngine(IOsServices& os, IInstallView* pView, std::wstring strDownloadUrl, std::wstring strPublisher);
    ~CInstallEngine();

    // The Install command. bRetry: the window is on the failure line, which a
    // refused check must put back.
    void OnInstall(bool bRetry);

    // The window is going: workers stop reaching it, and a running download
    // ends (it is given a moment to remove its partial file).
    void Detach();

    // Polling interval of the monitor.
    static constexpr int MONITOR_INTERVAL_MS = 50;

private:
    IOsServices& m_os;
    std::shared_ptr<CInstallSession> m_pSession;
    std::wstring m_strDownloadUrl;
    std::wstring m_strPublisher;
    bool m_bDetached = false;
};

// The steps of an attempt, on its worker threads.
uint32_t DownloadThreadProc(std::shared_ptr<CInstallAttempt> pAttempt);
bool DownloadInstaller(CInstallAttempt& attempt);
void LaunchInstaller(const std::shared_ptr<CInstallAttempt>& pAttempt, bool bDownloaded);
uint32_t MonitorThreadProc(std::shared_ptr<CInstallAttempt> pAttempt);
int32_t ReadInstallPercent(CInstallAttempt& attempt);

// Progress bar position for a progress-file value: 90 to 100 over the installation.
int64_t InstallPosition(int32_t nPercent);

// The progress file the full installer writes.
std::wstring ProgressFilePath(const std::wstring& downloadDir);
