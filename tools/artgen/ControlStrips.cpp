#include "ControlStrips.h"

#include "Paint.h"

#include <array>

namespace art
{

namespace
{

constexpr std::array<Rgb, 4> STATE_COLOURS = {STATE_NORMAL, STATE_HOVER, STATE_PRESSED, STATE_DISABLED};

constexpr Rgb CHECK_OUTLINE_NORMAL{178, 205, 252};
constexpr Rgb CHECK_OUTLINE_HOVER{139, 168, 219};
constexpr Rgb TICK_GREEN{0, 208, 69};
constexpr Rgb TICK_GREY{203, 203, 203};

// A one-pixel outline on the pixel grid with its corner pixels softened.
void StrokeCellOutline(cairo_t* pCr, double x, double y, double w, double h, Rgb c)
{
    cairo_new_path(pCr);
    PathRoundedRect(pCr, x + 0.5, y + 0.5, w - 1, h - 1, 1.5);
    cairo_set_line_width(pCr, 1);
    SetColour(pCr, c);
    cairo_stroke(pCr);
}

void FillCell(cairo_t* pCr, double x, double y, double w, double h, double r, Rgb c)
{
    cairo_new_path(pCr);
    PathRoundedRect(pCr, x, y, w, h, r);
    SetColour(pCr, c);
    cairo_fill(pCr);
}

void EmptyBox(cairo_t* pCr, int nCol, int nRow, Rgb outline)
{
    StrokeCellOutline(pCr, nCol * 14, nRow * 14, 14, 14, outline);
}

void TickedBox(cairo_t* pCr, int nCol, int nRow, Rgb outline, Rgb tick)
{
    const double x = nCol * 14;
    const double y = nRow * 14;
    FillCell(pCr, x, y, 14, 14, 2, WHITE);
    StrokeCellOutline(pCr, x, y, 14, 14, outline);
    // Both legs run through pixel centres, so the middle of the stroke is
    // fully covered and shows the tick colour itself.
    cairo_new_path(pCr);
    cairo_move_to(pCr, x + 3.5, y + 7.5);
    cairo_line_to(pCr, x + 5.5, y + 9.5);
    cairo_line_to(pCr, x + 10.5, y + 4.5);
    cairo_set_line_width(pCr, 2);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(pCr, CAIRO_LINE_JOIN_ROUND);
    SetColour(pCr, tick);
    cairo_stroke(pCr);
}

void FillBar(CCanvas& canvas, Rgb c)
{
    const double h = canvas.Height();
    FillCell(canvas.Cr(), 0, 0, canvas.Width(), h, h / 2, c);
}

} // namespace

CCanvas DrawChangeButtonStrip()
{
    constexpr std::array<Rgb, 4> FILLS = {Rgb{245, 245, 245}, Rgb{255, 255, 255}, Rgb{240, 240, 240},
                                          Rgb{229, 229, 229}};
    CCanvas canvas(74, 128);
    cairo_t* pCr = canvas.Cr();
    for (int s = 0; s < 4; ++s) {
        cairo_new_path(pCr);
        cairo_rectangle(pCr, 0, s * 32, 74, 32);
        SetColour(pCr, FILLS[s]);
        cairo_fill(pCr);
        cairo_new_path(pCr);
        cairo_rectangle(pCr, 0.5, s * 32 + 0.5, 73, 31);
        cairo_set_line_width(pCr, 1);
        SetColour(pCr, Rgb{209, 209, 209});
        cairo_stroke(pCr);
    }
    return canvas;
}

CCanvas DrawCheckBoxStrip()
{
    CCanvas canvas(28, 56);
    cairo_t* pCr = canvas.Cr();
    // Normal.
    EmptyBox(pCr, 0, 0, CHECK_OUTLINE_NORMAL);
    TickedBox(pCr, 1, 0, CHECK_OUTLINE_NORMAL, TICK_GREEN);
    // Hover.
    EmptyBox(pCr, 0, 1, CHECK_OUTLINE_HOVER);
    TickedBox(pCr, 1, 1, CHECK_OUTLINE_HOVER, TICK_GREEN);
    // Pressed shows what the click will make: the columns swap their marks.
    // The pressed cell is drawn over the box's previous pixels, so the empty
    // box is white inside to cover the tick it replaces.
    TickedBox(pCr, 0, 2, CHECK_OUTLINE_NORMAL, TICK_GREEN);
    FillCell(pCr, 14, 28, 14, 14, 2, WHITE);
    EmptyBox(pCr, 1, 2, CHECK_OUTLINE_NORMAL);
    // Disabled.
    EmptyBox(pCr, 0, 3, STATE_DISABLED);
    TickedBox(pCr, 1, 3, STATE_DISABLED, TICK_GREY);
    return canvas;
}

CCanvas DrawCloseStrip()
{
    constexpr std::array<Rgb, 4> GLYPHS = {Rgb{105, 130, 183}, Rgb{125, 155, 211}, Rgb{103, 128, 177},
                                           Rgb{211, 216, 227}};
    CCanvas canvas(14, 56);
    cairo_t* pCr = canvas.Cr();
    cairo_set_line_width(pCr, 1.6);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    for (int s = 0; s < 4; ++s) {
        const double y = s * 14;
        cairo_new_path(pCr);
        cairo_move_to(pCr, 3.5, y + 3.5);
        cairo_line_to(pCr, 10.5, y + 10.5);
        cairo_move_to(pCr, 10.5, y + 3.5);
        cairo_line_to(pCr, 3.5, y + 10.5);
        SetColour(pCr, GLYPHS[s]);
        cairo_stroke(pCr);
    }
    return canvas;
}

CCanvas DrawPillStrip()
{
    CCanvas canvas(160, 160);
    for (int s = 0; s < 4; ++s)
        FillCell(canvas.Cr(), 0, s * 40, 160, 40, 20, STATE_COLOURS[s]);
    return canvas;
}

CCanvas DrawProgressFill()
{
    CCanvas canvas(520, 10);
    FillBar(canvas, STATE_NORMAL);
    return canvas;
}

CCanvas DrawProgressTrack()
{
    CCanvas canvas(520, 10);
    FillBar(canvas, TRACK);
    return canvas;
}

CCanvas DrawFilledButtonStrip()
{
    CCanvas canvas(96, 128);
    for (int s = 0; s < 4; ++s)
        FillCell(canvas.Cr(), 0, s * 32, 96, 32, 2, STATE_COLOURS[s]);
    return canvas;
}

CCanvas DrawOutlineButtonStrip()
{
    CCanvas canvas(96, 128);
    cairo_t* pCr = canvas.Cr();
    for (int s = 0; s < 4; ++s) {
        if (s == 1)
            FillCell(pCr, 0.5, s * 32 + 0.5, 95, 31, 1.5, Rgb{240, 245, 255});
        StrokeCellOutline(pCr, 0, s * 32, 96, 32, STATE_COLOURS[s]);
    }
    return canvas;
}

} // namespace art
