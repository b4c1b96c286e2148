// The Windows backend's window procedure: windows attached to their objects
// from their first message, and messages turned into the typed handlers.
#include "framework/win32/Win32WindowBackend.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

#include <commctrl.h>
#include <windowsx.h>

#include "framework/DC.h"
#include "framework/Dialog.h"
#include "framework/Wnd.h"

namespace
{
// Window records, looked up by handle. Written on the window thread only;
// other threads read them through FromHandle and IsAlive.
struct RecordTable
{
    mutable std::mutex mutex;
    std::unordered_map<HWND, WINDOW_RECORD*> records;
};
RecordTable& Records()
{
    // Never destroyed: workers may still ask about windows while the process exits.
    static RecordTable* s_table = new RecordTable;
    return *s_table;
}
std::atomic<uint64_t> g_nNextSerial{1};

// Per thread: the message the window procedure is handling, for handlers'
// default processing.
thread_local const MSG* g_pCurrentMessage = nullptr;

// The window being created by CreateAttached on this thread.
struct CREATION
{
    CWnd* pWnd;
    LPCWSTR pszClassName;
    bool bAttached;
};
thread_local CREATION* g_pCreation = nullptr;

// Window classes match in any letter case; a version prefix ("6.0.0.0!Button")
// that side-by-side common controls give their classes does not count.
bool IsOfClass(HWND hWnd, LPCWSTR pszClassName)
{
    wchar_t szName[256] = {};
    if (!GetClassNameW(hWnd, szName, 256))
        return false;
    const wchar_t* pszBase = szName;
    for (const wchar_t* p = szName; *p; ++p)
        if (*p == L'!')
            pszBase = p + 1;
    return lstrcmpiW(pszBase, pszClassName) == 0;
}

UINT CtlColorKind(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
        return CTLCOLOR_MSGBOX;
    case WM_CTLCOLOREDIT:
        return CTLCOLOR_EDIT;
    case WM_CTLCOLORLISTBOX:
        return CTLCOLOR_LISTBOX;
    case WM_CTLCOLORBTN:
        return CTLCOLOR_BTN;
    case WM_CTLCOLORDLG:
        return CTLCOLOR_DLG;
    case WM_CTLCOLORSCROLLBAR:
        return CTLCOLOR_SCROLLBAR;
    default:
        return CTLCOLOR_STATIC;
    }
}

CPoint PointOf(LPARAM lParam)
{
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

// Dialogs get all their messages through FrameworkWindowProc, which handles
// WM_INITDIALOG itself; the dialog procedure leaves everything to the
// dialog class's default processing.
INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
} // namespace

DLGPROC FrameworkDialogProc()
{
    return NoDialogProc;
}

