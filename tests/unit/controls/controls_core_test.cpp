#include <gtest/gtest.h>

#include <string>

#include "controls/ControlsCore.h"

using namespace hr;

// ------------------------------------------------------------- image button

TEST(ButtonStates, HoverAndReleaseOverTheButtonShowHover) {
    for (int from : {ButtonNormal, ButtonPressed, ButtonDisabled}) {
        EXPECT_EQ(NextButtonState(from, ButtonEvent::Hover, true, true), ButtonHover);
        EXPECT_EQ(NextButtonState(from, ButtonEvent::LButtonUp, true, true), ButtonHover);
    }
}

TEST(ButtonStates, PressReleasedOutsideStaysPressedUntilTheCursorLeaves) {
    int s = NextButtonState(ButtonHover, ButtonEvent::LButtonDown, true, true);
    EXPECT_EQ(s, ButtonPressed);
    s = NextButtonState(s, ButtonEvent::LButtonUp, true, false);
    EXPECT_EQ(s, ButtonPressed);
    s = NextButtonState(s, ButtonEvent::MouseLeave, true, false);
    EXPECT_EQ(s, ButtonNormal);
}

TEST(ButtonStates, FullClickGoesNormalHoverPressedHover) {
    int s = ButtonNormal;
    s = NextButtonState(s, ButtonEvent::Hover, true, true);
    EXPECT_EQ(s, ButtonHover);
    s = NextButtonState(s, ButtonEvent::LButtonDown, true, true);
    EXPECT_EQ(s, ButtonPressed);
    s = NextButtonState(s, ButtonEvent::LButtonUp, true, true);
    EXPECT_EQ(s, ButtonHover);
}

TEST(ButtonStates, DisabledWindowIgnoresEveryEvent) {
    for (auto ev : {ButtonEvent::Hover, ButtonEvent::LButtonUp, ButtonEvent::LButtonDown, ButtonEvent::MouseLeave}) {
        EXPECT_EQ(NextButtonState(ButtonDisabled, ev, false, true), ButtonDisabled);
    }
}

TEST(ButtonStates, LeaveReturnsToNormalFromAnyEnabledState) {
    for (int from : {ButtonNormal, ButtonHover, ButtonPressed, ButtonDisabled}) {
        EXPECT_EQ(NextButtonState(from, ButtonEvent::MouseLeave, true, false), ButtonNormal);
    }
}

TEST(ButtonStates, ImageFollowsStateOnlyWhileTheWindowIsEnabled) {
    EXPECT_EQ(StateImageIndex(ButtonNormal, true), 0);
    EXPECT_EQ(StateImageIndex(ButtonHover, true), 1);
    EXPECT_EQ(StateImageIndex(ButtonPressed, true), 2);
    // Enabled behind the button's back while in the disabled state: no image.
    EXPECT_EQ(StateImageIndex(ButtonDisabled, true), -1);
    EXPECT_EQ(StateImageIndex(0, true), -1);
    for (int s : {ButtonNormal, ButtonHover, ButtonPressed, ButtonDisabled}) EXPECT_EQ(StateImageIndex(s, false), 3);
}

TEST(HitArea, InsetsShrinkTheClientAndEdgesAreOutside) {
    CtlRect client{0, 0, 100, 40};
    CtlRect area = ShrinkByInsets(client, CtlRect{0, 0, 0, 0});
    EXPECT_TRUE(RectContains(area, 0, 0));
    EXPECT_TRUE(RectContains(area, 99, 39));
    EXPECT_FALSE(RectContains(area, 100, 10));
    EXPECT_FALSE(RectContains(area, 10, 40));
    EXPECT_FALSE(RectContains(area, -1, 10));

    area = ShrinkByInsets(client, CtlRect{5, 6, 7, 8});
    EXPECT_EQ(area.left, 5);
    EXPECT_EQ(area.top, 6);
    EXPECT_EQ(area.right, 93);
    EXPECT_EQ(area.bottom, 32);
    EXPECT_FALSE(RectContains(area, 4, 20));
    EXPECT_TRUE(RectContains(area, 92, 31));
}

// ------------------------------------------------------------- text statics

