#include "fixpage/FixPageSession.h"

#include <gtest/gtest.h>

using namespace fixpage;

namespace {

Session Running() {
    Session s;
    s.StartupDone();
    s.RunStarted();
    return s;
}

}  // namespace

TEST(Session, NothingEndsOrRunsBeforeStartUpIsDone) {
    Session s;
    EXPECT_FALSE(s.CanStartRun());
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_EQ(Request::Refused, s.OnUpdateNotice());
    s.StartupDone();
    EXPECT_TRUE(s.CanStartRun());
}

TEST(Session, OneRunAtATimeUntilItsOutcomeIsClosed) {
    Session s = Running();
    EXPECT_FALSE(s.CanStartRun());
    EXPECT_EQ(FollowUp::None, s.RunOver());
    EXPECT_TRUE(s.CanStartRun());
    // An outcome without a run (a stray message) changes nothing.
    EXPECT_EQ(FollowUp::None, s.RunOver());
    EXPECT_TRUE(s.CanStartRun());
}

TEST(Session, ACloseDuringARunIsHeldThenComesOnce) {
    Session s = Running();
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(FollowUp::Close, s.RunOver());
    // Until the held close comes round, no new run starts.
    EXPECT_FALSE(s.CanStartRun());
    EXPECT_EQ(Request::Now, s.OnCloseRequest());
    // One closing at a time: the question is not asked twice.
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_EQ(Request::Refused, s.OnUpdateNotice());
    EXPECT_FALSE(s.CanStartRun());
}

TEST(Session, AnUpdateNoticeDuringARunWaitsAndGoesBeforeAHeldClose) {
    Session s = Running();
    EXPECT_EQ(Request::Held, s.OnUpdateNotice());
    EXPECT_EQ(Request::Held, s.OnCloseRequest());
    EXPECT_EQ(FollowUp::UpdateNotice, s.RunOver());
    EXPECT_EQ(Request::Refused, s.OnCloseRequest());
    EXPECT_FALSE(s.CanStartRun());

    Session idle;
    idle.StartupDone();
    EXPECT_EQ(Request::Now, idle.OnUpdateNotice());
    EXPECT_EQ(Request::Refused, idle.OnCloseRequest());
}
