// What the screen reports, with the override tests set, the same on every target.
#include "framework/Screen.h"

#include <atomic>

#include "framework/Testing.h"
#include "framework/WindowBackend.h"

namespace
{
std::atomic<int> g_nOverrideX{0};
std::atomic<int> g_nOverrideY{0};
} // namespace

void SetScreenDpiForTesting(int dpiX, int dpiY)
{
    g_nOverrideX = dpiX;
    g_nOverrideY = dpiY;
}

bool GetScreenDpi(int& dpiX, int& dpiY)
{
    if (g_nOverrideX > 0 && g_nOverrideY > 0) {
        dpiX = g_nOverrideX;
        dpiY = g_nOverrideY;
        return true;
    }
    return QueryScreenDpi(dpiX, dpiY);
}