TEST(TextStaticLayout, ModeTableFlags) {
    struct Row {
        int mode;
        bool draws, centred;
        unsigned measure, draw;
    } rows[] = {
        {0, true, true, 0x610, 0x214},   {1, true, false, 0, 0x224},      {2, true, false, 0, 0x25},
        {3, true, true, 0x610, 0x216},   {4, true, false, 0, 0x224},      {5, true, true, 0x610, 0x215},
        {6, true, false, 0, 0x210},      {7, true, true, 0x2610, 0x2210}, {8, false, false, 0, 0},
        {-1, false, false, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        TextLayout l = DrawTextStaticLayout(r.mode);
        EXPECT_EQ(l.drawsText, r.draws);
        EXPECT_EQ(l.centredByOffset, r.centred);
        EXPECT_EQ(l.measureFlags, r.measure);
        EXPECT_EQ(l.drawFlags, r.draw);
        // Every measuring pass only calculates (DT_CALCRECT), never draws.
        if (l.centredByOffset) {
            EXPECT_TRUE(l.measureFlags & 0x400);
        }
    }
}

TEST(StateStaticLayout, ModeTableFlagsAndFallbackToModeOne) {
    struct Row {
        int mode;
        bool centred;
        unsigned measure, draw;
    } rows[] = {
        {1, false, 0, 0x24}, {2, false, 0, 0x25}, {3, false, 0, 0x26},
        {4, true, 0x410, 0x14}, {5, true, 0x410, 0x15}, {6, true, 0x410, 0x16},
        {0, false, 0, 0x24}, {7, false, 0, 0x24}, {-3, false, 0, 0x24},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mode);
        TextLayout l = StateInfoStaticLayout(r.mode);
        EXPECT_TRUE(l.drawsText);
        EXPECT_EQ(l.centredByOffset, r.centred);
        EXPECT_EQ(l.measureFlags, r.measure);
        EXPECT_EQ(l.drawFlags, r.draw);
    }
}

TEST(CentreOffset, HalfTheSpareHeightTruncatedTowardZero) {
    EXPECT_EQ(CentreOffset(40, 16), 12);
    EXPECT_EQ(CentreOffset(41, 16), 12);
    EXPECT_EQ(CentreOffset(40, 40), 0);
    // Taller text moves up; -3 / 2 truncates to -1, not -2.
    EXPECT_EQ(CentreOffset(40, 43), -1);
    EXPECT_EQ(CentreOffset(40, 80), -20);
}

TEST(Dots, CycleThroughThreeAndBackToNone) {
    int d = 0;
    std::wstring seen;
    for (int i = 0; i < 5; ++i) {
        seen += DotSuffix(d);
        seen += L'|';
        d = NextDotCount(d);
    }
    EXPECT_EQ(seen, L"|.|..|...||");
    EXPECT_STREQ(DotSuffix(4), L"");
    EXPECT_STREQ(DotSuffix(-1), L"");
    EXPECT_EQ(NextDotCount(3), 0);
}

// ---------------------------------------------------------------- checkbox

TEST(CheckBoxLayout, ScaleOneBoxIsSixteenAndCaptionAtEighteen) {
    CheckBoxGeometry g = CheckBoxLayout(CtlRect{0, 0, 60, 20}, 1.0f);
    EXPECT_EQ(g.box.left, 0);
    EXPECT_EQ(g.box.top, 2);
    EXPECT_EQ(g.box.Width(), 16);
    EXPECT_EQ(g.box.Height(), 16);
    EXPECT_EQ(g.captionLeft, 18);
}

TEST(CheckBoxLayout, ScaleOneAndAHalfBoxIsTwentyFourAndCaptionAtTwentySix) {
    CheckBoxGeometry g = CheckBoxLayout(CtlRect{0, 0, 90, 30}, 1.5f);
    EXPECT_EQ(g.box.Width(), 24);
    EXPECT_EQ(g.box.Height(), 24);
    EXPECT_EQ(g.box.top, 30 / 2 - 12);
    EXPECT_EQ(g.captionLeft, 26);
}

TEST(CheckBoxLayout, ScaleOneAndAQuarterTruncatesEachProduct) {
    // 16 * 1.25 = 20, 8 * 1.25 = 10; odd client height: 25 / 2 = 12.
    CheckBoxGeometry g = CheckBoxLayout(CtlRect{0, 0, 80, 25}, 1.25f);
    EXPECT_EQ(g.box.Width(), 20);
    EXPECT_EQ(g.box.top, 2);
    EXPECT_EQ(g.captionLeft, 22);
    // 16 * 1.0520833 = 16.83 -> 16; 8 * 1.0520833 = 8.4 -> 8.
    g = CheckBoxLayout(CtlRect{0, 0, 80, 21}, 1.0520833f);
    EXPECT_EQ(g.box.Width(), 16);
    EXPECT_EQ(g.box.top, 10 - 8);
}

TEST(CheckBoxLayout, OnlyExactlyCheckedShowsTheTick) {
    EXPECT_EQ(CheckFrameX(1), 16);
    EXPECT_EQ(CheckFrameX(0), 0);
    EXPECT_EQ(CheckFrameX(2), 0);  // indeterminate shows the empty box
}

// -------------------------------------------------------------------- fonts

TEST(FontHeight, DeltaEnlargesCharacterAndCellHeights) {
    EXPECT_EQ(AdjustFontHeight(-13, 2), -15);
    EXPECT_EQ(AdjustFontHeight(16, 2), 18);
    EXPECT_EQ(AdjustFontHeight(-13, -2), -11);
    EXPECT_EQ(AdjustFontHeight(0, 2), 0);
}
