// What the feedback buttons report to the companion library.
#include <gtest/gtest.h>

#include "dialogs/FeedbackAnswer.h"

namespace {

TEST(FeedbackAnswer, ButtonsAndTheirReports) {
    feedback::Answer a{};
    ASSERT_TRUE(feedback::AnswerForButton(1004, &a));  // solved
    EXPECT_EQ(1, a.kind);
    EXPECT_TRUE(a.needsCursorInside);
    EXPECT_FALSE(a.asksQuestion);
    ASSERT_TRUE(feedback::AnswerForButton(1003, &a));  // not solved
    EXPECT_EQ(2, a.kind);
    EXPECT_TRUE(a.needsCursorInside);
    EXPECT_TRUE(a.asksQuestion);
    for (int id : {1002, 1001}) {  // other, and the hidden close button
        ASSERT_TRUE(feedback::AnswerForButton(id, &a));
        EXPECT_EQ(3, a.kind);
        EXPECT_FALSE(a.needsCursorInside);
        EXPECT_TRUE(a.asksQuestion);
    }
    EXPECT_FALSE(feedback::AnswerForButton(1005, &a));
    EXPECT_FALSE(feedback::AnswerForButton(0, nullptr));
}

TEST(FeedbackAnswer, TimeTextIsTheLow32BitsSigned) {
    EXPECT_EQ(L"1700000000", feedback::TimeText(1700000000LL));
    EXPECT_EQ(L"0", feedback::TimeText(0));
    EXPECT_EQ(L"2147483647", feedback::TimeText(0x7FFFFFFFLL));
    // From 2038-01-19 03:14:08 UTC the number turns negative.
    EXPECT_EQ(L"-2147483648", feedback::TimeText(0x80000000LL));
    EXPECT_EQ(L"-1", feedback::TimeText(0xFFFFFFFFLL));
    // Bits above the low 32 are dropped.
    EXPECT_EQ(L"5", feedback::TimeText(0x100000005LL));
}

TEST(FeedbackAnswer, ClientTextIsKindPlusOne) {
    EXPECT_EQ(L"1", feedback::ClientText(0));
    EXPECT_EQ(L"2", feedback::ClientText(1));
    EXPECT_EQ(L"3", feedback::ClientText(2));
    EXPECT_EQ(L"0", feedback::ClientText(-1));
}

}  // namespace
