#pragma once

#include "base/Types.h"

class CDC;

// An owned bitmap for device contexts; releases its handle when it goes.
class CBitmap
{
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    // A bitmap of the given size in the pixel format of `dc`.
    BOOL CreateCompatibleBitmap(CDC* pDC, int cx, int cy);
    void DeleteObject();
    HBITMAP GetSafeHandle() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap = nullptr;
};
