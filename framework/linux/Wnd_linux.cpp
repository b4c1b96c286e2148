#include "framework/Wnd.h"

#include "framework/DC.h"
#include "framework/Screen.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/Icon.h"
#include "framework/linux/WindowSystem.h"


namespace
{
CWindowSystem& Ws() { return CWindowSystem::Get(); }

// Runs `action` on the window thread against `hWnd` if the window still exists
// by then; at once when already on that thread.
template <typename Action>
void OnWindowThread(HWND hWnd, Action action)
{
    if (!hWnd)
        return;
    if (Ws().IsUiThread()) {
        action(hWnd);
        return;
    }
    uint64_t serial = Ws().SerialOf(hWnd);
    Ws().Post([hWnd, serial, action]() {
        if (CWindowSystem::Get().IsAlive(hWnd, serial))
            action(hWnd);
    });
}
} // namespace

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return hWnd ? hWnd->pWnd : nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const wchar_t* pszText, DWORD dwStyle, const CRect& rect, CWnd* pParent, UINT nID)
{
    if (m_hWnd || !Ws().Init())
        return FALSE;
    HWND hParent = pParent ? pParent->m_hWnd : nullptr;
    if ((dwStyle & WS_CHILD) && !hParent)
        return FALSE;
    return Ws().CreateWindowNode(this, dwExStyle, pszText, dwStyle, rect, hParent, nID) != nullptr;
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

UINT CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->nId : 0; }
DWORD CWnd::GetStyle() const { return m_hWnd ? m_hWnd->dwStyle : 0; }

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    if (!m_hWnd)
        return FALSE;
    const DWORD visible = m_hWnd->dwStyle & WS_VISIBLE;
    m_hWnd->dwStyle = ((m_hWnd->dwStyle & ~dwRemove) | dwAdd) & ~WS_VISIBLE;
    m_hWnd->dwStyle |= visible;
    return TRUE;
}

void CWnd::SetWindowText(const wchar_t* pszText)
{
    if (!m_hWnd)
        return;
    m_hWnd->text = pszText ? pszText : L"";
    OnSetText();
    Invalidate(TRUE);
}

