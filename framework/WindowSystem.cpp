// The window core's policy, the same on every target.
#include "framework/WindowSystem.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>

#include "framework/Wnd.h"

namespace
{
// Work waiting for the window thread: tasks posted before the window system
// started, and tasks for when it is idle. Never destroyed: workers may still
// post while the process exits.
struct TaskQueues
{
    std::mutex mutex;
    std::vector<std::function<void()>> early;
    std::deque<std::function<void()>> idle;
    bool bReady = false;
};
TaskQueues& Tasks()
{
    static TaskQueues* s_tasks = new TaskQueues;
    return *s_tasks;
}
} // namespace

CWindowSystem& CWindowSystem::Get()
{
    static CWindowSystem* s_system = new CWindowSystem(PlatformWindowBackend());
    return *s_system;
}

bool CWindowSystem::Init()
{
    if (m_bInitialised)
        return true;
    if (!m_backend.Start())
        return false;
    m_windowThread = std::this_thread::get_id();
    m_bInitialised = true;
    std::vector<std::function<void()>> early;
    {
        std::lock_guard<std::mutex> lock(Tasks().mutex);
        Tasks().bReady = true;
        early.swap(Tasks().early);
    }
    for (auto& task : early)
        m_backend.Post(std::move(task));
    return true;
}

bool CWindowSystem::IsWindowThread() const
{
    return !m_bInitialised || std::this_thread::get_id() == m_windowThread;
}

void CWindowSystem::Post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(Tasks().mutex);
        if (!Tasks().bReady) {
            Tasks().early.push_back(std::move(task));
            return;
        }
    }
    m_backend.Post(std::move(task));
}

void CWindowSystem::PostWhenIdle(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(Tasks().mutex);
        Tasks().idle.push_back(std::move(task));
    }
    // A window thread asleep in its loop wakes to look at the idle work.
    if (m_bInitialised)
        m_backend.Wake();
}

bool CWindowSystem::RunOneIdleTask()
{
    std::function<void()> task;
    {
        std::lock_guard<std::mutex> lock(Tasks().mutex);
        if (Tasks().idle.empty())
            return false;
        task = std::move(Tasks().idle.front());
        Tasks().idle.pop_front();
    }
    task();
    return true;
}

// ---- Modal runs

CWindowSystem::ModalRun* CWindowSystem::FindRun(HWND hWnd)
{
    for (ModalRun& run : m_runs)
        if (run.hWnd == hWnd && m_backend.IsAlive(hWnd, run.nSerial))
            return &run;
    return nullptr;
}

const CWindowSystem::ModalRun* CWindowSystem::FindRun(HWND hWnd) const
{
    return const_cast<CWindowSystem*>(this)->FindRun(hWnd);
}

bool CWindowSystem::AnyRunEnded() const
{
    return std::any_of(m_runs.begin(), m_runs.end(), [](const ModalRun& run) { return run.bRunning && run.bEnded; });
}

INT_PTR CWindowSystem::RunModal(CWnd* pWnd)
{
    HWND hWnd = pWnd ? pWnd->m_hWnd : nullptr;
    if (!hWnd)
        return -1;
    const uint64_t nSerial = m_backend.SerialOf(hWnd);
    // What no window of this handle can still use: ends of windows gone meanwhile.
    m_runs.erase(
        std::remove_if(m_runs.begin(), m_runs.end(),
                       [&](const ModalRun& run) { return !run.bRunning && !m_backend.IsAlive(run.hWnd, run.nSerial); }),
        m_runs.end());
    ModalRun* pRun = FindRun(hWnd);
    if (!pRun) {
        m_runs.push_back({hWnd, nSerial, true, false, IDCANCEL});
    } else {
        // Running from here on, and innermost.
        ModalRun run = *pRun;
        run.bRunning = true;
        m_runs.erase(m_runs.begin() + (pRun - m_runs.data()));
        m_runs.push_back(run);
    }
    auto ended = [&] {
        const ModalRun* p = FindRun(hWnd);
        return !p || p->bEnded || m_backend.IsQuitting();
    };
    // A modal window is shown whether or not it was made visible; only once it
    // heads the runs, so nothing raises its owner over it.
    if (!ended() && !pWnd->IsWindowVisible())
        pWnd->ShowWindow(SW_SHOWNORMAL);
    if (m_bClosePending && m_backend.IsAlive(hWnd, nSerial)) {
        m_bClosePending = false;
        pWnd->SendCloseMessage();
    }
    while (!ended())
        RunOnce(-1, true);
    INT_PTR nResult = IDCANCEL;
    if (const ModalRun* p = FindRun(hWnd))
        nResult = p->nResult;
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [&](const ModalRun& run) { return run.hWnd == hWnd && run.nSerial == nSerial; }),
                 m_runs.end());
    return nResult;
}

void CWindowSystem::EndModal(HWND hWnd, INT_PTR nResult)
{
    if (!hWnd)
        return;
    ModalRun* pRun = FindRun(hWnd);
    if (!pRun) {
        m_runs.push_back({hWnd, m_backend.SerialOf(hWnd), false, false, IDCANCEL});
        pRun = &m_runs.back();
    }
    pRun->bEnded = true;
    pRun->nResult = nResult;
    // The loop may be asleep if this came from outside an event.
    m_backend.Wake();
}

bool CWindowSystem::IsModalEnded(HWND hWnd) const
{
    const ModalRun* pRun = FindRun(hWnd);
    return pRun && pRun->bEnded;
}

HWND CWindowSystem::InnermostModal() const
{
    for (auto it = m_runs.rbegin(); it != m_runs.rend(); ++it)
        if (it->bRunning && m_backend.IsAlive(it->hWnd, it->nSerial))
            return it->hWnd;
    return nullptr;
}

void CWindowSystem::AskToClose()
{
    // A request that comes while the window is still being built is kept for
    // the modal run that is about to start.
    if (CWnd* pModal = CWnd::FromHandle(InnermostModal()))
        pModal->SendCloseMessage();
    else
        m_bClosePending = true;
}

// ---- The loop

void CWindowSystem::RunOnce(int nMaxWaitMs, bool bModal)
{
    if (m_backend.HandlePending())
        return;
    if (RunOneIdleTask())
        return;
    // A handler that ended a modal run must not leave the loop asleep.
    if (bModal && (AnyRunEnded() || m_backend.IsQuitting()))
        return;
    m_backend.WaitForEvent(nMaxWaitMs);
}

void CWindowSystem::Pump(int ms)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        RunOnce(static_cast<int>(std::max<long long>(0, left)), false);
    } while (Clock::now() < end);
    // Leave nothing half done for the caller to look at.
    for (int i = 0; i < 4; ++i)
        RunOnce(0, false);
}
