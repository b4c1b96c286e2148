#pragma once

#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/Static.h"

// A one-line text label with a transparent background. The first label to paint
// in the process keeps a snapshot of what lies beneath it and erases from it.
class CStaticEx : public CStatic
{
public:
    CStaticEx();
    ~CStaticEx() override;

    void SetFontHeight(int nHeight);
    // Width of the text in m_font, and the label's current client height.
    CSize CalcTextSize();

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

    CDC m_memDC;
    CBitmap m_bmpBack;
    HBITMAP m_hOldBitmap = nullptr;   // what m_memDC held before m_bmpBack
    CFont m_font;
    COLORREF m_crText;
    int m_nFontHeight;

    // One flag for all labels: only the first to paint takes a snapshot.
    static bool s_bNeedBackground;
};
