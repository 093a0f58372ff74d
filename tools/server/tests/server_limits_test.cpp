// The bounds the server keeps against a burst of connections: how many may
// wait to log in. (The limits on unasked messages are tested through the
// referee and the server.)
#include "descriptor_limit.h"

#include <gtest/gtest.h>

using namespace skerrow;

namespace {

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
