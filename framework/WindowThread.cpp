// Reaching the window thread, over the window core.
#include "framework/WindowThread.h"

#include "framework/WindowSystem.h"

void WindowThread::Post(std::function<void()> task)
{
    CWindowSystem::Get().Post(std::move(task));
}

bool WindowThread::IsAlive(HWND hWnd, uint64_t nSerial)
{
    return CWindowSystem::Get().Backend().IsAlive(hWnd, nSerial);
}

bool WindowThread::IsCurrent()
{
    return CWindowSystem::Get().IsWindowThread();
}

void WindowThread::Run(std::function<void()> task)
{
    if (IsCurrent())
        task();
    else
        Post(std::move(task));
}
