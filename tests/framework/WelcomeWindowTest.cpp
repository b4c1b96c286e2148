#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "framework/Screen.h"
#include "framework/Testing.h"
#include "support/GoldenImage.h"
#include "wizard/Zelqa_DownloaderDlg.h"

namespace
{
class WelcomeWindow : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
#if !defined(_WIN32)
        // The Linux OS services keep their drives under a prefix, here one of
        // the test's own. Set before the window system starts its font thread,
        // which reads the environment: setenv beside a getenv can crash it.
        m_prefix = std::filesystem::temp_directory_path() / ("zelqa-welcome-" + std::to_string(::getpid()));
        setenv("ZELQA_PREFIX", m_prefix.c_str(), 1);
#endif
        ASSERT_TRUE(InitTestWindowSystem());
    }
    void TearDown() override
    {
        SetScreenDpiForTesting(0, 0);
        if (!m_prefix.empty())
            std::filesystem::remove_all(m_prefix);
    }
    std::filesystem::path m_prefix;
};
} // namespace

TEST_P(WelcomeWindow, ShowsTheWelcomeBackgroundAtTheScaledSize)
{
    const int dpi = GetParam();
    SetScreenDpiForTesting(dpi, dpi);
    CZelqa_DownloaderDlg dlg;
    RunWhenIdle([&] {
        CRect rc;
        dlg.GetWindowRect(&rc);
        EXPECT_EQ(rc.Width(), 600 * dpi / 96);
        EXPECT_EQ(rc.Height(), 400 * dpi / 96);
        EXPECT_TRUE(MatchesGolden(&dlg, "welcome-" + std::to_string(dpi)));
        dlg.EndDialog(0);
    });
    dlg.DoModal();
}

INSTANTIATE_TEST_SUITE_P(Dpis, WelcomeWindow, ::testing::Values(96, 144), ::testing::PrintToStringParamName());

TEST(DefaultInstallDir, TakesTheDesktopDrive)
{
    EXPECT_EQ(DefaultInstallDir(L"C:\\users\\ann\\Desktop"), L"C:\\Program Files (x86)\\brovix\\Zelqa");
    EXPECT_EQ(DefaultInstallDir(L"D:\\Users\\ann\\Desktop"), L"D:\\Program Files (x86)\\brovix\\Zelqa");
    // Without a desktop folder the drive is missing and the location check refuses it later.
    EXPECT_EQ(DefaultInstallDir(L""), L":\\Program Files (x86)\\brovix\\Zelqa");
}
