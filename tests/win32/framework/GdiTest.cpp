// Drawing on Windows: GDI contexts, fonts and bitmaps, GDI+ images, the
// resources they come from, and reading a window's pixels back.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/UiFont.h"
#include "framework/Font.h"
#include "framework/Graphics.h"
#include "framework/Image.h"
#include "framework/Resources.h"
#include "framework/Screen.h"
#include "framework/WinApp.h"
#include "framework/win32/ImageFiles.h"
#include "tests/win32/framework/TestWindows.h"
#include "res/resource.h"

namespace
{
std::wstring TempPath(const wchar_t* pszName)
{
    wchar_t szFolder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, szFolder);
    return std::wstring(szFolder) + L"zelqa-" + std::to_wstring(GetCurrentProcessId()) + L"-" + pszName;
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    if (FILE* pFile = _wfopen(path.c_str(), L"rb")) {
        BYTE buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(pFile);
    }
    return bytes;
}

// An image decoded from PNG bytes written by the backend's own encoder.
std::unique_ptr<CImage> ImageOf(const std::vector<uint32_t>& pixels, int width, int height)
{
    const std::wstring path = TempPath(L"strip.png");
    if (!SavePixelsAsPng(pixels, width, height, path))
        return nullptr;
    const std::vector<BYTE> bytes = ReadFileBytes(path);
    DeleteFileW(path.c_str());
    std::shared_ptr<BYTE[]> block(new BYTE[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    return std::make_unique<CImage>(std::move(block), bytes.size());
}

// A memory context with a bitmap of its own, filled with one colour.
struct Canvas
{
    Canvas(int cx, int cy, COLORREF cr)
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, cx, cy);
        hOld = dc.SelectObject(&bitmap);
        dc.FillSolidRect(CRect(0, 0, cx, cy), cr);
    }
    ~Canvas() { dc.SelectObject(hOld); }
    CDC dc;
    CBitmap bitmap;
    HBITMAP hOld = nullptr;
};
} // namespace

TEST_F(Win32Backend, ABitmapForAFreshMemoryContextHasColours)
{
    // A fresh memory context holds a one-bit bitmap; the new one must not be one.
    Canvas canvas(8, 8, RGB(200, 30, 40));
    EXPECT_EQ(canvas.dc.GetPixel(3, 3), RGB(200, 30, 40));
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(canvas.bitmap.GetSafeHandle(), sizeof bm, &bm));
    EXPECT_GT(bm.bmBitsPixel, 8);
}

TEST_F(Win32Backend, SolidFillsKeepTheContextsSettings)
{
    Canvas canvas(8, 8, RGB(255, 255, 255));
    canvas.dc.SetBkColor(RGB(1, 2, 3));
    canvas.dc.FillSolidRect(CRect(0, 0, 4, 4), RGB(9, 8, 7));
    EXPECT_EQ(GetBkColor(canvas.dc.GetSafeHdc()), RGB(1, 2, 3));
    EXPECT_EQ(canvas.dc.GetPixel(0, 0), RGB(9, 8, 7));
    EXPECT_EQ(canvas.dc.GetPixel(4, 4), RGB(255, 255, 255));
    // Selecting nothing changes nothing and tells what is selected.
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(UiFont(20)));
    canvas.dc.SelectObject(font.GetSafeHandle());
    EXPECT_EQ(canvas.dc.SelectObject(static_cast<HFONT>(nullptr)), font.GetSafeHandle());
    EXPECT_EQ(GetCurrentObject(canvas.dc.GetSafeHdc(), OBJ_FONT), font.GetSafeHandle());
    canvas.dc.SelectObject(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
}

TEST_F(Win32Backend, TheUiFontIsAsTallAsItsCell)
{
    Canvas canvas(8, 8, RGB(255, 255, 255));
    for (int nCell : {17, 20, 28, 42}) {
        CFont font;
        ASSERT_TRUE(font.CreateFontIndirect(UiFont(nCell)));
        CSelectGuard<HFONT> select(canvas.dc, font.GetSafeHandle());
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(canvas.dc.GetSafeHdc(), &tm));
        // A positive height asks for the cell; the face's ascent and descent
        // are rounded each on its own, so the cell may come out a pixel short.
        EXPECT_NEAR(tm.tmHeight, nCell, 1);
        EXPECT_EQ(canvas.dc.GetTextExtent(L"").cx, 0);
    }
}

