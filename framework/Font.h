#pragma once

#include "common/UiFont.h"
#include "framework/Types.h"

// An owned font handle, created from a font description whose height is the
// character cell height in pixels.
class CFont
{
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const UiFontDesc& desc);
    void DeleteObject();
    HFONT GetSafeHandle() const { return m_hFont; }

private:
    HFONT m_hFont = nullptr;
};
