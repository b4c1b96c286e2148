// zelqa-gallery: shows every skinned control on one window.
#include "GalleryDlg.h"
#include "framework/WinApp.h"

namespace
{
class CGalleryApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        CGalleryDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        return FALSE;
    }
};

CGalleryApp theGallery;
} // namespace
