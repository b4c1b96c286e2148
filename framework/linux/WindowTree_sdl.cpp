// The Linux backend's window tree: SDL windows for top-level windows, child
// windows as rectangles inside them, their places, sizes and visibility.
#include "framework/linux/SdlWindowBackend.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <algorithm>
#include <unordered_map>

#include <sys/stat.h>

#include "base/linux/OwnEnvironment.h"
#include "framework/Wnd.h"
#include "framework/linux/GdiTypes.h"
#include "framework/linux/XErrorFilter.h"

namespace
{
std::unordered_map<HWND, uint64_t> g_live; // UI thread only

// The user's session bus: named in the environment, or the socket the
// session keeps in its runtime folder.
bool HasSessionBus()
{
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st
    {
    };
    return pszRuntime && *pszRuntime && ::stat((std::string(pszRuntime) + "/bus").c_str(), &st) == 0 &&
           S_ISSOCK(st.st_mode);
}

// SDL reaches input methods over the session bus. Where there is none, the
// D-Bus library would start one: a launcher looked up through PATH, run with
// our rights (an administrator's), leaving a daemon behind. An address that
// connects nowhere keeps it from that. Set before main, while the process has
// one thread; the programs we start get the environment without it.
const bool g_bNoSessionBusLaunched = [] {
    if (!HasSessionBus())
        SetForThisProcessOnly("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    return true;
}();
} // namespace

IWindowBackend& PlatformWindowBackend()
{
    // Never destroyed: workers may still post while the process exits.
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
        DropBacking(hWnd);
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
    if (cx != cxWanted || cy != cyWanted) {
        hTop->bWindowSurfaceStale = true;
        SDL_SetWindowSize(hTop->pSdlWindow, cxWanted, cyWanted);
    }
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
