// zelqa-bench-window.exe: the Windows yardstick for the installer's size and
// CPU under Wine. It does the least a Win32 window program does: one window
// class, a borderless window of the installer's size centred on the screen,
// painted in one colour from WM_PAINT, and a GetMessage loop until it is
// closed. Built with the installer's compiler and flags, its stripped size is
// what any window program costs, and its CPU while idle is what Wine costs.
// usage: zelqa-bench-window.exe   (600 x 400, the installer's size at 96 DPI)

#include <windows.h>

namespace
{
// The colour of the installer's filled pill, so one probe fits both programs.
constexpr COLORREF FILL_COLOUR = RGB(113, 138, 185);
constexpr int WINDOW_WIDTH = 600;
constexpr int WINDOW_HEIGHT = 400;
constexpr wchar_t CLASS_NAME[] = L"ZelqaBenchWindow";

LRESULT CALLBACK BenchWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_ERASEBKGND:
        // The paint covers every pixel: erasing first would only flicker.
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(hWnd, &ps);
        HBRUSH hBrush = CreateSolidBrush(FILL_COLOUR);
        FillRect(hDC, &ps.rcPaint, hBrush);
        DeleteObject(hBrush);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BenchWindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = CLASS_NAME;
    if (!RegisterClassExW(&wc))
        return 1;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - WINDOW_WIDTH) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - WINDOW_HEIGHT) / 2;
    HWND hWnd = CreateWindowExW(0, CLASS_NAME, L"zelqa-bench-window", WS_POPUP, x, y, WINDOW_WIDTH, WINDOW_HEIGHT,
                                nullptr, nullptr, hInstance, nullptr);
    if (!hWnd)
        return 1;
    ShowWindow(hWnd, nShowCmd == SW_HIDE ? SW_SHOWNORMAL : nShowCmd);
    UpdateWindow(hWnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
