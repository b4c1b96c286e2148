#pragma once

// What a window class does by default on Linux: the part of the platform's
// own window procedures (the default one, BUTTON, STATIC, EDIT, the dialog
// class) that the program relies on. A window's class is chosen by name when
// it is created; CWnd's base handlers end here, as they end in the class's
// procedure on Windows.

#include <memory>

#include "base/Types.h"

class CDC;
class CWnd;

class CWindowClass
{
public:
    explicit CWindowClass(CWnd& wnd) : m_wnd(wnd) {}
    virtual ~CWindowClass() = default;
    CWindowClass(const CWindowClass&) = delete;
    CWindowClass& operator=(const CWindowClass&) = delete;

    virtual void OnPaint(CDC*) {}
    virtual BOOL OnEraseBkgnd(CDC*) { return FALSE; }
    virtual void OnMouseMove(UINT, CPoint) {}
    virtual void OnLButtonDown(UINT, CPoint) {}
    virtual void OnLButtonUp(UINT, CPoint) {}
    virtual void OnKeyDown(UINT, UINT, UINT) {}
    virtual void OnChar(UINT, UINT, UINT) {}
    virtual void OnSetFocus(CWnd*) {}
    virtual void OnKillFocus(CWnd*) {}
    virtual void OnTimer(UINT_PTR) {}
    virtual void OnDestroy() {}
    // The window's text or font was replaced from outside.
    virtual void OnSetText() {}
    virtual void OnSetFont() {}

    // Whether the window lets the mouse through to what lies beneath it.
    virtual bool IsMouseTransparent() const { return false; }
    // Whether a press makes the window take the keyboard focus.
    virtual bool WantsFocusOnClick() const { return false; }

protected:
    CWnd& m_wnd;
};

// The class of the given name (matched in any letter case, as window classes
// are): "BUTTON", "STATIC", "EDIT", "#32770" for dialogs; any other name,
// or none, gets the default window procedure's behaviour.
std::unique_ptr<CWindowClass> CreateWindowClass(const wchar_t* pszClassName, CWnd& wnd);

// The class behind a window, or null when it has no window.
CWindowClass* WindowClassOf(const CWnd* pWnd);
