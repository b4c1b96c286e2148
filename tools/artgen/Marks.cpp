#include "Marks.h"

#include "Paint.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace art
{

namespace
{

constexpr double PI = std::numbers::pi;

double Radians(double dDegrees)
{
    return dDegrees * PI / 180.0;
}

// A filled, linearly shaded path; the path must already be set.
void FillLinear(cairo_t* pCr, double x0, double y0, Rgb c0, double x1, double y1, Rgb c1)
{
    cairo_pattern_t* pShade = cairo_pattern_create_linear(x0, y0, x1, y1);
    AddStop(pShade, 0, c0);
    AddStop(pShade, 1, c1);
    cairo_set_source(pCr, pShade);
    cairo_fill(pCr);
    cairo_pattern_destroy(pShade);
}

// A circular arrow of the conversion badge: an arc from a0 to a1 (clockwise)
// with a head at a1.
void CircularArrow(cairo_t* pCr, double cx, double cy, double r, double a0, double a1, double w, double dHeadScale)
{
    cairo_new_path(pCr);
    cairo_arc(pCr, cx, cy, r, a0, a1 - 0.35);
    cairo_set_line_width(pCr, w);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(pCr);

    const double ex = cx + r * std::cos(a1);
    const double ey = cy + r * std::sin(a1);
    const double tx = -std::sin(a1); // direction of travel
    const double ty = std::cos(a1);
    const double nx = std::cos(a1); // outward
    const double ny = std::sin(a1);
    const double dHead = w * dHeadScale;
    cairo_new_path(pCr);
    cairo_move_to(pCr, ex + tx * dHead * 0.9, ey + ty * dHead * 0.9);
    cairo_line_to(pCr, ex - tx * dHead * 0.5 + nx * dHead, ey - ty * dHead * 0.5 + ny * dHead);
    cairo_line_to(pCr, ex - tx * dHead * 0.5 - nx * dHead, ey - ty * dHead * 0.5 - ny * dHead);
    cairo_close_path(pCr);
    cairo_fill(pCr);
}

} // namespace

void DrawProductIcon(cairo_t* pCr, double x, double y, double dSize)
{
    // Drawn in a unit square; below 30 pixels the details would only blur.
    const bool bSimple = dSize < 30;
    cairo_save(pCr);
    cairo_translate(pCr, x, y);
    cairo_scale(pCr, dSize, dSize);
    cairo_set_fill_rule(pCr, CAIRO_FILL_RULE_WINDING);

    const double dInset = bSimple ? 0.5 / dSize : 0.055;
    const double dTile = 1 - 2 * dInset;
    const double dRadius = 0.22;

    if (dSize >= 40) {
        // A soft drop shadow from a few widening, faint layers.
        for (int i = 4; i >= 1; --i) {
            const double d = i * 0.012;
            cairo_new_path(pCr);
            PathRoundedRect(pCr, dInset - d * 0.6, dInset + 0.02 - d * 0.2, dTile + d * 1.2, dTile + d * 1.0,
                            dRadius + d);
            SetColour(pCr, DEEP, 0.035);
            cairo_fill(pCr);
        }
    }

    // The tile.
    cairo_new_path(pCr);
    PathRoundedRect(pCr, dInset, dInset, dTile, dTile, dRadius);
    FillLinear(pCr, 0.1, 0.0, Rgb{133, 162, 216}, 0.9, 1.0, Rgb{90, 114, 168});

    // Light falling on its upper half.
    cairo_save(pCr);
    cairo_new_path(pCr);
    PathRoundedRect(pCr, dInset, dInset, dTile, dTile, dRadius);
    cairo_clip(pCr);
    cairo_new_path(pCr);
    cairo_arc(pCr, 0.5, -0.55, 1.05, 0, 2 * PI);
    cairo_pattern_t* pSheen = cairo_pattern_create_linear(0, 0, 0, 0.5);
    AddStop(pSheen, 0, WHITE, 0.20);
    AddStop(pSheen, 1, WHITE, 0.0);
    cairo_set_source(pCr, pSheen);
    cairo_fill(pCr);
    cairo_pattern_destroy(pSheen);
    cairo_restore(pCr);

    // The photo card.
    const double cx0 = bSimple ? 0.17 : 0.19;
    const double cy0 = bSimple ? 0.21 : 0.22;
    const double cw = bSimple ? 0.66 : 0.56;
    const double ch = bSimple ? 0.58 : 0.47;
    const double dBorder = bSimple ? 0.07 : 0.045;
    if (!bSimple) {
        cairo_new_path(pCr);
        PathRoundedRect(pCr, cx0, cy0 + 0.025, cw, ch, 0.07);
        SetColour(pCr, DEEP, 0.22);
        cairo_fill(pCr);
    }
    cairo_new_path(pCr);
    PathRoundedRect(pCr, cx0, cy0, cw, ch, bSimple ? 0.09 : 0.07);
    SetColour(pCr, WHITE);
    cairo_fill(pCr);

    // The picture on the card: sky, sun and two hills.
    const double px0 = cx0 + dBorder;
    const double py0 = cy0 + dBorder;
    const double pw = cw - 2 * dBorder;
    const double ph = ch - 2 * dBorder;
    cairo_save(pCr);
    cairo_new_path(pCr);
    PathRoundedRect(pCr, px0, py0, pw, ph, bSimple ? 0.03 : 0.035);
    cairo_clip(pCr);
    cairo_new_path(pCr);
    cairo_rectangle(pCr, px0, py0, pw, ph);
    FillLinear(pCr, 0, py0, Rgb{238, 243, 253}, 0, py0 + ph, Rgb{211, 223, 247});

    cairo_new_path(pCr);
    PathCircle(pCr, px0 + pw * 0.74, py0 + ph * 0.27, bSimple ? 0.075 : 0.048);
    FillLinear(pCr, 0, py0, WARM_LIGHT, 0, py0 + ph * 0.45, WARM);

    auto px = [&](double u) { return px0 + pw * u; };
    auto py = [&](double v) { return py0 + ph * v; };
    cairo_new_path(pCr);
    cairo_move_to(pCr, px(0), py(1.05));
    cairo_line_to(pCr, px(0), py(0.78));
    cairo_curve_to(pCr, px(0.18), py(0.55), px(0.30), py(0.33), px(0.38), py(0.33));
    cairo_curve_to(pCr, px(0.48), py(0.33), px(0.56), py(0.60), px(0.64), py(0.60));
    cairo_curve_to(pCr, px(0.72), py(0.60), px(0.78), py(0.50), px(0.84), py(0.50));
    cairo_curve_to(pCr, px(0.92), py(0.50), px(0.98), py(0.66), px(1.02), py(0.72));
    cairo_line_to(pCr, px(1.02), py(1.05));
    cairo_close_path(pCr);
    FillLinear(pCr, 0, py(0.33), Rgb{168, 189, 229}, 0, py(1), Rgb{140, 164, 210});

    cairo_new_path(pCr);
    cairo_move_to(pCr, px(-0.02), py(1.05));
    cairo_line_to(pCr, px(-0.02), py(0.86));
    cairo_curve_to(pCr, px(0.10), py(0.74), px(0.22), py(0.58), px(0.32), py(0.58));
    cairo_curve_to(pCr, px(0.46), py(0.58), px(0.60), py(0.92), px(0.74), py(1.05));
    cairo_close_path(pCr);
    FillLinear(pCr, 0, py(0.58), Rgb{110, 136, 187}, 0, py(1), Rgb{86, 110, 162});
    cairo_restore(pCr);

    if (!bSimple) {
        // The conversion badge over the card's lower right corner.
        const double bx = 0.715;
        const double by = 0.705;
        const double br = 0.165;
        cairo_new_path(pCr);
        PathCircle(pCr, bx, by + 0.012, br + 0.035);
        SetColour(pCr, DEEP, 0.18);
        cairo_fill(pCr);
        cairo_new_path(pCr);
        PathCircle(pCr, bx, by, br + 0.03);
        SetColour(pCr, WHITE);
        cairo_fill(pCr);
        cairo_new_path(pCr);
        PathCircle(pCr, bx, by, br);
        FillLinear(pCr, bx - br, by - br, Rgb{255, 190, 96}, bx + br, by + br, Rgb{243, 128, 52});

        SetColour(pCr, WHITE);
        // Thinner strokes and smaller heads as the badge shrinks, so the arrows stay apart.
        const bool bLarge = dSize >= 44;
        const double ar = br * (bLarge ? 0.56 : 0.6);
        const double aw = bLarge ? 0.028 : 0.042;
        const double dHead = bLarge ? 1.7 : 1.15;
        CircularArrow(pCr, bx, by, ar, Radians(200), Radians(340), aw, dHead);
        CircularArrow(pCr, bx, by, ar, Radians(20), Radians(160), aw, dHead);
    }

    cairo_restore(pCr);
}

double DrawMakerLogo(cairo_t* pCr, double x, double y, double dHeight)
{
    cairo_save(pCr);
    cairo_translate(pCr, x, y);
    const double s = dHeight / 20.0; // designed at 20 pixels

    // The mark: a tile with a geometric 'b' cut from two strokes.
    cairo_new_path(pCr);
    PathRoundedRect(pCr, 0, 0, 20 * s, 20 * s, 5.5 * s);
    FillLinear(pCr, 0, 0, Rgb{124, 153, 208}, 20 * s, 20 * s, Rgb{84, 104, 152});
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(pCr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(pCr, 2.2 * s);
    SetColour(pCr, WHITE);
    cairo_new_path(pCr);
    cairo_move_to(pCr, 6.6 * s, 4.6 * s);
    cairo_line_to(pCr, 6.6 * s, 15.4 * s);
    cairo_stroke(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, 10.6 * s, 11.4 * s, 4.0 * s);
    cairo_stroke(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, 15.6 * s, 5.2 * s, 1.5 * s);
    SetColour(pCr, WARM_LIGHT);
    cairo_fill(pCr);

    // The wordmark, built from strokes so it needs no font.
    const double h = 9.0 * s;     // x-height
    const double dAsc = 13.0 * s; // ascender
    const double r = h / 2;
    const double b = 14.6 * s; // baseline
    const double dGap = 3.1 * s;
    double cx = 27.0 * s;
    SetColour(pCr, INK);
    cairo_set_line_width(pCr, 1.7 * s);
    cairo_new_path(pCr);

    // b
    cairo_move_to(pCr, cx, b - dAsc);
    cairo_line_to(pCr, cx, b);
    PathCircle(pCr, cx + r, b - r, r);
    cx += 2 * r + dGap;
    // r
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx, b);
    cairo_line_to(pCr, cx, b - h);
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx, b - h * 0.42);
    cairo_curve_to(pCr, cx, b - h * 0.86, cx + h * 0.18, b - h, cx + h * 0.58, b - h);
    cx += h * 0.58 + dGap;
    // o
    PathCircle(pCr, cx + r, b - r, r);
    cx += 2 * r + dGap;
    // v
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx, b - h);
    cairo_line_to(pCr, cx + h * 0.44, b);
    cairo_line_to(pCr, cx + h * 0.88, b - h);
    cx += h * 0.88 + dGap;
    // i
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx, b - h);
    cairo_line_to(pCr, cx, b);
    const double dDotX = cx;
    cx += dGap;
    // x
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx, b - h);
    cairo_line_to(pCr, cx + h * 0.84, b);
    cairo_new_sub_path(pCr);
    cairo_move_to(pCr, cx + h * 0.84, b - h);
    cairo_line_to(pCr, cx, b);
    cx += h * 0.84;
    cairo_stroke(pCr);

    cairo_new_path(pCr);
    PathCircle(pCr, dDotX, b - h - 3.0 * s, 1.15 * s);
    cairo_fill(pCr);

    cairo_restore(pCr);
    return cx + 1.0 * s;
}

