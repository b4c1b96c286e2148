#include "framework/WinApp.h"

#include <memory>
#include <vector>

#include "framework/Resources.h"
#include "framework/linux/Icon.h"
#include "framework/linux/SdlWindowBackend.h"

HICON LoadAppIcon(UINT nId)
{
    const BYTE* pData = nullptr;
    size_t nSize = 0;
    if (!FindResourceBytes(L"ICON", nId, pData, nSize))
        return nullptr;
    // Icons live as long as the program, as resource icons do.
    static std::vector<std::unique_ptr<HICON__>> s_icons;
    s_icons.push_back(std::make_unique<HICON__>());
    s_icons.back()->pData = pData;
    s_icons.back()->nSize = nSize;
    return s_icons.back().get();
}
