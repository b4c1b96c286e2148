// The Linux backend's side of the event loop: SDL's event queue, work posted
// from other threads, timers; the loop's policy is the window core's.
#include "framework/linux/SdlWindowBackend.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>

#include "framework/Wnd.h"

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

HWND CSdlWindowBackend::TopLevelFromSdl(uint32_t nWindowId) const
{
    SDL_Window* window = SDL_GetWindowFromID(nWindowId);
    if (!window)
        return nullptr;
    return static_cast<HWND>(SDL_GetWindowData(window, "hwnd"));
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
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            hTop->bWindowSurfaceStale = true;
            break;
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
