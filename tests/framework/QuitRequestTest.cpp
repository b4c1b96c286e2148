#include <SDL.h>
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Testing.h"
#include "res/resource.h"

namespace
{
// Asks to quit (as SIGTERM does) while it is being built, before its modal
// loop has started.
class CQuitWhileBuiltDialog : public CDialog
{
public:
    CQuitWhileBuiltDialog() : CDialog(IDD_MESSAGEBOX) {}
    BOOL OnInitDialog() override
    {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        PumpMessages();
        return TRUE;
    }
};
} // namespace

TEST(QuitRequest, OneThatComesWhileTheWindowIsBuiltClosesItOnceShown)
{
    ASSERT_TRUE(InitTestWindowSystem());
    CQuitWhileBuiltDialog dlg;
    // Without the kept request the modal loop would wait for input for ever;
    // the guard ends it so that the test fails rather than hangs.
    RunWhenIdle([&] {
        if (dlg.GetSafeHwnd())
            dlg.EndDialog(IDOK);
    });
    const INT_PTR result = dlg.DoModal();
    PumpMessages(50); // the guard runs now, while the dialog object lives
    EXPECT_EQ(result, static_cast<INT_PTR>(IDCANCEL));
}
