#include "manual_clock.h"
#include "match_clocks.h"

#include "game_rules.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

TEST(MatchClocks, CountDownForTheSideToDeliverFromEachGo) {
    test::ManualClock clock{1'000'000};
    MatchClocks clocks(clock);
    EXPECT_EQ(clocks.Text(kRed), "-:--");
    EXPECT_FALSE(clocks.Remaining(kYellow).has_value());

    clocks.OnTurn(kRed);
    clocks.OnGo(Go{298883, 214828});
    EXPECT_EQ(clocks.Text(kRed), "4:58");
    EXPECT_EQ(clocks.Text(kYellow), "3:34");
    clock.now += 10'500;
    EXPECT_EQ(clocks.Remaining(kRed), 288383);
    EXPECT_EQ(clocks.Remaining(kYellow), 214828); // frozen
    clocks.Stop();                                // red delivered
    clock.now += 4'000;                           // the replay
    EXPECT_EQ(clocks.Remaining(kRed), 288383);

    // Yellow's turn: this side gets no GO, yet yellow's clock runs.
    clocks.OnTurn(kYellow);
    clock.now += 60'000;
    EXPECT_EQ(clocks.Remaining(kYellow), 154828);
    EXPECT_EQ(clocks.Text(kYellow), "2:34");
    EXPECT_EQ(clocks.Remaining(kRed), 288383);

    // The second GO puts both clocks right (the server's own count).
    clocks.OnTurn(kRed);
    clocks.OnGo(Go{288000, 150000});
    clock.now += 2'000;
    EXPECT_EQ(clocks.Remaining(kRed), 286000);
    EXPECT_EQ(clocks.Remaining(kYellow), 150000);
    EXPECT_EQ(clocks.running(), kRed);

    // A clock never shows less than nothing.
    clock.now += 10'000'000;
    EXPECT_EQ(clocks.Remaining(kRed), 0);
    EXPECT_EQ(clocks.Text(kRed), "0:00");
    clocks.Reset();
    EXPECT_EQ(clocks.Text(kYellow), "-:--");
    EXPECT_FALSE(clocks.running().has_value());
}

TEST(MatchClocks, FormatsMinutesAndSeconds) {
    EXPECT_EQ(MatchClocks::Format(0), "0:00");
    EXPECT_EQ(MatchClocks::Format(999), "0:00");
    EXPECT_EQ(MatchClocks::Format(9'999), "0:09");
    EXPECT_EQ(MatchClocks::Format(60'000), "1:00");
    EXPECT_EQ(MatchClocks::Format(4'500'000), "75:00");
    EXPECT_EQ(MatchClocks::Format(-5), "0:00");
}

} // namespace
} // namespace skerrow
