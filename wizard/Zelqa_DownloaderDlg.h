#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/CheckBoxEx.h"
#include "controls/EditEx.h"
#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/PageBackground.h"
#include "controls/PageImage.h"
#include "controls/ProgressCtrlEx.h"
#include "controls/StaticEx.h"
#include "controls/TextButtonEx.h"
#include "engine/BindCallback.h"
#include "engine/InstallEngine.h"
#include "engine/InstallView.h"
#include "framework/Dialog.h"
#include "framework/Image.h"

// Command ids of the installer window.
constexpr UINT IDC_CLOSE = 10001;
constexpr UINT IDC_INSTALL = 10002;
constexpr UINT IDC_AGREE = 10003;
constexpr UINT IDC_LICENCE = 10004;
constexpr UINT IDC_CHANGE_FOLDER = 10005;
constexpr UINT IDC_OFFICIAL_SITE = 10006;
constexpr UINT IDC_RUN = 10007;
constexpr UINT IDC_RETRY = 10008;

// The installer window: a borderless, skinned wizard of three pages (welcome,
// progress with its failure state, finish).
class CZelqa_DownloaderDlg : public CDialog, public IPageBackground, private IInstallView
{
public:
    CZelqa_DownloaderDlg();
    ~CZelqa_DownloaderDlg() override;

    // Makes PNG resource `imageId` the page background and sizes the window to
    // it; the window is raised and activated.
    void SetBackground(UINT imageId);

    // Page switches. Safe from worker threads: they are carried out on the
    // window thread.
    void HideWelcomeControls();
    void ShowProgressPage() override;
    void ShowFailureState() override;
    void ShowFinishPage() override;
    void ClearFailureState();

    // The commands behind the window's controls.
    void OnClose();
    void OnInstall();
    void OnAgreeToggled();
    void OnLicence();
    void OnChangeFolder();
    void OnOfficialSite();
    void OnRun();
    void OnRetry();

    // Fields, in construction order.
    HICON m_hIcon = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
    std::unique_ptr<CImage> m_pBackground;
    // The background at the window's size, drawn once per page.
    CPageImage m_page;
    CImageButtonEx m_btnClose;
    CStaticEx m_lblTitle;
    CStaticEx m_lblInstallTo;
    CEditEx m_editPath;
    CCheckBoxEx m_chkAgree;
    CStaticEx m_lblAgree;
    CTextButtonEx m_lnkLicence;
    CImageTextButtonEx m_btnInstall;
    CImageTextButtonEx m_btnChange;
    CStaticEx m_lblSmallTitle;
    CProgressCtrlEx m_progress;
    CStaticEx m_lblFeature1;
    CStaticEx m_lblFeature2;
    CStaticEx m_lblFeature3;
    CStaticEx m_lblStatus;
    CStaticEx m_lblFailed;
    CTextButtonEx m_lnkOfficial;
    CTextButtonEx m_lnkRetry;
    CImageTextButtonEx m_btnRun;
    CStaticEx m_lblDone;
    CStaticEx m_lblSlogan;
    wchar_t m_szInstallDir[260] = {};
    std::atomic<int> m_bInstallEnded{0};
    CInstallEngine m_engine;

protected:
    BOOL OnInitDialog() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void DrawPageBackground(CDC* pDC, const CRect& rcPage) override;
    BOOL OnCommand(UINT nID, UINT nCode) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnDestroy() override;

    // What the install engine asks of the window.
    std::wstring GetLocationText() override;
    void ShowNotice(const std::wstring& text) override;
    void SetInstallDir(const std::wstring& dir) override;
    void SetProgressPos(int64_t nPos) override;

private:
    void CreateControls();
    // Places a label or link at (x, y) with exactly the size of its text.
    template <typename TextControl>
    void PlaceTextSized(TextControl& control, int x, int y);
    // Left edge for a control that follows `left` with a gap of `gap` design pixels.
    int RightOf(CWnd& left, int gap);
    void ShowWindows(std::initializer_list<CWnd*> windows, int nCmdShow);
    // Shows a message box over this window and returns its answer.
    int AskUser(const std::wstring& text, int nType);

    // Runs a page switch on the window thread; true when the caller must stop
    // because it was handed over from another thread.
    bool HandOverToWindowThread(void (CZelqa_DownloaderDlg::*pSwitch)());

    // Opens a page or starts a program as the signed-in user (ShellOpenAsUser)
    // on a worker, so that the window never waits for another program; `then`
    // gets the result on the window thread, while the window is there. Clicks
    // while `bPending` are ignored.
    void OpenAside(bool& bPending, std::wstring target, std::function<void(int32_t)> then);

    bool m_bPickingFolder = false;
    bool m_bOpeningLicence = false;
    bool m_bOpeningSite = false;
    bool m_bStartingProduct = false;
};

// The one installer window: set by its constructor and cleared by its
// destructor, so it never dangles. Nothing reads it; progress reports and the
// other worker calls reach the window only through the engine's CInstallSession.
extern CZelqa_DownloaderDlg* g_pDownloaderDlg;

// The default install directory for a desktop folder path: the desktop's drive
// letter (none if the path is empty) followed by the fixed program folder.
std::wstring DefaultInstallDir(const std::wstring& desktopPath);

// The location the folder picker's choice gives: the folder with "\Zelqa"
// appended as it stands, so a drive root keeps its own separator (D:\\Zelqa).
std::wstring LocationForChosenFolder(const std::wstring& folder);
