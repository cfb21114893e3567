// Window and control geometry against the figures the windows must have on
// screen at 96, 120 and 144 DPI.
#include <gtest/gtest.h>

#include "dialogs/ContentLayout.h"
#include "dialogs/ShadowLayout.h"
#include "fixpage/FixPageLayout.h"

using layout::Rect;

namespace {

void ExpectRect(const Rect& r, int l, int t, int rr, int b) {
    EXPECT_EQ(l, r.left);
    EXPECT_EQ(t, r.top);
    EXPECT_EQ(rr, r.right);
    EXPECT_EQ(b, r.bottom);
}

TEST(Scale, StartsJustAbove100Dpi) {
    EXPECT_FLOAT_EQ(1.0f, layout::ScaleFromLogPixels(0));
    EXPECT_FLOAT_EQ(1.0f, layout::ScaleFromLogPixels(96));
    EXPECT_FLOAT_EQ(1.0f, layout::ScaleFromLogPixels(100));
    EXPECT_NEAR(1.0520833, layout::ScaleFromLogPixels(101), 1e-6);
    EXPECT_FLOAT_EQ(1.25f, layout::ScaleFromLogPixels(120));
    EXPECT_FLOAT_EQ(1.5f, layout::ScaleFromLogPixels(144));
}

TEST(ShadowPairs, ParentAndContentSizesAtEachScale) {
    struct Case { float s; int mainW, mainH, inset, contentW, contentH, fbW, fbH, fbCW, fbCH, promptW, promptH; };
    const Case cases[] = {
        {1.0f, 434, 634, 17, 400, 600, 434, 514, 400, 480, 348, 236},
        {1.25f, 542, 792, 21, 499, 749, 542, 642, 499, 599, 435, 295},
        {1.5f, 651, 951, 25, 600, 900, 651, 771, 600, 720, 522, 354},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        const int w = layout::ScaledLength(434, c.s), h = layout::ScaledLength(634, c.s);
        EXPECT_EQ(c.mainW, w);
        EXPECT_EQ(c.mainH, h);
        const Rect content = layout::InsetByShadow(Rect{100, 50, 100 + w, 50 + h}, c.s);
        ExpectRect(content, 100 + c.inset, 50 + c.inset, 100 + c.inset + c.contentW, 50 + c.inset + c.contentH);

        const int fw = layout::ScaledLength(434, c.s), fh = layout::ScaledLength(514, c.s);
        EXPECT_EQ(c.fbW, fw);
        EXPECT_EQ(c.fbH, fh);
        const Rect fc = layout::InsetByShadow(Rect{0, 0, fw, fh}, c.s);
        EXPECT_EQ(c.fbCW, fc.Width());
        EXPECT_EQ(c.fbCH, fc.Height());

        EXPECT_EQ(c.promptW, layout::ScaledLength(348, c.s));
        EXPECT_EQ(c.promptH, layout::ScaledLength(236, c.s));
    }
}

TEST(ShadowPairs, FollowingTheContentKeepsTheShadowMargin) {
    const Rect content{321, 123, 820, 872};
    ExpectRect(layout::OutsetByShadow(content, 1.25f), 300, 102, 841, 893);
    ExpectRect(layout::OutsetByShadow(content, 1.0f), 304, 106, 837, 889);
}

TEST(ShadowPairs, MainWindowIsCentredOnThePrimaryScreen) {
    int x = 0, y = 0;
    layout::CentredOrigin(1280, 1024, 434, 634, 1.0f, &x, &y);
    EXPECT_EQ(423, x);
    EXPECT_EQ(195, y);
    layout::CentredOrigin(1280, 1024, 434, 634, 1.25f, &x, &y);
    EXPECT_EQ(640 - 271, x);  // trunc(542.5 / 2)
    EXPECT_EQ(512 - 396, y);
}

TEST(ShadowPairs, DragBandAndCorners) {
    const Rect band = layout::DragBand(Rect{10, 20, 445, 315}, 1.25f, 26);
    ExpectRect(band, 10, 20, 445 - 32, 20 + 37);
    EXPECT_EQ(layout::DragBand(Rect{0, 0, 400, 600}, 1.0f, 86).right, 314);
    EXPECT_EQ(20, layout::CornerEllipse(16, 1.25f));
    EXPECT_EQ(22, layout::CornerEllipse(18, 1.25f));
    EXPECT_EQ(16, layout::CornerEllipse(16, 1.0f));
}

TEST(PromptContent, SingleConfirmButtonIsCentredAtTheBottom) {
    const auto l = layout::LayoutPrompt(Rect{0, 0, 348, 236}, 348, 236, 1.0f);
    ExpectRect(l.single.dest, 118, 186, 230, 224);
    ExpectRect(l.single.source, 118, 186, 230, 224);
    ExpectRect(l.close.dest, 322, 8, 335, 21);
    ExpectRect(l.message.dest, 10, 30, 338, 176);
    ExpectRect(l.message.source, 10, 30, 338, 176);
}

TEST(PromptContent, TwoButtonsSit24sApartAroundTheCentre) {
    for (float s : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(s);
        const int w = layout::ScaledLength(348, s), h = layout::ScaledLength(236, s);
        const auto l = layout::LayoutPrompt(Rect{0, 0, w, h}, 348, 236, s);
        EXPECT_EQ(layout::T(112 * s), l.confirm.dest.Width());
        EXPECT_EQ(layout::T(38 * s), l.confirm.dest.Height());
        EXPECT_NEAR(24 * s, l.cancel.dest.left - l.confirm.dest.right, 1.0);
        EXPECT_EQ(h - layout::T(50 * s), l.confirm.dest.top);
        EXPECT_EQ(l.confirm.dest.top, l.cancel.dest.top);
    }
    const auto one = layout::LayoutPrompt(Rect{0, 0, 348, 236}, 348, 236, 1.0f);
    ExpectRect(one.confirm.dest, 50, 186, 162, 224);
    ExpectRect(one.cancel.dest, 186, 186, 298, 224);
    ExpectRect(one.cancel.source, 186, 186, 298, 224);
}

TEST(PromptContent, ButtonSetsByType) {
    const auto t1 = layout::PromptButtonsFor(1);
    EXPECT_EQ(183, t1.confirmFirstImage);
    EXPECT_FALSE(t1.cancelShown);
    EXPECT_TRUE(t1.confirmAlone);
    const auto t2 = layout::PromptButtonsFor(2);
    EXPECT_EQ(175, t2.cancelFirstImage);
    EXPECT_TRUE(t2.cancelShown);
    const auto t3 = layout::PromptButtonsFor(3);
    EXPECT_EQ(179, t3.confirmFirstImage);
    EXPECT_FALSE(t3.cancelShown);
    const auto t4 = layout::PromptButtonsFor(4);
    EXPECT_EQ(167, t4.cancelFirstImage);
    EXPECT_TRUE(t4.cancelShown);
    EXPECT_FALSE(t4.confirmAlone);
}

TEST(ExecuteContent, StatusBandAcrossTheMiddle) {
    const auto p = layout::LayoutExecuteLabel(Rect{0, 0, 348, 236}, 348, 236, 1.0f);
    ExpectRect(p.dest, 10, 98, 338, 138);
    ExpectRect(p.source, 10, 98, 338, 138);
    const auto q = layout::LayoutExecuteLabel(Rect{0, 0, 435, 295}, 348, 236, 1.25f);
    EXPECT_EQ(layout::T(40 * 1.25f), q.dest.Height());
    EXPECT_EQ(12, q.dest.left);
}

TEST(FeedbackContent, ThreeButtonsStackedAroundTheMiddle) {
    const auto l = layout::LayoutFeedback(Rect{0, 0, 400, 480}, 400, 480, 1.0f);
    ExpectRect(l.solved.dest, 71, 196, 329, 240);
    ExpectRect(l.notSolved.dest, 71, 280, 329, 324);
    ExpectRect(l.other.dest, 71, 364, 329, 408);
    ExpectRect(l.other.source, 71, 364, 329, 408);
    ExpectRect(l.close.dest, 374, 12, 387, 25);
}

layout::FixPageTextWidths Widths(int version, int agreement, int feedback) {
    layout::FixPageTextWidths w;
    w.version = version;
    w.agreement = agreement;
    w.feedback = feedback;
    return w;
}

TEST(FixPage, ControlsAtScaleOne) {
    const auto l = layout::LayoutFixPage(400, 600, 400, 600, 1.0f, Widths(66, 208, 48));
    ExpectRect(l.close.dest, 374, 12, 387, 25);
    ExpectRect(l.minimize.dest, 337, 12, 350, 25);
    ExpectRect(l.uninstall.dest, 78, 478, 322, 526);
    ExpectRect(l.moreTools.dest, 306, 390, 360, 411);
    ExpectRect(l.version.dest, 242, 12, 308, 27);
    ExpectRect(l.version.source, 242, 12, 308, 27);
    // m = 208 / 16 = 13: box 16, gap 2, caption two characters
    ExpectRect(l.agree.dest, 8, 575, 52, 595);
    ExpectRect(l.agree.source, 8, 575, 52, 595);
    ExpectRect(l.agreement.dest, 54, 575, 54 + 14 * 13, 595);
    ExpectRect(l.feedback.dest, 344, 575, 392, 595);
    ExpectRect(l.feedback.source, 344, 575, 392, 595);
    // At scale 1 every control lies on its own piece of the picture.
    for (const auto* p : {&l.close, &l.minimize, &l.uninstall, &l.moreTools, &l.agreement}) {
        EXPECT_EQ(p->dest, p->source);
    }
}

TEST(FixPage, ControlsAtScaleOneAndAQuarter) {
    const auto l = layout::LayoutFixPage(499, 749, 400, 600, 1.25f, Widths(82, 256, 60));
    ExpectRect(l.close.dest, 467, 15, 483, 31);
    EXPECT_EQ(96, l.uninstall.dest.left);  // 249 - 152.5, truncated
    EXPECT_EQ(96 + 305, l.uninstall.dest.right);
    EXPECT_EQ(749 - 152, l.uninstall.dest.top);
    ExpectRect(l.uninstall.source, 78, 478, 322, 526);  // pieces stay unscaled
    EXPECT_EQ(749 - 31, l.agree.dest.top);
    EXPECT_EQ(layout::T(749 - 31 + 25.0f), l.agree.dest.bottom);
    EXPECT_EQ(layout::T(10 + 20 + 32 + 2.5f), l.agree.dest.right);  // 16s + 2m + 2s added once
    EXPECT_EQ(26 + layout::T(32 / 1.25f), l.agree.source.right);
    EXPECT_EQ(499 - 60 - 10, l.feedback.dest.left);
}

TEST(FixPage, MoreToolsOnlyWithoutLauncherClient) {
    EXPECT_TRUE(layout::MoreToolsShown(0));
    EXPECT_TRUE(layout::MoreToolsShown(-1));
    EXPECT_FALSE(layout::MoreToolsShown(1));
    EXPECT_FALSE(layout::MoreToolsShown(2));
    EXPECT_FALSE(layout::MoreToolsShown(7));
}

}  // namespace
