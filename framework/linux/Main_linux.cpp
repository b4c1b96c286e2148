// The program's entry point on Linux: starts the window system and hands over
// to the application object, as the Windows framework's entry point does.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "framework/WinApp.h"
#include "framework/linux/WindowSystem.h"

namespace
{
const char* ProgramName(const char* argv0)
{
    const char* slash = argv0 ? std::strrchr(argv0, '/') : nullptr;
    return slash ? slash + 1 : (argv0 ? argv0 : "zelqa");
}

bool HasEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}
} // namespace

int main(int, char** argv)
{
    // Without a display server SDL falls back to drivers that show nothing,
    // and the window would wait for input no one can give.
    const bool bDisplayNamed = HasEnv("DISPLAY") || HasEnv("WAYLAND_DISPLAY");
    // Only the display servers that are named are tried, so a failure is one line of ours.
    if (!HasEnv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, HasEnv("WAYLAND_DISPLAY") ? "wayland,x11" : "x11");
    if (!bDisplayNamed || !CWindowSystem::Get().Init() || !CWindowSystem::Get().ShowsWindows()) {
        std::fprintf(stderr, "%s: no display to show the window on (set DISPLAY for X11 or WAYLAND_DISPLAY)\n",
                     ProgramName(argv[0]));
        return 2;
    }
    return AfxWinMain();
}
