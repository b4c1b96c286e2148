#include "controls/PageImage.h"

bool CPageImage::CopyTo(CDC* pDC, const CRect& rcPage, CSize size, const std::function<void(CDC& dc)>& draw)
{
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    if (!m_bitmap.GetSafeHandle() || size != m_size) {
        Reset();
        if (!m_dc.CreateCompatibleDC(pDC) || !m_bitmap.CreateCompatibleBitmap(pDC, size.cx, size.cy)) {
            Reset();
            return false;
        }
        m_hOldBitmap = m_dc.SelectObject(&m_bitmap);
        m_bSelected = true;
        m_size = size;
        draw(m_dc);
    }
    return pDC->BitBlt(0, 0, rcPage.Width(), rcPage.Height(), &m_dc, rcPage.left, rcPage.top, SRCCOPY) != FALSE;
}

void CPageImage::Reset()
{
    // A bitmap still selected into a context cannot be deleted: the context
    // gets its own back and goes first.
    if (m_bSelected)
        m_dc.SelectObject(m_hOldBitmap);
    m_bSelected = false;
    m_hOldBitmap = nullptr;
    m_dc.DeleteDC();
    m_bitmap.DeleteObject();
    m_size = CSize();
}
