#pragma once

#include <cstdint>

#include "base/Types.h"

// A font as the window system's font creation takes it. Only the face and the
// cell height usually vary; the face is the application's to choose, and
// without one the backend's own interface face is used.
struct FontDesc
{
    int32_t nHeight = 0;   // character cell height in pixels (positive)
    int32_t nWeight = 400; // normal
    bool bItalic = false;
    bool bUnderline = false;
    bool bStrikeOut = false;
    uint8_t nCharSet = 1;           // default character set
    uint8_t nPitchAndFamily = 0x20; // swiss family, default pitch
    const wchar_t* pszFace = nullptr;
};

// An owned font handle, created from a font description whose height is the
// character cell height in pixels.
class CFont
{
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const FontDesc& desc);
    void DeleteObject();
    HFONT GetSafeHandle() const { return m_hFont; }

private:
    HFONT m_hFont = nullptr;
};
