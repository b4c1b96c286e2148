#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "engine/InstallView.h"

// The link between the worker threads and the window. Workers reach the window
// only through it, and once the window has detached (it is being destroyed)
// nothing reaches it any more.
class CInstallSession
{
public:
    explicit CInstallSession(IInstallView* pView) : m_pView(pView) {}

    // Runs `action` with the window if it is still there; false otherwise.
    template <typename Action>
    bool WithView(Action action)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_pView)
            return false;
        action(*m_pView);
        return true;
    }

    bool IsAttached()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pView != nullptr;
    }

    // Waits for a view call in progress to end; none starts afterwards.
    void Detach()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pView = nullptr;
    }

    // A transfer that must clean up after itself when it is cut short counts
    // itself in for its duration.
    class CWork
    {
    public:
        explicit CWork(CInstallSession& session) : m_session(session)
        {
            std::lock_guard<std::mutex> lock(m_session.m_mutex);
            ++m_session.m_nWork;
        }
        ~CWork()
        {
            {
                std::lock_guard<std::mutex> lock(m_session.m_mutex);
                --m_session.m_nWork;
            }
            m_session.m_workDone.notify_all();
        }
        CWork(const CWork&) = delete;
        CWork& operator=(const CWork&) = delete;

    private:
        CInstallSession& m_session;
    };

    // Gives running work up to `limit` to wind down; true when none is left.
    bool WaitForWork(std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_workDone.wait_for(lock, limit, [this] { return m_nWork == 0; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_workDone;
    IInstallView* m_pView;
    int m_nWork = 0;
};
