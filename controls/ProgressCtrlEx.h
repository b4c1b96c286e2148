#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "framework/Button.h"
#include "framework/Image.h"

// The progress bar: a track image with a partial fill image over it, composed
// off screen and copied in one step. Worker threads write m_nPos and invalidate.
class CProgressCtrlEx : public CButton
{
public:
    CProgressCtrlEx();
    ~CProgressCtrlEx() override;

    // Loads the track and fill images and sizes the bar to the track, scaled.
    void LoadImages();

    // Width in pixels of the fill for a position, truncated; positions outside
    // the range are drawn as the nearest end of it.
    static int FillWidth(float fWidth, int64_t nPos, int64_t nLower, int64_t nUpper);

    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

    float m_fWidth = 0;
    float m_fHeight = 0;
    int64_t m_nUpper = 100;
    int64_t m_nLower = 0;
    std::atomic<int64_t> m_nPos{0};
    ULONG_PTR m_gdiplusToken = 0;
    std::unique_ptr<CImage> m_pImageTrack;
    std::unique_ptr<CImage> m_pImageFill;
};
