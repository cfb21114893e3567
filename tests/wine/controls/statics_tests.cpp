// CDrawTextStatic's layout modes, hover and fill colour; CDrawStateInfoStatic's
// dots and modes; both keeping their look when their text changes on screen.
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/ControlsTestSupport.h"

using namespace ct;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const wchar_t kShort[] = L"反馈问题 Help";
const wchar_t kLong[] = L"Tessaro Veride Hubrelay 服务卸载完成，重启计算机后生效";

struct PromptPage {
    Host host{IDD_PROMPT_CHILD, IDB_PROMPT_BK};
    CDrawTextStatic& text = host.Bind<CDrawTextStatic>(IDC_PROMPT_MESSAGE);

    explicit PromptPage(bool show = true) {
        EXPECT_TRUE(host.Open(100, 100, 348, 236, show));
        text.SetFontFromParent(0, 0);
        text.SetTextColors(RGB(0, 0, 0), RGB(255, 0, 0));
    }
    // The static in one mode at one size, painted on its white fill.
    std::unique_ptr<Canvas> Lay(int mode, const wchar_t* s, int width, int height) {
        text.SetAlignMode(mode);
        text.SetWindowTextW(s);
        text.MoveWindow(20, 40, width, height);
        return PrintControl(text);
    }
};

bool CentredY(const Box& b, int height, int tolerance) { return std::abs(b.centreY2() - (height - 1)) <= tolerance; }
bool CentredX(const Box& b, int width, int tolerance) { return std::abs(b.centreX2() - (width - 1)) <= tolerance; }

int Reddish(const Canvas& c) {
    int n = 0;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            COLORREF p = c.At(x, y);
            n += GetRValue(p) > 150 && GetGValue(p) < 110 && GetBValue(p) < 110;
        }
    }
    return n;
}

}  // namespace

TEST(DrawTextStatic, SingleLineModes) {
    PromptPage page;
    Box one = InkBox(*page.Lay(1, kShort, 200, 60), kWhite);
    ASSERT_FALSE(one.empty());
    EXPECT_LE(one.left, 2);
    EXPECT_LT(one.bottom - one.top, 16);
    EXPECT_TRUE(CentredY(one, 60, 5)) << one.top << ".." << one.bottom;

    EXPECT_TRUE(SameImage(*page.Lay(1, kShort, 200, 60), *page.Lay(4, kShort, 200, 60), 0));

    Box two = InkBox(*page.Lay(2, kShort, 200, 60), kWhite);
    EXPECT_TRUE(CentredX(two, 200, 4)) << two.left << ".." << two.right;
    EXPECT_TRUE(CentredY(two, 60, 5));
}

TEST(DrawTextStatic, WrappedModesAreCentredByOffset) {
    PromptPage page;
    Box zero = InkBox(*page.Lay(0, kLong, 200, 80), kWhite);
    EXPECT_LE(zero.left, 2);
    EXPECT_GT(zero.bottom - zero.top, 16);  // more than one line
    EXPECT_TRUE(CentredY(zero, 80, 6)) << zero.top << ".." << zero.bottom;

    Box three = InkBox(*page.Lay(3, kLong, 200, 80), kWhite);
    EXPECT_GE(three.right, 200 - 4);
    EXPECT_GT(three.left, 2);
    EXPECT_TRUE(CentredY(three, 80, 6));

    Box five = InkBox(*page.Lay(5, kLong, 200, 80), kWhite);
    EXPECT_TRUE(CentredX(five, 200, 6)) << five.left << ".." << five.right;
    EXPECT_TRUE(CentredY(five, 80, 6));

    Box six = InkBox(*page.Lay(6, kLong, 200, 80), kWhite);
    EXPECT_LE(six.top, 3);  // from the top-left corner
    EXPECT_LE(six.left, 2);
    EXPECT_GT(six.bottom - six.top, 16);

    Box seven = InkBox(*page.Lay(7, kLong, 200, 80), kWhite);
    EXPECT_LE(seven.left, 2);
    EXPECT_GT(seven.bottom - seven.top, 16);
    EXPECT_TRUE(CentredY(seven, 80, 6));
}

TEST(DrawTextStatic, UnknownModeDrawsOnlyTheBackground) {
    PromptPage page;
    EXPECT_TRUE(InkBox(*page.Lay(8, kLong, 200, 60), kWhite, 0).empty());
    EXPECT_TRUE(InkBox(*page.Lay(-1, kShort, 200, 60), kWhite, 0).empty());
}

