// Work sent to a window from any thread, the same on every target over the
// backend's WindowThread.
#include "framework/WindowTarget.h"

#include "framework/WindowThread.h"
#include "framework/Wnd.h"

void CWnd::SetPostTarget(HWND hWnd, uint64_t nSerial)
{
    m_nPostSerial = nSerial;
    m_hPostWnd = hWnd;
}

CWindowTarget CWnd::GetWindowTarget() const
{
    HWND hWnd = m_hPostWnd.load();
    return hWnd ? CWindowTarget(hWnd, m_nPostSerial.load()) : CWindowTarget();
}

void CWindowTarget::PostToWindow(std::function<void(HWND)> task) const
{
    if (!m_hWnd)
        return;
    // The handle is only compared here; it is used on the window thread, and
    // only once the serial shows it is still the same window.
    WindowThread::Post([hWnd = m_hWnd, nSerial = m_nSerial, task = std::move(task)]() {
        if (WindowThread::IsAlive(hWnd, nSerial))
            task(hWnd);
    });
}

void CWindowTarget::Post(std::function<void()> task) const
{
    PostToWindow([task = std::move(task)](HWND) { task(); });
}
