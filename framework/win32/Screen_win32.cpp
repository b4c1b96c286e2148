#include "framework/Screen.h"
#include "framework/WindowBackend.h"

bool QueryScreenDpi(int& dpiX, int& dpiY)
{
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
