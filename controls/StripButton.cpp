#include "controls/StripButton.h"

#include "controls/PngResource.h"
#include "framework/DC.h"
#include "framework/Imaging.h"

CStripButton::CStripButton() : m_gdiplusToken(ImagingStartup())
{
}

CStripButton::~CStripButton()
{
    // Images go before the imaging start-up they were made under.
    m_pImage.reset();
    if (m_gdiplusToken != 0)
        ImagingShutdown(m_gdiplusToken);
}

void CStripButton::SetImage(UINT nResourceId)
{
    if (LoadPngResource(nResourceId, m_pImage))
        SizeControlToStrip(this, m_pImage.get(), false);
}

void CStripButton::PreSubclassWindow()
{
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

void CStripButton::DrawStateCell(CDC* pDC, const CRect& rcItem)
{
    DrawStripCell(pDC, m_pImage.get(), rcItem, StateCellRect(m_pImage->GetWidth(), m_pImage->GetHeight(), m_nState));
}
