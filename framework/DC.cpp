// The device context's ownership, the same on every target.
#include "framework/DC.h"

CDC::~CDC()
{
    if (m_bOwned)
        DeleteDC();
}

HDC CDC::Detach()
{
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    return hDC;
}
