#include "framework/linux/SdlWindowBackend.h"

#include <cstring>

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "base/Utf8.h"
#include "framework/Wnd.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/GlobalPointer.h"
#include "framework/linux/XErrorFilter.h"

namespace
{
// Workers may still post while the process exits, so the queue outlives
// every static destructor: it is never destroyed.
struct PostQueue
{
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
};
PostQueue& Queue()
{
    static PostQueue* s_queue = new PostQueue;
    return *s_queue;
}
std::unordered_map<HWND, uint64_t> g_live; // UI thread only

UINT VirtualKeyFromSdl(SDL_Keycode key)
{
    switch (key) {
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    default:
        break;
    }
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<UINT>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<UINT>('0' + (key - SDLK_0));
    return 0;
}

UINT ModifiersFromSdl(uint16_t mod)
{
    UINT flags = 0;
    if (mod & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}
} // namespace

IWindowBackend& PlatformWindowBackend()
{
    // Never destroyed, for the same reason as the post queue.
    static CSdlWindowBackend* s_backend = new CSdlWindowBackend;
    return *s_backend;
}

bool CSdlWindowBackend::Start()
{
    // Without this SDL builds a GL renderer behind every window surface: five
    // times the memory and a slow first frame, for pixels we draw ourselves.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return false;
    // Only now: while the process has a single thread, the C library skips
    // the stream locks that SDL's input-method set-up takes by the thousand.
    StartLoadingFontConfiguration();
    // Text input starts only when an edit field takes the focus.
    SDL_StopTextInput();
    m_nPostEvent = SDL_RegisterEvents(1);
    m_bInitialised = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
        IgnoreSendEventToDestroyedWindows();
    return true;
}

bool CSdlWindowBackend::ShowsWindows() const
{
    const char* driver = m_bInitialised ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

HWND CSdlWindowBackend::CreateNative(CWnd* pWnd, LPCWSTR pszClassName, DWORD dwExStyle, LPCWSTR pszText, DWORD dwStyle,
                                     const RECT& rcWindow, HWND hParent, UINT nId)
{
    const CRect rect(rcWindow);
    auto* node = new HWND__;
    node->pWnd = pWnd;
    node->pClass = CreateWindowClass(pszClassName, *pWnd);
    node->dwStyle = dwStyle & ~WS_VISIBLE;
    node->dwExStyle = dwExStyle;
    node->nId = nId;
    node->text = pszText ? pszText : L"";
    node->rect = rect;
    node->nSerial = m_nNextSerial++;
    g_live[node] = node->nSerial;

    if ((dwStyle & WS_CHILD) && hParent) {
        node->pParent = hParent;
        hParent->children.push_back(node);
    } else {
        node->pOwner = hParent;
        Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
        if (!(dwExStyle & WS_EX_APPWINDOW) && hParent)
            flags |= SDL_WINDOW_SKIP_TASKBAR;
        node->pSdlWindow =
            SDL_CreateWindow("", rect.left, rect.top, std::max(1, rect.Width()), std::max(1, rect.Height()), flags);
        if (!node->pSdlWindow) {
            g_live.erase(node);
            delete node;
            return nullptr;
        }
        SDL_SetWindowData(node->pSdlWindow, "hwnd", node);
        // The window manager keeps an owned window (a message box) above its owner.
        if (hParent && hParent->pSdlWindow)
            SDL_SetWindowModalFor(node->pSdlWindow, hParent->pSdlWindow);
        m_topLevels.push_back(node);
        RecreateBacking(node);
    }
    pWnd->m_hWnd = node;
    pWnd->SetPostTarget(node, node->nSerial);
    pWnd->PreSubclassWindow();
    if (dwStyle & WS_VISIBLE)
        Show(node, true);
    return node;
}

void CSdlWindowBackend::DestroyWindowNode(HWND hWnd)
{
    if (!hWnd || !g_live.count(hWnd))
        return;
    if (hWnd->pWnd)
        hWnd->pWnd->OnDestroy();
    while (!hWnd->children.empty())
        DestroyWindowNode(hWnd->children.back());

    if (m_hCapture == hWnd)
        m_hCapture = nullptr;
    if (m_hFocus == hWnd)
        m_hFocus = nullptr;
    if (m_hMouseOver == hWnd)
        m_hMouseOver = nullptr;
    if (m_hTracked == hWnd) {
        m_hTracked = nullptr;
        m_dwTrackFlags = 0;
    }
    if (m_hDragged == hWnd) {
        m_hDragged = nullptr;
        SDL_CaptureMouse(SDL_FALSE);
    }
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(), [hWnd](const Timer& t) { return t.hWnd == hWnd; }),
                   m_timers.end());

