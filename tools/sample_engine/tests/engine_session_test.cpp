#include "engine_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using namespace sample_engine;
using namespace std::string_literals;

namespace {

// Runs the session over the messages, each sent with its zero byte, and
// returns what it wrote.
std::string Converse(EngineSession& session, const std::vector<std::string>& messages) {
    std::string input;
    for (const std::string& message : messages) {
        input += message + '\0';
    }
    std::istringstream in(input);
    std::ostringstream out;
    session.Run(in, out);
    return out.str();
}

// "-1.234567": fixed point with six decimals and a decimal point, as the
// server reads it in any locale.
bool IsSixDecimals(const std::string& word) {
    const std::size_t point = word.find('.');
    if (point == std::string::npos || word.size() - point != 7) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        const bool sign = i == 0 && word[i] == '-';
        if (i != point && !sign && !std::isdigit(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return point > (word[0] == '-' ? 1U : 0U);
}

EngineOptions Quick() {
    EngineOptions options;
    options.maxThinkMs = 30;
    return options;
}

// A clock that moves on by one millisecond every time it is read.
struct CountingClock {
    int reads = 0;
    std::chrono::steady_clock::time_point operator()() {
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(++reads));
    }
};

} // namespace

TEST(EngineSession, AnswersOnlyIsReadyAndGo) {
    EngineSession session(Quick());
    const std::string out =
        Converse(session, {"NEWGAME red yellow", "isready", "FOO 1 2", "", "SETSTATE 0 0 10 0",
                           "POSITION", "RUNSHOT 0.1 -3 0", "SCORE 1", "GAMEOVER"});
    EXPECT_EQ(out, "READYOK\n");
}

TEST(EngineSession, GoGivesOneBestShotLineWithDecimalPoints) {
    EngineSession session(Quick());
    const std::string out = Converse(
        session, {"NEWGAME a b", "SETSTATE 3 2 10 1",
                  "POSITION 2.375 4.88 2.2 5.1 2.5 7.9 " + std::string(26, '0'), "GO 90000 90000"});
    ASSERT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    ASSERT_EQ(out.back(), '\n');
    std::istringstream words(out);
    std::string word, vx, vy, curl, extra;
    words >> word >> vx >> vy >> curl;
    EXPECT_EQ(word, "BESTSHOT");
    EXPECT_TRUE(IsSixDecimals(vx)) << vx;
    EXPECT_TRUE(IsSixDecimals(vy)) << vy;
    EXPECT_TRUE(curl == "0" || curl == "1") << curl;
    EXPECT_FALSE(words >> extra);
}

TEST(EngineSession, PlainEngineDrawsToTheTee) {
    EngineOptions options = Quick();
    options.plain = true;
    EngineSession session(options);
    const ShotVec tee = DrawToTheTee();
    EXPECT_EQ(session.HandleMessage("GO 1000 1000"),
              "BESTSHOT " + std::to_string(tee.vx) + " " + std::to_string(tee.vy) + " 0");
}

TEST(EngineSession, KeepsThePositionTheServerReports) {
    EngineSession session(Quick());
    std::string position = "POSITION";
    for (int k = 0; k < 16; ++k) {
        position += " " + std::to_string(k) + ".5 " + std::to_string(k + 1) + ".25";
    }
    session.HandleMessage(position);
    session.HandleMessage("SETSTATE 5 3 8 1");
    session.HandleMessage("SCORE 1 -2 0");
    const GameState& state = session.state();
    EXPECT_EQ(state.shotNumber, 5);
    EXPECT_EQ(state.currentEnd, 3);
    EXPECT_EQ(state.lastEnd, 8);
    EXPECT_EQ(state.turnFlag, 1);
    EXPECT_FLOAT_EQ(state.stones[0].x, 0.5f);
    EXPECT_FLOAT_EQ(state.stones[15].y, 16.25f);
    EXPECT_EQ(state.endScores[1], -2);

    // Missing numbers change nothing; a new game clears the position.
    session.HandleMessage("SETSTATE 9 9 9");
    EXPECT_EQ(session.state().shotNumber, 5);
    session.HandleMessage("NEWGAME c d");
    EXPECT_EQ(session.state().shotNumber, 0);
    EXPECT_EQ(session.state().endScores[1], 0);
    EXPECT_EQ(session.state().stones[0].x, 0.0f);
    EXPECT_EQ(session.state().lastEnd, 10);
}

TEST(EngineSession, ThinksOnTheClockOfTheSideToDeliver) {
    // Red has no time left and yellow plenty: red answers at once, yellow
    // thinks for the whole cap.
    CountingClock red;
    EngineSession redSession(Quick(), std::ref(red));
    redSession.HandleMessage("SETSTATE 0 0 10 0");
    redSession.HandleMessage("GO 0 600000");
    EXPECT_LE(red.reads, 3);

    CountingClock yellow;
    EngineSession yellowSession(Quick(), std::ref(yellow));
    yellowSession.HandleMessage("SETSTATE 1 0 10 1");
    yellowSession.HandleMessage("GO 0 600000");
    EXPECT_GE(yellow.reads, 30);
}

TEST(EngineSession, AnswersGoWithinItsBudget) {
    EngineOptions options;
    options.maxThinkMs = 100;
    EngineSession session(options);
    session.HandleMessage("SETSTATE 6 0 10 0");
    session.HandleMessage("POSITION 2.375 4.88 2.0 5.2 2.6 4.4 2.4 8.0 2.9 5.5 1.8 7.5");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(session.HandleMessage("GO 600000 600000"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * 100 + 200));
}

TEST(ThinkingTime, SharesTheClockOverTheStonesLeft) {
    GameState state{};
    state.lastEnd = 10;
    // First stone of the game: 80 stones to play, a fifth kept back.
    EXPECT_EQ(ThinkingTime(state, 80000, 5000).count(), 800);
    EXPECT_EQ(ThinkingTime(state, 80000, 300).count(), 300);
    EXPECT_EQ(ThinkingTime(state, -1, 300).count(), 300);
    EXPECT_EQ(ThinkingTime(state, 0, 300).count(), 0);
    // The last stone of the last end has the whole clock to itself.
    state.currentEnd = 9;
    state.shotNumber = 15;
    EXPECT_EQ(ThinkingTime(state, 1000, 5000).count(), 800);
    // The second stone of the last end: the side has eight to play.
    state.shotNumber = 1;
    EXPECT_EQ(ThinkingTime(state, 8000, 5000).count(), 800);
}

TEST(ThinkingTime, StaysWithinOneGameForNumbersOfAnySize) {
    // Numbers as a server may send them in SETSTATE; the arithmetic must not
    // overflow, and no more stones are left than ten ends hold.
    GameState state{};
    state.currentEnd = std::numeric_limits<int>::min();
    state.lastEnd = std::numeric_limits<int>::max();
    EXPECT_EQ(ThinkingTime(state, 80000, 5000).count(), 800); // 80 stones left
    state.shotNumber = std::numeric_limits<int>::min();
    EXPECT_EQ(ThinkingTime(state, 80000, 5000).count(), 800);
    state.shotNumber = std::numeric_limits<int>::max();
    state.currentEnd = std::numeric_limits<int>::max();
    state.lastEnd = std::numeric_limits<int>::min();
    EXPECT_EQ(ThinkingTime(state, std::numeric_limits<long long>::max(), 5000).count(), 5000);
    EXPECT_EQ(ThinkingTime(state, 1000, 5000).count(), 800); // the last stone
}

TEST(EngineSession, AnswersGoAfterASetStateOutOfEveryRange) {
    // The library refuses such a position, so the engine draws to the tee.
    const ShotVec tee = DrawToTheTee();
    const std::string draw =
        "BESTSHOT " + std::to_string(tee.vx) + " " + std::to_string(tee.vy) + " 0";
    for (const char* setState :
         {"SETSTATE 0 -2147483648 2147483647 0", "SETSTATE -2147483648 0 -2147483648 1",
          "SETSTATE 2147483647 2147483647 2147483647 2147483647"}) {
        EngineSession session(Quick());
        session.HandleMessage(setState);
        EXPECT_EQ(session.HandleMessage("GO 2147483647 -2147483648"), draw) << setState;
    }
}

TEST(EngineSession, ReportsItsSimulationsPerSecondOncePerGame) {
    // Two games: the first ends with GAMEOVER, the second is cut short and
    // reported when the input ends. The plain engine, which never simulates,
    // reports nothing.
    const std::vector<std::string> messages = {
        "NEWGAME a b",       "SETSTATE 0 0 10 0", "GO 9000 9000",
        "SETSTATE 1 0 10 1", "GO 9000 9000",      "GAMEOVER",
        "NEWGAME a b",       "SETSTATE 0 0 10 0", "GO 9000 9000"};
    for (const bool legacy : {false, true}) {
        EngineOptions options = Quick();
        options.sampling.legacy = legacy;
        CountingClock clock;
        std::ostringstream report;
        EngineSession session(options, std::ref(clock), &report);
        Converse(session, messages);
        const std::string text = report.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        EXPECT_NE(text.find(" per second (" + std::string(legacy ? "legacy" : "seeded")),
                  std::string::npos)
            << text;
    }
    EngineOptions plain = Quick();
    plain.plain = true;
    std::ostringstream silent;
    EngineSession plainSession(plain, std::chrono::steady_clock::now, &silent);
    Converse(plainSession, messages);
    EXPECT_EQ(silent.str(), "");
}
