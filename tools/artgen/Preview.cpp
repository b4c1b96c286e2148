#include "Preview.h"

#include "ArtSet.h"
#include "Backgrounds.h"
#include "Canvas.h"
#include "ControlStrips.h"
#include "Marks.h"
#include "Paint.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace art
{

namespace
{

void Save(const CCanvas& canvas, const std::filesystem::path& path)
{
    cairo_surface_flush(canvas.Surface());
    if (cairo_surface_write_to_png(canvas.Surface(), path.string().c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path.string());
}

void Checkerboard(cairo_t* pCr, int w, int h, int nSquare)
{
    for (int y = 0; y < h; y += nSquare) {
        for (int x = 0; x < w; x += nSquare) {
            const bool bDark = ((x / nSquare) + (y / nSquare)) % 2 != 0;
            cairo_rectangle(pCr, x, y, nSquare, nSquare);
            cairo_set_source_rgb(pCr, bDark ? 0.80 : 0.92, bDark ? 0.80 : 0.92, bDark ? 0.80 : 0.92);
            cairo_fill(pCr);
        }
    }
}

// The strip magnified k times with sharp pixels, next to it at 1:1 on white.
void SaveMagnified(const CCanvas& strip, int k, const std::filesystem::path& path)
{
    const int w = strip.Width() * k;
    const int h = strip.Height() * k;
    CCanvas sheet(w + strip.Width() * 2 + 24, std::max(h, strip.Height()));
    cairo_t* pCr = sheet.Cr();
    Checkerboard(pCr, w, h, k * 2);
    cairo_save(pCr);
    cairo_scale(pCr, k, k);
    cairo_set_source_surface(pCr, strip.Surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(pCr), CAIRO_FILTER_NEAREST);
    cairo_paint(pCr);
    cairo_restore(pCr);
    cairo_rectangle(pCr, w + 8, 0, strip.Width() + 8, strip.Height());
    cairo_set_source_rgb(pCr, 1, 1, 1);
    cairo_fill(pCr);
    cairo_set_source_surface(pCr, strip.Surface(), w + 12, 0);
    cairo_paint(pCr);
    Save(sheet, path);
}

// Cell s of a strip (column c for the two-column check box) drawn at (x, y).
void PutCell(cairo_t* pCr, const CCanvas& strip, int nColumns, int c, int s, double x, double y)
{
    const int w = strip.Width() / nColumns;
    const int h = strip.Height() / 4;
    cairo_save(pCr);
    cairo_set_source_surface(pCr, strip.Surface(), x - c * w, y - s * h);
    cairo_rectangle(pCr, x, y, w, h);
    cairo_fill(pCr);
    cairo_restore(pCr);
}

// A bar standing in for a line of text of the given cell height.
void TextBar(cairo_t* pCr, double x, double y, double w, double dCell, Rgb c)
{
    const double h = dCell * 0.62;
    cairo_new_path(pCr);
    PathRoundedRect(pCr, x, y + (dCell - h) / 2, w, h, 2);
    SetColour(pCr, c, 0.85);
    cairo_fill(pCr);
}

void SaveWelcomeMock(const std::filesystem::path& path)
{
    CCanvas page = DrawWelcomeBackground();
    cairo_t* pCr = page.Cr();
    const CCanvas close = DrawCloseStrip();
    const CCanvas pill = DrawPillStrip();
    const CCanvas check = DrawCheckBoxStrip();
    const CCanvas change = DrawChangeButtonStrip();
    PutCell(pCr, close, 1, 0, 0, 566, 20);
    TextBar(pCr, 300 - 86, 137, 172, 25, Rgb{60, 60, 60});
    PutCell(pCr, pill, 1, 0, 0, 220, 210);
    TextBar(pCr, 282, 216, 36, 28, WHITE);
    PutCell(pCr, check, 2, 1, 0, 20, 280);
    TextBar(pCr, 44, 279, 90, 17, Rgb{102, 102, 102});
    TextBar(pCr, 137, 279, 60, 17, Rgb{147, 202, 255});
    TextBar(pCr, 20, 345, 66, 20, Rgb{60, 60, 60});
    cairo_new_path(pCr);
    cairo_rectangle(pCr, 91.5, 338.5, 413, 31);
    SetColour(pCr, WHITE);
    cairo_fill_preserve(pCr);
    cairo_set_line_width(pCr, 1);
    SetColour(pCr, Rgb{209, 209, 209});
    cairo_stroke(pCr);
    TextBar(pCr, 97, 343, 250, 22, Rgb{101, 101, 101});
    PutCell(pCr, change, 1, 0, 0, 510, 338);
    TextBar(pCr, 530, 344, 34, 20, Rgb{68, 68, 68});
    Save(page, path);
}

void SaveProgressMock(const std::filesystem::path& path)
{
    CCanvas page = DrawProgressBackground();
    cairo_t* pCr = page.Cr();
    PutCell(pCr, DrawCloseStrip(), 1, 0, 0, 566, 20);
    TextBar(pCr, 54, 20, 130, 20, Rgb{60, 60, 60});
    TextBar(pCr, 257, 112, 102, 20, Rgb{60, 60, 60});
    TextBar(pCr, 257, 146, 102, 20, Rgb{60, 60, 60});
    TextBar(pCr, 257, 180, 136, 20, Rgb{60, 60, 60});
    TextBar(pCr, 40, 334, 180, 20, Rgb{60, 60, 60});
    cairo_new_path(pCr);
    cairo_rectangle(pCr, 40, 364, 520, 10);
    SetColour(pCr, WHITE);
    cairo_fill(pCr);
    const CCanvas track = DrawProgressTrack();
    const CCanvas fill = DrawProgressFill();
    cairo_set_source_surface(pCr, track.Surface(), 40, 364);
    cairo_paint(pCr);
    cairo_set_source_surface(pCr, fill.Surface(), 40, 364);
    cairo_rectangle(pCr, 40, 364, 234, 10);
    cairo_fill(pCr);
    Save(page, path);
}

void SaveFinishMock(const std::filesystem::path& path)
{
    CCanvas page = DrawFinishBackground();
    cairo_t* pCr = page.Cr();
    PutCell(pCr, DrawCloseStrip(), 1, 0, 0, 566, 20);
    TextBar(pCr, 54, 20, 130, 20, Rgb{60, 60, 60});
    TextBar(pCr, 256, 105, 136, 40, Rgb{68, 68, 68});
    TextBar(pCr, 256, 145, 236, 20, Rgb{102, 102, 102});
    PutCell(pCr, DrawPillStrip(), 1, 0, 0, 220, 334);
    TextBar(pCr, 282, 340, 36, 28, WHITE);
    Save(page, path);
}

void SaveIconSheet(const std::filesystem::path& path)
{
    // Each size at 1:1 on white and on a dark strip, then the small ones magnified.
    CCanvas sheet(760, 420);
    cairo_t* pCr = sheet.Cr();
    cairo_set_source_rgb(pCr, 1, 1, 1);
    cairo_paint(pCr);
    cairo_rectangle(pCr, 0, 150, 760, 150);
    cairo_set_source_rgb(pCr, 0.18, 0.2, 0.24);
    cairo_fill(pCr);
    double x = 10;
    for (int nSize : ICON_SIZES) {
        CCanvas icon(nSize, nSize);
        DrawProductIcon(icon.Cr(), 0, 0, nSize);
        for (double y : {10.0, 160.0}) {
            cairo_set_source_surface(pCr, icon.Surface(), x, y);
            cairo_paint(pCr);
        }
        x += nSize + 16;
    }
    x = 10;
    for (int nSize : {16, 24, 32}) {
        CCanvas icon(nSize, nSize);
        DrawProductIcon(icon.Cr(), 0, 0, nSize);
        cairo_save(pCr);
        cairo_translate(pCr, x, 310);
        cairo_scale(pCr, 3, 3);
        cairo_set_source_surface(pCr, icon.Surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(pCr), CAIRO_FILTER_NEAREST);
        cairo_paint(pCr);
        cairo_restore(pCr);
        x += nSize * 3 + 16;
    }
    DrawMakerLogo(pCr, 420, 330, 40);
    Save(sheet, path);
}

// All the control strips on one sheet, magnified k times, sharp pixels on a checkerboard.
void SaveContactSheet(const std::filesystem::path& path)
{
    constexpr int K = 5;
    const CCanvas strips[] = {DrawChangeButtonStrip(), DrawCheckBoxStrip(),      DrawCloseStrip(),
                              DrawFilledButtonStrip(), DrawOutlineButtonStrip(), DrawPillStrip()};
    int w = 0;
    int h = 0;
    for (const CCanvas& strip : strips) {
        w += strip.Width() * K + 20;
        h = std::max(h, strip.Height() * K);
    }
    const CCanvas track = DrawProgressTrack();
    const CCanvas fill = DrawProgressFill();
    CCanvas sheet(w, h + 20 + track.Height() * K * 2 + 20);
    cairo_t* pCr = sheet.Cr();
    Checkerboard(pCr, sheet.Width(), sheet.Height(), K * 2);
    double x = 0;
    auto put = [pCr](const CCanvas& strip, double x, double y) {
        cairo_save(pCr);
        cairo_translate(pCr, x, y);
        cairo_scale(pCr, K, K);
        cairo_set_source_surface(pCr, strip.Surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(pCr), CAIRO_FILTER_NEAREST);
        cairo_paint(pCr);
        cairo_restore(pCr);
    };
    for (const CCanvas& strip : strips) {
        put(strip, x, 0);
        x += strip.Width() * K + 20;
    }
    // The bars' ends, where their shape is.
    CCanvas ends(120, 20);
    cairo_set_source_surface(ends.Cr(), track.Surface(), 0, 0);
    cairo_rectangle(ends.Cr(), 0, 0, 60, 10);
    cairo_fill(ends.Cr());
    cairo_set_source_surface(ends.Cr(), track.Surface(), -400, 0);
    cairo_rectangle(ends.Cr(), 60, 0, 60, 10);
    cairo_fill(ends.Cr());
    cairo_set_source_surface(ends.Cr(), fill.Surface(), 0, 10);
    cairo_rectangle(ends.Cr(), 0, 10, 60, 10);
    cairo_fill(ends.Cr());
    cairo_set_source_surface(ends.Cr(), fill.Surface(), -400, 10);
    cairo_rectangle(ends.Cr(), 60, 10, 60, 10);
    cairo_fill(ends.Cr());
    put(ends, 0, h + 20);
    Save(sheet, path);
}

} // namespace

void WritePreviews(const std::filesystem::path& dirOut)
{
    std::filesystem::create_directories(dirOut);
    SaveMagnified(DrawChangeButtonStrip(), 5, dirOut / "strip-129.png");
    SaveMagnified(DrawCheckBoxStrip(), 12, dirOut / "strip-130.png");
    SaveMagnified(DrawCloseStrip(), 12, dirOut / "strip-131.png");
    SaveMagnified(DrawPillStrip(), 3, dirOut / "strip-133.png");
    SaveMagnified(DrawProgressFill(), 2, dirOut / "strip-134.png");
    SaveMagnified(DrawProgressTrack(), 2, dirOut / "strip-135.png");
    SaveMagnified(DrawFilledButtonStrip(), 4, dirOut / "strip-140.png");
    SaveMagnified(DrawOutlineButtonStrip(), 4, dirOut / "strip-141.png");
    SaveContactSheet(dirOut / "contact-strips.png");
    SaveIconSheet(dirOut / "icons.png");
    SaveWelcomeMock(dirOut / "mock-137-welcome.png");
    SaveProgressMock(dirOut / "mock-138-progress.png");
    SaveFinishMock(dirOut / "mock-136-finish.png");
}

} // namespace art
