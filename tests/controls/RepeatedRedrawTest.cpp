#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/CheckBoxEx.h"
#include "controls/ImageButtonEx.h"
#include "controls/ImageTextButtonEx.h"
#include "controls/ProgressCtrlEx.h"
#include "controls/StaticEx.h"
#include "controls/TextButtonEx.h"
#include "framework/Testing.h"
#include "tests/controls/ControlHost.h"

// Every change of a control's look, done twenty times over the skinned page,
// must leave exactly the pixels its first drawing left: a redraw that blends
// over its own old pixels darkens anti-aliased edges a little each time.
namespace
{
constexpr int kRounds = 20;
const CPoint kAway(390, 110);
// Wine reports the pointer's leaving from a timer, one hover time (50 ms) late.
constexpr int kLeaveMs = 120;

struct Change
{
    std::string name;
    std::function<void()> to;   // from the control's resting look to another
    std::function<void()> back; // and back to rest
    bool bShows = true;         // whether the other look differs at all
};

std::vector<uint32_t> Shown(CWnd* pWnd)
{
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    CaptureWindowPixels(pWnd, px, w, h);
    return px;
}

size_t Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size())
        return SIZE_MAX;
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

void ExpectNoMarks(CControlHost& host, const std::vector<Change>& changes)
{
    for (const Change& change : changes) {
        const std::vector<uint32_t> rest = Shown(&host);
        change.to();
        const std::vector<uint32_t> changed = Shown(&host);
        if (change.bShows) {
            EXPECT_NE(Differing(rest, changed), 0u) << change.name << ": the change shows nothing";
        }
        change.back();
        for (int i = 1; i < kRounds; ++i) {
            change.to();
            change.back();
        }
        change.to();
        EXPECT_EQ(Differing(Shown(&host), changed), 0u) << change.name << ": changed look drifted";
        change.back();
        EXPECT_EQ(Differing(Shown(&host), rest), 0u) << change.name << ": resting look drifted";
    }
}

// A change the owner makes by setting something and invalidating the control.
Change Setting(std::string name, CWnd& control, std::function<void(bool bChanged)> set)
{
    auto apply = [&control, set](bool bChanged) {
        set(bChanged);
        control.Invalidate(TRUE);
        PumpMessages();
    };
    return {std::move(name), [apply] { apply(true); }, [apply] { apply(false); }};
}

// Changes done with the pointer, as a person does them, on the control at `pt`.
Change Hover(CControlHost& host, CPoint pt)
{
    return {"hover and leave",
            [&host, pt] {
                SendMouseMove(&host, pt);
                PumpMessages(80);
            },
            [&host] {
                SendMouseMove(&host, kAway);
                PumpMessages(kLeaveMs);
            }};
}

Change Press(CControlHost& host, CPoint pt)
{
    return {"press and release",
            [&host, pt] {
                SendMouseMove(&host, pt);
                PumpMessages(80); // the hover look first, so it cannot arrive during the press
                SendMouseButton(&host, pt, true);
                PumpMessages();
            },
            [&host, pt] {
                SendMouseButton(&host, pt, false);
                SendMouseMove(&host, kAway);
                PumpMessages(kLeaveMs);
            }};
}

// The owner turning a skinned control off and on, as the agreement box does to Install.
template <typename Control>
Change Disable(Control& control)
{
    return Setting("disable and enable", control, [&control](bool bOff) {
        control.m_bEnabled = bOff ? 0 : 1;
        control.m_nState = bOff ? STATE_DISABLED : STATE_NORMAL;
    });
}

Change Text(CWnd& control, std::wstring other)
{
    const std::wstring original = control.GetWindowText();
    return {"text change",
            [&control, other] {
                control.SetWindowText(other.c_str());
                PumpMessages();
            },
            [&control, original] {
                control.SetWindowText(original.c_str());
                PumpMessages();
            }};
}

// Skinned controls show no focus, but a focus change may still redraw them.
Change Focus(CControlHost& host, CWnd& control)
{
    return {"focus and blur",
            [&control] {
                control.SetFocus();
                PumpMessages();
            },
            [&host] {
                host.SetFocus();
                PumpMessages();
            },
            false};
}

