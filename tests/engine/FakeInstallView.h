#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "engine/InstallView.h"

// Records what the engine asks of the window; pages and positions may come
// from any thread.
class CFakeInstallView : public IInstallView
{
public:
    std::wstring m_strLocation = L"C:\\Program Files (x86)\\brovix\\Zelqa";
    std::vector<std::wstring> m_notices;
    std::wstring m_strInstallDir;

    std::wstring GetLocationText() override { return m_strLocation; }
    void ShowNotice(const std::wstring& text) override { m_notices.push_back(text); }
    void SetInstallDir(const std::wstring& dir) override { m_strInstallDir = dir; }

    void SetProgressPos(int64_t nPos) override { Record(nPos, L""); }
    void ShowProgressPage() override { Record(-1, L"progress"); }
    void ShowFailureState() override { Record(-1, L"failure"); }
    void ShowFinishPage() override { Record(-1, L"finish"); }

    std::vector<std::wstring> Pages()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pages;
    }
    std::vector<int64_t> Positions()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_positions;
    }
    // Waits until `page` has been shown; false after a few seconds without it.
    bool WaitForPage(const std::wstring& page)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] {
            for (const std::wstring& p : m_pages)
                if (p == page)
                    return true;
            return false;
        });
    }
    bool WaitForPosition(int64_t nPos)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return !m_positions.empty() && m_positions.back() == nPos; });
    }

private:
    void Record(int64_t nPos, const std::wstring& page)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (page.empty())
                m_positions.push_back(nPos);
            else
                m_pages.push_back(page);
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::wstring> m_pages;
    std::vector<int64_t> m_positions;
};
