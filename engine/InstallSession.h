#pragma once

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

private:
    std::mutex m_mutex;
    IInstallView* m_pView;
};