std::wstring CWnd::GetWindowText() const
{
    return m_hWnd ? m_hWnd->text : std::wstring();
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    if (!m_hWnd)
        return FALSE;
    BOOL bWasVisible = (m_hWnd->dwStyle & WS_VISIBLE) != 0;
    OnWindowThread(m_hWnd, [nCmdShow](HWND h) { CWindowSystem::Get().Show(h, nCmdShow != SW_HIDE); });
    return bWasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    return m_hWnd && CWindowSystem::Get().IsVisible(m_hWnd);
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint)
{
    (void)bRepaint;
    CRect rect(x, y, x + cx, y + cy);
    OnWindowThread(m_hWnd, [rect](HWND h) { CWindowSystem::Get().SetPos(h, rect, true, true, false); });
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT nFlags)
{
    if (!m_hWnd)
        return FALSE;
    CRect rect(x, y, x + cx, y + cy);
    const bool bMove = !(nFlags & SWP_NOMOVE);
    const bool bSize = !(nFlags & SWP_NOSIZE);
    const bool bRaise = !(nFlags & SWP_NOZORDER);
    const bool bActivate = !(nFlags & SWP_NOACTIVATE);
    OnWindowThread(m_hWnd, [=](HWND h) {
        CWindowSystem::Get().SetPos(h, rect, bMove, bSize, bRaise);
        if (bActivate && h->IsTopLevel() && h->pSdlWindow && (h->dwStyle & WS_VISIBLE))
            SDL_RaiseWindow(h->pSdlWindow);
    });
    return TRUE;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    if (!m_hWnd)
        return;
    CRect area;
    CWnd* pOwner = pAlternateOwner ? pAlternateOwner : GetParent();
    if (pOwner && pOwner->m_hWnd)
        pOwner->GetWindowRect(&area);
    else
        area = GetScreenWorkArea();
    CRect rc;
    GetWindowRect(&rc);
    int x = area.left + (area.Width() - rc.Width()) / 2;
    int y = area.top + (area.Height() - rc.Height()) / 2;
    if (m_hWnd->pParent) {
        CPoint pt(x, y);
        CWnd::FromHandle(m_hWnd->pParent)->ScreenToClient(&pt);
        x = pt.x;
        y = pt.y;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    HWND top = CWindowSystem::Get().TopLevelOf(m_hWnd);
    CPoint origin = CWindowSystem::Get().OriginInTopLevel(m_hWnd);
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
    OnWindowThread(m_hWnd, [bErase](HWND h) { CWindowSystem::Get().Invalidate(h, nullptr, bErase != FALSE); });
}

void CWnd::InvalidateRect(const CRect* pRect, BOOL bErase)
{
    if (!pRect) {
        Invalidate(bErase);
        return;
    }
    CRect rect = *pRect;
    OnWindowThread(m_hWnd, [rect, bErase](HWND h) { CWindowSystem::Get().Invalidate(h, &rect, bErase != FALSE); });
}

void CWnd::UpdateWindow()
{
    OnWindowThread(m_hWnd, [](HWND h) { CWindowSystem::Get().UpdateWindow(h); });
}

CWnd* CWnd::SetCapture()
{
    CWnd* pOld = GetCapture();
    CWindowSystem::Get().SetCapture(m_hWnd);
    return pOld;
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(CWindowSystem::Get().GetCapture());
}

BOOL CWnd::ReleaseCapture()
{
    CWindowSystem::Get().SetCapture(nullptr);
    return TRUE;
}

CWnd* CWnd::SetFocus()
{
    CWnd* pOld = GetFocus();
    CWindowSystem::Get().SetFocus(m_hWnd);
    return pOld;
}

CWnd* CWnd::GetFocus()
{
    return FromHandle(CWindowSystem::Get().GetFocus());
}

BOOL CWnd::IsIconic() const
{
    HWND top = m_hWnd ? CWindowSystem::Get().TopLevelOf(m_hWnd) : nullptr;
    return top && top->pSdlWindow && (SDL_GetWindowFlags(top->pSdlWindow) & SDL_WINDOW_MINIMIZED);
}

BOOL CWnd::SetForegroundWindow()
{
    OnWindowThread(m_hWnd, [](HWND h) {
        HWND top = CWindowSystem::Get().TopLevelOf(h);
        if (top->pSdlWindow)
            SDL_RaiseWindow(top->pSdlWindow);
    });
    return TRUE;
}

// ---- Default processing

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

void CWnd::OnPaint()
{
    CPaintDC dc(this);
    DefaultPaint(&dc);
}

void CWnd::DefaultPaint(CDC*) {}

BOOL CWnd::OnEraseBkgnd(CDC* pDC) { return DefaultEraseBkgnd(pDC); }

BOOL CWnd::DefaultEraseBkgnd(CDC*) { return FALSE; }

void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnMouseHover(UINT, CPoint) {}
void CWnd::OnMouseLeave() {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnKeyDown(UINT, UINT, UINT) {}
void CWnd::OnChar(UINT, UINT, UINT) {}
void CWnd::OnSetFocus(CWnd*) {}
void CWnd::OnKillFocus(CWnd*) {}
BOOL CWnd::OnCommand(UINT, UINT) { return FALSE; }

void CWnd::OnDrawItem(UINT, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (CWnd* pItem = FromHandle(lpDrawItemStruct->hwndItem))
        pItem->DrawItem(lpDrawItemStruct);
}

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    return pWnd ? pWnd->CtlColor(pDC, nCtlColor) : nullptr;
}

void CWnd::OnWindowClose()
{
    DestroyWindow();
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* pTrack)
{
    if (!pTrack || !pTrack->hwndTrack)
        return FALSE;
    CWindowSystem::Get().TrackMouse(pTrack->hwndTrack, pTrack->dwFlags, pTrack->dwHoverTime);
    return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL)
{
    if (!m_hWnd || !hIcon || !m_hWnd->IsTopLevel() || !m_hWnd->pSdlWindow)
        return nullptr;
    cairo_surface_t* png = DecodePng(hIcon->pData, hIcon->nSize);
    if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(png);
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(png), cairo_image_surface_get_width(png), cairo_image_surface_get_height(png),
            32, cairo_image_surface_get_stride(png), SDL_PIXELFORMAT_ARGB8888);
        if (surface) {
            SDL_SetWindowIcon(m_hWnd->pSdlWindow, surface);
            SDL_FreeSurface(surface);
        }
    }
    cairo_surface_destroy(png);
    return hIcon;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse)
{
    if (!m_hWnd)
        return 0;
    OnWindowThread(m_hWnd, [nIDEvent, nElapse](HWND h) { CWindowSystem::Get().SetTimer(h, nIDEvent, nElapse); });
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!m_hWnd)
        return FALSE;
    OnWindowThread(m_hWnd, [nIDEvent](HWND h) { CWindowSystem::Get().KillTimer(h, nIDEvent); });
    return TRUE;
}

CWindowTarget CWnd::GetWindowTarget() const
{
    return m_hWnd ? CWindowTarget(m_hWnd, CWindowSystem::Get().SerialOf(m_hWnd)) : CWindowTarget();
}

void CWindowTarget::Post(std::function<void()> task) const
{
    if (!m_hWnd)
        return;
    CWindowSystem::Get().Post([hWnd = m_hWnd, serial = m_nSerial, task = std::move(task)]() {
        if (CWindowSystem::Get().IsAlive(hWnd, serial))
            task();
    });
}

void CWnd::BeginMoveDrag()
{
    if (m_hWnd)
        CWindowSystem::Get().BeginMoveDrag(CWindowSystem::Get().TopLevelOf(m_hWnd));
}
