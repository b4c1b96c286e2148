#pragma once

#include "base/Types.h"

// An owned brush; releases its handle when it goes, so a paint cannot leak it.
class CBrush
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF cr) { CreateSolidBrush(cr); }
    ~CBrush() { DeleteObject(); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;
    BOOL CreateSolidBrush(COLORREF cr);
    void DeleteObject();
    HBRUSH GetSafeHandle() const { return m_hBrush; }

private:
    HBRUSH m_hBrush = nullptr;
};

// The brush that paints nothing (for outlines without a fill).
HBRUSH GetNullBrush();
