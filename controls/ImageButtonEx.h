#pragma once

#include "controls/StripButton.h"

// A push button drawn entirely from a four-state strip, with no caption.
class CImageButtonEx : public CStripButton
{
public:
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};
