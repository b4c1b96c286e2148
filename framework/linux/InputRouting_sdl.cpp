// The Linux backend's input routing: hit testing through the window tree,
// capture, focus, hover and leave, keys and text, and moving a window by drag.
#include "framework/linux/SdlWindowBackend.h"

#include <SDL.h>

#include "base/Utf8.h"
#include "framework/Wnd.h"
#include "framework/linux/GlobalPointer.h"

void CSdlWindowBackend::SetCapture(HWND hWnd)
{
    m_hCapture = hWnd;
    SDL_CaptureMouse(hWnd ? SDL_TRUE : SDL_FALSE);
}

void CSdlWindowBackend::SetFocus(HWND hWnd)
{
    if (m_hFocus == hWnd)
        return;
    HWND hOld = m_hFocus;
    uint64_t nOldSerial = SerialOf(hOld);
    m_hFocus = hWnd;
    if (hOld && IsAlive(hOld, nOldSerial) && hOld->pWnd)
        hOld->pWnd->OnKillFocus(hWnd ? hWnd->pWnd : nullptr);
    if (hWnd && m_hFocus == hWnd && hWnd->pWnd)
        hWnd->pWnd->OnSetFocus(hOld && IsAlive(hOld, nOldSerial) ? hOld->pWnd : nullptr);
}

void CSdlWindowBackend::TrackMouse(HWND hWnd, DWORD dwFlags, DWORD dwHoverMs)
{
    if (dwFlags & TME_CANCEL) {
        if (m_hTracked == hWnd)
            m_dwTrackFlags &= ~dwFlags;
        return;
    }
    if (m_hTracked != hWnd)
        m_dwTrackFlags = 0;
    m_hTracked = hWnd;
    m_dwTrackFlags |= dwFlags & (TME_HOVER | TME_LEAVE);
    if (dwFlags & TME_HOVER) {
        m_dwHoverMs = dwHoverMs ? dwHoverMs : 400;
        m_hoverDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_dwHoverMs);
    }
    // Asking to track a window the pointer is not over gives an immediate leave.
    if ((dwFlags & TME_LEAVE) && m_hMouseOver != hWnd) {
        m_dwTrackFlags = 0;
        if (hWnd->pWnd)
            hWnd->pWnd->OnMouseLeave();
    }
}

void CSdlWindowBackend::SetMouseOver(HWND hWnd)
{
    if (m_hMouseOver == hWnd)
        return;
    m_hMouseOver = hWnd;
    if (m_hTracked && m_hTracked != hWnd && (m_dwTrackFlags & TME_LEAVE)) {
        HWND hLeft = m_hTracked;
        m_hTracked = nullptr;
        m_dwTrackFlags = 0;
        if (hLeft->pWnd)
            hLeft->pWnd->OnMouseLeave();
    }
}

void CSdlWindowBackend::CheckHoverTimer()
{
    if (!m_hTracked || !(m_dwTrackFlags & TME_HOVER))
        return;
    if (std::chrono::steady_clock::now() < m_hoverDeadline)
        return;
    m_dwTrackFlags &= ~TME_HOVER;
    if (m_hMouseOver != m_hTracked || !m_hTracked->pWnd)
        return;
    CPoint origin = OriginInTopLevel(m_hTracked);
    CPoint pt(m_ptLastMouse.x - origin.x, m_ptLastMouse.y - origin.y);
    m_hTracked->pWnd->OnMouseHover(m_bLButtonDown ? MK_LBUTTON : 0, pt);
}

void CSdlWindowBackend::BeginMoveDrag(HWND hTop)
{
    if (!hTop || !hTop->IsTopLevel())
        return;
    // The drag starts where the button went down, wherever the pointer has
    // got to by the time the press is handled.
    m_hDragged = hTop;
    m_ptDragPointerStart = CPoint(hTop->rect.left + m_ptLastMouse.x, hTop->rect.top + m_ptLastMouse.y);
    m_ptDragWindowStart = hTop->rect.TopLeft();
    SDL_CaptureMouse(SDL_TRUE);
}

// SDL drops motion events while the window moves under the pointer, so the
// drag follows the pointer's global position instead, polled while it lasts.
void CSdlWindowBackend::FollowMoveDrag()
{
    if (!m_hDragged)
        return;
    int x = 0, y = 0;
    bool bLeftDown = false;
    if (!QueryGlobalPointer(x, y, bLeftDown) || !bLeftDown) {
        m_hDragged = nullptr;
        m_bLButtonDown = false;
        SDL_CaptureMouse(SDL_FALSE);
        return;
    }
    const CPoint target(m_ptDragWindowStart.x + x - m_ptDragPointerStart.x,
                        m_ptDragWindowStart.y + y - m_ptDragPointerStart.y);
    if (target == m_hDragged->rect.TopLeft())
        return;
    m_hDragged->rect.OffsetRect(target.x - m_hDragged->rect.left, target.y - m_hDragged->rect.top);
    SDL_SetWindowPosition(m_hDragged->pSdlWindow, target.x, target.y);
}

