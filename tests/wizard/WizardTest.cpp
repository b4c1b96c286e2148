#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/DpiScaler.h"
#include "controls/MessageBoxEx.h"
#include "framework/Screen.h"
#include "framework/Testing.h"
#include "support/GoldenImage.h"
#include "wizard/Zelqa_DownloaderDlg.h"

namespace
{
int SX(int v)
{
    return DpiScaler().ScaleX(v);
}
int SY(int v)
{
    return DpiScaler().ScaleY(v);
}

CRect RectIn(CWnd& parent, CWnd& child)
{
    CRect rc;
    child.GetWindowRect(&rc);
    parent.ScreenToClient(&rc);
    return rc;
}

CPoint CentreOf(CWnd& parent, CWnd& child)
{
    const CRect rc = RectIn(parent, child);
    return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

void Click(CWnd& top, CPoint pt)
{
    SendMouseMove(&top, pt);
    SendMouseButton(&top, pt, true);
    SendMouseButton(&top, pt, false);
}

#if !defined(_WIN32)
// The Linux OS services read their settings once per process, so every test
// shares one prefix and one stand-in folder picker whose answer a test rewrites.
const std::filesystem::path g_prefix =
    std::filesystem::temp_directory_path() / ("zelqa-wizard-" + std::to_string(::getpid()));
const std::filesystem::path g_picker = g_prefix.string() + "-picker";

void SetPickerAnswer(const std::string& script)
{
    {
        std::ofstream out(g_picker);
        out << "#!/bin/sh\n" << script << "\n";
    }
    std::filesystem::permissions(g_picker, std::filesystem::perms::owner_all);
}
#endif

class Wizard : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
#if !defined(_WIN32)
        setenv("ZELQA_PREFIX", g_prefix.c_str(), 1);
        setenv("ZELQA_FOLDER_PICKER", g_picker.c_str(), 1);
        SetPickerAnswer("exit 1");
#endif
        ASSERT_TRUE(InitTestWindowSystem());
    }
    static void TearDownTestSuite()
    {
#if !defined(_WIN32)
        std::filesystem::remove_all(g_prefix);
        std::filesystem::remove(g_picker);
#endif
    }
    void SetUp() override
    {
        g_bAbortDownload = 0;
    }
    void TearDown() override
    {
        SetScreenDpiForTesting(0, 0);
    }
    // Runs `body` with the installer window open; the window is closed after it.
    void WithWindow(int dpi, std::function<void(CZelqa_DownloaderDlg&)> body)
    {
        SetScreenDpiForTesting(dpi, dpi);
        CZelqa_DownloaderDlg dlg;
        RunWhenIdle([&] {
            body(dlg);
            if (dlg.GetSafeHwnd())
                dlg.EndDialog(0);
        });
        dlg.DoModal();
    }
};
} // namespace

class WizardGeometry : public Wizard, public ::testing::WithParamInterface<int>
{
};

