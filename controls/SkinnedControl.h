#pragma once

#include <cstdio>

#include "controls/StateStrip.h"
#include "framework/Wnd.h"

// The mouse behaviour every skinned control shares, on top of the window class
// `Base` whose default processing it keeps: the hover look once the pointer has
// rested 50 ms, the normal look when it leaves or the button is released, the
// pressed look while it is held. With m_bEnabled cleared the control ignores the
// mouse entirely and keeps whatever state its owner gave it.
template <typename Base>
class CSkinnedControl : public Base
{
public:
    int m_nState = STATE_NORMAL;
    int m_bEnabled = 1;

    void OnMouseMove(UINT nFlags, CPoint point) override
    {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = this->m_hWnd;
        track.dwHoverTime = 50;
        TrackMouseEvent(&track);
        Base::OnMouseMove(nFlags, point);
    }

    void OnMouseHover(UINT nFlags, CPoint point) override
    {
        if (!m_bEnabled)
            return;
        m_nState = STATE_HOVER;
        this->Invalidate(TRUE);
        Base::OnMouseHover(nFlags, point);
    }

    void OnMouseLeave() override
    {
        if (!m_bEnabled)
            return;
        m_nState = STATE_NORMAL;
        this->Invalidate(TRUE);
        Base::OnMouseLeave();
    }

    void OnLButtonDown(UINT nFlags, CPoint point) override
    {
        if (!m_bEnabled)
            return;
        m_nState = STATE_PRESSED;
        Base::OnLButtonDown(nFlags, point);
    }

    void OnLButtonUp(UINT nFlags, CPoint point) override
    {
        if (!m_bEnabled)
            return;
        m_nState = STATE_NORMAL;
        Base::OnLButtonUp(nFlags, point);
    }

    // Every paint lays the page beneath itself (PaintOverPage), so erasing
    // first would only show the bare page on the screen for a moment.
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};
