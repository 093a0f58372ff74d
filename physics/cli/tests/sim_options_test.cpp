#include "sim_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick_sim {
namespace {

ParseOutcome Parse(std::vector<std::string_view> args) {
    return ParseSimOptions(args);
}

TEST(SimOptions, DrawAloneStartsFromTheEmptySheet) {
    const ParseOutcome outcome = Parse({"--draw", "2.375", "4.88", "1"});
    ASSERT_TRUE(outcome.options) << outcome.error;
    const SimOptions& options = *outcome.options;
    EXPECT_EQ(options.position.shotNumber, 0);
    EXPECT_EQ(options.position.currentEnd, 0);
    EXPECT_EQ(options.position.lastEnd, 10);
    EXPECT_EQ(options.position.turnFlag, 0);
    for (const StonePosition& stone : options.position.stones) {
        EXPECT_EQ(stone.x, 0.0f);
        EXPECT_EQ(stone.y, 0.0f);
    }
    EXPECT_EQ(options.randomSize, 0.0f);
    EXPECT_FALSE(options.trace);
    const auto* draw = std::get_if<DrawTarget>(&options.delivery);
    ASSERT_NE(draw, nullptr);
    EXPECT_EQ(draw->target.x, 2.375f);
    EXPECT_EQ(draw->target.y, 4.88f);
    EXPECT_EQ(draw->target.curl, 1);
}

TEST(SimOptions, ReadsEveryOptionInAnyOrder) {
    const ParseOutcome outcome =
        Parse({"--hit", "2.375", "4.88", "0", "12", "--random", "0.25", "--trace", "--position",
               "  3 2\t8 1  2.375 4.88 1e0 6.5  0 0 "});
    ASSERT_TRUE(outcome.options) << outcome.error;
    const SimOptions& options = *outcome.options;
    EXPECT_EQ(options.randomSize, 0.25f);
    EXPECT_TRUE(options.trace);
    EXPECT_EQ(options.position.shotNumber, 3);
    EXPECT_EQ(options.position.currentEnd, 2);
    EXPECT_EQ(options.position.lastEnd, 8);
    EXPECT_EQ(options.position.turnFlag, 1);
    EXPECT_EQ(options.position.stones[0].x, 2.375f);
    EXPECT_EQ(options.position.stones[0].y, 4.88f);
    EXPECT_EQ(options.position.stones[1].x, 1.0f);
    EXPECT_EQ(options.position.stones[1].y, 6.5f);
    EXPECT_EQ(options.position.stones[2].x, 0.0f);
    EXPECT_EQ(options.position.stones[3].x, 0.0f);
    const auto* hit = std::get_if<HitTarget>(&options.delivery);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->target.curl, 0);
    EXPECT_EQ(hit->weight, 12.0f);
}

TEST(SimOptions, ShotTakesNegativeVelocitiesAndAnyCurl) {
    const ParseOutcome outcome = Parse({"--shot", "-0.099", "-2.956", "-1"});
    ASSERT_TRUE(outcome.options) << outcome.error;
    const auto* plain = std::get_if<PlainShot>(&outcome.options->delivery);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->shot.vx, -0.099f);
    EXPECT_EQ(plain->shot.vy, -2.956f);
    EXPECT_EQ(plain->shot.curl, -1);
}

TEST(SimOptions, SixteenStonesFitAPosition) {
    std::string position = "15 0 10 1";
    for (int k = 0; k < 16; ++k) {
        position += " " + std::to_string(k % 4 + 1) + ".5 " + std::to_string(k / 4 + 4) + ".25";
    }
    const ParseOutcome outcome = Parse({"--position", position, "--draw", "2.375", "4.88", "0"});
    ASSERT_TRUE(outcome.options) << outcome.error;
    EXPECT_EQ(outcome.options->position.stones[15].x, 4.5f);
    EXPECT_EQ(outcome.options->position.stones[15].y, 7.25f);
}

TEST(SimOptions, SeedTakesEverySixtyFourBitNumber) {
    for (const auto& [text, value] : {std::pair<std::string_view, std::uint64_t>{"0", 0U},
                                      {"18446744073709551615", 18446744073709551615U}}) {
        const ParseOutcome outcome = Parse({"--seed", text, "--draw", "2.375", "4.88", "0"});
        ASSERT_TRUE(outcome.options) << outcome.error;
        EXPECT_EQ(outcome.options->seed, value);
    }
    EXPECT_FALSE(Parse({"--draw", "2.375", "4.88", "0"}).options->seed.has_value());
}