    if (hWnd->pParent) {
        auto& siblings = hWnd->pParent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hWnd), siblings.end());
        if (hWnd->dwStyle & WS_VISIBLE) {
            CRect rc = hWnd->rect;
            Invalidate(hWnd->pParent, &rc, true);
        }
    } else {
        m_topLevels.erase(std::remove(m_topLevels.begin(), m_topLevels.end(), hWnd), m_topLevels.end());
        if (hWnd->pBacking)
            cairo_surface_destroy(hWnd->pBacking);
        if (hWnd->pSdlWindow)
            SDL_DestroyWindow(hWnd->pSdlWindow);
        GiveFocusBackToOwner(hWnd->pOwner);
    }
    if (hWnd->pWnd) {
        hWnd->pWnd->SetPostTarget(nullptr, 0);
        hWnd->pWnd->m_hWnd = nullptr;
    }
    g_live.erase(hWnd);
    delete hWnd;
}

bool CSdlWindowBackend::IsAlive(HWND hWnd, uint64_t nSerial) const
{
    auto it = g_live.find(hWnd);
    return it != g_live.end() && it->second == nSerial;
}

HWND CSdlWindowBackend::TopLevelOf(HWND hWnd) const
{
    while (hWnd && hWnd->pParent)
        hWnd = hWnd->pParent;
    return hWnd;
}

CPoint CSdlWindowBackend::OriginInTopLevel(HWND hWnd) const
{
    CPoint pt;
    for (HWND h = hWnd; h && h->pParent; h = h->pParent) {
        pt.x += h->rect.left;
        pt.y += h->rect.top;
    }
    return pt;
}

CRect CSdlWindowBackend::VisibleRectInTopLevel(HWND hWnd) const
{
    CPoint origin = OriginInTopLevel(hWnd);
    CRect visible(origin.x, origin.y, origin.x + hWnd->rect.Width(), origin.y + hWnd->rect.Height());
    // A child never draws outside its ancestors.
    for (HWND h = hWnd->pParent; h; h = h->pParent) {
        CPoint o = OriginInTopLevel(h);
        visible = CRect::Intersect(visible, CRect(o.x, o.y, o.x + h->rect.Width(), o.y + h->rect.Height()));
    }
    return visible;
}

bool CSdlWindowBackend::IsVisible(HWND hWnd) const
{
    for (HWND h = hWnd; h; h = h->pParent)
        if (!(h->dwStyle & WS_VISIBLE))
            return false;
    return hWnd != nullptr;
}

void CSdlWindowBackend::RecreateBacking(HWND hTop)
{
    const int w = std::max(1, hTop->rect.Width());
    const int h = std::max(1, hTop->rect.Height());
    if (hTop->pBacking) {
        if (cairo_image_surface_get_width(hTop->pBacking) == w && cairo_image_surface_get_height(hTop->pBacking) == h)
            return;
        cairo_surface_destroy(hTop->pBacking);
    }
    hTop->pBacking = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
}

cairo_surface_t* CSdlWindowBackend::BackingOf(HWND hWnd) const
{
    HWND top = TopLevelOf(hWnd);
    return top ? top->pBacking : nullptr;
}

