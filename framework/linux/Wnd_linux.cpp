#include "framework/WindowThread.h"
#include "framework/Wnd.h"

#include "framework/DC.h"
#include "framework/Font.h"
#include "framework/Screen.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/Icon.h"
#include "framework/linux/WindowClass.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
CSdlWindowBackend& Ws()
{
    return CSdlWindowBackend::Get();
}
} // namespace

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? hWnd->pWnd : nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    Ws().DestroyWindowNode(m_hWnd);
    m_hWnd = nullptr;
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    if (!m_hWnd)
        return nullptr;
    HWND h = m_hWnd->pParent ? m_hWnd->pParent : m_hWnd->pOwner;
    return h ? h->pWnd : nullptr;
}

UINT CWnd::GetDlgCtrlID() const
{
    return m_hWnd ? m_hWnd->nId : 0;
}
DWORD CWnd::GetStyle() const
{
    return m_hWnd ? m_hWnd->dwStyle : 0;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    if (!m_hWnd)
        return FALSE;
    const DWORD visible = m_hWnd->dwStyle & WS_VISIBLE;
    m_hWnd->dwStyle = ((m_hWnd->dwStyle & ~dwRemove) | dwAdd) & ~WS_VISIBLE;
    m_hWnd->dwStyle |= visible;
    return TRUE;
}

void CWnd::SetWindowText(LPCWSTR lpszString)
{
    if (!m_hWnd)
        return;
    m_hWnd->text = lpszString ? lpszString : L"";
    m_hWnd->pClass->OnSetText();
    Invalidate(TRUE);
}

void CWnd::SetFont(HFONT hFont, BOOL bRedraw)
{
    if (!m_hWnd)
        return;
    m_hWnd->hFont = hFont;
    m_hWnd->pClass->OnSetFont();
    if (bRedraw)
        Invalidate(FALSE);
}

HFONT CWnd::GetFont() const
{
    return m_hWnd ? m_hWnd->hFont : nullptr;
}

std::wstring CWnd::GetWindowText() const
{
    return m_hWnd ? m_hWnd->text : std::wstring();
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    // Whether it was visible can be told only on the window thread.
    const BOOL bWasVisible = Ws().IsUiThread() && m_hWnd && (m_hWnd->dwStyle & WS_VISIBLE) != 0;
    OnWindowThread(this, [nCmdShow](HWND h) { CSdlWindowBackend::Get().Show(h, nCmdShow != SW_HIDE); });
    return bWasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    return m_hWnd && CSdlWindowBackend::Get().IsVisible(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint)
{
    (void)bRepaint;
    CRect rect(x, y, x + cx, y + cy);
    OnWindowThread(this, [rect](HWND h) { CSdlWindowBackend::Get().SetPos(h, rect, true, true, false); });
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT nFlags)
{
    CRect rect(x, y, x + cx, y + cy);
    const bool bMove = !(nFlags & SWP_NOMOVE);
    const bool bSize = !(nFlags & SWP_NOSIZE);
    const bool bRaise = !(nFlags & SWP_NOZORDER);
    const bool bActivate = !(nFlags & SWP_NOACTIVATE);
    OnWindowThread(this, [=](HWND h) {
        CSdlWindowBackend::Get().SetPos(h, rect, bMove, bSize, bRaise);
        if (bActivate && h->IsTopLevel())
            CSdlWindowBackend::Get().RaiseTopLevel(h);
    });
    return TRUE;
}

void CWnd::GetClientRect(CRect* pRect) const
{
    *pRect = m_hWnd ? CRect(0, 0, m_hWnd->rect.Width(), m_hWnd->rect.Height()) : CRect();
}

void CWnd::GetWindowRect(CRect* pRect) const
{
    if (!m_hWnd) {
        *pRect = CRect();
        return;
    }
    CRect rc(0, 0, m_hWnd->rect.Width(), m_hWnd->rect.Height());
    ClientToScreen(&rc);
    *pRect = rc;
}

void CWnd::ClientToScreen(CPoint* pPoint) const
{
    if (!m_hWnd)
        return;
    HWND top = CSdlWindowBackend::Get().TopLevelOf(m_hWnd);
    CPoint origin = CSdlWindowBackend::Get().OriginInTopLevel(m_hWnd);
    pPoint->x += origin.x + top->rect.left;
    pPoint->y += origin.y + top->rect.top;
}

void CWnd::ClientToScreen(CRect* pRect) const
{
    CPoint tl(pRect->left, pRect->top);
    ClientToScreen(&tl);
    pRect->OffsetRect(tl.x - pRect->left, tl.y - pRect->top);
}

void CWnd::ScreenToClient(CPoint* pPoint) const
{
    CPoint zero;
    ClientToScreen(&zero);
    pPoint->x -= zero.x;
    pPoint->y -= zero.y;
}

void CWnd::ScreenToClient(CRect* pRect) const
{
    CPoint zero;
    ClientToScreen(&zero);
    pRect->OffsetRect(-zero.x, -zero.y);
}

void CWnd::Invalidate(BOOL bErase)
{
    OnWindowThread(this, [bErase](HWND h) { CSdlWindowBackend::Get().Invalidate(h, nullptr, bErase != FALSE); });
}

void CWnd::InvalidateRect(const CRect* pRect, BOOL bErase)
{
    if (!pRect) {
        Invalidate(bErase);
        return;
    }
    CRect rect = *pRect;
    OnWindowThread(this, [rect, bErase](HWND h) { CSdlWindowBackend::Get().Invalidate(h, &rect, bErase != FALSE); });
}

void CWnd::UpdateWindow()
{
    OnWindowThread(this, [](HWND h) { CSdlWindowBackend::Get().UpdateWindow(h); });
}

CWnd* CWnd::SetCapture()
{
    CWnd* pOld = GetCapture();
    CSdlWindowBackend::Get().SetCapture(m_hWnd);
    return pOld;
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(CSdlWindowBackend::Get().GetCapture());
}

BOOL CWnd::ReleaseCapture()
{
    CSdlWindowBackend::Get().SetCapture(nullptr);
    return TRUE;
}

CWnd* CWnd::SetFocus()
{
    CWnd* pOld = GetFocus();
    CSdlWindowBackend::Get().SetFocus(m_hWnd);
    return pOld;
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(CSdlWindowBackend::Get().GetFocus());
}

BOOL CWnd::IsIconic() const
{
    HWND top = m_hWnd ? CSdlWindowBackend::Get().TopLevelOf(m_hWnd) : nullptr;
    return top && top->pSdlWindow && (SDL_GetWindowFlags(top->pSdlWindow) & SDL_WINDOW_MINIMIZED);
}

BOOL CWnd::SetForegroundWindow()
{
    OnWindowThread(this,
                   [](HWND h) { CSdlWindowBackend::Get().RaiseTopLevel(CSdlWindowBackend::Get().TopLevelOf(h)); });
    return TRUE;
}

// ---- Default processing

void CWnd::OnPaint()
{
    CPaintDC dc(this);
    if (CWindowClass* pClass = WindowClassOf(this))
        pClass->OnPaint(&dc);
}

// The base handlers are the window class's default processing.
template <typename Call>
static void ToClass(const CWnd* pWnd, Call call)
{
    if (CWindowClass* pClass = WindowClassOf(pWnd))
        call(*pClass);
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC)
{
    CWindowClass* pClass = WindowClassOf(this);
    return pClass ? pClass->OnEraseBkgnd(pDC) : FALSE;
}

void CWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    ToClass(this, [&](CWindowClass& c) { c.OnMouseMove(nFlags, point); });
}
void CWnd::OnMouseHover(UINT, CPoint)
{
}
void CWnd::OnMouseLeave()
{
}
void CWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    ToClass(this, [&](CWindowClass& c) { c.OnLButtonDown(nFlags, point); });
}
void CWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    ToClass(this, [&](CWindowClass& c) { c.OnLButtonUp(nFlags, point); });
}
void CWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    ToClass(this, [&](CWindowClass& c) { c.OnKeyDown(nChar, nRepCnt, nFlags); });
}
void CWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    ToClass(this, [&](CWindowClass& c) { c.OnChar(nChar, nRepCnt, nFlags); });
}
void CWnd::OnSetFocus(CWnd* pOldWnd)
{
    ToClass(this, [&](CWindowClass& c) { c.OnSetFocus(pOldWnd); });
}
void CWnd::OnKillFocus(CWnd* pNewWnd)
{
    ToClass(this, [&](CWindowClass& c) { c.OnKillFocus(pNewWnd); });
}
void CWnd::OnTimer(UINT_PTR nIDEvent)
{
    ToClass(this, [&](CWindowClass& c) { c.OnTimer(nIDEvent); });
}
void CWnd::OnDestroy()
{
    ToClass(this, [](CWindowClass& c) { c.OnDestroy(); });
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT pTrack)
{
    if (!pTrack || pTrack->cbSize != sizeof(TRACKMOUSEEVENT) || !pTrack->hwndTrack)
        return FALSE;
    CSdlWindowBackend::Get().TrackMouse(pTrack->hwndTrack, pTrack->dwFlags, pTrack->dwHoverTime);
    return TRUE;
}