TEST(DrawTextStatic, WrappedTextTallerThanTheControlIsShiftedUpAndCutAtBothEnds) {
    PromptPage page;
    std::wstring text = std::wstring(kLong) + kLong + kLong;
    auto tall = page.Lay(5, text.c_str(), 200, 200);
    Box full = InkBox(*tall, kWhite);
    ASSERT_GT(full.bottom - full.top, 40);
    auto cut = page.Lay(5, text.c_str(), 200, 30);
    Box seen = InkBox(*cut, kWhite);
    EXPECT_LE(seen.top, 3);
    EXPECT_GE(seen.bottom, 30 - 4);
    // The short control shows the middle slice of the same block: its rows
    // are the tall control's rows 85 lower (84 for an odd block height,
    // where the negative half-difference truncates toward zero).
    auto sliceMatches = [&](int shift) {
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (!Near(cut->At(x, y), tall->At(x, y + shift), 8)) return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(sliceMatches(85) || sliceMatches(84));
}

TEST(DrawTextStatic, BackgroundColourIsFixedAtTheFirstPaint) {
    PromptPage before(false);  // not painted yet
    before.text.SetBkColor(RGB(200, 0, 0));
    EXPECT_TRUE(Near(PrintControl(before.text)->At(0, 0), RGB(200, 0, 0), 0));
    before.text.SetBkColor(RGB(0, 200, 0));
    EXPECT_TRUE(Near(PrintControl(before.text)->At(0, 0), RGB(200, 0, 0), 0));

    PromptPage after;  // painted white when shown
    after.text.SetBkColor(RGB(0, 0, 200));
    EXPECT_TRUE(Near(PrintControl(after.text)->At(0, 0), kWhite, 0));
}

TEST(DrawTextStatic, HoverColourFollowsThePointAndTheRightEdgeIsOutside) {
    PromptPage page;
    page.Lay(1, kShort, 200, 40);
    CRect rc;
    page.text.GetWindowRect(&rc);
    EXPECT_EQ(page.text.GetHover(), 0);
    EXPECT_EQ(Reddish(*PrintControl(page.text)), 0);

    page.text.UpdateHover(POINT{rc.right - 1, rc.top});
    EXPECT_EQ(page.text.GetHover(), 1);
    EXPECT_TRUE(::GetUpdateRect(page.text.m_hWnd, nullptr, FALSE));
    EXPECT_GT(Reddish(*PrintControl(page.text)), 10);
    EXPECT_TRUE(page.text.HitTest(POINT{rc.right - 1, rc.bottom - 1}));

    ::ValidateRect(page.text.m_hWnd, nullptr);
    page.text.UpdateHover(POINT{rc.left + 5, rc.top + 5});  // no change, no repaint
    EXPECT_FALSE(::GetUpdateRect(page.text.m_hWnd, nullptr, FALSE));

    page.text.UpdateHover(POINT{rc.right, rc.top + 5});
    EXPECT_EQ(page.text.GetHover(), 0);
    EXPECT_EQ(Reddish(*PrintControl(page.text)), 0);
    EXPECT_FALSE(page.text.HitTest(POINT{rc.right, rc.top + 5}));
    EXPECT_FALSE(page.text.HitTest(POINT{rc.left + 5, rc.bottom}));
}

TEST(DrawTextStatic, NewTextOnScreenKeepsTheSkin) {
    PromptPage page;
    page.text.SetBkImage(page.host.background());
    page.text.SetBkImageRect(CRect(20, 40, 220, 80));
    page.text.SetTextColors(kWhite, kWhite);
    page.Lay(5, kShort, 200, 40);
    Pump();
    page.text.SetWindowTextW(kLong);
    EXPECT_TRUE(SameImage(*ScreenOf(page.text), *PrintControl(page.text)));
}

// -------------------------------------------------------- CDrawStateInfoStatic

namespace {

struct ExecutePage {
    Host host{IDD_EXECUTE_PROMPT_CHILD, IDB_EXEC_BK};
    CDrawStateInfoStatic& status = host.Bind<CDrawStateInfoStatic>(IDC_EXEC_STATUS);

    ExecutePage() {
        EXPECT_TRUE(host.Open(120, 120, 348, 236));
        status.SetFontFromParent(0, 0);
        status.SetAlignMode(5);
        status.SetTextColor(RGB(0, 0, 0));
        status.SetWindowTextW(L"正在修复，请稍等");
        status.MoveWindow(10, 98, 328, 40);
    }
    void Tick(WPARAM id = CDrawStateInfoStatic::DotsTimerId) { status.SendMessageW(WM_TIMER, id); }
    // Waits (serving messages) until the dots reach `dots`; milliseconds taken.
    int WaitForDots(int dots, int limitMs) {
        DWORD start = ::GetTickCount();
        while (status.GetDots() != dots && static_cast<int>(::GetTickCount() - start) < limitMs) Pump(10);
        return static_cast<int>(::GetTickCount() - start);
    }
};

}  // namespace

TEST(DrawStateInfoStatic, TimerThirtySixCyclesNoneOneTwoThreeDotsThenNone) {
    ExecutePage page;
    int widths[5];
    std::unique_ptr<Canvas> first;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(page.status.GetDots(), i % 4);
        auto shot = PrintControl(page.status);
        Box b = InkBox(*shot, kWhite);
        widths[i] = b.right - b.left;
        if (i == 0) first = std::move(shot);
        if (i == 4) {
            EXPECT_TRUE(SameImage(*first, *shot, 0));
        }
        page.Tick();
    }
    EXPECT_LT(widths[0], widths[1]);
    EXPECT_LT(widths[1], widths[2]);
    EXPECT_LT(widths[2], widths[3]);
    EXPECT_EQ(widths[4], widths[0]);
}

