#pragma once

#include <cairo.h>

// The recurring pictures: the product's mark, the maker's logo, the rocket and
// the completion tick. Each draws itself at a given place and size.
namespace art
{

// The product mark in the square (x, y, dSize); small sizes get a simpler drawing.
void DrawProductIcon(cairo_t* pCr, double x, double y, double dSize);

// The maker's logo: a square mark dHeight high with the wordmark to its right.
// Returns the logo's width.
double DrawMakerLogo(cairo_t* pCr, double x, double y, double dHeight);

// A rocket dLength long (nose to end of flame), centred on (cx, cy), turned
// dAngle degrees clockwise from pointing straight up.
void DrawRocket(cairo_t* pCr, double cx, double cy, double dLength, double dAngle);

// A tick in a filled circle of radius r with soft rings around it.
void DrawTickBadge(cairo_t* pCr, double cx, double cy, double r);

} // namespace art
