#pragma once

#include "base/Types.h"

// An owned pen; releases its handle when it goes, so a paint cannot leak it.
class CPen
{
public:
    CPen() = default;
    CPen(int nStyle, int nWidth, COLORREF cr) { CreatePen(nStyle, nWidth, cr); }
    ~CPen() { DeleteObject(); }
    CPen(const CPen&) = delete;
    CPen& operator=(const CPen&) = delete;
    BOOL CreatePen(int nStyle, int nWidth, COLORREF cr);
    void DeleteObject();
    HPEN GetSafeHandle() const { return m_hPen; }

private:
    HPEN m_hPen = nullptr;
};