TEST(SimOptions, HelpWinsOverEverythingElse) {
    const ParseOutcome outcome = Parse({"--bogus", "--help"});
    ASSERT_TRUE(outcome.options);
    EXPECT_TRUE(outcome.options->help);
}

struct Refusal {
    std::vector<std::string_view> args;
    std::string message;
};

// Every refusal names the argument at fault, so that the user can fix it.
TEST(SimOptions, RefusesBadArgumentsNamingThem) {
    const std::string seventeen = "16 0 10 0" + [] {
        std::string stones;
        for (int k = 0; k < 17; ++k) {
            stones += " 1 5";
        }
        return stones;
    }();
    const std::vector<Refusal> refusals = {
        {{}, "no delivery given"},
        {{"--trace"}, "no delivery given"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"stray", "--draw", "1", "5", "0"}, "unexpected argument 'stray'"},
        {{"--draw", "1", "5"}, "--draw needs 3 values: X Y CURL"},
        {{"--hit", "1", "5", "0"}, "--hit needs 4 values: X Y CURL WEIGHT"},
        {{"--random"}, "--random needs 1 value: R"},
        {{"--draw", "1", "5", "0", "--position"}, "--position needs 1 value"},
        {{"--draw", "2,375", "5", "0"}, "--draw: X '2,375' is not a finite number"},
        {{"--draw", "2.375x", "5", "0"}, "X '2.375x' is not a finite number"},
        {{"--draw", " 2.375", "5", "0"}, "X ' 2.375' is not a finite number"},
        {{"--draw", "2.375", "", "0"}, "Y '' is not a finite number"},
        {{"--draw", "2.375", "nan", "0"}, "Y 'nan' is not a finite number"},
        {{"--draw", "2.375", "inf", "0"}, "Y 'inf' is not a finite number"},
        {{"--draw", "2.375", "5", "0.5"}, "--draw: CURL '0.5' is not an integer"},
        {{"--shot", "0", "--trace", "0"}, "--shot: VY '--trace' is not a finite number"},
        {{"--hit", "1", "5", "0", "1e60"}, "--hit: WEIGHT '1e60' is not a finite number"},
        {{"--draw", "1", "5", "0", "--shot", "0", "-3", "0"}, "--shot: only one delivery"},
        {{"--random", "0", "--random", "1", "--draw", "1", "5", "0"}, "--random given twice"},
        {{"--seed", "1", "--seed", "2", "--draw", "1", "5", "0"}, "--seed given twice"},
        {{"--seed", "-1", "--draw", "1", "5", "0"}, "--seed: N '-1' is not a whole number"},
        {{"--seed", "18446744073709551616", "--draw", "1", "5", "0"}, "N '18446744073709551616'"},
        {{"--seed", "1.5", "--draw", "1", "5", "0"}, "N '1.5' is not a whole number"},
        {{"--seed"}, "--seed needs 1 value: N"},
        {{"--position", "0 0 10 0", "--position", "0 0 10 0"}, "--position given twice"},
        {{"--position", "0 0 10", "--draw", "1", "5", "0"}, "--position needs at least SHOT"},
        {{"--position", "x 0 10 0"}, "--position: SHOT 'x' is not an integer"},
        {{"--position", "0 0 10 99999999999"}, "TURN '99999999999' is not an integer"},
        {{"--position", "2 0 10 0 1.5 5 2.5"}, "odd number of stone coordinates (3)"},
        {{"--position", "2 0 10 0 1.5 5 2.5 y"}, "--position: stone 1 y 'y' is not"},
        {{"--position", seventeen}, "17 stones given, at most 16"},
    };
    for (const Refusal& refusal : refusals) {
        std::string joined;
        for (std::string_view arg : refusal.args) {
            joined += " [" + std::string(arg) + "]";
        }
        SCOPED_TRACE("arguments:" + joined);
        const ParseOutcome outcome = ParseSimOptions(refusal.args);
        EXPECT_FALSE(outcome.options);
        EXPECT_NE(outcome.error.find(refusal.message), std::string::npos)
            << "error: " << outcome.error;
    }
}

} // namespace
} // namespace tarnwick_sim
