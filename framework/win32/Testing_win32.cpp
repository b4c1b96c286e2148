// The testing seam on Windows: real windows on the desktop, fed with real
// input through the system's input stream, read back from their own pixels.
#include "framework/Testing.h"

#include "base/Utf8.h"
#include "framework/Wnd.h"
#include "framework/win32/ImageFiles.h"
#include "framework/win32/Win32WindowBackend.h"

namespace
{
CWin32WindowBackend& Ws()
{
    return CWin32WindowBackend::Get();
}

HWND TopOf(CWnd* pWnd)
{
    return pWnd && pWnd->m_hWnd ? GetAncestor(pWnd->m_hWnd, GA_ROOT) : nullptr;
}

// Injected input reaches the window thread's queue a moment later: handles
// what comes in until `done` holds (or a second has passed), then what is left.
// Work waiting for idle is left to the next loop that idles (a modal run the
// input opens, or PumpMessages): a test queues what it will do to a message
// box before the click that opens the box.
template <typename Condition>
void HandleInputUntil(Condition done)
{
    const ULONGLONG end = GetTickCount64() + 1000;
    while (!done() && GetTickCount64() < end) {
        Ws().DrainMessages();
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    Ws().DrainMessages();
}

// A point in the virtual screen in SendInput's absolute units, chosen so that
// it maps back onto that very pixel.
LONG Normalised(LONG value, int origin, int extent)
{
    if (extent <= 1)
        return 0;
    return static_cast<LONG>((static_cast<long long>(value - origin) * 65536 + extent - 1) / extent);
}

bool SendMouse(POINT pt, DWORD dwButtonFlags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalised(pt.x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = Normalised(pt.y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | dwButtonFlags;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

bool CursorIsAt(POINT pt)
{
    POINT now{};
    return GetCursorPos(&now) && now.x == pt.x && now.y == pt.y;
}

POINT ScreenPoint(HWND hTop, CPoint pt)
{
    POINT screen{pt.x, pt.y};
    ClientToScreen(hTop, &screen);
    return screen;
}

INPUT KeyInput(WORD vk, WORD scan, DWORD dwFlags)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = dwFlags;
    return input;
}

bool IsExtendedKey(UINT vk)
{
    switch (vk) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}
} // namespace

bool InitTestWindowSystem()
{
    // Test programs carry no manifest; their windows are to be measured in
    // real pixels all the same.
    if (HMODULE hUser = GetModuleHandleW(L"user32.dll")) {
        using SetAwareFn = BOOL(WINAPI*)();
        if (auto pfn =
                reinterpret_cast<SetAwareFn>(reinterpret_cast<void*>(GetProcAddress(hUser, "SetProcessDPIAware"))))
            pfn();
    }
    return CWindowSystem::Get().Init();
}

void SendMouseMove(CWnd* pWnd, CPoint pt)
{
    HWND hTop = TopOf(pWnd);
    if (!hTop)
        return;
    const POINT screen = ScreenPoint(hTop, pt);
    if (SendMouse(screen, 0))
        HandleInputUntil([&] { return CursorIsAt(screen); });
    if (!CursorIsAt(screen)) {
        // Where absolute input is rounded differently, the cursor is placed
        // directly, which moves the mouse just the same.
        SetCursorPos(screen.x, screen.y);
        HandleInputUntil([&] { return CursorIsAt(screen); });
    }
}

void SendMouseButton(CWnd* pWnd, CPoint pt, bool bDown)
{
    HWND hTop = TopOf(pWnd);
    if (!hTop)
        return;
    const POINT screen = ScreenPoint(hTop, pt);
    if (!CursorIsAt(screen))
        SendMouseMove(pWnd, pt);
    // The button the system calls left, whichever the user has swapped it to.
    const bool bSwapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    const DWORD dwFlags = bDown ? (bSwapped ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN)
                                : (bSwapped ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    const int vkPhysical = bSwapped ? VK_RBUTTON : VK_LBUTTON;
    if (SendMouse(screen, dwFlags))
        HandleInputUntil([&] { return ((GetAsyncKeyState(vkPhysical) & 0x8000) != 0) == bDown; });
}

void SendKey(CWnd* pWnd, UINT vk, bool bDown, UINT nModifiers)
{
    HWND hTop = TopOf(pWnd);
    if (!hTop)
        return;
    if (GetForegroundWindow() != hTop)
        SetForegroundWindow(hTop);
    // Modifiers asked for go down around the key and come up after it; a
    // window reads their state as it was when the key came.
    std::vector<INPUT> inputs;
    std::vector<WORD> pressed;
    const struct
    {
        UINT flag;
        WORD vk;
    } modifiers[] = {{MK_SHIFT, VK_SHIFT}, {MK_CONTROL, VK_CONTROL}};
    for (const auto& m : modifiers) {
        if ((nModifiers & m.flag) && !(GetAsyncKeyState(m.vk) & 0x8000)) {
            inputs.push_back(KeyInput(m.vk, static_cast<WORD>(MapVirtualKeyW(m.vk, MAPVK_VK_TO_VSC)), 0));
            pressed.push_back(m.vk);
        }
    }
    DWORD dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
    if (IsExtendedKey(vk))
        dwFlags |= KEYEVENTF_EXTENDEDKEY;
    inputs.push_back(KeyInput(static_cast<WORD>(vk), static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), dwFlags));
    for (WORD m : pressed)
        inputs.push_back(KeyInput(m, static_cast<WORD>(MapVirtualKeyW(m, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP));
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        return;
    HandleInputUntil([&] { return ((GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0) == bDown; });
}

void SendText(CWnd* pWnd, const std::wstring& text)
{
    HWND hTop = TopOf(pWnd);
    if (!hTop || text.empty())
        return;
    if (GetForegroundWindow() != hTop)
        SetForegroundWindow(hTop);
    // Each UTF-16 unit as an input method commits it: a character, no key.
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        inputs.push_back(KeyInput(0, static_cast<WORD>(c), KEYEVENTF_UNICODE));
        inputs.push_back(KeyInput(0, static_cast<WORD>(c), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
    }
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        return;
    // Nothing tells when the last character is in; the queue is given a moment.
    const ULONGLONG end = GetTickCount64() + 50;
    HandleInputUntil([end] { return GetTickCount64() >= end; });
}

bool CaptureWindowPixels(CWnd* pWnd, std::vector<uint32_t>& pixels, int& width, int& height)
{
    HWND hTop = TopOf(pWnd);
    if (!hTop || !IsWindowVisible(hTop))
        return false;
    // Whatever is still to be painted is painted first.
    RedrawWindow(hTop, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT rc{};
    GetWindowRect(hTop, &rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;

    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h; // rows from the top
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap)
        return false;
    HDC hMemory = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    // The window's own pixels; where they can't be read, the screen's at its place.
    HDC hWindow = GetWindowDC(hTop);
    BOOL bCopied = hWindow && BitBlt(hMemory, 0, 0, w, h, hWindow, 0, 0, SRCCOPY);
    if (hWindow)
        ReleaseDC(hTop, hWindow);
    if (!bCopied) {
        HDC hScreen = GetDC(nullptr);
        bCopied = hScreen && BitBlt(hMemory, 0, 0, w, h, hScreen, rc.left, rc.top, SRCCOPY | CAPTUREBLT);
        if (hScreen)
            ReleaseDC(nullptr, hScreen);
    }
    GdiFlush();
    if (bCopied) {
        const auto* pSource = static_cast<const uint32_t*>(pBits);
        pixels.assign(pSource, pSource + static_cast<size_t>(w) * h);
        for (uint32_t& px : pixels)
            px &= 0x00FFFFFF;
        width = w;
        height = h;
    }
    SelectObject(hMemory, hOld);
    DeleteDC(hMemory);
    DeleteObject(hBitmap);
    return bCopied != FALSE;
}

bool SaveWindowPng(CWnd* pWnd, const std::string& path)
{
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    return CaptureWindowPixels(pWnd, pixels, width, height) && SavePixelsAsPng(pixels, width, height, FromUtf8(path));
}
