#pragma once

// Hooks for tests and tools: run the window system without a display, feed it
// input as a person would, and read back what a window shows.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Types.h"

class CWnd;

// Starts the window system with no display (offscreen windows). False if it
// cannot start.
bool InitHeadlessWindowSystem();

// Handles everything pending and goes on for `ms` milliseconds (timers, paints).
void PumpMessages(int ms = 0);

// Runs `task` on the window thread once nothing is left to paint or handle:
// the way to act on a modal window from a test.
void RunWhenIdle(std::function<void()> task);

// Pointer and keyboard input to the top-level window of `pWnd`, at a point in
// that top-level window's client coordinates.
void SendMouseMove(CWnd* pWnd, CPoint pt);
void SendMouseButton(CWnd* pWnd, CPoint pt, bool bDown);
void SendKey(CWnd* pWnd, UINT vk, bool bDown = true, UINT nModifiers = 0);
void SendText(CWnd* pWnd, const std::wstring& text);

// Whether the modal run of `pWnd` has been told to end (EndDialog or a close).
bool IsModalRunEnded(CWnd* pWnd);

// The window of the innermost modal run (a message box over its owner), or null.
CWnd* GetModalWindow();

// The pixels the top-level window of `pWnd` shows, 0x00RRGGBB per pixel.
bool CaptureWindowPixels(CWnd* pWnd, std::vector<uint32_t>& pixels, int& width, int& height);
// Same, written as a PNG file.
bool SaveWindowPng(CWnd* pWnd, const std::string& path);
