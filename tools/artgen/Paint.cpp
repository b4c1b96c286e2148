#include "Paint.h"

#include <cmath>
#include <numbers>

namespace art
{

void SetColour(cairo_t* pCr, Rgb c, double dAlpha)
{
    if (dAlpha >= 1.0)
        cairo_set_source_rgb(pCr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    else
        cairo_set_source_rgba(pCr, c.r / 255.0, c.g / 255.0, c.b / 255.0, dAlpha);
}

void AddStop(cairo_pattern_t* pPattern, double dOffset, Rgb c, double dAlpha)
{
    cairo_pattern_add_color_stop_rgba(pPattern, dOffset, c.r / 255.0, c.g / 255.0, c.b / 255.0, dAlpha);
}

void PathRoundedRect(cairo_t* pCr, double x, double y, double w, double h, double r)
{
    constexpr double PI = std::numbers::pi;
    r = std::fmin(r, std::fmin(w, h) / 2);
    cairo_new_sub_path(pCr);
    cairo_arc(pCr, x + w - r, y + r, r, -PI / 2, 0);
    cairo_arc(pCr, x + w - r, y + h - r, r, 0, PI / 2);
    cairo_arc(pCr, x + r, y + h - r, r, PI / 2, PI);
    cairo_arc(pCr, x + r, y + r, r, PI, 3 * PI / 2);
    cairo_close_path(pCr);
}

void PathCircle(cairo_t* pCr, double cx, double cy, double r)
{
    cairo_new_sub_path(pCr);
    cairo_arc(pCr, cx, cy, r, 0, 2 * std::numbers::pi);
    cairo_close_path(pCr);
}

double Wave::At(double x) const
{
    constexpr double TAU = 2 * std::numbers::pi;
    return dBase + dAmp1 * std::sin(TAU * x / dLen1 + dPhase1) + dAmp2 * std::sin(TAU * x / dLen2 + dPhase2);
}

void PathWaveArea(cairo_t* pCr, const Wave& wave, double dWidth, double dBottom)
{
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, -2, dBottom);
    for (double x = -2; x <= dWidth + 2; x += 2)
        cairo_line_to(pCr, x, wave.At(x));
    cairo_line_to(pCr, dWidth + 2, dBottom);
    cairo_close_path(pCr);
}

void PathWaveLine(cairo_t* pCr, const Wave& wave, double dFrom, double dTo)
{
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, dFrom, wave.At(dFrom));
    for (double x = dFrom + 2; x < dTo; x += 2)
        cairo_line_to(pCr, x, wave.At(x));
    cairo_line_to(pCr, dTo, wave.At(dTo));
}

void FillSparkle(cairo_t* pCr, double cx, double cy, double r, Rgb c, double dAlpha)
{
    const double w = r * 0.28;
    cairo_new_path(pCr);
    cairo_move_to(pCr, cx, cy - r);
    cairo_curve_to(pCr, cx + w * 0.3, cy - w, cx + w, cy - w * 0.3, cx + r, cy);
    cairo_curve_to(pCr, cx + w, cy + w * 0.3, cx + w * 0.3, cy + w, cx, cy + r);
    cairo_curve_to(pCr, cx - w * 0.3, cy + w, cx - w, cy + w * 0.3, cx - r, cy);
    cairo_curve_to(pCr, cx - w, cy - w * 0.3, cx - w * 0.3, cy - w, cx, cy - r);
    cairo_close_path(pCr);
    SetColour(pCr, c, dAlpha);
    cairo_fill(pCr);
}

void FillCloud(cairo_t* pCr, double cx, double dBase, double dScale, Rgb c, double dAlpha)
{
    // Overlapping puffs filled as one path, so a translucent cloud has no seams.
    struct Puff
    {
        double x, y, r;
    };
    static constexpr Puff PUFFS[] = {
        {-20, -7, 9}, {-7, -14, 13}, {9, -12, 11}, {21, -6, 8}, {0, -5, 10},
    };
    cairo_new_path(pCr);
    for (const Puff& puff : PUFFS)
        PathCircle(pCr, cx + puff.x * dScale, dBase + puff.y * dScale, puff.r * dScale);
    PathRoundedRect(pCr, cx - 27 * dScale, dBase - 9 * dScale, 54 * dScale, 9 * dScale, 4.5 * dScale);
    cairo_set_fill_rule(pCr, CAIRO_FILL_RULE_WINDING);
    SetColour(pCr, c, dAlpha);
    cairo_fill(pCr);
}

void FillGlow(cairo_t* pCr, double cx, double cy, double r, Rgb c, double dAlpha)
{
    cairo_pattern_t* pGlow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    AddStop(pGlow, 0, c, dAlpha);
    AddStop(pGlow, 0.45, c, dAlpha * 0.55);
    AddStop(pGlow, 1, c, 0);
    cairo_set_source(pCr, pGlow);
    cairo_new_path(pCr);
    PathCircle(pCr, cx, cy, r);
    cairo_fill(pCr);
    cairo_pattern_destroy(pGlow);
}

} // namespace art
