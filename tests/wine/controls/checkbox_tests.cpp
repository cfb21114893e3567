// CCheckBoxBtn: the mark from the strip by check state, its box and caption
// at a scale, and the look kept through the standard checkbox's own drawing.
#include <gtest/gtest.h>

#include "controls/ControlsTestSupport.h"

using namespace ct;

namespace {

struct AgreePage {
    Host host{IDD_FIXPAGE, IDB_FIXPAGE_BK};
    CCheckBoxBtn& agree = host.Bind<CCheckBoxBtn>(IDC_FIX_AGREE);

    AgreePage(float scale, int width, int height, bool show = true) {
        EXPECT_TRUE(host.Open(80, 80, 400, 600, show));
        agree.m_fScale = scale;
        agree.InitFontFromParent();
        agree.SetTextColor(RGB(255, 255, 255));
        agree.SetBkImage(host.background());
        agree.SetBkImageRect(CRect(8, 575, 8 + width, 575 + height));
        agree.SendMessageW(BM_SETCHECK, BST_CHECKED);
        agree.MoveWindow(10, 500, width, height);
        Pump();
    }
};

// Every difference lies inside [x0, x1) x [y0, y1), and there is one.
::testing::AssertionResult DifferencesWithin(const Canvas& a, const Canvas& b, int x0, int y0, int x1, int y1) {
    auto diff = Differences(a, b);
    if (diff.empty()) return ::testing::AssertionFailure() << "no difference at all";
    for (const POINT& p : diff) {
        if (p.x < x0 || p.x >= x1 || p.y < y0 || p.y >= y1) {
            return ::testing::AssertionFailure() << "difference at " << p.x << "," << p.y;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(CheckBox, AtScaleOneAndAHalfTheBoxIs24SquareAndTheCaptionStartsAt26) {
    AgreePage page(1.5f, 120, 30);
    auto checked = PrintControl(page.agree);
    page.agree.SendMessageW(BM_SETCHECK, BST_UNCHECKED);
    auto unchecked = PrintControl(page.agree);
    // The tick only changes the box: 24 x 24 from y = 30 / 2 - 12.
    EXPECT_TRUE(DifferencesWithin(*checked, *unchecked, 0, 3, 24, 27));

    page.agree.SetWindowTextW(L"");
    auto noCaption = PrintControl(page.agree);
    EXPECT_TRUE(DifferencesWithin(*unchecked, *noCaption, 26, 0, 120, 30));
    // An empty caption still shows the (white) empty box over the dark chip
    // of the page, and the page itself beside it.
    auto page145 = RenderPng(IDB_FIXPAGE_BK, RGB(255, 0, 255));
    COLORREF under = page145->At(8 + 12, 575 + 15);
    ASSERT_LT(GetRValue(under) + GetGValue(under) + GetBValue(under), 300);
    COLORREF inBox = noCaption->At(12, 15);
    EXPECT_GT(GetRValue(inBox) + GetGValue(inBox) + GetBValue(inBox), 600);
    EXPECT_TRUE(Near(noCaption->At(60, 15), page145->At(8 + 60, 575 + 15), 6));
}

TEST(CheckBox, AtScaleOneTheBoxIs16SquareAndTheCaptionStartsAt18) {
    AgreePage page(1.0f, 80, 20);
    auto checked = PrintControl(page.agree);
    page.agree.SendMessageW(BM_SETCHECK, BST_UNCHECKED);
    auto unchecked = PrintControl(page.agree);
    EXPECT_TRUE(DifferencesWithin(*checked, *unchecked, 0, 2, 16, 18));
    page.agree.SetWindowTextW(L"");
    EXPECT_TRUE(DifferencesWithin(*unchecked, *PrintControl(page.agree), 18, 0, 80, 20));
}

TEST(CheckBox, IndeterminateShowsTheEmptyBox) {
    AgreePage page(1.5f, 120, 30);
    page.agree.SendMessageW(BM_SETCHECK, BST_UNCHECKED);
    auto unchecked = PrintControl(page.agree);
    // Only a three-state checkbox can hold the indeterminate value.
    page.agree.SendMessageW(BM_SETSTYLE, BS_AUTO3STATE, FALSE);
    page.agree.SendMessageW(BM_SETCHECK, BST_INDETERMINATE);
    ASSERT_EQ(page.agree.SendMessageW(BM_GETCHECK), BST_INDETERMINATE);
    EXPECT_TRUE(SameImage(*unchecked, *PrintControl(page.agree), 0));
}

TEST(CheckBox, ScreenKeepsTheSkinThroughTheStandardCheckboxsOwnDrawing) {
    AgreePage page(1.5f, 120, 30);
    page.agree.SendMessageW(BM_SETCHECK, BST_UNCHECKED);
    EXPECT_TRUE(SameImage(*ScreenOf(page.agree), *PrintControl(page.agree)));
    // A click toggles the system's state and the owner hears of it.
    page.agree.SendMessageW(BM_CLICK);
    Pump();
    EXPECT_EQ(page.agree.SendMessageW(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(page.host.Clicks(IDC_FIX_AGREE), 1);
    EXPECT_TRUE(SameImage(*ScreenOf(page.agree), *PrintControl(page.agree)));
    page.agree.SetFocus();
    Pump();
    EXPECT_TRUE(SameImage(*ScreenOf(page.agree), *PrintControl(page.agree)));
}

TEST(CheckBox, ResizedAfterItsFirstPaintPaintsAtItsNewSize) {
    AgreePage resized(1.5f, 120, 30);
    PrintControl(resized.agree);  // first paint at 120 x 30
    resized.agree.SetBkImageRect(CRect(8, 575, 168, 615));
    resized.agree.MoveWindow(10, 500, 160, 40);
    AgreePage fresh(1.5f, 160, 40, false);  // never painted before
    EXPECT_TRUE(SameImage(*PrintControl(resized.agree), *PrintControl(fresh.agree), 0));
}
