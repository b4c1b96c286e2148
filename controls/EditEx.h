#pragma once

#include <string>

#include "controls/CustomDrawEdit.h"
#include "framework/Font.h"
#include "framework/Brush.h"
#include "framework/Static.h"

// The skinned text box: an owner-drawn frame (a flat rectangle with a 1-pixel
// outline) around an edit field that it creates on its first paint, inset by 5
// pixels at 96 DPI (scaled), with a font as tall as the field. The owner sets
// the text with SetText and reads what the user made of it from m_edit.
class CEditEx : public CStatic
{
public:
    CEditEx();
    ~CEditEx() override;

    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }

    // White fill for the frame and the field.
    void SetWhiteBackground();
    // The field shows this text from the frame's next paint on.
    void SetText(const std::wstring& text);

    CCustomDrawEdit m_edit;
    int32_t m_nRadius;
    COLORREF m_crBorder;
    COLORREF m_crBack;
    CBrush m_brBack;
    std::wstring m_strText;
    CFont m_font;

private:
    static constexpr UINT kEditId = 1;

    void CreateEdit();
    // Gives the field the frame's background colour and brush.
    void PassBackground();

    // SetText gave a text the field has not been given yet. Only such a text
    // is pushed, so a repaint of the frame never undoes what the user typed.
    bool m_bTextPending = false;
};
