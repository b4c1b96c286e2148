#pragma once

#include <cstdint>
#include <functional>

#include "base/Types.h"

// Where work for a window can be sent from any thread. It may outlive the
// window: work sent after the window has gone is dropped, never run.
class CWindowTarget
{
public:
    CWindowTarget() = default;
    void Post(std::function<void()> task) const;
    // The same, handing the task the window's handle.
    void PostToWindow(std::function<void(HWND)> task) const;

private:
    friend class CWnd;
    CWindowTarget(HWND hWnd, uint64_t nSerial) : m_hWnd(hWnd), m_nSerial(nSerial) {}
    HWND m_hWnd = nullptr;
    uint64_t m_nSerial = 0;
};
