// The Windows backend's side of the event loop: the thread's message queue,
// and work from other threads carried to the window thread through it; the
// loop's policy is the window core's.
#include "framework/win32/Win32WindowBackend.h"

#include <functional>
#include <memory>

#include <commctrl.h>

#include "framework/Wnd.h"

namespace
{
// The dispatcher's message: lParam is a heap std::function<void()> it runs and frees.
constexpr UINT WM_ZELQA_TASK = WM_APP + 1;
constexpr LPCWSTR DISPATCHER_CLASS = L"ZelqaDispatcher";

LRESULT CALLBACK DispatcherProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ZELQA_TASK) {
        std::unique_ptr<std::function<void()>> pTask(reinterpret_cast<std::function<void()>*>(lParam));
        (*pTask)();
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}
} // namespace

IWindowBackend& PlatformWindowBackend()
{
    // Never destroyed: workers may still post while the process exits.
    static CWin32WindowBackend* s_backend = new CWin32WindowBackend;
    return *s_backend;
}

bool CWin32WindowBackend::Start()
{
    m_hInstance = GetModuleHandleW(nullptr);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    // Windows created without a class name: the default window procedure's
    // behaviour, no background brush (an unhandled erase leaves the pixels).
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = m_hInstance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = PlainClassName();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    WNDCLASSEXW dispatcher{};
    dispatcher.cbSize = sizeof(dispatcher);
    dispatcher.lpfnWndProc = DispatcherProc;
    dispatcher.hInstance = m_hInstance;
    dispatcher.lpszClassName = DISPATCHER_CLASS;
    if (!RegisterClassExW(&dispatcher) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // Work for the window thread goes to a window rather than to the thread,
    // so that modal loops the system runs (a window being dragged) deliver it too.
    m_hDispatcher =
        CreateWindowExW(0, DISPATCHER_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, m_hInstance, nullptr);
    return m_hDispatcher != nullptr;
}

void CWin32WindowBackend::Post(std::function<void()> task)
{
    auto* pTask = new std::function<void()>(std::move(task));
    // Fails once the window thread is gone; the work is dropped then.
    if (!PostMessageW(m_hDispatcher, WM_ZELQA_TASK, 0, reinterpret_cast<LPARAM>(pTask)))
        delete pTask;
}

void CWin32WindowBackend::Wake()
{
    PostMessageW(m_hDispatcher, WM_NULL, 0, 0);
}

bool CWin32WindowBackend::PreTranslate(MSG& msg)
{
    // Every window from the target up to its top-level window sees the message first.
    for (HWND hWnd = msg.hwnd; hWnd;) {
        if (WINDOW_RECORD* pRecord = Find(hWnd)) {
            const uint64_t nSerial = pRecord->nSerial;
            if (pRecord->pWnd->PreTranslateMessage(&msg))
                return true;
            if (!IsAlive(hWnd, nSerial))
                return true;
        }
        if (!(GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
            break;
        hWnd = GetParent(hWnd);
    }
    return false;
}

bool CWin32WindowBackend::HandleOneMessage()
{
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        // Nobody here asks to quit; if something does, every modal run ends.
        m_bQuit = true;
        return true;
    }
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

bool CWin32WindowBackend::DrainMessages()
{
    // Paints and timers come only once the queue is empty, so this ends; the
    // bound guards against a window that never validates itself.
    int nHandled = 0;
    while (nHandled < 10000 && HandleOneMessage())
        ++nHandled;
    return nHandled > 0;
}

void CWin32WindowBackend::WaitForEvent(int nMaxWaitMs)
{
    MsgWaitForMultipleObjectsEx(0, nullptr, nMaxWaitMs < 0 ? INFINITE : static_cast<DWORD>(nMaxWaitMs), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
}