HWND CSdlWindowBackend::HitTest(HWND hWnd, CPoint pt) const
{
    for (auto it = hWnd->children.rbegin(); it != hWnd->children.rend(); ++it) {
        HWND child = *it;
        if (!(child->dwStyle & WS_VISIBLE) || !child->rect.PtInRect(pt))
            continue;
        if (child->pClass->IsMouseTransparent())
            continue;
        return HitTest(child, CPoint(pt.x - child->rect.left, pt.y - child->rect.top));
    }
    return hWnd;
}

bool CSdlWindowBackend::AcceptsInput(HWND hTop) const
{
    HWND hModal = InnermostModal();
    return hTop && (!hModal || hModal == hTop);
}

void CSdlWindowBackend::HandleMouseMove(HWND hTop, CPoint pt)
{
    m_ptLastMouse = pt;
    HWND hTarget = m_hCapture ? m_hCapture : HitTest(hTop, pt);
    SetMouseOver(m_hCapture ? HitTest(hTop, pt) : hTarget);
    if (!hTarget || !hTarget->pWnd)
        return;
    if (m_hTracked == hTarget && (m_dwTrackFlags & TME_HOVER))
        m_hoverDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_dwHoverMs);
    CPoint origin = OriginInTopLevel(hTarget);
    UINT flags = m_nModifiers | (m_bLButtonDown ? MK_LBUTTON : 0);
    hTarget->pWnd->OnMouseMove(flags, CPoint(pt.x - origin.x, pt.y - origin.y));
}

void CSdlWindowBackend::HandleMouseButton(HWND hTop, CPoint pt, bool bDown)
{
    m_ptLastMouse = pt;
    m_bLButtonDown = bDown;
    HWND hTarget = m_hCapture ? m_hCapture : HitTest(hTop, pt);
    if (!hTarget || !hTarget->pWnd)
        return;
    CPoint origin = OriginInTopLevel(hTarget);
    CPoint ptClient(pt.x - origin.x, pt.y - origin.y);
    UINT flags = m_nModifiers | (bDown ? MK_LBUTTON : 0);
    if (bDown) {
        if (hTarget->pClass->WantsFocusOnClick())
            SetFocus(hTarget);
        hTarget->pWnd->OnLButtonDown(flags, ptClient);
    } else {
        hTarget->pWnd->OnLButtonUp(flags, ptClient);
    }
}

void CSdlWindowBackend::HandleKey(HWND hTop, UINT vk, bool bDown, UINT nModifiers)
{
    m_nModifiers = nModifiers;
    // The modifier keys themselves count as soon as they go down.
    if (vk == VK_SHIFT)
        m_nModifiers = bDown ? (m_nModifiers | MK_SHIFT) : (m_nModifiers & ~MK_SHIFT);
    if (vk == VK_CONTROL)
        m_nModifiers = bDown ? (m_nModifiers | MK_CONTROL) : (m_nModifiers & ~MK_CONTROL);
    if (!bDown || vk == 0)
        return;
    HWND hTarget = (m_hFocus && TopLevelOf(m_hFocus) == hTop) ? m_hFocus : hTop;
    MSG msg{};
    msg.hwnd = hTarget;
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    // Every window from the target up to its top-level window sees the key first.
    for (HWND h = hTarget; h; h = h->pParent) {
        uint64_t serial = h->nSerial;
        if (h->pWnd && h->pWnd->PreTranslateMessage(&msg)) {
            if (vk == VK_SPACE)
                m_bSuppressSpaceText = true;
            return;
        }
        if (!IsAlive(h, serial))
            return;
    }
    if (hTarget->pWnd)
        hTarget->pWnd->OnKeyDown(vk, 1, 0);
}

void CSdlWindowBackend::HandleText(HWND hTop, const char* utf8)
{
    std::wstring text = FromUtf8(utf8);
    // A swallowed Space key must not come back as a typed space.
    if (m_bSuppressSpaceText && text == L" ") {
        m_bSuppressSpaceText = false;
        return;
    }
    m_bSuppressSpaceText = false;
    HWND hTarget = (m_hFocus && TopLevelOf(m_hFocus) == hTop) ? m_hFocus : nullptr;
    if (!hTarget || !hTarget->pWnd)
        return;
    uint64_t serial = hTarget->nSerial;
    for (wchar_t c : text) {
        if (!IsAlive(hTarget, serial))
            return;
        hTarget->pWnd->OnChar(static_cast<UINT>(c), 1, 0);
    }
}

void CSdlWindowBackend::InjectMouseMove(HWND hTop, CPoint pt)
{
    if (AcceptsInput(hTop))
        HandleMouseMove(hTop, pt);
}

void CSdlWindowBackend::InjectMouseButton(HWND hTop, CPoint pt, bool bDown)
{
    if (AcceptsInput(hTop))
        HandleMouseButton(hTop, pt, bDown);
}

void CSdlWindowBackend::InjectKey(HWND hTop, UINT vk, bool bDown, UINT nModifiers)
{
    if (AcceptsInput(hTop))
        HandleKey(hTop, vk, bDown, nModifiers);
}

void CSdlWindowBackend::InjectText(HWND hTop, const std::string& utf8)
{
    if (AcceptsInput(hTop))
        HandleText(hTop, utf8.c_str());
}