LRESULT CALLBACK FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWin32WindowBackend& ws = CWin32WindowBackend::Get();
    WINDOW_RECORD* pRecord = ws.Find(hWnd);
    if (!pRecord)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    // The record may be gone once a handler has run (a handler may destroy its
    // window), so nothing below touches it after calling one.
    CWnd* pWnd = pRecord->pWnd;
    const MSG current{hWnd, message, wParam, lParam, 0, {}};
    const MSG* pOuter = g_pCurrentMessage;
    g_pCurrentMessage = &current;
    struct Restore
    {
        const MSG* p;
        ~Restore() { g_pCurrentMessage = p; }
    } restore{pOuter};

    switch (message) {
    case WM_PAINT:
        pWnd->OnPaint();
        return 0;
    case WM_ERASEBKGND: {
        CDC dc;
        dc.Attach(reinterpret_cast<HDC>(wParam));
        const BOOL bErased = pWnd->OnEraseBkgnd(&dc);
        dc.Detach();
        return bErased;
    }
    case WM_MOUSEMOVE:
        pWnd->OnMouseMove(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_MOUSEHOVER:
        pWnd->OnMouseHover(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_MOUSELEAVE:
        pWnd->OnMouseLeave();
        return 0;
    case WM_LBUTTONDBLCLK:
        // The framework knows no double click: the second press of one is a
        // press like the first, so a quick second click is a second click.
        if (pRecord->bKeepDoubleClicks)
            break;
        pWnd->OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        pWnd->OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        pWnd->OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_KEYDOWN:
        pWnd->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CHAR:
        pWnd->OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        pWnd->OnSetFocus(ws.FromHandle(reinterpret_cast<HWND>(wParam)));
        return 0;
    case WM_KILLFOCUS:
        pWnd->OnKillFocus(ws.FromHandle(reinterpret_cast<HWND>(wParam)));
        return 0;
    case WM_COMMAND:
        if (pWnd->OnCommand(LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case WM_DRAWITEM: {
        auto* pDraw = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (!pDraw || !ws.FromHandle(pDraw->hwndItem))
            break;
        pWnd->OnDrawItem(static_cast<UINT>(wParam), pDraw);
        return TRUE;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        CWnd* pChild = ws.FromHandle(reinterpret_cast<HWND>(lParam));
        CDC dc;
        dc.Attach(reinterpret_cast<HDC>(wParam));
        const HBRUSH hBrush = pWnd->OnCtlColor(&dc, pChild, CtlColorKind(message));
        dc.Detach();
        if (hBrush)
            return reinterpret_cast<LRESULT>(hBrush);
        // The framework's buttons are all drawn over the window's skin; the
        // button class would erase them with the dialog colour first.
        if (message == WM_CTLCOLORBTN && pChild)
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        break;
    }
    case WM_CLOSE:
        pWnd->OnWindowClose();
        return 0;
    case WM_TIMER:
        pWnd->OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_DESTROY:
        pWnd->OnDestroy();
        return 0;
    case WM_INITDIALOG:
        if (auto* pDialog = dynamic_cast<CDialog*>(pWnd))
            return pDialog->InitDialog();
        break;
    case WM_NCDESTROY: {
        const LRESULT result = CallWindowProcW(pRecord->pfnSuper, hWnd, message, wParam, lParam);
        ws.Detach(hWnd);
        return result;
    }
    default:
        break;
    }
    return ws.CallSuper(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CreationHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    CREATION* pCreation = g_pCreation;
    if (nCode == HCBT_CREATEWND && pCreation && !pCreation->bAttached) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        // Other windows may be created first (an input method's), and are left alone.
        if (IsOfClass(hWnd, pCreation->pszClassName)) {
            pCreation->bAttached = true;
            CWin32WindowBackend::Get().Attach(hWnd, pCreation->pWnd);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

HWND CWin32WindowBackend::CreateNative(CWnd* pWnd, LPCWSTR pszClassName, DWORD dwExStyle, LPCWSTR pszText,
                                       DWORD dwStyle, const RECT& rect, HWND hParent, UINT nId)
{
    const LPCWSTR pszClass = pszClassName ? pszClassName : PlainClassName();
    // A child's menu handle is its control id; a top-level window's parent is its owner.
    HMENU hMenu = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)) : nullptr;
    return CreateAttached(pWnd, pszClass, [&] {
        return CreateWindowExW(dwExStyle, pszClass, pszText, dwStyle, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, hParent, hMenu, m_hInstance, nullptr);
    });
}

HWND CWin32WindowBackend::CreateAttached(CWnd* pWnd, LPCWSTR pszClassName, const std::function<HWND()>& create)
{
    CREATION creation{pWnd, pszClassName, false};
    CREATION* pOuter = g_pCreation;
    g_pCreation = &creation;
    HHOOK hHook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    HWND hWnd = create();
    if (hHook)
        UnhookWindowsHookEx(hHook);
    g_pCreation = pOuter;
    // Without the hook the object still gets its window, only after the
    // creation messages.
    if (hWnd && !creation.bAttached && IsWindow(hWnd))
        Attach(hWnd, pWnd);
    return hWnd;
}

void CWin32WindowBackend::Attach(HWND hWnd, CWnd* pWnd)
{
    auto* pRecord = new WINDOW_RECORD;
    pRecord->pWnd = pWnd;
    pRecord->nSerial = g_nNextSerial++;
    pRecord->bKeepDoubleClicks = IsOfClass(hWnd, L"Edit");
    {
        std::lock_guard<std::mutex> lock(Records().mutex);
        Records().records[hWnd] = pRecord;
    }
    pRecord->pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameworkWindowProc)));
    pWnd->m_hWnd = hWnd;
    pWnd->SetPostTarget(hWnd, pRecord->nSerial);
    pWnd->PreSubclassWindow();
}

void CWin32WindowBackend::Detach(HWND hWnd)
{
    WINDOW_RECORD* pRecord = nullptr;
    {
        std::lock_guard<std::mutex> lock(Records().mutex);
        auto it = Records().records.find(hWnd);
        if (it == Records().records.end())
            return;
        pRecord = it->second;
        Records().records.erase(it);
    }
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(FrameworkWindowProc))
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pRecord->pfnSuper));
    if (pRecord->pWnd->m_hWnd == hWnd) {
        pRecord->pWnd->SetPostTarget(nullptr, 0);
        pRecord->pWnd->m_hWnd = nullptr;
    }
    delete pRecord;
}

WINDOW_RECORD* CWin32WindowBackend::Find(HWND hWnd) const
{
    if (!hWnd)
        return nullptr;
    std::lock_guard<std::mutex> lock(Records().mutex);
    auto it = Records().records.find(hWnd);
    return it == Records().records.end() ? nullptr : it->second;
}

// These two may be asked from any thread, so they read the record while the
// window thread cannot delete it.
CWnd* CWin32WindowBackend::FromHandle(HWND hWnd) const
{
    std::lock_guard<std::mutex> lock(Records().mutex);
    auto it = Records().records.find(hWnd);
    return it == Records().records.end() ? nullptr : it->second->pWnd;
}

bool CWin32WindowBackend::IsAlive(HWND hWnd, uint64_t nSerial) const
{
    std::lock_guard<std::mutex> lock(Records().mutex);
    auto it = Records().records.find(hWnd);
    return it != Records().records.end() && it->second->nSerial == nSerial;
}

uint64_t CWin32WindowBackend::SerialOf(HWND hWnd) const
{
    std::lock_guard<std::mutex> lock(Records().mutex);
    auto it = Records().records.find(hWnd);
    return it == Records().records.end() ? 0 : it->second->nSerial;
}

LRESULT CWin32WindowBackend::CallSuper(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const
{
    WINDOW_RECORD* pRecord = Find(hWnd);
    if (!pRecord || !pRecord->pfnSuper)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    return CallWindowProcW(pRecord->pfnSuper, hWnd, message, wParam, lParam);
}

LRESULT CWin32WindowBackend::Default(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) const
{
    const MSG* pCurrent = g_pCurrentMessage;
    if (pCurrent && pCurrent->hwnd == hWnd && pCurrent->message == message) {
        wParam = pCurrent->wParam;
        lParam = pCurrent->lParam;
    }
    return CallSuper(hWnd, message, wParam, lParam);
}