TEST_F(Win32Backend, AScaledCellTakesNothingFromItsNeighbours)
{
    // Two opaque cells, red above blue, 4 x 4 each.
    std::vector<uint32_t> pixels(4 * 8);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i < 16 ? 0xFF0000u : 0x0000FFu;
    std::unique_ptr<CImage> image = ImageOf(pixels, 4, 8);
    ASSERT_TRUE(image && image->IsDecoded());
    EXPECT_EQ(image->GetWidth(), 4u);
    EXPECT_EQ(image->GetHeight(), 8u);

    Canvas canvas(30, 30, RGB(0, 255, 0));
    CGraphics graphics(&canvas.dc);
    ASSERT_TRUE(graphics.DrawImage(image.get(), CRect(3, 3, 27, 27), 0, 4, 4, 4)); // blue, six times larger
    for (int y = 3; y < 27; ++y)
        for (int x = 3; x < 27; ++x)
            ASSERT_EQ(canvas.dc.GetPixel(x, y), RGB(0, 0, 255)) << x << "," << y;
    EXPECT_EQ(canvas.dc.GetPixel(2, 2), RGB(0, 255, 0));
    EXPECT_EQ(canvas.dc.GetPixel(27, 27), RGB(0, 255, 0));
    // Nothing outside the picture can be drawn.
    EXPECT_FALSE(graphics.DrawImage(image.get(), CRect(0, 0, 4, 4), 0, 6, 4, 4));
}

TEST_F(Win32Backend, ImagesBlendOverWhatIsThere)
{
    std::unique_ptr<CImage> image;
    const BYTE* pData = nullptr;
    size_t nSize = 0;
    ASSERT_TRUE(FindResourceBytes(L"PNG", IDB_CLOSE, pData, nSize));
    std::shared_ptr<BYTE[]> block(new BYTE[nSize]);
    std::copy(pData, pData + nSize, block.get());
    image = std::make_unique<CImage>(std::move(block), nSize);
    ASSERT_TRUE(image->IsDecoded());

    Canvas canvas(14, 14, RGB(255, 255, 255));
    CGraphics graphics(&canvas.dc);
    ASSERT_TRUE(graphics.DrawImage(image.get(), CRect(0, 0, 14, 14), 0, 0, 14, 14));
    // The cross's transparent corners leave the white; its strokes do not.
    EXPECT_EQ(canvas.dc.GetPixel(0, 13), RGB(255, 255, 255));
    EXPECT_EQ(canvas.dc.GetPixel(13, 0), RGB(255, 255, 255));
    int nDark = 0;
    for (int i = 0; i < 14; ++i)
        nDark += GetRValue(canvas.dc.GetPixel(i, i)) < 160;
    EXPECT_GT(nDark, 4);
}

TEST_F(Win32Backend, ResourcesAreTheProgramsOwn)
{
    const BYTE* pData = nullptr;
    size_t nSize = 0;
    ASSERT_TRUE(FindResourceBytes(L"PNG", IDB_BACKGROUND_WELCOME, pData, nSize));
    ASSERT_GT(nSize, 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pData) + 1, 3), "PNG");
    EXPECT_FALSE(FindResourceBytes(L"JPEG", IDB_BACKGROUND_WELCOME, pData, nSize));
    EXPECT_NE(LoadAppIcon(IDR_MAINFRAME), nullptr);
    EXPECT_EQ(LoadAppIcon(9999), nullptr);
}

