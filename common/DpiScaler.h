#pragma once

#include <cstdint>

// Turns a length designed for a 96-DPI screen into screen pixels. Horizontal
// values go through ScaleX, vertical ones through ScaleY. The screen DPI is read
// on first use and kept for the scaler's life.
class DpiScaler
{
public:
    int32_t ScaleX(int32_t value);
    int32_t ScaleY(int32_t value);

    bool m_bInitialized = false;
    int32_t m_nDpiX = 96;
    int32_t m_nDpiY = 96;

private:
    void EnsureDpi();
};

// A 96-DPI design length in pixels at the screen's DPI of the moment: a fresh
// scaler per call, so a window laid out after a DPI change follows it.
int32_t ScaledX(int32_t value);
int32_t ScaledY(int32_t value);
