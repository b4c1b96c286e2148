#include "framework/Testing.h"

#include <cstdlib>
#include <cstring>

#include "framework/Wnd.h"
#include "base/Utf8.h"
#include "framework/linux/HeadlessTesting.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
HWND TopOf(CWnd* pWnd)
{
    return pWnd && pWnd->m_hWnd ? CSdlWindowBackend::Get().TopLevelOf(pWnd->m_hWnd) : nullptr;
}
} // namespace

bool InitHeadlessWindowSystem()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return CSdlWindowBackend::Get().Init();
}

bool InitTestWindowSystem()
{
    return InitHeadlessWindowSystem();
}

void SendMouseMove(CWnd* pWnd, CPoint pt)
{
    if (HWND top = TopOf(pWnd))
        CSdlWindowBackend::Get().InjectMouseMove(top, pt);
}

void SendMouseButton(CWnd* pWnd, CPoint pt, bool bDown)
{
    if (HWND top = TopOf(pWnd))
        CSdlWindowBackend::Get().InjectMouseButton(top, pt, bDown);
}

void SendKey(CWnd* pWnd, UINT vk, bool bDown, UINT nModifiers)
{
    if (HWND top = TopOf(pWnd))
        CSdlWindowBackend::Get().InjectKey(top, vk, bDown, nModifiers);
}

void SendText(CWnd* pWnd, const std::wstring& text)
{
    if (HWND top = TopOf(pWnd))
        CSdlWindowBackend::Get().InjectText(top, ToUtf8(text));
}

bool CaptureWindowPixels(CWnd* pWnd, std::vector<uint32_t>& pixels, int& width, int& height)
{
    HWND top = TopOf(pWnd);
    if (!top || !top->pBacking)
        return false;
    cairo_surface_flush(top->pBacking);
    width = cairo_image_surface_get_width(top->pBacking);
    height = cairo_image_surface_get_height(top->pBacking);
    const int stride = cairo_image_surface_get_stride(top->pBacking);
    const unsigned char* data = cairo_image_surface_get_data(top->pBacking);
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = row[x] & 0x00FFFFFF;
    }
    return true;
}

bool SaveWindowPng(CWnd* pWnd, const std::string& path)
{
    HWND top = TopOf(pWnd);
    if (!top || !top->pBacking)
        return false;
    cairo_surface_flush(top->pBacking);
    return cairo_surface_write_to_png(top->pBacking, path.c_str()) == CAIRO_STATUS_SUCCESS;
}