void DrawRocket(cairo_t* pCr, double cx, double cy, double dLength, double dAngle)
{
    // Designed pointing up with the nose at y = -0.5 and the flame's tip at 0.66.
    cairo_save(pCr);
    cairo_translate(pCr, cx, cy);
    cairo_rotate(pCr, Radians(dAngle));
    cairo_scale(pCr, dLength / 1.16, dLength / 1.16);
    cairo_translate(pCr, 0, -0.08);
    cairo_set_line_join(pCr, CAIRO_LINE_JOIN_ROUND);

    // Flame.
    cairo_new_path(pCr);
    cairo_move_to(pCr, -0.078, 0.28);
    cairo_curve_to(pCr, -0.10, 0.42, -0.03, 0.52, 0, 0.66);
    cairo_curve_to(pCr, 0.03, 0.52, 0.10, 0.42, 0.078, 0.28);
    cairo_close_path(pCr);
    cairo_pattern_t* pFlame = cairo_pattern_create_linear(0, 0.28, 0, 0.66);
    AddStop(pFlame, 0, WARM_LIGHT);
    AddStop(pFlame, 0.45, WARM, 0.95);
    AddStop(pFlame, 1, Rgb{255, 120, 70}, 0);
    cairo_set_source(pCr, pFlame);
    cairo_fill(pCr);
    cairo_pattern_destroy(pFlame);
    cairo_new_path(pCr);
    cairo_move_to(pCr, -0.042, 0.28);
    cairo_curve_to(pCr, -0.05, 0.36, -0.015, 0.42, 0, 0.50);
    cairo_curve_to(pCr, 0.015, 0.42, 0.05, 0.36, 0.042, 0.28);
    cairo_close_path(pCr);
    pFlame = cairo_pattern_create_linear(0, 0.28, 0, 0.50);
    AddStop(pFlame, 0, Rgb{255, 252, 236});
    AddStop(pFlame, 1, WARM_LIGHT, 0);
    cairo_set_source(pCr, pFlame);
    cairo_fill(pCr);
    cairo_pattern_destroy(pFlame);

    // Side fins, behind the body.
    for (int nSide : {-1, 1}) {
        cairo_new_path(pCr);
        cairo_move_to(pCr, nSide * 0.13, -0.02);
        cairo_curve_to(pCr, nSide * 0.23, 0.05, nSide * 0.29, 0.16, nSide * 0.28, 0.31);
        cairo_curve_to(pCr, nSide * 0.27, 0.33, nSide * 0.25, 0.33, nSide * 0.235, 0.32);
        cairo_line_to(pCr, nSide * 0.11, 0.245);
        cairo_close_path(pCr);
        FillLinear(pCr, 0, -0.02, STATE_HOVER, 0, 0.33, STATE_PRESSED);
    }

    // Nozzle.
    cairo_new_path(pCr);
    cairo_move_to(pCr, -0.085, 0.25);
    cairo_line_to(pCr, 0.085, 0.25);
    cairo_line_to(pCr, 0.062, 0.305);
    cairo_line_to(pCr, -0.062, 0.305);
    cairo_close_path(pCr);
    SetColour(pCr, DEEP);
    cairo_fill(pCr);

    // Body, lit from the left.
    auto bodyPath = [pCr] {
        cairo_new_path(pCr);
        cairo_move_to(pCr, 0, -0.5);
        cairo_curve_to(pCr, 0.10, -0.43, 0.158, -0.23, 0.152, -0.02);
        cairo_curve_to(pCr, 0.149, 0.10, 0.137, 0.19, 0.12, 0.265);
        cairo_line_to(pCr, -0.12, 0.265);
        cairo_curve_to(pCr, -0.137, 0.19, -0.149, 0.10, -0.152, -0.02);
        cairo_curve_to(pCr, -0.158, -0.23, -0.10, -0.43, 0, -0.5);
        cairo_close_path(pCr);
    };
    bodyPath();
    cairo_pattern_t* pBody = cairo_pattern_create_linear(-0.155, 0, 0.155, 0);
    AddStop(pBody, 0, Rgb{250, 252, 255});
    AddStop(pBody, 0.4, WHITE);
    AddStop(pBody, 1, Rgb{203, 214, 238});
    cairo_set_source(pCr, pBody);
    cairo_fill_preserve(pCr);
    cairo_pattern_destroy(pBody);

    // Nose cone and the band above the nozzle, clipped to the body.
    cairo_save(pCr);
    cairo_clip(pCr);
    cairo_new_path(pCr);
    cairo_move_to(pCr, -0.3, -0.5);
    cairo_line_to(pCr, 0.3, -0.5);
    cairo_line_to(pCr, 0.3, -0.27);
    cairo_curve_to(pCr, 0.1, -0.25, -0.1, -0.25, -0.3, -0.27);
    cairo_close_path(pCr);
    FillLinear(pCr, -0.15, 0, STATE_HOVER, 0.15, 0, STATE_PRESSED);
    cairo_new_path(pCr);
    cairo_rectangle(pCr, -0.3, 0.185, 0.6, 0.032);
    SetColour(pCr, TRACK);
    cairo_fill(pCr);
    cairo_restore(pCr);

    bodyPath();
    cairo_set_line_width(pCr, 0.012);
    SetColour(pCr, DEEP, 0.35);
    cairo_stroke(pCr);

    // Porthole.
    cairo_new_path(pCr);
    PathCircle(pCr, 0, -0.09, 0.072);
    SetColour(pCr, STATE_PRESSED);
    cairo_fill(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, 0, -0.09, 0.048);
    FillLinear(pCr, -0.03, -0.13, Rgb{220, 233, 253}, 0.03, -0.05, Rgb{128, 158, 212});
    cairo_new_path(pCr);
    cairo_arc(pCr, 0, -0.09, 0.03, Radians(200), Radians(260));
    cairo_set_line_width(pCr, 0.013);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    SetColour(pCr, WHITE, 0.9);
    cairo_stroke(pCr);

    // Middle fin, seen edge on.
    cairo_new_path(pCr);
    PathRoundedRect(pCr, -0.021, 0.1, 0.042, 0.235, 0.021);
    FillLinear(pCr, -0.02, 0, STATE_HOVER, 0.02, 0, STATE_PRESSED);

    cairo_restore(pCr);
}

