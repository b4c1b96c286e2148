#pragma once

#include <cstdint>

// The one typeface all text of the installer is drawn in, described the way the
// window system's font creation takes it. Only the cell height varies.
struct UiFontDesc
{
    int32_t nHeight;              // character cell height in pixels (positive)
    int32_t nWeight = 400;        // normal
    bool bItalic = false;
    bool bUnderline = false;
    bool bStrikeOut = false;
    uint8_t nCharSet = 1;         // default character set
    uint8_t nPitchAndFamily = 0x20; // swiss family, default pitch
    const wchar_t* pszFace = L"Microsoft YaHei";
};

inline UiFontDesc UiFont(int32_t nCellHeight)
{
    UiFontDesc desc{};
    desc.nHeight = nCellHeight;
    return desc;
}
