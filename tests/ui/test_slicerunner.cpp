#include <gtest/gtest.h>

#include "support/qtapplication.h"
#include "support/testnames.h"
#include "support/waituntil.h"

#include "ui/slicerunner.h"

using namespace zr5;

namespace {

// A job of `slices` slices, one slice per turn (turn time 0); `cancelAfter` progress reports
// (or never, -1) the owner cancels it.
struct Case {
    const char* name;
    int slices;
    bool firstTurnNow;
    int cancelAfter;
    int slicesRun;   // by the end
    int progressed;  // reports heard
    bool cancelled;  // as finished says
    int beforeStart; // slices run before start returned
};

const Case kCases[] = {
    {"a job of five slices reports four turns and ends", 5, false, -1, 5, 4, false, 0},
    {"the first turn at once runs a slice before start returns", 5, true, -1, 5, 4, false, 1},
    {"a one-slice job started at once is done at once", 1, true, -1, 1, 0, false, 1},
    {"cancel after two reports stops before the next slice", 10, false, 2, 2, 2, true, 0},
};

class SliceRunnerCase : public ::testing::TestWithParam<Case> {};

TEST_P(SliceRunnerCase, RunsSlicesPerTurnReportsAndCancels) {
    const Case& c = GetParam();
    SliceRunner runner;
    runner.setTurnTime(0);
    int run = 0, progressed = 0, finished = 0;
    bool cancelled = false;
    QObject::connect(&runner, &SliceRunner::progressed, [&] {
        ++progressed;
        if (progressed == c.cancelAfter)
            runner.cancel();
    });
    QObject::connect(&runner, &SliceRunner::finished, [&](bool wasCancelled) {
        ++finished;
        cancelled = wasCancelled;
    });
    runner.start([&] { return ++run < c.slices; }, c.firstTurnNow);
    EXPECT_EQ(run, c.beforeStart) << "no slice runs inside start but the first turn asked for";
    ASSERT_TRUE(test::waitUntil([&] { return finished > 0; }, 5000));
    // A few more turns of the event loop: nothing runs after the end.
    test::waitUntil([] { return false; }, 20);
    EXPECT_EQ(run, c.slicesRun);
    EXPECT_EQ(progressed, c.progressed);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(cancelled, c.cancelled);
    EXPECT_FALSE(runner.running());
}

INSTANTIATE_TEST_SUITE_P(Jobs, SliceRunnerCase, ::testing::ValuesIn(kCases), test::ByName());

TEST(SliceRunner, ATurnRepeatsTheSliceUntilItsTimeIsUp) {
    // With a long turn, a short job is done in its first turn: no progress report at all.
    SliceRunner runner;
    runner.setTurnTime(10000);
    int run = 0, progressed = 0;
    bool done = false;
    QObject::connect(&runner, &SliceRunner::progressed, [&] { ++progressed; });
    QObject::connect(&runner, &SliceRunner::finished, [&](bool) { done = true; });
    runner.start([&] { return ++run < 50; }, true);
    EXPECT_TRUE(done);
    EXPECT_EQ(run, 50);
    EXPECT_EQ(progressed, 0);
}

} // namespace
