#pragma once

// Hooks for tests and tools that both backends provide, with real windows on
// a real or virtual display: start the window system, show a window, feed it
// input as a person would, and read back what it shows. Hooks that only the
// Linux backend has (windows without any display) are in
// framework/linux/HeadlessTesting.h.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Types.h"

class CWnd;

// Starts the window system on the display tests run on (Linux: windows that
// paint off screen, no display server needed; Windows: the desktop, which
// under Wine is a virtual X server's). False if it cannot start.
bool InitTestWindowSystem();

// Makes the screen report the given DPI, both axes (0 restores the real query).
void SetScreenDpiForTesting(int dpiX, int dpiY);

// Handles everything pending and goes on for `ms` milliseconds (timers, paints).
void PumpMessages(int ms = 0);

// Runs `task` on the window thread once nothing is left to paint or handle:
// the way to act on a modal window from a test.
void RunWhenIdle(std::function<void()> task);

// Input to the top-level window of `pWnd` as the user gives it, at a point in
// that top-level window's client coordinates: it takes the same way as the
// display's own input (hit testing, capture, hover after the pointer rests,
// focus), so the window must be shown and not covered.
void SendMouseMove(CWnd* pWnd, CPoint pt);
void SendMouseButton(CWnd* pWnd, CPoint pt, bool bDown);
void SendKey(CWnd* pWnd, UINT vk, bool bDown = true, UINT nModifiers = 0);
// Text typed into the focused window, as a keyboard layout or an input
// method commits it.
void SendText(CWnd* pWnd, const std::wstring& text);

// Whether the modal run of `pWnd` has been told to end (EndDialog or a close).
bool IsModalRunEnded(CWnd* pWnd);

// The window of the innermost modal run (a message box over its owner), or null.
CWnd* GetModalWindow();

// The pixels the top-level window of `pWnd` shows, 0x00RRGGBB per pixel.
bool CaptureWindowPixels(CWnd* pWnd, std::vector<uint32_t>& pixels, int& width, int& height);
// Same, written as a PNG file.
bool SaveWindowPng(CWnd* pWnd, const std::string& path);