void CSdlWindowBackend::Show(HWND hWnd, bool bShow)
{
    const bool bWasVisible = (hWnd->dwStyle & WS_VISIBLE) != 0;
    if (bWasVisible == bShow)
        return;
    if (bShow)
        hWnd->dwStyle |= WS_VISIBLE;
    else
        hWnd->dwStyle &= ~WS_VISIBLE;

    if (hWnd->IsTopLevel()) {
        if (bShow) {
            ApplyTopLevelRect(hWnd);
            SDL_ShowWindow(hWnd->pSdlWindow);
            RaiseTopLevel(hWnd);
            Invalidate(hWnd, nullptr, true);
        } else {
            SDL_HideWindow(hWnd->pSdlWindow);
        }
        return;
    }
    if (bShow) {
        Invalidate(hWnd, nullptr, true);
    } else {
        // What the hidden window covered must be drawn again by its parent.
        CRect rc = hWnd->rect;
        Invalidate(hWnd->pParent, &rc, true);
        // A hidden window's children are hidden too: none may keep the keyboard or mouse.
        auto inside = [hWnd](HWND h) {
            for (; h; h = h->pParent)
                if (h == hWnd)
                    return true;
            return false;
        };
        if (inside(m_hFocus))
            SetFocus(nullptr);
        if (inside(m_hCapture))
            SetCapture(nullptr);
    }
}

void CSdlWindowBackend::ApplyTopLevelRect(HWND hTop)
{
    int x = 0, y = 0, cx = 0, cy = 0;
    SDL_GetWindowPosition(hTop->pSdlWindow, &x, &y);
    SDL_GetWindowSize(hTop->pSdlWindow, &cx, &cy);
    if (x != hTop->rect.left || y != hTop->rect.top)
        SDL_SetWindowPosition(hTop->pSdlWindow, hTop->rect.left, hTop->rect.top);
    const int cxWanted = std::max<int>(1, hTop->rect.Width());
    const int cyWanted = std::max<int>(1, hTop->rect.Height());
    if (cx != cxWanted || cy != cyWanted)
        SDL_SetWindowSize(hTop->pSdlWindow, cxWanted, cyWanted);
}

void CSdlWindowBackend::SetPos(HWND hWnd, const CRect& rect, bool bMove, bool bSize, bool bRaise)
{
    CRect rcNew = hWnd->rect;
    if (bMove) {
        rcNew.OffsetRect(rect.left - rcNew.left, rect.top - rcNew.top);
    }
    if (bSize) {
        rcNew.right = rcNew.left + std::max<LONG>(0, rect.Width());
        rcNew.bottom = rcNew.top + std::max<LONG>(0, rect.Height());
    }
    const bool bVisible = (hWnd->dwStyle & WS_VISIBLE) != 0;

    if (hWnd->IsTopLevel()) {
        hWnd->rect = rcNew;
        // Each change waits for the X server to carry it out; a hidden window
        // gets its place and size when it is shown.
        if (bVisible)
            ApplyTopLevelRect(hWnd);
        RecreateBacking(hWnd);
        if (bRaise && bVisible)
            RaiseTopLevel(hWnd);
        Invalidate(hWnd, nullptr, true);
        return;
    }

    const CRect rcOld = hWnd->rect;
    hWnd->rect = rcNew;
    if (bRaise) {
        auto& siblings = hWnd->pParent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hWnd), siblings.end());
        siblings.push_back(hWnd);
    }
    if (bVisible && rcOld != rcNew) {
        Invalidate(hWnd->pParent, &rcOld, true);
        Invalidate(hWnd, nullptr, true);
    } else if (bVisible && bRaise) {
        Invalidate(hWnd, nullptr, true);
    }
}

void CSdlWindowBackend::Invalidate(HWND hWnd, const CRect* pRect, bool bErase)
{
    CRect rcClient(0, 0, hWnd->rect.Width(), hWnd->rect.Height());
    CRect rc = pRect ? CRect::Intersect(*pRect, rcClient) : rcClient;
    if (rc.IsRectEmpty())
        return;
    hWnd->rcUpdate = CRect::Union(hWnd->rcUpdate, rc);
    hWnd->bErase = hWnd->bErase || bErase;
    // A parent that does not clip its children paints over them, so they are
    // drawn again after it.
    if (!(hWnd->dwStyle & WS_CLIPCHILDREN))
        InvalidateChildren(hWnd, rc, bErase);
}