TEST(DrawStateInfoStatic, OtherTimersDoNotAdvanceTheDots) {
    ExecutePage page;
    page.Tick();
    ::ValidateRect(page.status.m_hWnd, nullptr);
    page.Tick(35);
    EXPECT_EQ(page.status.GetDots(), 1);
    EXPECT_FALSE(::GetUpdateRect(page.status.m_hWnd, nullptr, FALSE));
}

TEST(DrawStateInfoStatic, StartStopAndResetWithTheRealTimer) {
    ExecutePage page;
    page.status.StartDots();
    int waited = page.WaitForDots(1, 3000);
    EXPECT_EQ(page.status.GetDots(), 1);
    EXPECT_GE(waited, 700);  // a second's period, not faster

    page.WaitForDots(3, 4000);
    ASSERT_EQ(page.status.GetDots(), 3);
    page.status.StopDots();
    EXPECT_EQ(page.status.GetDots(), 0);
    Pump(1500);
    EXPECT_EQ(page.status.GetDots(), 0);  // the timer is gone

    page.status.StartDots();
    page.WaitForDots(1, 3000);
    page.status.ResetDots();
    EXPECT_EQ(page.status.GetDots(), 0);
    page.WaitForDots(1, 3000);
    EXPECT_EQ(page.status.GetDots(), 1);  // still running
    page.status.StopDots();
}

TEST(DrawStateInfoStatic, LayoutModesAndTheFallbackToModeOne) {
    ExecutePage page;
    auto lay = [&](int mode, const wchar_t* text, int height) {
        page.status.SetAlignMode(mode);
        page.status.SetWindowTextW(text);
        page.status.MoveWindow(10, 60, 200, height);
        return PrintControl(page.status);
    };
    auto one = lay(1, kShort, 40);
    Box b1 = InkBox(*one, kWhite);
    EXPECT_LE(b1.left, 2);
    EXPECT_TRUE(CentredY(b1, 40, 5));
    EXPECT_TRUE(SameImage(*one, *lay(0, kShort, 40), 0));
    EXPECT_TRUE(SameImage(*one, *lay(9, kShort, 40), 0));

    Box b2 = InkBox(*lay(2, kShort, 40), kWhite);
    EXPECT_TRUE(CentredX(b2, 200, 4));
    Box b3 = InkBox(*lay(3, kShort, 40), kWhite);
    EXPECT_GE(b3.right, 200 - 4);

    Box b4 = InkBox(*lay(4, kLong, 80), kWhite);
    EXPECT_LE(b4.left, 2);
    EXPECT_GT(b4.bottom - b4.top, 16);
    EXPECT_TRUE(CentredY(b4, 80, 6));
    Box b5 = InkBox(*lay(5, kLong, 80), kWhite);
    EXPECT_TRUE(CentredX(b5, 200, 6));
    Box b6 = InkBox(*lay(6, kLong, 80), kWhite);
    EXPECT_GE(b6.right, 200 - 4);
    EXPECT_TRUE(CentredY(b6, 80, 6));
}

TEST(DrawStateInfoStatic, SetTextColorRepaintsInTheNewColour) {
    ExecutePage page;
    ::ValidateRect(page.status.m_hWnd, nullptr);
    page.status.SetTextColor(RGB(255, 0, 0));
    EXPECT_TRUE(::GetUpdateRect(page.status.m_hWnd, nullptr, FALSE));
    EXPECT_GT(Reddish(*PrintControl(page.status)), 10);
}

TEST(DrawStateInfoStatic, NewTextOnScreenKeepsTheSkin) {
    ExecutePage page;
    page.status.SetBkImage(page.host.background());
    page.status.SetBkImageRect(CRect(10, 98, 338, 138));
    page.status.SetTextColor(kWhite);
    Pump();
    page.status.SetWindowTextW(L"Tessaro Veride Hubrelay 服务卸载中，请稍等");
    EXPECT_TRUE(SameImage(*ScreenOf(page.status), *PrintControl(page.status)));
}
