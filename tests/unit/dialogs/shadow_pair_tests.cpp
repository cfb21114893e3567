// The four window pairs: how a content sits in its parent and back, and where
// each can be grabbed, at the scales the tool meets.
#include <gtest/gtest.h>

#include "dialogs/ShadowPair.h"

using layout::PairKind;
using layout::Rect;
using layout::TraitsOf;

namespace {

TEST(ShadowPair, ShadowedPairsInsetTheirContentAndFollowItBack) {
    for (PairKind kind : {PairKind::Main, PairKind::Feedback}) {
        const auto& t = TraitsOf(kind);
        // Feedback parent at 120 DPI: 542 x 642 with the content 499 x 599 at 21 in.
        const Rect parent{100, 200, 100 + 542, 200 + 642};
        const Rect content = layout::ContentRectFor(parent, t, 1.25f);
        EXPECT_EQ((Rect{121, 221, 121 + 499, 221 + 599}), content);
        // Dragging the content 30 pixels right pulls the parent along with
        // its 21-pixel margin (not the 21.25 of an unrounded margin).
        Rect moved = content;
        moved.left += 30;
        moved.right += 30;
        EXPECT_EQ((Rect{130, 200, 130 + 541, 200 + 641}), layout::ParentRectFor(moved, t, 1.25f));
    }
}

TEST(ShadowPair, PromptsCoverTheirParentExactly) {
    for (PairKind kind : {PairKind::Prompt, PairKind::ExecutePrompt}) {
        const Rect parent{466, 394, 466 + 348, 394 + 236};
        EXPECT_EQ(parent, layout::ContentRectFor(parent, TraitsOf(kind), 1.0f));
        EXPECT_EQ(parent, layout::ParentRectFor(parent, TraitsOf(kind), 1.5f));
    }
}

TEST(ShadowPair, DragBands) {
    const Rect client{10, 20, 10 + 435, 20 + 295};
    // Prompt at 1.25: 37 high, less 32 at the right for the close button.
    EXPECT_EQ((Rect{10, 20, 445 - 32, 57}), layout::ContentDragBand(client, TraitsOf(PairKind::Prompt), 1.25f));
    // Feedback: full width.
    EXPECT_EQ((Rect{10, 20, 445, 65}), layout::ContentDragBand(client, TraitsOf(PairKind::Feedback), 1.5f));
    // Fix page: 86 cut at the right for its minimise and close buttons.
    EXPECT_EQ((Rect{0, 0, 314, 30}), layout::ContentDragBand(Rect{0, 0, 400, 600}, TraitsOf(PairKind::Main), 1.0f));
    // The execute prompt cannot be grabbed anywhere.
    const Rect none = layout::ContentDragBand(client, TraitsOf(PairKind::ExecutePrompt), 1.0f);
    EXPECT_FALSE(layout::Contains(none, 20, 25));
    EXPECT_FALSE(layout::Contains(none, 0, 0));
}

TEST(ShadowPair, BandEdgesBelongOutside) {
    const Rect band = layout::ContentDragBand(Rect{0, 0, 348, 236}, TraitsOf(PairKind::Prompt), 1.0f);
    EXPECT_TRUE(layout::Contains(band, 0, 0));
    EXPECT_TRUE(layout::Contains(band, 321, 29));
    EXPECT_FALSE(layout::Contains(band, 322, 10));  // the close button's corner
    EXPECT_FALSE(layout::Contains(band, 100, 30));
}

TEST(ShadowPair, TableRows) {
    const auto& prompt = TraitsOf(PairKind::Prompt);
    EXPECT_EQ(137, prompt.parentTemplate);
    EXPECT_EQ(165, prompt.parentPicture);
    EXPECT_EQ(136, prompt.contentTemplate);
    EXPECT_EQ(166, prompt.contentPicture);
    const auto& exec = TraitsOf(PairKind::ExecutePrompt);
    EXPECT_EQ(131, exec.parentTemplate);
    EXPECT_EQ(129, exec.contentTemplate);
    EXPECT_EQ(151, exec.parentPicture);
    EXPECT_EQ(152, exec.contentPicture);
    const auto& fb = TraitsOf(PairKind::Feedback);
    EXPECT_EQ(135, fb.parentTemplate);
    EXPECT_EQ(132, fb.contentTemplate);
    EXPECT_EQ(187, fb.parentPicture);
    EXPECT_EQ(188, fb.contentPicture);
    EXPECT_TRUE(fb.measuresScale);
    EXPECT_FALSE(fb.centresOnScreen);
    const auto& main = TraitsOf(PairKind::Main);
    EXPECT_EQ(102, main.parentTemplate);
    EXPECT_EQ(141, main.contentTemplate);
    EXPECT_TRUE(main.centresOnScreen);
    // Only the main window leaves its content alone from the start.
    EXPECT_FALSE(main.moveContentAtStart);
    EXPECT_TRUE(fb.moveContentAtStart && prompt.moveContentAtStart && exec.moveContentAtStart);
    // Corner ellipses at 1.25: 20 for the prompts, 22 for the shadowed pairs.
    EXPECT_EQ(20, layout::CornerEllipse(prompt.cornerEllipse, 1.25f));
    EXPECT_EQ(20, layout::CornerEllipse(exec.cornerEllipse, 1.25f));
    EXPECT_EQ(22, layout::CornerEllipse(fb.cornerEllipse, 1.25f));
    EXPECT_EQ(22, layout::CornerEllipse(main.cornerEllipse, 1.25f));
}

}  // namespace