void DrawTickBadge(cairo_t* pCr, double cx, double cy, double r)
{
    cairo_save(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, cx, cy, r * 1.62);
    SetColour(pCr, WHITE, 0.35);
    cairo_fill(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, cx, cy, r * 1.3);
    SetColour(pCr, TRACK, 0.65);
    cairo_fill(pCr);

    // The disc with a faint shadow below.
    cairo_new_path(pCr);
    PathCircle(pCr, cx, cy + r * 0.06, r * 1.02);
    SetColour(pCr, DEEP, 0.18);
    cairo_fill(pCr);
    cairo_new_path(pCr);
    PathCircle(pCr, cx, cy, r);
    FillLinear(pCr, cx - r * 0.6, cy - r, Rgb{134, 163, 217}, cx + r * 0.6, cy + r, STATE_PRESSED);

    // Light on the upper rim.
    cairo_new_path(pCr);
    cairo_arc(pCr, cx, cy, r * 0.86, Radians(200), Radians(290));
    cairo_set_line_width(pCr, r * 0.06);
    cairo_set_line_cap(pCr, CAIRO_LINE_CAP_ROUND);
    SetColour(pCr, WHITE, 0.35);
    cairo_stroke(pCr);

    cairo_new_path(pCr);
    cairo_move_to(pCr, cx - r * 0.42, cy + r * 0.02);
    cairo_line_to(pCr, cx - r * 0.12, cy + r * 0.32);
    cairo_line_to(pCr, cx + r * 0.44, cy - r * 0.26);
    cairo_set_line_width(pCr, r * 0.19);
    cairo_set_line_join(pCr, CAIRO_LINE_JOIN_ROUND);
    SetColour(pCr, WHITE);
    cairo_stroke(pCr);
    cairo_restore(pCr);
}

} // namespace art
