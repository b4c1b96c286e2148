#include "controls/ProgressCtrlEx.h"

#include <algorithm>

#include "common/DpiScaler.h"
#include "controls/PageBackground.h"
#include "controls/PngResource.h"
#include "framework/DC.h"
#include "framework/Graphics.h"
#include "framework/Imaging.h"
#include "res/resource.h"

CProgressCtrlEx::CProgressCtrlEx() : m_gdiplusToken(ImagingStartup())
{
}

CProgressCtrlEx::~CProgressCtrlEx()
{
    m_pImageTrack.reset();
    m_pImageFill.reset();
    if (m_gdiplusToken != 0)
        ImagingShutdown(m_gdiplusToken);
}

void CProgressCtrlEx::LoadImages()
{
    LoadPngResource(IDB_PROGRESS_TRACK, m_pImageTrack);
    LoadPngResource(IDB_PROGRESS_FILL, m_pImageFill);
    // Without a track there is nothing to size from; the bar keeps its size.
    if (!m_pImageTrack)
        return;
    m_fWidth = static_cast<float>(DpiScaler().ScaleX(static_cast<int32_t>(m_pImageTrack->GetWidth())));
    m_fHeight = static_cast<float>(DpiScaler().ScaleY(static_cast<int32_t>(m_pImageTrack->GetHeight())));
    CRect rc;
    GetWindowRect(&rc);
    if (CWnd* pParent = GetParent())
        pParent->ScreenToClient(&rc);
    const int cx = static_cast<int>(static_cast<float>(rc.left) + m_fWidth) - rc.left;
    const int cy = static_cast<int>(static_cast<float>(rc.top) + m_fHeight) - rc.top;
    SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE);
}

int CProgressCtrlEx::FillWidth(float fWidth, int64_t nPos, int64_t nLower, int64_t nUpper)
{
    if (nUpper <= nLower)
        return 0;
    // A position from a bad progress report must never draw past either end.
    const int64_t nClamped = std::clamp(nPos, nLower, nUpper);
    const double ratio = static_cast<double>(nClamped) / static_cast<double>(nUpper - nLower);
    return static_cast<int>(static_cast<double>(fWidth) * ratio);
}

void CProgressCtrlEx::PreSubclassWindow()
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

BOOL CProgressCtrlEx::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CProgressCtrlEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CRect rcClient;
    GetClientRect(&rcClient);
    if (!m_pImageTrack || !m_pImageFill)
        return;
    CDC dc;
    dc.Attach(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    // The bar lies on a white ground of its own, whatever the page beneath.
    PaintOverPage(this, &dc, [&](CDC& memDc) {
        memDc.SetBkMode(TRANSPARENT);
        memDc.FillSolidRect(rcItem, RGB(255, 255, 255));
        CGraphics graphics(&memDc);
        graphics.DrawImage(m_pImageTrack.get(), rcClient, 0, 0, static_cast<int>(m_pImageTrack->GetWidth()),
                           static_cast<int>(m_pImageTrack->GetHeight()));
        const int64_t nPos = m_nPos.load();
        if (nPos != 0) {
            const int cxDest = FillWidth(m_fWidth, nPos, m_nLower, m_nUpper);
            const int cxSrc = FillWidth(static_cast<float>(m_pImageFill->GetWidth()), nPos, m_nLower, m_nUpper);
            graphics.DrawImage(m_pImageFill.get(), CRect(0, 0, cxDest, static_cast<int>(m_fHeight)), 0, 0, cxSrc,
                               static_cast<int>(m_pImageFill->GetHeight()));
        }
    });
    dc.Detach();
}
