#include "framework/WinApp.h"

#include "framework/UiThread.h"
#include "framework/win32/WindowSystem.h"

bool IsUiThread() { return CWindowSystem::Get().IsUiThread(); }

void RunOnUiThread(std::function<void()> task, bool bRunNowIfOnUiThread)
{
    if (bRunNowIfOnUiThread && IsUiThread())
        task();
    else
        CWindowSystem::Get().Post(std::move(task));
}

HICON LoadAppIcon(UINT nId)
{
    // A shared icon of the standard size: it lives as long as the program.
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nId));
}
