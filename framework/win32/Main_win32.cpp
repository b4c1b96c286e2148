// The program's entry point on Windows: starts the window system and hands
// over to the application object, whose InitInstance runs the program.

#include "framework/WinApp.h"
#include "framework/WindowSystem.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!CWindowSystem::Get().Init())
        return 1;
    return AfxWinMain();
}
