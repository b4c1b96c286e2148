#include "framework/linux/XErrorFilter.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace
{
XErrorHandler g_previous = nullptr;

int FilterError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow && error->request_code == X_SendEvent)
        return 0;
    return g_previous ? g_previous(display, error) : 0;
}
} // namespace

void IgnoreSendEventToDestroyedWindows()
{
    // The UI thread alone starts the video driver, so this runs once and
    // before any other thread talks to the server.
    if (g_previous)
        return;
    XErrorHandler previous = XSetErrorHandler(FilterError);
    if (previous == FilterError)
        return;
    g_previous = previous;
}
