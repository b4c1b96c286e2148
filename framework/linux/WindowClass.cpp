#include "framework/linux/WindowClass.h"

#include <cwctype>
#include <string_view>

#include "framework/Wnd.h"
#include "framework/linux/ButtonClass.h"
#include "framework/linux/DialogClass.h"
#include "framework/linux/EditClass.h"
#include "framework/linux/StaticClass.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
bool SameClassName(const wchar_t* pszName, std::wstring_view expected)
{
    std::wstring_view name(pszName);
    if (name.size() != expected.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::towupper(static_cast<wint_t>(name[i])) != std::towupper(static_cast<wint_t>(expected[i])))
            return false;
    }
    return true;
}
} // namespace

std::unique_ptr<CWindowClass> CreateWindowClass(const wchar_t* pszClassName, CWnd& wnd)
{
    if (pszClassName) {
        if (SameClassName(pszClassName, L"BUTTON"))
            return std::make_unique<CButtonClass>(wnd);
        if (SameClassName(pszClassName, L"STATIC"))
            return std::make_unique<CStaticClass>(wnd);
        if (SameClassName(pszClassName, L"EDIT"))
            return std::make_unique<CEditClass>(wnd);
        if (SameClassName(pszClassName, L"#32770"))
            return std::make_unique<CDialogClass>(wnd);
    }
    return std::make_unique<CWindowClass>(wnd);
}

CWindowClass* WindowClassOf(const CWnd* pWnd)
{
    return pWnd && pWnd->m_hWnd ? pWnd->m_hWnd->pClass.get() : nullptr;
}
