#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "base/Types.h"
#include "os/Download.h"

class CInstallSession;

// Set when the user confirmed closing; a running download then aborts at its
// next progress report.
extern std::atomic<int> g_bAbortDownload;

// Progress bar position for a download report: 0 to 89 over the transfer.
// While the size is unknown the bar stays at 0.
int64_t DownloadPosition(uint64_t ulProgress, uint64_t ulProgressMax);

// Moves the progress bar through the download's part of it and cancels the
// transfer once the user has confirmed closing or the window has gone.
class CBindCallback : public IDownloadProgress
{
public:
    explicit CBindCallback(std::shared_ptr<CInstallSession> pSession) : m_pSession(std::move(pSession)) {}

    HRESULT OnProgress(uint64_t ulProgress, uint64_t ulProgressMax, ULONG ulStatusCode, LPCWSTR szStatusText) override;
    bool IsAbortRequested() override;

private:
    std::shared_ptr<CInstallSession> m_pSession;
    int64_t m_nLastPos = -1;
};
