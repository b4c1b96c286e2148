// The program's entry point on Linux: starts the window system and hands over
// to the application object, as the Windows framework's entry point does.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <thread>

#include <SDL.h>

#include "framework/WinApp.h"
#include "framework/linux/SdlWindowBackend.h"

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
// SIGTERM and SIGINT close the window as the window manager's close does.
// SDL's own handlers only note a signal for its next event pump, and a loop
// asleep in poll() with nothing else to wake it would never get there (a
// stop signal right after the first frame was lost that way). Instead the
// signals are blocked in every thread, from the first, and one thread of
// ours takes them and posts the quit, which wakes the loop. One that came
// before this thread ran stays pending until it does.
sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

void StartStopSignalThread()
{
    std::thread([] {
        const sigset_t set = StopSignals();
        for (;;) {
            int nSignal = 0;
            if (sigwait(&set, &nSignal) != 0)
                continue;
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    }).detach();
}
} // namespace

int main(int, char** argv)
{
    const sigset_t stopSignals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without a display server SDL falls back to drivers that show nothing,
    // and the window would wait for input no one can give.
    const bool bDisplayNamed = HasEnv("DISPLAY") || HasEnv("WAYLAND_DISPLAY");
    // Only the display servers that are named are tried, so a failure is one line of ours.
    if (!HasEnv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, HasEnv("WAYLAND_DISPLAY") ? "wayland,x11" : "x11");
    if (!bDisplayNamed || !CSdlWindowBackend::Get().Init() || !CSdlWindowBackend::Get().ShowsWindows()) {
        std::fprintf(stderr, "%s: no display to show the window on (set DISPLAY for X11 or WAYLAND_DISPLAY)\n",
                     ProgramName(argv[0]));
        return 2;
    }
    StartStopSignalThread();
    return AfxWinMain();
}
