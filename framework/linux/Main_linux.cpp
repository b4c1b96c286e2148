// The program's entry point on Linux: starts the window system and hands over
// to the application object, as the Windows framework's entry point does.

#include <cstdio>

#include "framework/WinApp.h"
#include "framework/linux/WindowSystem.h"

int main()
{
    if (!CWindowSystem::Get().Init()) {
        std::fprintf(stderr, "zelqa-setup: cannot open a display: %s\n", SDL_GetError());
        return 1;
    }
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    if (pApp->InitInstance())
        return pApp->ExitInstance();
    return 0;
}
