#pragma once

#include <cairo.h>

#include <cstdint>

// Colours and path helpers shared by all the artwork.
namespace art
{

struct Rgb
{
    uint8_t r;
    uint8_t g;
    uint8_t b;
};

// The skin's state colours; every strip and background is built around them.
inline constexpr Rgb STATE_NORMAL{113, 138, 185};
inline constexpr Rgb STATE_HOVER{124, 153, 208};
inline constexpr Rgb STATE_PRESSED{100, 127, 175};
inline constexpr Rgb STATE_DISABLED{209, 214, 227};

inline constexpr Rgb WHITE{255, 255, 255};
inline constexpr Rgb TRACK{216, 224, 244}; // progress track, the pale band
inline constexpr Rgb DEEP{78, 98, 142};    // shadows and small dark details
inline constexpr Rgb INK{62, 77, 108};     // maker's wordmark
inline constexpr Rgb WARM{255, 160, 72};   // the one warm accent: flames, sun, badge
inline constexpr Rgb WARM_LIGHT{255, 216, 132};

void SetColour(cairo_t* pCr, Rgb c, double dAlpha = 1.0);
void AddStop(cairo_pattern_t* pPattern, double dOffset, Rgb c, double dAlpha = 1.0);

void PathRoundedRect(cairo_t* pCr, double x, double y, double w, double h, double r);
void PathCircle(cairo_t* pCr, double cx, double cy, double r);

// A wave line y(x) made of two sines.
struct Wave
{
    double dBase;
    double dAmp1;
    double dLen1;
    double dPhase1;
    double dAmp2;
    double dLen2;
    double dPhase2;

    double At(double x) const;
};

// The area below the wave down to dBottom, across 0..dWidth.
void PathWaveArea(cairo_t* pCr, const Wave& wave, double dWidth, double dBottom);
void PathWaveLine(cairo_t* pCr, const Wave& wave, double dFrom, double dTo);

// A four-pointed glint.
void FillSparkle(cairo_t* pCr, double cx, double cy, double r, Rgb c, double dAlpha);
// A puffy cloud with a flat base, centred on (cx, base), about 60 * dScale wide.
void FillCloud(cairo_t* pCr, double cx, double dBase, double dScale, Rgb c, double dAlpha);
// A round glow fading from dAlpha at the centre to nothing at radius r.
void FillGlow(cairo_t* pCr, double cx, double cy, double r, Rgb c, double dAlpha);

} // namespace art
