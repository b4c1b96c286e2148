#pragma once

#include "framework/linux/WindowClass.h"

// The dialog class: erases in the system's dialog face colour.
class CDialogClass : public CWindowClass
{
public:
    using CWindowClass::CWindowClass;

    BOOL OnEraseBkgnd(CDC* pDC) override;
};
