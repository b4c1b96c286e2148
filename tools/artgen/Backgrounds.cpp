#include "Backgrounds.h"

#include "Marks.h"
#include "Paint.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace art
{

namespace
{

constexpr double PAGE_W = 600;
constexpr double PAGE_H = 400;

// The small product icon left of the small title at (54, 20), 20 high.
constexpr double SMALL_ICON_X = 22;
constexpr double SMALL_ICON_Y = 17;
constexpr double SMALL_ICON_SIZE = 26;

// The pale sky over the upper part of every page, lighter towards the band.
void DrawSky(cairo_t* pCr, double dBottom)
{
    cairo_new_path(pCr);
    cairo_rectangle(pCr, 0, 0, PAGE_W, PAGE_H);
    SetColour(pCr, WHITE);
    cairo_fill(pCr);

    cairo_pattern_t* pSky = cairo_pattern_create_linear(0, 0, 0, dBottom);
    AddStop(pSky, 0, Rgb{228, 235, 251});
    AddStop(pSky, 1, Rgb{242, 246, 254});
    cairo_set_source(pCr, pSky);
    cairo_new_path(pCr);
    cairo_rectangle(pCr, 0, 0, PAGE_W, dBottom);
    cairo_fill(pCr);
    cairo_pattern_destroy(pSky);
}

// Large soft pools of light that give the sky some depth.
void DrawSkyLight(cairo_t* pCr)
{
    FillGlow(pCr, -20, 230, 190, WHITE, 0.45);
    FillGlow(pCr, 620, 210, 170, WHITE, 0.4);
}

// The pale blue wave band. dTop is where the band starts, dWhite where the
// white lower part begins; the white edge strays at most 7 pixels from it.
void DrawWaveBand(cairo_t* pCr, double dTop, double dWhite, double dPhase)
{
    const double dDepth = dWhite - dTop;

    // A faint crest behind the band doubles its edge.
    const Wave crest{dTop + 6, 8, 520, 2.8 + dPhase, 3, 300, 0.4};
    cairo_new_path(pCr);
    PathWaveArea(pCr, crest, PAGE_W, PAGE_H);
    SetColour(pCr, STATE_HOVER, 0.10);
    cairo_fill(pCr);

    const Wave back{dTop + 11, 9, 600, 0.6 + dPhase, 4, 260, 2.0 + dPhase};
    cairo_new_path(pCr);
    PathWaveArea(pCr, back, PAGE_W, PAGE_H);
    cairo_pattern_t* pBand = cairo_pattern_create_linear(0, dTop, 0, dWhite);
    AddStop(pBand, 0, Rgb{204, 216, 243});
    AddStop(pBand, 1, Rgb{222, 230, 249});
    cairo_set_source(pCr, pBand);
    cairo_fill(pCr);
    cairo_pattern_destroy(pBand);

    const Wave line{dTop + dDepth * 0.36, 9, 430, 4.1 + dPhase, 2, 170, 1.0};
    cairo_new_path(pCr);
    PathWaveLine(pCr, line, 0, PAGE_W);
    cairo_set_line_width(pCr, 1.2);
    SetColour(pCr, STATE_NORMAL, 0.22);
    cairo_stroke(pCr);

    const Wave middle{dTop + dDepth * 0.55, 9, 470, 2.4 + dPhase, 3, 200, 0.7};
    cairo_new_path(pCr);
    PathWaveArea(pCr, middle, PAGE_W, PAGE_H);
    SetColour(pCr, WHITE, 0.4);
    cairo_fill(pCr);
    cairo_new_path(pCr);
    PathWaveLine(pCr, middle, 0, PAGE_W);
    cairo_set_line_width(pCr, 1.5);
    SetColour(pCr, WHITE, 0.75);
    cairo_stroke(pCr);

    const Wave front{dWhite, 5, 690, 3.3 + dPhase, 2, 260, 5.0};
    cairo_new_path(pCr);
    PathWaveArea(pCr, front, PAGE_W, PAGE_H + 2);
    SetColour(pCr, WHITE);
    cairo_fill(pCr);
}

void DrawSmallIcon(cairo_t* pCr)
{
    DrawProductIcon(pCr, SMALL_ICON_X, SMALL_ICON_Y, SMALL_ICON_SIZE);
}

struct Glint
{
    double x, y, r;
    Rgb c;
    double a;
};

void DrawGlints(cairo_t* pCr, const Glint* pGlints, size_t nCount)
{
    for (size_t i = 0; i < nCount; ++i)
        FillSparkle(pCr, pGlints[i].x, pGlints[i].y, pGlints[i].r, pGlints[i].c, pGlints[i].a);
}

struct Dot
{
    double x, y, r;
    Rgb c;
    double a;
};

void DrawDots(cairo_t* pCr, const Dot* pDots, size_t nCount)
{
    for (size_t i = 0; i < nCount; ++i) {
        cairo_new_path(pCr);
        PathCircle(pCr, pDots[i].x, pDots[i].y, pDots[i].r);
        SetColour(pCr, pDots[i].c, pDots[i].a);
        cairo_fill(pCr);
    }
}

} // namespace

CCanvas DrawWelcomeBackground()
{
    // Title "Zelqa..." is centred on x 300 at y 137, 25 high; the Install pill
    // is at (220, 210); the lower third from y 270 holds the check box, the
    // location row and the change button on white.
    CCanvas canvas(600, 400);
    cairo_t* pCr = canvas.Cr();
    DrawSky(pCr, 270);
    DrawSkyLight(pCr);

    // Light behind the product icon, with an orbit arc over it.
    FillGlow(pCr, 300, 84, 120, WHITE, 0.85);
    cairo_new_path(pCr);
    cairo_arc(pCr, 300, 86, 58, std::numbers::pi * 1.08, std::numbers::pi * 1.92);
    cairo_set_line_width(pCr, 1.2);
    SetColour(pCr, STATE_NORMAL, 0.25);
    cairo_stroke(pCr);
    static constexpr Dot ORBIT_DOTS[] = {
        {249.5, 58, 3, STATE_HOVER, 0.55},
        {355, 68, 2.2, WARM, 0.7},
    };
    DrawDots(pCr, ORBIT_DOTS, std::size(ORBIT_DOTS));

    static constexpr Glint GLINTS[] = {
        {196, 70, 6, WHITE, 1.0},        {404, 104, 5, WHITE, 1.0}, {150, 116, 3.5, STATE_NORMAL, 0.35},
        {452, 52, 4, STATE_NORMAL, 0.3}, {512, 128, 3, WHITE, 0.9}, {96, 70, 3, WHITE, 0.9},
    };
    DrawGlints(pCr, GLINTS, std::size(GLINTS));

    // Shadow under the icon, then the icon itself, 84 pixels, centred on x 300.
    cairo_save(pCr);
    cairo_translate(pCr, 300, 124);
    cairo_scale(pCr, 1, 0.16);
    FillGlow(pCr, 0, 0, 34, DEEP, 0.22);
    cairo_restore(pCr);
    DrawProductIcon(pCr, 258, 42, 84);

    DrawWaveBand(pCr, 186, 262, 0);

    DrawMakerLogo(pCr, 20, 16, 20);
    return canvas;
}

CCanvas DrawProgressBackground()
{
    // Feature lines start at x 257 with centres at y 122, 156, 190; the status
    // line sits at (40, 334) and the bar at (40, 364), both on white.
    CCanvas canvas(600, 400);
    cairo_t* pCr = canvas.Cr();
    DrawSky(pCr, 312);
    DrawSkyLight(pCr);

    // The large rocket in a pale disc of sky.
    constexpr double RX = 126;
    constexpr double RY = 146;
    FillGlow(pCr, RX, RY, 118, WHITE, 0.8);
    cairo_new_path(pCr);
    PathCircle(pCr, RX, RY, 80);
    cairo_pattern_t* pDisc = cairo_pattern_create_linear(0, RY - 80, 0, RY + 80);
    AddStop(pDisc, 0, Rgb{214, 224, 247});
    AddStop(pDisc, 1, Rgb{232, 238, 252});
    cairo_set_source(pCr, pDisc);
    cairo_fill(pCr);
    cairo_pattern_destroy(pDisc);
    cairo_new_path(pCr);
    PathCircle(pCr, RX, RY, 80);
    cairo_set_line_width(pCr, 1.5);
    SetColour(pCr, WHITE, 0.9);
    cairo_stroke(pCr);

    static constexpr Glint DISC_GLINTS[] = {
        {86, 98, 5, WHITE, 1.0},
        {170, 196, 4, WHITE, 1.0},
        {176, 88, 3, WHITE, 0.9},
        {70, 168, 3, WHITE, 0.9},
    };
    DrawGlints(pCr, DISC_GLINTS, std::size(DISC_GLINTS));

    // Speed streaks behind the rocket, along its heading.
    cairo_save(pCr);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(pCr, 2.4);
    struct Streak
    {
        double x0, y0, len;
    };
    static constexpr Streak STREAKS[] = {{78, 150, 26}, {104, 186, 20}, {62, 178, 16}};
    for (const Streak& streak : STREAKS) {
        cairo_new_path(pCr);
        cairo_move_to(pCr, streak.x0, streak.y0);
        cairo_line_to(pCr, streak.x0 - streak.len * 0.707, streak.y0 + streak.len * 0.707);
        SetColour(pCr, WHITE, 0.95);
        cairo_stroke(pCr);
    }
    cairo_restore(pCr);

    DrawRocket(pCr, RX + 4, RY - 6, 150, 45);
    FillCloud(pCr, 84, 226, 1.15, WHITE, 1.0);
    FillCloud(pCr, 132, 228, 0.8, WHITE, 1.0);

    // Bullets of the three feature lines, joined by a faint thread.
    cairo_new_path(pCr);
    cairo_move_to(pCr, 236, 122);
    cairo_line_to(pCr, 236, 190);
    cairo_set_line_width(pCr, 2);
    SetColour(pCr, TRACK);
    cairo_stroke(pCr);
    for (double y : {122.0, 156.0, 190.0}) {
        cairo_new_path(pCr);
        PathCircle(pCr, 236, y, 8);
        SetColour(pCr, TRACK);
        cairo_fill(pCr);
        cairo_new_path(pCr);
        PathCircle(pCr, 236, y, 5);
        SetColour(pCr, STATE_NORMAL);
        cairo_fill(pCr);
        cairo_new_path(pCr);
        PathCircle(pCr, 236, y, 1.8);
        SetColour(pCr, WHITE);
        cairo_fill(pCr);
    }

    DrawWaveBand(pCr, 236, 312, 1.3);

    // The small rocket riding the band, its trail dotted over the waves.
    constexpr double SX = 504;
    constexpr double SY = 268;
    constexpr double HEADING = 62;
    const double dx = std::sin(HEADING * std::numbers::pi / 180);
    const double dy = -std::cos(HEADING * std::numbers::pi / 180);
    for (int i = 0; i < 4; ++i) {
        const double t = 34 + i * 11;
        cairo_new_path(pCr);
        PathCircle(pCr, SX - dx * t, SY - dy * t, 2.6 - i * 0.5);
        SetColour(pCr, WHITE, 0.95 - i * 0.15);
        cairo_fill(pCr);
    }
    DrawRocket(pCr, SX, SY, 46, HEADING);
    static constexpr Glint BAND_GLINTS[] = {
        {548, 246, 4, WHITE, 1.0},         {402, 262, 3, WHITE, 0.9}, {522, 124, 5, WHITE, 1.0},
        {476, 74, 3.5, STATE_NORMAL, 0.3}, {566, 196, 3, WHITE, 0.9},
    };
    DrawGlints(pCr, BAND_GLINTS, std::size(BAND_GLINTS));

    DrawSmallIcon(pCr);
    return canvas;
}

CCanvas DrawFinishBackground()
{
    // The headline starts at (256, 105), 40 high, the slogan at (256, 145);
    // the Run pill sits at (220, 334) on white.
    CCanvas canvas(600, 400);
    cairo_t* pCr = canvas.Cr();
    DrawSky(pCr, 300);
    DrawSkyLight(pCr);

    FillGlow(pCr, 180, 125, 110, WHITE, 0.85);

    // Confetti around the tick.
    static constexpr Dot CONFETTI[] = {
        {108, 86, 3, STATE_HOVER, 0.6},    {244, 72, 2.5, WARM, 0.8},       {98, 168, 2.2, WARM, 0.7},
        {236, 186, 3, STATE_NORMAL, 0.45}, {150, 52, 2, STATE_NORMAL, 0.5}, {262, 52, 2, STATE_HOVER, 0.5},
    };
    DrawDots(pCr, CONFETTI, std::size(CONFETTI));
    static constexpr Glint GLINTS[] = {
        {230, 48, 5, WHITE, 1.0},        {116, 190, 4, WHITE, 1.0}, {92, 124, 4, STATE_NORMAL, 0.35},
        {420, 70, 4, STATE_NORMAL, 0.3}, {330, 60, 3, WHITE, 0.9},
    };
    DrawGlints(pCr, GLINTS, std::size(GLINTS));

    DrawTickBadge(pCr, 180, 125, 42);

    DrawWaveBand(pCr, 226, 300, 2.6);

    // The rocket lifting off the band on the right, clouds at its tail.
    static constexpr Glint ROCKET_GLINTS[] = {{562, 182, 4, WHITE, 1.0}, {452, 214, 3, WHITE, 0.9}};
    DrawGlints(pCr, ROCKET_GLINTS, std::size(ROCKET_GLINTS));
    DrawRocket(pCr, 512, 218, 96, 35);
    FillCloud(pCr, 478, 274, 0.95, WHITE, 1.0);
    FillCloud(pCr, 521, 282, 0.7, WHITE, 1.0);

    DrawSmallIcon(pCr);
    return canvas;
}

} // namespace art