TEST_P(WizardGeometry, ControlsSitWhereTheLayoutPutsThem)
{
    WithWindow(GetParam(), [](CZelqa_DownloaderDlg& dlg) {
        CRect rc;
        dlg.GetClientRect(&rc);
        EXPECT_EQ(rc.Width(), SX(600));
        EXPECT_EQ(rc.Height(), SY(400));

        EXPECT_EQ(RectIn(dlg, dlg.m_btnClose).TopLeft(), CPoint(SX(566), SY(20)));
        EXPECT_EQ(RectIn(dlg, dlg.m_btnInstall), CRect(SX(220), SY(210), SX(220) + SX(160), SY(210) + SY(160) / 4));
        const CRect title = RectIn(dlg, dlg.m_lblTitle);
        EXPECT_EQ(title.left, (SX(600) - title.Width()) / 2);
        EXPECT_EQ(title.top, SY(137));
        EXPECT_EQ(title.Height(), SX(25));

        const CRect agree = RectIn(dlg, dlg.m_lblAgree);
        const CRect licence = RectIn(dlg, dlg.m_lnkLicence);
        EXPECT_EQ(licence.left, agree.right + SX(3));
        EXPECT_EQ(licence.top, SY(279));
        EXPECT_GT(licence.Width(), 0);

        const CRect installTo = RectIn(dlg, dlg.m_lblInstallTo);
        const CRect edit = RectIn(dlg, dlg.m_editPath);
        const CRect change = RectIn(dlg, dlg.m_btnChange);
        EXPECT_EQ(edit.left, installTo.right + SX(5));
        EXPECT_EQ(edit.Width(), SX(414));
        EXPECT_EQ(edit.Height(), SY(32));
        EXPECT_EQ(edit.top, SY(338));
        EXPECT_EQ(change.left, edit.right + SX(5));
        EXPECT_EQ(change.top, SY(338));

        const CRect failed = RectIn(dlg, dlg.m_lblFailed);
        const CRect retry = RectIn(dlg, dlg.m_lnkRetry);
        const CRect official = RectIn(dlg, dlg.m_lnkOfficial);
        EXPECT_EQ(retry.left, failed.right + SX(2));
        EXPECT_EQ(official.left, retry.right + SX(2));
        EXPECT_EQ(failed.top, SY(334));

        EXPECT_EQ(RectIn(dlg, dlg.m_progress), CRect(SX(40), SY(364), SX(40) + SX(520), SY(364) + SY(10)));
        EXPECT_EQ(RectIn(dlg, dlg.m_lblFeature2).TopLeft(), CPoint(SX(257), SY(146)));
        EXPECT_EQ(RectIn(dlg, dlg.m_btnRun).TopLeft(), CPoint(SX(220), SY(334)));

        // The welcome page shows its own controls only.
        for (CWnd* pShown : std::initializer_list<CWnd*>{&dlg.m_btnClose, &dlg.m_lblTitle, &dlg.m_btnInstall,
                                                         &dlg.m_chkAgree, &dlg.m_lblAgree, &dlg.m_lnkLicence,
                                                         &dlg.m_lblInstallTo, &dlg.m_editPath, &dlg.m_btnChange})
            EXPECT_TRUE(pShown->IsWindowVisible()) << pShown->GetDlgCtrlID();
        for (CWnd* pHidden : std::initializer_list<CWnd*>{
                 &dlg.m_progress, &dlg.m_lblSmallTitle, &dlg.m_lblFeature1, &dlg.m_lblStatus, &dlg.m_lblFailed,
                 &dlg.m_lnkRetry, &dlg.m_lnkOfficial, &dlg.m_btnRun, &dlg.m_lblDone, &dlg.m_lblSlogan})
            EXPECT_FALSE(pHidden->IsWindowVisible()) << pHidden->GetDlgCtrlID();
    });
}

INSTANTIATE_TEST_SUITE_P(Dpis, WizardGeometry, ::testing::Values(96, 120, 144), ::testing::PrintToStringParamName());

class WizardPages : public Wizard, public ::testing::WithParamInterface<int>
{
};

TEST_P(WizardPages, EachPageAsTheUserSeesIt)
{
    const int dpi = GetParam();
    const std::string suffix = "-" + std::to_string(dpi);
    WithWindow(dpi, [&](CZelqa_DownloaderDlg& dlg) {
        dlg.ShowProgressPage();
        dlg.m_progress.m_nPos = 45;
        dlg.m_progress.Invalidate(TRUE);
        PumpMessages();
        EXPECT_TRUE(MatchesGolden(&dlg, "page-progress" + suffix));
        EXPECT_EQ(dlg.m_bInstallEnded, 0);

        dlg.ShowFailureState();
        PumpMessages();
        EXPECT_TRUE(MatchesGolden(&dlg, "page-failure" + suffix));
        EXPECT_EQ(dlg.m_bInstallEnded, 1);
        EXPECT_FALSE(dlg.m_lblStatus.IsWindowVisible());

        // The finish page follows a progress page, as after a successful retry.
        dlg.ClearFailureState();
        dlg.ShowProgressPage();
        EXPECT_EQ(dlg.m_progress.m_nPos, 0);
        dlg.ShowFinishPage();
        PumpMessages();
        EXPECT_TRUE(MatchesGolden(&dlg, "page-finish" + suffix));
        EXPECT_TRUE(dlg.m_lblSmallTitle.IsWindowVisible());
        EXPECT_FALSE(dlg.m_progress.IsWindowVisible());
    });
}

