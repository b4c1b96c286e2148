#pragma once

// The Linux backend of the window core: SDL windows for top-level windows,
// child windows kept as a tree of rectangles inside them, one backing surface
// per top-level window that all paints draw into, input routed through the
// tree, and the SDL event queue the core's loop waits on.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <cairo.h>

#include "base/Types.h"
#include "framework/WindowBackend.h"
#include "framework/WindowSystem.h"
#include "framework/linux/WindowClass.h"

class CWnd;

struct HWND__
{
    CWnd* pWnd = nullptr;
    HWND__* pParent = nullptr;     // null for a top-level window
    HWND__* pOwner = nullptr;      // owner of a top-level window
    std::vector<HWND__*> children; // bottom of the z-order first
    CRect rect;                    // parent client coordinates; screen for top-level
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    UINT nId = 0;
    std::wstring text;
    HFONT hFont = nullptr;
    std::unique_ptr<CWindowClass> pClass; // the class's default processing; never null
    CRect rcUpdate;                       // invalid part of the client area
    bool bErase = false;
    uint64_t nSerial = 0;

    // Top-level windows only.
    SDL_Window* pSdlWindow = nullptr;
    cairo_surface_t* pBacking = nullptr;
    // The window surface pBacking draws straight into, so that a present only
    // tells the X server what changed; null while the backing is a buffer of
    // its own (a hidden window whose new size waits for its showing, or a
    // surface cairo cannot draw into) that a present copies from.
    SDL_Surface* pBackingWindowSurface = nullptr;
    // The window's size changed since the surface was made: SDL makes a new
    // one, and frees this one, at the next request for it.
    bool bWindowSurfaceStale = false;
    bool bPresentPending = false;
    // The icon given, and the one the X server has; it goes there once the
    // window is idle.
    HICON hIcon = nullptr;
    HICON hIconShown = nullptr;
    bool bIconQueued = false;
    // What drawing may have changed since the last present, in the window's
    // coordinates: only that goes to the screen.
    CRect rcDrawn;
    SDL_Surface* pPresentedTo = nullptr; // the window surface last presented to

    bool IsTopLevel() const { return pParent == nullptr; }
};

class CSdlWindowBackend : public IWindowBackend
{
public:
    static CSdlWindowBackend& Get() { return static_cast<CSdlWindowBackend&>(CWindowSystem::Get().Backend()); }

    // Starts SDL video once; false when no display can be opened.
    bool Init() { return CWindowSystem::Get().Init(); }
    bool IsInitialised() const { return m_bInitialised; }
    // Whether the running video driver puts windows on a screen someone sees
    // (X11 or Wayland), as opposed to offscreen, dummy or a bare console.
    bool ShowsWindows() const;
    bool IsUiThread() const { return CWindowSystem::Get().IsWindowThread(); }

    // ---- IWindowBackend
    bool Start() override;
    HWND CreateNative(CWnd* pWnd, LPCWSTR pszClassName, DWORD dwExStyle, LPCWSTR pszText, DWORD dwStyle,
                      const RECT& rect, HWND hParent, UINT nId) override;
    bool IsAlive(HWND hWnd, uint64_t nSerial) const override;
    uint64_t SerialOf(HWND hWnd) const override { return hWnd ? hWnd->nSerial : 0; }
    void Post(std::function<void()> task) override;
    void Wake() override;
    bool HandlePending() override;
    void WaitForEvent(int nMaxWaitMs) override;

    void DestroyWindowNode(HWND hWnd);

    HWND TopLevelOf(HWND hWnd) const;
    // Origin of the window's client area in its top-level window's coordinates.
    CPoint OriginInTopLevel(HWND hWnd) const;
    // The part of the top-level surface the window may draw on (clipped by its ancestors).
    CRect VisibleRectInTopLevel(HWND hWnd) const;
    // Notes that rcInTop (top-level coordinates) of hWnd's window may be drawn on.
    void NoteDrawing(HWND hWnd, const CRect& rcInTop);
    bool IsVisible(HWND hWnd) const; // it and all its ancestors are visible

