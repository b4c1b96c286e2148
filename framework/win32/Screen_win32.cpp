#include "framework/Screen.h"
#include "framework/Testing.h"

#include <atomic>

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
    // Read afresh each time; a DPI-aware program sees the real values.
    HDC hScreen = GetDC(nullptr);
    if (!hScreen)
        return false;
    const int x = GetDeviceCaps(hScreen, LOGPIXELSX);
    const int y = GetDeviceCaps(hScreen, LOGPIXELSY);
    ReleaseDC(nullptr, hScreen);
    if (x <= 0 || y <= 0)
        return false;
    dpiX = x;
    dpiY = y;
    return true;
}

CSize GetIconSize()
{
    return CSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

CRect GetScreenWorkArea()
{
    RECT rc{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0) && rc.right > rc.left && rc.bottom > rc.top)
        return CRect(rc);
    return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}
