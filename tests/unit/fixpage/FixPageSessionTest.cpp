#include "fixpage/FixPageSession.h"

#include <gtest/gtest.h>

using namespace fixpage;

TEST(Session, NothingStartsOrEndsBeforeStartUpThenOneRunAtATime) {
    Session s;
    EXPECT_FALSE(s.CanStartRun());
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_EQ(Request::Refused, s.OnUpdateNotice());
    s.StartupDone();
    ASSERT_TRUE(s.CanStartRun());
    s.RunStarted();
    EXPECT_FALSE(s.CanStartRun());
    EXPECT_EQ(FollowUp::None, s.RunOver());
    EXPECT_TRUE(s.CanStartRun());
}

TEST(Session, ACloseDuringARunIsHeldThenAskedOnce) {
    Session s;
    s.StartupDone();
    s.RunStarted();
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(FollowUp::Close, s.RunOver());
    EXPECT_FALSE(s.CanStartRun()) << "a run started before the held close comes round";
    EXPECT_EQ(Request::Now, s.OnCloseRequest());
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_EQ(Request::Refused, s.OnUpdateNotice());
}

TEST(Session, AnUpdateNoticeDuringARunWaitsAndGoesBeforeAHeldClose) {
    Session s;
    s.StartupDone();
    s.RunStarted();
    EXPECT_EQ(Request::Held, s.OnUpdateNotice());
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(FollowUp::UpdateNotice, s.RunOver());
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_FALSE(s.CanStartRun());
}
