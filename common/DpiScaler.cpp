#include "common/DpiScaler.h"

#include "base/Types.h"
#include "framework/Screen.h"

int32_t DpiScaler::ScaleX(int32_t value)
{
    EnsureDpi();
    return MulDiv(value, m_nDpiX, 96);
}

int32_t DpiScaler::ScaleY(int32_t value)
{
    EnsureDpi();
    return MulDiv(value, m_nDpiY, 96);
}

void DpiScaler::EnsureDpi()
{
    if (m_bInitialized)
        return;
    int dpiX = 0;
    int dpiY = 0;
    // Without a screen to ask, scaling is the identity.
    if (GetScreenDpi(dpiX, dpiY)) {
        m_nDpiX = dpiX;
        m_nDpiY = dpiY;
    }
    m_bInitialized = true;
}

int32_t ScaledX(int32_t value)
{
    return DpiScaler().ScaleX(value);
}

int32_t ScaledY(int32_t value)
{
    return DpiScaler().ScaleY(value);
}