TEST_P(WizardPages, MessageBoxesOverTheWindow)
{
    const int dpi = GetParam();
    WithWindow(dpi, [&](CZelqa_DownloaderDlg& dlg) {
        for (int nType : {1, 0}) {
            CMessageBoxEx box(nType ? L"您确定中止安装吗？" : L"请选择本地磁盘路径进行安装", nType, &dlg);
            RunWhenIdle([&] {
                CRect rc;
                box.GetWindowRect(&rc);
                EXPECT_EQ(rc.Width(), SX(400));
                EXPECT_EQ(rc.Height(), SY(200));
                CRect owner;
                dlg.GetWindowRect(&owner);
                EXPECT_EQ(rc.left - owner.left, (owner.Width() - rc.Width()) / 2);
                EXPECT_EQ(RectIn(box, box.m_btnOk).TopLeft(), CPoint(SX(nType ? 168 : 284), SY(150)));
                EXPECT_TRUE(MatchesGolden(&box, std::string(nType ? "msgbox-question-" : "msgbox-notice-") +
                                                    std::to_string(dpi)));
                box.EndDialog(0);
            });
            box.DoModal();
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Dpis, WizardPages, ::testing::Values(96, 144), ::testing::PrintToStringParamName());

TEST_F(Wizard, OnlyYesGivesOne)
{
    WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
        struct Way
        {
            int nType;
            std::function<void(CMessageBoxEx&)> close;
            int nExpected;
        };
        const std::vector<Way> ways = {
            {1, [](CMessageBoxEx& b) { Click(b, CentreOf(b, b.m_btnOk)); }, 1},
            {1, [](CMessageBoxEx& b) { Click(b, CentreOf(b, b.m_btnNo)); }, 0},
            {1, [](CMessageBoxEx& b) { Click(b, CentreOf(b, b.m_btnClose)); }, 0},
            {1, [](CMessageBoxEx& b) { SendKey(&b, VK_ESCAPE); }, 0},
            {1, [](CMessageBoxEx& b) { SendKey(&b, VK_RETURN); }, 0},
            {0, [](CMessageBoxEx& b) { Click(b, CentreOf(b, b.m_btnOk)); }, 0},
        };
        for (const Way& way : ways) {
            CMessageBoxEx box(L"?", way.nType, &dlg);
            RunWhenIdle([&] {
                // The owner takes no input while the box runs.
                Click(dlg, CentreOf(dlg, dlg.m_btnInstall));
                way.close(box);
            });
            box.DoModal();
            EXPECT_EQ(box.m_nResult, way.nExpected);
            EXPECT_EQ(box.GetSafeHwnd(), nullptr);
        }
    });
}

TEST_F(Wizard, CloseAsksWhileTheInstallIsUnderWay)
{
    // "否" keeps the window; "是" closes it and stops a running download.
    for (bool bYes : {false, true}) {
        std::wstring question;
        bool bClosed = false;
        WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
            RunWhenIdle([&] {
                auto* pBox = dynamic_cast<CMessageBoxEx*>(GetModalWindow());
                ASSERT_NE(pBox, nullptr);
                question = pBox->m_strText;
                Click(*pBox, CentreOf(*pBox, bYes ? pBox->m_btnOk : pBox->m_btnNo));
            });
            Click(dlg, CentreOf(dlg, dlg.m_btnClose));
            PumpMessages();
            bClosed = IsModalRunEnded(&dlg);
        });
        EXPECT_EQ(question, L"您确定中止安装吗？");
        EXPECT_EQ(bClosed, bYes);
        EXPECT_EQ(g_bAbortDownload, bYes ? 1 : 0);
        g_bAbortDownload = 0;
    }

    // Once the install has ended the window closes at once, asking nothing;
    // so does a close from the window manager at any time.
    for (bool bEnded : {true, false}) {
        bool bClosed = false;
        auto pAsked = std::make_shared<bool>(false);
        WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
            RunWhenIdle([pAsked] {
                if (auto* pBox = dynamic_cast<CMessageBoxEx*>(GetModalWindow())) {
                    *pAsked = true;
                    pBox->SendCloseMessage();
                }
            });
            if (bEnded) {
                dlg.ShowFailureState();
                Click(dlg, CentreOf(dlg, dlg.m_btnClose));
            } else {
                dlg.SendCloseMessage();
            }
            PumpMessages();
            bClosed = IsModalRunEnded(&dlg);
        });
        EXPECT_TRUE(bClosed);
        EXPECT_FALSE(*pAsked);
        EXPECT_EQ(g_bAbortDownload, 0);
    }
}

