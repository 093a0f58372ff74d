// The bounds the server keeps against a hostile player: the tally of
// unasked messages and the number of connections that may wait to log in.
#include "descriptor_limit.h"
#include "unasked_messages.h"

#include <gtest/gtest.h>

using namespace skerrow;

namespace {

using Verdict = UnaskedMessages::Verdict;

TEST(UnaskedMessagesTally, ShowsAFewCountsTheRestAndStopsAPlayerPastEitherLimit) {
    UnaskedMessages tally;
    for (int i = 1; i <= 20; ++i) {
        ASSERT_EQ(tally.Add(15), Verdict::Show) << i;
    }
    EXPECT_EQ(tally.hidden(), 0);
    for (int i = 21; i <= 10000; ++i) {
        ASSERT_EQ(tally.Add(15), Verdict::Count) << i;
    }
    EXPECT_EQ(tally.count(), 10000);
    EXPECT_EQ(tally.hidden(), 9980);
    EXPECT_EQ(tally.Add(15), Verdict::OverLimit);

    // A new game starts from nothing.
    tally.Reset();
    EXPECT_EQ(tally.count(), 0);
    EXPECT_EQ(tally.Add(0), Verdict::Show);

    // Few but long messages meet the limit on bytes: 256 of 64 KiB fill
    // 16 MiB, one byte more is too much.
    UnaskedMessages bytes;
    for (int i = 0; i < 256; ++i) {
        ASSERT_NE(bytes.Add(64 * 1024), Verdict::OverLimit) << i;
    }
    EXPECT_EQ(bytes.Add(1), Verdict::OverLimit);
}

TEST(WaitingConnections, StayWellBelowTheDescriptorLimit) {
    EXPECT_EQ(MostWaitingConnections(std::nullopt), 64);
    EXPECT_EQ(MostWaitingConnections(1024), 64);
    EXPECT_EQ(MostWaitingConnections(144), 64);
    EXPECT_EQ(MostWaitingConnections(143), 63);
    EXPECT_EQ(MostWaitingConnections(40), 12);
    EXPECT_EQ(MostWaitingConnections(18), 1);
    EXPECT_EQ(MostWaitingConnections(3), 1);
    EXPECT_EQ(MostWaitingConnections(-5), 1);
}

} // namespace
