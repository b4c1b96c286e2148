// zelqa-first-frame: times a program to its first frame on the X screen. It
// notes the time, starts the program, and watches one pixel of the screen
// until it shows the given colour: the moment the program's first painted
// frame is on the screen, found the same way whatever the program is. Then
// it ends the program (SIGTERM) and waits for it.
// usage: zelqa-first-frame X Y RRGGBB PROGRAM [ARGS...]
// Prints the milliseconds (with fractions) on standard output; exit status 1
// when the program ends first or shows nothing of that colour within 60 s.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{
constexpr int CHANNEL_TOLERANCE = 8;
constexpr double GIVE_UP_MS = 60000;

double NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

bool SameColour(unsigned long nPixel, unsigned long nWanted)
{
    for (int nShift = 0; nShift <= 16; nShift += 8) {
        const int nHave = static_cast<int>((nPixel >> nShift) & 0xff);
        const int nWant = static_cast<int>((nWanted >> nShift) & 0xff);
        if (std::abs(nHave - nWant) > CHANNEL_TOLERANCE)
            return false;
    }
    return true;
}

bool ReadPixel(Display* pDisplay, Window root, int x, int y, unsigned long& nPixel)
{
    XImage* pImage = XGetImage(pDisplay, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!pImage)
        return false;
    nPixel = XGetPixel(pImage, 0, 0) & 0xffffff;
    XDestroyImage(pImage);
    return true;
}

void EndProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fputs("usage: zelqa-first-frame X Y RRGGBB PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const unsigned long nWanted = std::strtoul(argv[3], nullptr, 16);
    Display* pDisplay = XOpenDisplay(nullptr);
    if (!pDisplay) {
        std::fputs("zelqa-first-frame: no X display\n", stderr);
        return 2;
    }
    const Window root = DefaultRootWindow(pDisplay);
    unsigned long nPixel = 0;
    if (!ReadPixel(pDisplay, root, x, y, nPixel) || SameColour(nPixel, nWanted)) {
        std::fputs("zelqa-first-frame: the pixel shows that colour already\n", stderr);
        return 2;
    }

    const double dStart = NowMs();
    const pid_t pid = fork();
    if (pid < 0)
        return 2;
    if (pid == 0) {
        // Our standard output carries the figure alone; what the program prints goes with the errors.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[4], argv + 4);
        _exit(127);
    }

    // Polled every millisecond: the program under test keeps the other core.
    const timespec pause{0, 1000000};
    for (;;) {
        if (ReadPixel(pDisplay, root, x, y, nPixel) && SameColour(nPixel, nWanted)) {
            std::printf("%.1f\n", NowMs() - dStart);
            EndProgram(pid);
            return 0;
        }
        int nStatus = 0;
        if (waitpid(pid, &nStatus, WNOHANG) == pid) {
            std::fprintf(stderr, "zelqa-first-frame: %s ended before its first frame\n", argv[4]);
            return 1;
        }
        if (NowMs() - dStart > GIVE_UP_MS) {
            std::fprintf(stderr, "zelqa-first-frame: no frame from %s\n", argv[4]);
            EndProgram(pid);
            return 1;
        }
        nanosleep(&pause, nullptr);
    }
}