TEST_F(Wizard, UncheckingTheAgreementDisablesInstall)
{
    WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
        Click(dlg, CentreOf(dlg, dlg.m_chkAgree));
        EXPECT_EQ(dlg.m_chkAgree.m_bChecked, 0);
        EXPECT_EQ(dlg.m_btnInstall.m_bEnabled, 0);
        EXPECT_EQ(dlg.m_btnInstall.m_nState, STATE_DISABLED);
        Click(dlg, CentreOf(dlg, dlg.m_btnInstall));
        PumpMessages();
        EXPECT_EQ(dlg.m_btnInstall.m_nState, STATE_DISABLED);
        EXPECT_TRUE(dlg.m_btnInstall.IsWindowVisible());
        EXPECT_FALSE(dlg.m_progress.IsWindowVisible());

        Click(dlg, CentreOf(dlg, dlg.m_chkAgree));
        EXPECT_EQ(dlg.m_chkAgree.m_bChecked, 1);
        EXPECT_EQ(dlg.m_btnInstall.m_bEnabled, 1);
        EXPECT_EQ(dlg.m_btnInstall.m_nState, STATE_NORMAL);
    });
}

TEST_F(Wizard, KeysThatWouldActAreSwallowed)
{
    WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
        const std::wstring before = dlg.m_editPath.m_edit.GetWindowText();
        SendKey(&dlg, VK_ESCAPE);
        SendKey(&dlg, VK_RETURN);
        PumpMessages();
        EXPECT_NE(dlg.GetSafeHwnd(), nullptr);
        Click(dlg, CentreOf(dlg, dlg.m_editPath));
        SendKey(&dlg, VK_SPACE);
#if !defined(_WIN32)
        // SDL reports a pressed Space twice, as the key and then as typed text;
        // Windows makes the character from the key message, swallowed above.
        SendText(&dlg, L" ");
#endif
        SendKey(&dlg, VK_RETURN);
        SendKey(&dlg, VK_ESCAPE);
        PumpMessages();
        EXPECT_EQ(dlg.m_editPath.m_edit.GetWindowText(), before);
        SendText(&dlg, L"x");
        EXPECT_EQ(dlg.m_editPath.m_edit.GetWindowText().size(), before.size() + 1);
    });
}

TEST(LocationForChosenFolder, IsTheProgramsFolderInIt)
{
    EXPECT_EQ(LocationForChosenFolder(L"D:\\Apps"), L"D:\\Apps\\Zelqa");
    EXPECT_EQ(LocationForChosenFolder(L"D:\\"), L"D:\\\\Zelqa");
}

// Windows has no stand-in for its own folder dialog, which would wait for a person.
#if !defined(_WIN32)
TEST_F(Wizard, ChosenFolderBecomesTheLocation)
{
    auto runPicker = [&](const std::string& script) {
        SetPickerAnswer(script);
        std::wstring text;
        WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
            Click(dlg, CentreOf(dlg, dlg.m_btnChange));
            for (int i = 0; i < 100 && dlg.m_editPath.m_edit.GetWindowText() == dlg.m_szInstallDir; ++i)
                PumpMessages(20);
            PumpMessages(50);
            text = dlg.m_editPath.m_edit.GetWindowText();
        });
        return text;
    };
    std::filesystem::create_directories(g_prefix / "drive_c" / "Apps");
    EXPECT_EQ(runPicker("echo '" + (g_prefix / "drive_c" / "Apps").string() + "'"), L"C:\\Apps\\Zelqa");
    EXPECT_EQ(runPicker("exit 1"), L"C:\\Program Files (x86)\\brovix\\Zelqa");
    EXPECT_EQ(runPicker("echo /proc"), L"C:\\Program Files (x86)\\brovix\\Zelqa"); // outside every drive
    SetPickerAnswer("exit 1");
}
#endif

TEST_F(Wizard, HidingSomeControlsLeavesTheOthersDrawn)
{
    WithWindow(96, [&](CZelqa_DownloaderDlg& dlg) {
        dlg.ShowProgressPage();
        dlg.ShowFailureState();
        PumpMessages();
        std::vector<uint32_t> before, after;
        int w = 0, h = 0;
        ASSERT_TRUE(CaptureWindowPixels(&dlg, before, w, h));
        // A retry clears the failure line only; the rest of the page must stay.
        dlg.ClearFailureState();
        PumpMessages();
        ASSERT_TRUE(CaptureWindowPixels(&dlg, after, w, h));
        for (CWnd* pKept : std::initializer_list<CWnd*>{&dlg.m_btnClose, &dlg.m_lblSmallTitle, &dlg.m_lblFeature1}) {
            const CRect rc = RectIn(dlg, *pKept);
            int nChanged = 0;
            for (int y = rc.top; y < rc.bottom; ++y)
                for (int x = rc.left; x < rc.right; ++x)
                    nChanged += before[static_cast<size_t>(y) * w + x] != after[static_cast<size_t>(y) * w + x];
            EXPECT_EQ(nChanged, 0) << pKept->GetDlgCtrlID();
        }
    });
}
