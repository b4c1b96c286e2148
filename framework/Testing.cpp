// The testing hooks that are the window core's on every target.
#include "framework/Testing.h"

#include "framework/WindowSystem.h"
#include "framework/Wnd.h"

void PumpMessages(int ms)
{
    CWindowSystem::Get().Pump(ms);
}

void RunWhenIdle(std::function<void()> task)
{
    CWindowSystem::Get().PostWhenIdle(std::move(task));
}

bool IsModalRunEnded(CWnd* pWnd)
{
    return pWnd && pWnd->m_hWnd && CWindowSystem::Get().IsModalEnded(pWnd->m_hWnd);
}

CWnd* GetModalWindow()
{
    return CWnd::FromHandle(CWindowSystem::Get().InnermostModal());
}
