#pragma once

#include <functional>
#include <vector>

#include "framework/DC.h"
#include "framework/Dialog.h"
#include "framework/Graphics.h"
#include "controls/PageBackground.h"
#include "controls/PageImage.h"
#include "controls/PngResource.h"
#include "res/resource.h"

// A window for control tests: paints a page background under its children, as
// the installer window does, and records the commands its children send.
class CControlHost : public CDialog, public IPageBackground
{
public:
    CControlHost(int cx, int cy, std::function<void(CControlHost&)> create)
        : CDialog(IDD_MESSAGEBOX), m_cx(cx), m_cy(cy), m_create(std::move(create))
    {
        LoadPngResource(IDB_BACKGROUND_WELCOME, m_pBackground);
    }

    BOOL OnInitDialog() override
    {
        SetWindowPos(nullptr, 0, 0, m_cx, m_cy, SWP_NOMOVE);
        m_create(*this);
        return TRUE;
    }
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        DrawPageBackground(&dc, rc);
    }
    void DrawPageBackground(CDC* pDC, const CRect& rcPage) override
    {
        if (m_bSkin != m_bPageSkin)
            m_page.Reset();
        m_bPageSkin = m_bSkin;
        CRect rc;
        GetClientRect(&rc);
        m_page.CopyTo(pDC, rcPage, CSize(rc.Width(), rc.Height()), [&](CDC& dc) {
            dc.FillSolidRect(rc, RGB(255, 255, 255));
            if (m_bSkin && m_pBackground) {
                CGraphics g(&dc);
                g.DrawImage(m_pBackground.get(), rc, 0, 0, 600, 400);
            }
        });
    }
    BOOL OnCommand(UINT nID, UINT nCode) override
    {
        m_commands.push_back(nID);
        (void)nCode;
        return TRUE;
    }

    bool m_bSkin = false;
    std::vector<UINT> m_commands;

private:
    int m_cx;
    int m_cy;
    std::function<void(CControlHost&)> m_create;
    std::unique_ptr<CImage> m_pBackground;
    CPageImage m_page;
    bool m_bPageSkin = false;
};