    void Show(HWND hWnd, bool bShow);
    void SetPos(HWND hWnd, const CRect& rect, bool bMove, bool bSize, bool bRaise);
    void Invalidate(HWND hWnd, const CRect* pRect, bool bErase);
    void UpdateWindow(HWND hWnd);

    void SetCapture(HWND hWnd);
    HWND GetCapture() const { return m_hCapture; }
    void SetFocus(HWND hWnd);
    HWND GetFocus() const { return m_hFocus; }
    void TrackMouse(HWND hWnd, DWORD dwFlags, DWORD dwHoverMs);
    void SetTimer(HWND hWnd, UINT_PTR nId, UINT nElapse);
    void BeginMoveDrag(HWND hTop);
    // Raises a top-level window, but never above a running modal box.
    void RaiseTopLevel(HWND hTop);
    bool KillTimer(HWND hWnd, UINT_PTR nId);
    UINT Modifiers() const { return m_nModifiers; }

    // Input goes only to the innermost modal window.
    HWND InnermostModal() const { return CWindowSystem::Get().InnermostModal(); }

    // Synthetic input, as a person's would arrive (tests and tools).
    void InjectMouseMove(HWND hTop, CPoint pt);
    void InjectMouseButton(HWND hTop, CPoint pt, bool bDown);
    void InjectKey(HWND hTop, UINT vk, bool bDown, UINT nModifiers);
    void InjectText(HWND hTop, const std::string& utf8);

    // The surface a window's drawing goes to: its top-level window's backing,
    // made or brought up to date first.
    cairo_surface_t* BackingOf(HWND hWnd);

private:
    void HandleEvent(const SDL_Event& event);
    void HandleMouseMove(HWND hTop, CPoint pt);
    void HandleMouseButton(HWND hTop, CPoint pt, bool bDown);
    void HandleKey(HWND hTop, UINT vk, bool bDown, UINT nModifiers);
    void HandleText(HWND hTop, const char* utf8);
    void DrainPosted();
    void PaintAll();
    void PaintTree(HWND hWnd);
    void Present(HWND hTop);
    bool HasPendingPaint(HWND hWnd) const;
    void CheckHoverTimer();
    void RunDueTimers();
    void FollowMoveDrag();
    void GiveFocusBackToOwner(HWND hOwner);
    void ApplyTopLevelRect(HWND hTop);
    void KeepModalOnTop(HWND hRaised);
    int MillisecondsToNextTimer() const;
    HWND HitTest(HWND hWnd, CPoint ptInClient) const;
    HWND TopLevelFromSdl(uint32_t nWindowId) const;
    bool AcceptsInput(HWND hTop) const;
    // Makes the backing fit the window; true when it is new and all that the
    // window showed is to be drawn again.
    bool UpdateBacking(HWND hTop);
    void DropBacking(HWND hTop);
    void InvalidateTree(HWND hWnd);
    void InvalidateChildren(HWND hWnd, const CRect& rcClient, bool bErase);
    void SetMouseOver(HWND hWnd);

    bool m_bInitialised = false;
    uint32_t m_nPostEvent = 0;
    uint64_t m_nNextSerial = 1;
    std::vector<HWND> m_topLevels;
    HWND m_hCapture = nullptr;
    HWND m_hFocus = nullptr;
    HWND m_hMouseOver = nullptr;

    // Mouse tracking (hover and leave) of one window at a time.
    HWND m_hTracked = nullptr;
    DWORD m_dwTrackFlags = 0;
    DWORD m_dwHoverMs = 0;
    std::chrono::steady_clock::time_point m_hoverDeadline;
    CPoint m_ptLastMouse; // top-level coordinates
    bool m_bSuppressSpaceText = false;
    UINT m_nModifiers = 0;
    bool m_bLButtonDown = false;

    struct Timer
    {
        HWND hWnd;
        uint64_t nSerial;
        UINT_PTR nId;
        std::chrono::milliseconds interval;
        std::chrono::steady_clock::time_point due;
    };
    std::vector<Timer> m_timers;

    // A window moved by the pointer: where pointer and window started.
    HWND m_hDragged = nullptr;
    CPoint m_ptDragPointerStart;
    CPoint m_ptDragWindowStart;
};