void CSdlWindowBackend::InvalidateChildren(HWND hWnd, const CRect& rcClient, bool bErase)
{
    for (HWND child : hWnd->children) {
        if (!(child->dwStyle & WS_VISIBLE))
            continue;
        CRect overlap = CRect::Intersect(rcClient, child->rect);
        if (overlap.IsRectEmpty())
            continue;
        overlap.OffsetRect(-child->rect.left, -child->rect.top);
        Invalidate(child, &overlap, bErase);
    }
}

void CSdlWindowBackend::UpdateWindow(HWND hWnd)
{
    if (IsVisible(hWnd)) {
        PaintTree(hWnd);
        Present(TopLevelOf(hWnd));
    }
}

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

int CSdlWindowBackend::MillisecondsToNextTimer() const
{
    if (m_hDragged)
        return 10;
    bool bAny = false;
    std::chrono::steady_clock::time_point next;
    if (m_hTracked && (m_dwTrackFlags & TME_HOVER)) {
        next = m_hoverDeadline;
        bAny = true;
    }
    for (const Timer& timer : m_timers) {
        if (!bAny || timer.due < next)
            next = timer.due;
        bAny = true;
    }
    if (!bAny)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

void CSdlWindowBackend::SetTimer(HWND hWnd, UINT_PTR nId, UINT nElapse)
{
    KillTimer(hWnd, nId);
    auto interval = std::chrono::milliseconds(std::max<UINT>(nElapse, 10));
    m_timers.push_back({hWnd, hWnd->nSerial, nId, interval, std::chrono::steady_clock::now() + interval});
}

bool CSdlWindowBackend::KillTimer(HWND hWnd, UINT_PTR nId)
{
    auto it = std::remove_if(m_timers.begin(), m_timers.end(),
                             [&](const Timer& t) { return t.hWnd == hWnd && t.nId == nId; });
    bool bFound = it != m_timers.end();
    m_timers.erase(it, m_timers.end());
    return bFound;
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

void CSdlWindowBackend::RunDueTimers()
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<Timer> due;
    for (Timer& timer : m_timers) {
        if (timer.due <= now) {
            due.push_back(timer);
            // A late timer fires once, not once for every period it missed.
            timer.due = now + timer.interval;
        }
    }
    for (const Timer& timer : due)
        if (IsAlive(timer.hWnd, timer.nSerial) && timer.hWnd->pWnd)
            timer.hWnd->pWnd->OnTimer(timer.nId);
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

HWND CSdlWindowBackend::TopLevelFromSdl(uint32_t nWindowId) const
{
    SDL_Window* window = SDL_GetWindowFromID(nWindowId);
    if (!window)
        return nullptr;
    return static_cast<HWND>(SDL_GetWindowData(window, "hwnd"));
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

void CSdlWindowBackend::HandleEvent(const SDL_Event& event)
{
    if (event.type == m_nPostEvent)
        return; // only wakes the loop; the queue is drained separately
    switch (event.type) {
    case SDL_MOUSEMOTION: {
        HWND hTop = TopLevelFromSdl(event.motion.windowID);
        if (AcceptsInput(hTop))
            HandleMouseMove(hTop, CPoint(event.motion.x, event.motion.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (event.button.button != SDL_BUTTON_LEFT)
            break;
        HWND hTop = TopLevelFromSdl(event.button.windowID);
        if (AcceptsInput(hTop))
            HandleMouseButton(hTop, CPoint(event.button.x, event.button.y), event.type == SDL_MOUSEBUTTONDOWN);
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        HWND hTop = TopLevelFromSdl(event.key.windowID);
        if (AcceptsInput(hTop))
            HandleKey(hTop, VirtualKeyFromSdl(event.key.keysym.sym), event.type == SDL_KEYDOWN,
                      ModifiersFromSdl(event.key.keysym.mod));
        break;
    }
    case SDL_TEXTINPUT: {
        HWND hTop = TopLevelFromSdl(event.text.windowID);
        if (AcceptsInput(hTop))
            HandleText(hTop, event.text.text);
        break;
    }
    case SDL_WINDOWEVENT: {
        HWND hTop = TopLevelFromSdl(event.window.windowID);
        if (!hTop)
            break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            hTop->bPresentPending = true;
            hTop->rcDrawn = CRect(0, 0, hTop->rect.Width(), hTop->rect.Height());
            break;
        case SDL_WINDOWEVENT_MOVED:
            hTop->rect.OffsetRect(event.window.data1 - hTop->rect.left, event.window.data2 - hTop->rect.top);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            if (!m_hCapture && TopLevelOf(m_hMouseOver) == hTop)
                SetMouseOver(nullptr);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            Invalidate(hTop, nullptr, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            // Activating a window behind a running modal box brings the box back up.
            KeepModalOnTop(hTop);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            if (AcceptsInput(hTop) && hTop->pWnd)
                hTop->pWnd->OnWindowClose();
            break;
        default:
            break;
        }
        break;
    }
    case SDL_QUIT:
        // A request to close (SIGTERM, SIGINT), as the window manager's close.
        CWindowSystem::Get().AskToClose();
        break;
    default:
        break;
    }
}

void CSdlWindowBackend::Post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(Queue().mutex);
        Queue().posted.push_back(std::move(task));
    }
    Wake();
}

void CSdlWindowBackend::Wake()
{
    if (m_bInitialised) {
        SDL_Event wake{};
        wake.type = m_nPostEvent;
        SDL_PushEvent(&wake);
    }
}

void CSdlWindowBackend::DrainPosted()
{
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(Queue().mutex);
        tasks.swap(Queue().posted);
    }
    for (auto& task : tasks)
        task();
}

bool CSdlWindowBackend::HasPendingPaint(HWND hWnd) const
{
    if (!(hWnd->dwStyle & WS_VISIBLE))
        return false;
    if (!hWnd->rcUpdate.IsRectEmpty())
        return true;
    for (HWND child : hWnd->children)
        if (HasPendingPaint(child))
            return true;
    return false;
}

void CSdlWindowBackend::PaintTree(HWND hWnd)
{
    if (!(hWnd->dwStyle & WS_VISIBLE))
        return;
    uint64_t serial = hWnd->nSerial;
    if (!hWnd->rcUpdate.IsRectEmpty() && hWnd->pWnd) {
        hWnd->pWnd->OnPaint();
        if (!IsAlive(hWnd, serial))
            return;
        // A paint handler that never began painting still leaves the window valid.
        hWnd->rcUpdate = CRect();
        hWnd->bErase = false;
        TopLevelOf(hWnd)->bPresentPending = true;
    }
    // Children paint after (over) their parent, bottom of the z-order first.
    // A paint may destroy windows, so each is looked up again before use.
    std::vector<std::pair<HWND, uint64_t>> children;
    for (HWND child : hWnd->children)
        children.emplace_back(child, child->nSerial);
    for (const auto& [child, childSerial] : children)
        if (IsAlive(child, childSerial))
            PaintTree(child);
}

void CSdlWindowBackend::Present(HWND hTop)
{
    if (!hTop || !hTop->pSdlWindow || !hTop->pBacking || !(hTop->dwStyle & WS_VISIBLE))
        return;
    hTop->bPresentPending = false;
    SDL_Surface* surface = SDL_GetWindowSurface(hTop->pSdlWindow);
    if (!surface)
        return;
    cairo_surface_flush(hTop->pBacking);
    const int w = std::min(surface->w, cairo_image_surface_get_width(hTop->pBacking));
    const int h = std::min(surface->h, cairo_image_surface_get_height(hTop->pBacking));
    // A new window surface (the first, or one after a resize) holds nothing yet.
    CRect rcPresent =
        surface == hTop->pPresentedTo ? CRect::Intersect(hTop->rcDrawn, CRect(0, 0, w, h)) : CRect(0, 0, w, h);
    hTop->rcDrawn = CRect();
    hTop->pPresentedTo = surface;
    if (rcPresent.IsRectEmpty())
        return;
    const int srcStride = cairo_image_surface_get_stride(hTop->pBacking);
    const unsigned char* src = cairo_image_surface_get_data(hTop->pBacking);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(src), w, h, 32, srcStride,
                                                             SDL_PIXELFORMAT_RGB888);
    if (!source)
        return;
    SDL_Rect rc{rcPresent.left, rcPresent.top, rcPresent.Width(), rcPresent.Height()};
    SDL_BlitSurface(source, &rc, surface, &rc);
    SDL_FreeSurface(source);
    // Only the part that changed goes to the server: a moving progress bar is
    // a few kilobytes a step instead of the whole window.
    SDL_UpdateWindowSurfaceRects(hTop->pSdlWindow, &rc, 1);
}

void CSdlWindowBackend::NoteDrawing(HWND hWnd, const CRect& rcInTop)
{
    HWND top = TopLevelOf(hWnd);
    if (top && !rcInTop.IsRectEmpty())
        top->rcDrawn = CRect::Union(top->rcDrawn, rcInTop);
}

void CSdlWindowBackend::PaintAll()
{
    std::vector<std::pair<HWND, uint64_t>> tops;
    for (HWND top : m_topLevels)
        tops.emplace_back(top, top->nSerial);
    for (const auto& [top, serial] : tops) {
        if (!IsAlive(top, serial))
            continue;
        PaintTree(top);
        if (IsAlive(top, serial) && top->bPresentPending)
            Present(top);
    }
}

void CSdlWindowBackend::RaiseTopLevel(HWND hTop)
{
    if (!hTop || !hTop->pSdlWindow || !(hTop->dwStyle & WS_VISIBLE))
        return;
    SDL_RaiseWindow(hTop->pSdlWindow);
    KeepModalOnTop(hTop);
}

void CSdlWindowBackend::GiveFocusBackToOwner(HWND hOwner)
{
    // As Windows activates the owner of a window that closes; without a
    // window manager nobody else would, and the keyboard would go nowhere.
    if (!hOwner || !g_live.count(hOwner) || !ShowsWindows())
        return;
    RaiseTopLevel(hOwner);
    if (hOwner->pSdlWindow && (hOwner->dwStyle & WS_VISIBLE))
        SDL_SetWindowInputFocus(hOwner->pSdlWindow);
}

void CSdlWindowBackend::KeepModalOnTop(HWND hRaised)
{
    HWND hModal = InnermostModal();
    if (!hModal)
        return;
    if (hModal != hRaised && hModal->pSdlWindow && (hModal->dwStyle & WS_VISIBLE))
        SDL_RaiseWindow(hModal->pSdlWindow);
}

bool CSdlWindowBackend::HandlePending()
{
    DrainPosted();
    SDL_Event event;
    while (SDL_PollEvent(&event))
        HandleEvent(event);
    DrainPosted();
    CheckHoverTimer();
    RunDueTimers();
    FollowMoveDrag();
    PaintAll();

    bool bPending = false;
    for (HWND top : m_topLevels)
        bPending = bPending || HasPendingPaint(top);
    std::lock_guard<std::mutex> lock(Queue().mutex);
    return bPending || !Queue().posted.empty();
}

void CSdlWindowBackend::WaitForEvent(int nMaxWaitMs)
{
    int wait = nMaxWaitMs;
    int timer = MillisecondsToNextTimer();
    if (timer >= 0 && (wait < 0 || timer < wait))
        wait = timer;
    if (wait < 0)
        SDL_WaitEvent(nullptr);
    else if (wait > 0)
        SDL_WaitEventTimeout(nullptr, wait);
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