class RepeatedRedraw : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(InitTestWindowSystem()); }

    // Runs `body` in a modal host on the skinned page, once everything is drawn.
    void WithHost(std::function<void(CControlHost&)> create, std::function<void(CControlHost&)> body)
    {
        CControlHost host(400, 120, std::move(create));
        host.m_bSkin = true;
        RunWhenIdle([&] {
            host.Invalidate(TRUE);
            PumpMessages();
            body(host);
            host.EndDialog(0);
        });
        host.DoModal();
    }
};
} // namespace

TEST_F(RepeatedRedraw, ImageButton)
{
    CImageButtonEx close;
    WithHost(
        [&](CControlHost& h) {
            close.Create(L"", 0x50000200, CRect(10, 10, 20, 20), &h, 10001);
            close.SetImage(IDB_CLOSE);
        },
        [&](CControlHost& host) {
            ExpectNoMarks(
                host, {Hover(host, CPoint(15, 15)), Press(host, CPoint(15, 15)), Disable(close), Focus(host, close)});
        });
}

TEST_F(RepeatedRedraw, ImageTextButton)
{
    CImageTextButtonEx install;
    WithHost(
        [&](CControlHost& h) {
            install.Create(L"安装", 0x50000200, CRect(40, 10, 50, 20), &h, 10002);
            install.SetImage(IDB_PILL_BUTTON);
        },
        [&](CControlHost& host) {
            ExpectNoMarks(host, {Hover(host, CPoint(50, 20)), Press(host, CPoint(50, 20)), Disable(install),
                                 Focus(host, install), Text(install, L"重试")});
        });
}

TEST_F(RepeatedRedraw, CheckBox)
{
    CCheckBoxEx check;
    WithHost(
        [&](CControlHost& h) {
            check.Create(L"", 0x50000202, CRect(220, 10, 230, 20), &h, 10003);
            check.SetImage();
        },
        [&](CControlHost& host) {
            const Change tick = Setting("untick and tick", check, [&](bool b) { check.m_bChecked = b ? 0 : 1; });
            ExpectNoMarks(host, {Hover(host, CPoint(225, 15)), Press(host, CPoint(225, 15)), tick});
        });
}

TEST_F(RepeatedRedraw, TextButton)
{
    CTextButtonEx link;
    WithHost(
        [&](CControlHost& h) {
            link.Create(L"许可协议", 0x50020100, CRect(250, 10, 350, 27), &h, 10004);
            link.m_crText[0] = RGB(147, 202, 255);
            link.m_crText[1] = link.m_crText[2] = RGB(47, 152, 255);
            link.m_crText[3] = RGB(102, 102, 102);
            link.SetFontHeight(17);
            link.MoveWindow(250, 10, 90, 17);
        },
        [&](CControlHost& host) {
            ExpectNoMarks(host, {Hover(host, CPoint(255, 15)), Disable(link), Text(link, L"官方网站")});
        });
}

TEST_F(RepeatedRedraw, Label)
{
    CStaticEx first;
    CStaticEx label;
    WithHost(
        [&](CControlHost& h) {
            first.Create(L"安装到", 0x50020000, CRect(250, 40, 400, 60), &h, 10021);
            label.Create(L"已阅读并同意", 0x50020000, CRect(250, 60, 400, 80), &h, 10022);
        },
        [&](CControlHost& host) {
            const Change colour = Setting("colour change", label,
                                          [&](bool b) { label.m_crText = b ? RGB(200, 40, 40) : RGB(60, 60, 60); });
            ExpectNoMarks(host, {Text(first, L"正在下载"), Text(label, L"下载失败"), colour});
        });
}

TEST_F(RepeatedRedraw, Progress)
{
    CProgressCtrlEx progress;
    WithHost(
        [&](CControlHost& h) {
            progress.Create(L"", 0x50000000, CRect(20, 60, 380, 70), &h, 10010);
            progress.LoadImages();
        },
        [&](CControlHost& host) {
            const Change step = Setting("advance and reset", progress, [&](bool b) { progress.m_nPos = b ? 45 : 0; });
            ExpectNoMarks(host, {step});
        });
}
