#pragma once

#include <cstdint>

#include "framework/Font.h"

// The one typeface all text of the installer is drawn in.
inline constexpr const wchar_t* kUiFontFace = L"Microsoft YaHei";

// The installer's font at a cell height in pixels; nothing else varies.
inline FontDesc UiFont(int32_t nCellHeight)
{
    FontDesc desc{};
    desc.nHeight = nCellHeight;
    desc.pszFace = kUiFontFace;
    return desc;
}