// Every size of the program icon loads at its own size and draws the product
// mark: an opaque middle on a transparent, rounded corner. 48 and up are
// stored as PNG, below as bitmaps.
TEST_F(Win32Backend, TheProgramIconLoadsAndDrawsAtEverySize)
{
    for (int nSize : {16, 24, 32, 48, 64, 128}) {
        SCOPED_TRACE(nSize);
        const HICON hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                          IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR));
        ASSERT_NE(hIcon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(hIcon, &info));
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectW(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, nSize);
        EXPECT_EQ(colour.bmHeight, nSize);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);

        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = nSize;
        bmi.bmiHeader.biHeight = -nSize;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* pBits = nullptr;
        const HDC hdc = CreateCompatibleDC(nullptr);
        const HBITMAP hbm = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        ASSERT_NE(hbm, nullptr);
        const HGDIOBJ hOld = SelectObject(hdc, hbm);
        std::fill_n(static_cast<uint32_t*>(pBits), nSize * nSize, 0x00FFFFFFu);
        EXPECT_TRUE(DrawIconEx(hdc, 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL));
        GdiFlush();
        const uint32_t* pPixels = static_cast<const uint32_t*>(pBits);
        EXPECT_EQ(pPixels[0] & 0xFFFFFF, 0xFFFFFFu) << "corner shows the white behind";
        EXPECT_NE(pPixels[(nSize / 2) * nSize + nSize / 2] & 0xFFFFFF, 0xFFFFFFu) << "middle is drawn";
        SelectObject(hdc, hOld);
        DeleteObject(hbm);
        DeleteDC(hdc);
        DestroyIcon(hIcon);
    }
}

TEST_F(Win32Backend, TheScreenIsAskedForItsOwnMeasures)
{
    HDC hScreen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(hScreen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(hScreen, LOGPIXELSY);
    ReleaseDC(nullptr, hScreen);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(GetScreenDpi(x, y));
    EXPECT_EQ(x, dpiX);
    EXPECT_EQ(y, dpiY);
    SetScreenDpiForTesting(144, 120);
    ASSERT_TRUE(GetScreenDpi(x, y));
    EXPECT_EQ(CPoint(x, y), CPoint(144, 120));
    SetScreenDpiForTesting(0, 0);
    EXPECT_EQ(GetIconSize(), CSize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    EXPECT_FALSE(GetScreenWorkArea().IsRectEmpty());
}

TEST_F(Win32Backend, TheScreenHasTheDpiOfTheRun)
{
    // run-under-wine.sh sets the prefix's DPI from ZELQA_WINE_DPI (96 unless
    // told); a run meant for another DPI that got 96 would prove nothing.
    const char* pszDpi = std::getenv("ZELQA_WINE_DPI");
    const int nExpected = pszDpi && *pszDpi ? std::atoi(pszDpi) : 96;
    SetScreenDpiForTesting(0, 0);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(GetScreenDpi(x, y));
    EXPECT_EQ(CPoint(x, y), CPoint(nExpected, nExpected));
}

TEST_F(Win32Backend, AWindowsPixelsReadBackAsItPaintedThem)
{
    CTestTopWindow top(RGB(10, 200, 30));
    ASSERT_TRUE(top.Open(120, 80));
    PumpMessages();
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(CaptureWindowPixels(&top, pixels, width, height));
    EXPECT_EQ(CSize(width, height), CSize(120, 80));
    EXPECT_EQ(pixels[0], 0x0AC81Eu);
    EXPECT_EQ(pixels.back(), 0x0AC81Eu);

    const std::wstring path = TempPath(L"window.png");
    char szPath[MAX_PATH * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, szPath, sizeof szPath, nullptr, nullptr);
    ASSERT_TRUE(SaveWindowPng(&top, szPath));
    const std::vector<BYTE> bytes = ReadFileBytes(path);
    DeleteFileW(path.c_str());
    std::shared_ptr<BYTE[]> block(new BYTE[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    CImage saved(std::move(block), bytes.size());
    ASSERT_TRUE(saved.IsDecoded());
    EXPECT_EQ(saved.GetWidth(), 120u);
    EXPECT_EQ(saved.GetHeight(), 80u);

    top.ShowWindow(SW_HIDE);
    EXPECT_FALSE(CaptureWindowPixels(&top, pixels, width, height));
}
