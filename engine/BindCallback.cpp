#include "engine/BindCallback.h"

#include "engine/InstallSession.h"

std::atomic<int> g_bAbortDownload{0};

int64_t DownloadPosition(uint64_t ulProgress, uint64_t ulProgressMax)
{
    // Without a size the formula would run far past the download's share of
    // the bar; the bar waits at 0 until the size is known.
    if (ulProgressMax == 0)
        return 0;
    const uint64_t position = ulProgress * 90 / (ulProgressMax + 1);
    return static_cast<int64_t>(position > 89 ? 89 : position);
}

HRESULT CBindCallback::OnProgress(uint64_t ulProgress, uint64_t ulProgressMax, ULONG, LPCWSTR)
{
    const int64_t nPos = DownloadPosition(ulProgress, ulProgressMax);
    bool bAttached = false;
    // Repaint only when the bar actually moves.
    if (nPos != m_nLastPos) {
        m_nLastPos = nPos;
        bAttached = m_pSession->WithView([nPos](IInstallView& view) { view.SetProgressPos(nPos); });
    } else {
        bAttached = m_pSession->IsAttached();
    }
    return (g_bAbortDownload != 0 || !bAttached) ? E_ABORT : S_OK;
}

bool CBindCallback::IsAbortRequested()
{
    return g_bAbortDownload != 0 || !m_pSession->IsAttached();
}