namespace
{
void GiveIconToWindow(SDL_Window* pWindow, HICON hIcon)
{
    cairo_surface_t* png = DecodePng(hIcon->pData, hIcon->nSize);
    if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(png);
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(png), cairo_image_surface_get_width(png), cairo_image_surface_get_height(png),
            32, cairo_image_surface_get_stride(png), SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            SDL_SetWindowIcon(pWindow, surface);
            SDL_FreeSurface(surface);
        }
    }
    cairo_surface_destroy(png);
}
} // namespace

HICON CWnd::SetIcon(HICON hIcon, BOOL)
{
    if (!m_hWnd || !hIcon || !m_hWnd->IsTopLevel() || !m_hWnd->pSdlWindow)
        return nullptr;
    // X keeps one picture per window where Windows keeps a big and a small
    // one. Decoding it and handing it to the X server wait until the window
    // has nothing else to do, so the first frame does not wait for them.
    OnWindowThread(this, [hIcon](HWND h) {
        h->hIcon = hIcon;
        if (h->bIconQueued)
            return;
        h->bIconQueued = true;
        CWindowSystem::Get().PostWhenIdle([h, nSerial = h->nSerial] {
            if (!CSdlWindowBackend::Get().IsAlive(h, nSerial))
                return;
            h->bIconQueued = false;
            if (h->hIcon != h->hIconShown) {
                GiveIconToWindow(h->pSdlWindow, h->hIcon);
                h->hIconShown = h->hIcon;
            }
        });
    });
    return hIcon;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    if (!m_hWnd)
        return 0;
    OnWindowThread(this, [nIDEvent, nElapse](HWND h) { CSdlWindowBackend::Get().SetTimer(h, nIDEvent, nElapse); });
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!m_hWnd)
        return FALSE;
    OnWindowThread(this, [nIDEvent](HWND h) { CSdlWindowBackend::Get().KillTimer(h, nIDEvent); });
    return TRUE;
}

void CWnd::BeginMoveDrag()
{
    if (m_hWnd)
        CSdlWindowBackend::Get().BeginMoveDrag(CSdlWindowBackend::Get().TopLevelOf(m_hWnd));
}
