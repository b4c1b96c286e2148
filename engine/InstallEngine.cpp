#include "engine/InstallEngine.h"

#include <chrono>
#include <thread>

#include "engine/BindCallback.h"
#include "engine/InstallChecks.h"
#include "engine/InstallRecord.h"

namespace
{
// Finishing, from whichever worker saw the end: the finish page, then the
// progress file goes.
void FinishInstall(CInstallAttempt& attempt)
{
    attempt.m_pSession->WithView([](IInstallView& view) { view.ShowFinishPage(); });
    attempt.m_os.RemoveFile(ProgressFilePath(attempt.m_szDownloadDir));
}

void ShowFailure(CInstallAttempt& attempt)
{
    attempt.m_pSession->WithView([](IInstallView& view) { view.ShowFailureState(); });
}
} // namespace

std::wstring ProgressFilePath(const std::wstring& downloadDir)
{
    return downloadDir + L"\\Zelqa\\Percent.ini";
}

int64_t InstallPosition(int32_t nPercent)
{
    return static_cast<int64_t>(nPercent) * 10 / 100 + 90;
}

CInstallEngine::CInstallEngine(IOsServices& os, IInstallView* pView, std::wstring strDownloadUrl,
                               std::wstring strPublisher)
    : m_os(os), m_pSession(std::make_shared<CInstallSession>(pView)), m_strDownloadUrl(std::move(strDownloadUrl)),
      m_strPublisher(std::move(strPublisher))
{
}

CInstallEngine::~CInstallEngine()
{
    Detach();
}

void CInstallEngine::Detach()
{
    if (m_bDetached)
        return;
    m_bDetached = true;
    m_pSession->Detach();
    // A download cut short by the window's going removes its partial file; let
    // it finish that before the process ends. It notices within a second.
    m_pSession->WaitForWork(std::chrono::seconds(3));
}

void CInstallEngine::OnInstall(bool bRetry)
{
    IInstallView* pView = nullptr;
    m_pSession->WithView([&pView](IInstallView& view) { pView = &view; });
    if (!pView)
        return;
    const std::wstring location = pView->GetLocationText();

    auto refuse = [&](const wchar_t* pszMessage) {
        pView->ShowNotice(pszMessage);
        // On a retry the failure line was cleared; without it the user would
        // be left with no way forward but closing.
        if (bRetry)
            pView->ShowFailureState();
    };
    if (GetInstallDriveType(m_os, location) != DriveKind::Fixed) {
        refuse(L"请选择本地磁盘路径进行安装");
        return;
    }
    if (!HasEnoughDiskSpace(m_os, location)) {
        refuse(L"当前所选磁盘内存不足，请重新选择安装路径");
        return;
    }
    if (Utf16Length(location) > MAX_LOCATION_CHARS) {
        refuse(L"安装路径过长，请选择较短的安装路径");
        return;
    }

    pView->ShowProgressPage();
    auto pAttempt = std::make_shared<CInstallAttempt>(
        CInstallAttempt{m_os, m_pSession, m_strDownloadUrl, {}, {}, -1, m_strPublisher});
    if (!m_os.StartThread([pAttempt] { DownloadThreadProc(pAttempt); })) {
        pView->ShowFailureState();
        return;
    }
    if (WriteInstallRecord(m_os, location))
        pView->SetInstallDir(location);
}

uint32_t DownloadThreadProc(std::shared_ptr<CInstallAttempt> pAttempt)
{
    if (!pAttempt)
        return 0;
    bool bDownloaded = false;
    {
        CInstallSession::CWork work(*pAttempt->m_pSession);
        bDownloaded = DownloadInstaller(*pAttempt);
    }
    LaunchInstaller(pAttempt, bDownloaded);
    return 0;
}

bool DownloadInstaller(CInstallAttempt& attempt)
{
    CBindCallback callback(attempt.m_pSession);
    std::wstring desktop;
    if (!attempt.m_os.GetDesktopFolder(desktop))
        desktop.clear();
    attempt.m_szDownloadDir = DownloadDriveFor(attempt.m_os, desktop) + L"\\brovix";
    attempt.m_strInstallerPath = attempt.m_szDownloadDir + L"\\ZELQACONVERT.exe";
    // The full installer is started from this folder with our rights: a
    // folder we can't make ready is a failed attempt, not one to go on with.
    if (!attempt.m_os.PrepareDownloadFolder(attempt.m_szDownloadDir))
        return false;
    g_bAbortDownload = 0;
    return attempt.m_os.DownloadToFile(attempt.m_strDownloadUrl, attempt.m_strInstallerPath, &callback) ==
           DownloadResult::Ok;
}

void LaunchInstaller(const std::shared_ptr<CInstallAttempt>& pAttempt, bool bDownloaded)
{
    CInstallAttempt& attempt = *pAttempt;
    // A window closed during the download wants nothing more started.
    if (!attempt.m_pSession->IsAttached())
        return;
    if (!bDownloaded) {
        ShowFailure(attempt);
        return;
    }
    // Only the vendor's own full installer is started, elevated as we are:
    // TLS alone does not tell, the file having passed through a cache that
    // other programs of the user may write. Anything else is removed.
    if (!attempt.m_os.IsFromPublisher(attempt.m_strInstallerPath, attempt.m_strPublisher)) {
        attempt.m_os.RemoveFile(attempt.m_strInstallerPath);
        ShowFailure(attempt);
        return;
    }
    // A progress file left by an earlier run must not end this one at once.
    attempt.m_os.RemoveFile(ProgressFilePath(attempt.m_szDownloadDir));
    // Launched under the session, so a window closing at this moment either
    // sees the launch happen first or prevents it.
    int32_t nOpened = 0;
    if (!attempt.m_pSession->WithView([&](IInstallView& view) {
            nOpened = attempt.m_os.ShellOpen(attempt.m_strInstallerPath);
            if (nOpened <= 32)
                view.ShowFailureState();
        }))
        return;
    if (nOpened <= 32)
        return;
    for (int nTry = 0; nTry < 3; ++nTry) {
        if (attempt.m_os.StartThread([pAttempt] { MonitorThreadProc(pAttempt); }))
            return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    FinishInstall(attempt);
}

int32_t ReadInstallPercent(CInstallAttempt& attempt)
{
    const int32_t nPercent =
        attempt.m_os.ReadPrivateProfileInt(L"Percent", L"Percent", 0, ProgressFilePath(attempt.m_szDownloadDir));
    const int64_t nPos = InstallPosition(nPercent);
    if (nPos != attempt.m_nLastPos) {
        attempt.m_nLastPos = nPos;
        attempt.m_pSession->WithView([nPos](IInstallView& view) { view.SetProgressPos(nPos); });
    }
    return nPercent;
}

uint32_t MonitorThreadProc(std::shared_ptr<CInstallAttempt> pAttempt)
{
    if (!pAttempt)
        return 0;
    CInstallAttempt& attempt = *pAttempt;
    // Polled at a short interval rather than in a tight loop: the full
    // installer writes a few times a second at most.
    while (attempt.m_pSession->IsAttached()) {
        if (ReadInstallPercent(attempt) >= 100 || IsOperationUninstall(attempt.m_os)) {
            FinishInstall(attempt);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(CInstallEngine::MONITOR_INTERVAL_MS));
    }
    return 0;
}
