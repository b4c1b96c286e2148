#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "framework/Image.h"

// The installer window: a borderless, skinned wizard of three pages.
class CZelqa_DownloaderDlg : public CDialog
{
public:
    CZelqa_DownloaderDlg();
    ~CZelqa_DownloaderDlg() override;

    // Makes PNG resource `imageId` the page background and sizes the window to it.
    void SetBackground(UINT imageId);

    HICON m_hIcon = nullptr;
    ULONG_PTR m_gdiplusToken = 0;
    std::unique_ptr<CImage> m_pBackground;

    wchar_t m_szDownloadDir[260] = {};
    wchar_t m_szInstallDir[260] = {};
    std::wstring m_strInstallerPath;
    std::atomic<int> m_bInstallEnded{0};

protected:
    BOOL OnInitDialog() override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
};

// The one installer window, for the download's progress reports.
extern CZelqa_DownloaderDlg* g_pDownloaderDlg;
// Set when the user confirmed closing; a running download then aborts.
extern std::atomic<int> g_bAbortDownload;

// The default install directory for a desktop folder path: the desktop's drive
// letter (none if the path is empty) followed by the fixed program folder.
std::wstring DefaultInstallDir(const std::wstring& desktopPath);
