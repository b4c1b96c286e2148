#include "framework/Screen.h"
#include "framework/WindowBackend.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <SDL.h>
#include <X11/Xlib.h>

#include "framework/linux/GlobalPointer.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{

// Xft.dpi from the X resource database, as desktop settings publish it.
int DpiFromResources(Display* display)
{
    const char* resources = XResourceManagerString(display);
    if (!resources)
        return 0;
    const char* p = std::strstr(resources, "Xft.dpi:");
    if (!p)
        return 0;
    double dpi = std::atof(p + std::strlen("Xft.dpi:"));
    return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 0;
}

// The screen's pixel size against its physical size. Xvfb keeps whole
// millimetres, so the result is rounded.
void DpiFromScreenSize(Display* display, int& dpiX, int& dpiY)
{
    int screen = DefaultScreen(display);
    int mmX = DisplayWidthMM(display, screen);
    int mmY = DisplayHeightMM(display, screen);
    if (mmX > 0 && mmY > 0) {
        dpiX = static_cast<int>(std::lround(DisplayWidth(display, screen) * 25.4 / mmX));
        dpiY = static_cast<int>(std::lround(DisplayHeight(display, screen) * 25.4 / mmY));
    }
}

bool QueryX11Dpi(int& dpiX, int& dpiY)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int dpi = DpiFromResources(display);
    if (dpi > 0) {
        dpiX = dpiY = dpi;
    } else {
        DpiFromScreenSize(display, dpiX, dpiY);
    }
    XCloseDisplay(display);
    return dpiX > 0 && dpiY > 0;
}
} // namespace

bool QueryScreenDpi(int& dpiX, int& dpiY)
{
    if (!CSdlWindowBackend::Get().IsInitialised())
        return false;
    // The screen does not change its DPI while the installer runs.
    static std::once_flag s_once;
    static bool s_bKnown = false;
    static int s_dpiX = 96;
    static int s_dpiY = 96;
    std::call_once(s_once, [] {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && std::strcmp(driver, "x11") == 0) {
            s_bKnown = QueryX11Dpi(s_dpiX, s_dpiY);
        } else {
            float ddpi = 0, hdpi = 0, vdpi = 0;
            if (SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) == 0 && hdpi > 0 && vdpi > 0) {
                s_dpiX = static_cast<int>(std::lround(hdpi));
                s_dpiY = static_cast<int>(std::lround(vdpi));
                s_bKnown = true;
            }
        }
    });
    if (!s_bKnown)
        return false;
    dpiX = s_dpiX;
    dpiY = s_dpiY;
    return true;
}

bool QueryGlobalPointer(int& x, int& y, bool& bLeftDown)
{
    const char* driver = CSdlWindowBackend::Get().IsInitialised() ? SDL_GetCurrentVideoDriver() : nullptr;
    if (!driver || std::strcmp(driver, "x11") != 0) {
        const Uint32 buttons = SDL_GetGlobalMouseState(&x, &y);
        bLeftDown = (buttons & SDL_BUTTON_LMASK) != 0;
        return true;
    }
    // One connection of our own, used only from the window thread.
    static Display* s_display = XOpenDisplay(nullptr);
    if (!s_display)
        return false;
    Window root = 0, child = 0;
    int winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(s_display, DefaultRootWindow(s_display), &root, &child, &x, &y, &winX, &winY, &mask))
        return false;
    bLeftDown = (mask & Button1Mask) != 0;
    return true;
}

CSize GetIconSize()
{
    return CSize(32, 32);
}

CRect GetScreenWorkArea()
{
    SDL_Rect rc{0, 0, 1024, 768};
    if (CSdlWindowBackend::Get().IsInitialised())
        SDL_GetDisplayUsableBounds(0, &rc);
    return CRect(rc.x, rc.y, rc.x + rc.w, rc.y + rc.h);
}
