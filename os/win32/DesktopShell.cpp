#include "os/win32/DesktopShell.h"

#include <windows.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

namespace
{

// Releases a COM pointer when it goes.
template <typename T>
class CComRef
{
public:
    CComRef() = default;
    ~CComRef()
    {
        if (m_p)
            m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Out() { return &m_p; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

} // namespace

CDesktopShell::Outcome CDesktopShell::Open(const std::wstring& strFileOrUrl)
{
    Outcome outcome;
    const auto failed = [&outcome](HRESULT hr, const char* pszStep) {
        outcome.m_hr = FAILED(hr) ? hr : E_NOINTERFACE;
        outcome.m_pszFailedStep = pszStep;
        return outcome;
    };

    // The shell's list of its windows lives in the shell's process.
    CComRef<IShellWindows> pWindows;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, pWindows.OutVoid());
    if (FAILED(hr) || !pWindows.Get())
        return failed(hr, "ShellWindows");

    VARIANT location;
    VariantInit(&location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root;
    VariantInit(&root);
    long nWindow = 0;
    CComRef<IDispatch> pDesktop;
    hr = pWindows->FindWindowSW(&location, &root, SWC_DESKTOP, &nWindow, SWFO_NEEDDISPATCH, pDesktop.Out());
    // S_FALSE: no desktop window (another shell, or none).
    if (hr != S_OK || !pDesktop.Get())
        return failed(hr, "FindWindowSW");

    CComRef<IServiceProvider> pServices;
    hr = pDesktop->QueryInterface(IID_IServiceProvider, pServices.OutVoid());
    if (FAILED(hr) || !pServices.Get())
        return failed(hr, "IServiceProvider");
    CComRef<IShellBrowser> pBrowser;
    hr = pServices->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, pBrowser.OutVoid());
    if (FAILED(hr) || !pBrowser.Get())
        return failed(hr, "IShellBrowser");
    CComRef<IShellView> pView;
    hr = pBrowser->QueryActiveShellView(pView.Out());
    if (FAILED(hr) || !pView.Get())
        return failed(hr, "QueryActiveShellView");
    CComRef<IDispatch> pBackground;
    hr = pView->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, pBackground.OutVoid());
    if (FAILED(hr) || !pBackground.Get())
        return failed(hr, "GetItemObject");
    CComRef<IShellFolderViewDual> pFolderView;
    hr = pBackground->QueryInterface(IID_IShellFolderViewDual, pFolderView.OutVoid());
    if (FAILED(hr) || !pFolderView.Get())
        return failed(hr, "IShellFolderViewDual");
    CComRef<IDispatch> pApplication;
    hr = pFolderView->get_Application(pApplication.Out());
    if (FAILED(hr) || !pApplication.Get())
        return failed(hr, "Application");
    CComRef<IShellDispatch2> pShell;
    hr = pApplication->QueryInterface(IID_IShellDispatch2, pShell.OutVoid());
    if (FAILED(hr) || !pShell.Get())
        return failed(hr, "IShellDispatch2");

    outcome.m_bReached = true;
    BSTR bstrFile = SysAllocStringLen(strFileOrUrl.data(), static_cast<UINT>(strFileOrUrl.size()));
    BSTR bstrVerb = SysAllocString(L"open");
    if (!bstrFile || !bstrVerb) {
        SysFreeString(bstrFile);
        SysFreeString(bstrVerb);
        return failed(E_OUTOFMEMORY, "ShellExecute");
    }
    VARIANT none;
    VariantInit(&none);
    VARIANT verb;
    VariantInit(&verb);
    verb.vt = VT_BSTR;
    verb.bstrVal = bstrVerb;
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    hr = pShell->ShellExecute(bstrFile, none, none, verb, show);
    SysFreeString(bstrFile);
    SysFreeString(bstrVerb);
    if (FAILED(hr))
        return failed(hr, "ShellExecute");
    outcome.m_hr = S_OK;
    return outcome;
}
