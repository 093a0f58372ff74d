// The rules of a match, without sockets: scripted players answer through the
// referee's calls, a fake clock stands for time, and a fake host records what
// each player was sent. Deliveries are played with no random error, so every
// result is fixed.
#include "manual_clock.h"
#include "match_numbers.h"
#include "match_referee.h"
#include "protocol_messages.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <set>
#include <sstream>

using namespace skerrow;
using Json = nlohmann::json;

namespace {

constexpr const char* kThrowAway = "BESTSHOT 0 0 0";
constexpr const char* kNoDeliveryPlayed = "RUNSHOT 0.000000 0.000000 0";

// One record line as JSON, read by a reader independent of the writer: a
// strict one that refuses bad UTF-8, raw control characters and anything after
// the object. A line it refuses fails the test and reads as null.
Json ParseRecord(const std::string& line) {
    Json object = Json::parse(line, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
        ADD_FAILURE() << "not a JSON object: " << line;
        return nullptr;
    }
    return object;
}

// The physics library, unless told to refuse a delivery.
class Shots final : public ShotPlayer {
public:
    bool Play(GameState& state, ShotVec shot, float randomSize, std::uint64_t seed,
              ShotVec& played) override {
        if (refuseNext) {
            refuseNext = false;
            return false;
        }
        return SimulationSeeded(&state, shot, randomSize, &played, -1, seed) == 1;
    }
    bool refuseNext = false;
};

// The turn a player was last told of by SETSTATE.
struct Turn {
    int shot = 0;
    int end = 0;
    int colour = 0;
};

class FakeHost final : public RefereeHost {
public:
    void SendTo(int seat, std::string_view text) override {
        sent[seat].emplace_back(text);
        if (text.substr(0, 3) == "GO ") {
            asked = seat;
        }
        if (text.substr(0, 9) == "SETSTATE ") {
            std::istringstream words{std::string(text.substr(9))};
            int lastEnd = 0;
            words >> turn.shot >> turn.end >> lastEnd >> turn.colour;
        }
    }
    void SetAlarm(std::optional<std::int64_t> delayMs) override { alarm = delayMs; }
    void BeginRecord(int game, const std::string& red, const std::string& yellow) override {
        recordNames.push_back(std::to_string(game) + " " + red + " " + yellow);
        recordOpen = true;
    }
    void WriteRecord(std::string_view line) override {
        EXPECT_TRUE(recordOpen) << line;
        records.emplace_back(line);
    }
    void EndRecord() override { recordOpen = false; }
    void Announce(std::string_view line) override { announced.emplace_back(line); }
    void Disconnect(int seat) override { dropped.push_back(seat); }
    void Note(std::string_view line) override { notes.emplace_back(line); }
    void MatchOver() override { ++overCalls; }

    // Messages sent to `seat` whose command word is `word`.
    std::vector<std::string> Sent(int seat, std::string_view word) const {
        std::vector<std::string> found;
        for (const std::string& message : sent[seat]) {
            if (message.substr(0, message.find(' ')) == word) {
                found.push_back(message);
            }
        }
        return found;
    }
    // Record lines of one event, parsed; a line that is no JSON object fails
    // the test.
    std::vector<Json> Events(std::string_view name) const {
        std::vector<Json> found;
        for (const std::string& line : records) {
            const Json object = ParseRecord(line);
            if (object.is_object() && object.value("event", "") == name) {
                found.push_back(object);
            }
        }
        return found;
    }

    std::array<std::vector<std::string>, 2> sent;
    std::optional<int> asked;
    Turn turn;
    std::optional<std::int64_t> alarm;
    std::vector<std::string> recordNames;
    std::vector<std::string> records;
    bool recordOpen = false;
    std::vector<std::string> announced;
    std::vector<std::string> notes;
    std::vector<int> dropped; // seats whose connections the referee dropped
    int overCalls = 0;
};

// What a scripted player answers to GO, knowing its seat and the turn.
using Strategy = std::function<std::string(int seat, const Turn& turn)>;

std::string DrawToTee() {
    ShotVec shot{};
    CreateShot({kTeeX, kTeeY, 0}, &shot);
    return Format(BestShot{shot});
}

// Draws to the tee with `colour`'s first stone in the ends listed, throws
// every other stone away.
Strategy DrawFirstStone(std::function<bool(int end, int colour)> draws) {
    return [draws](int, const Turn& turn) {
        return turn.shot < 2 && draws(turn.end, turn.colour) ? DrawToTee() : kThrowAway;
    };
}

class Referee : public ::testing::Test {
protected:
    void Begin(MatchConfig config) {
        config.randomSize = 0.0f;
        m_referee = std::make_unique<MatchReferee>(
            config, std::array<std::string, 2>{"Alice", "Bob"}, m_host, m_clock, m_shots);
        m_referee->Start();
    }

    // A message from the player in `seat`, read from its connection now.
    void FromPlayer(int seat, std::string_view text) {
        m_referee->OnMessage(seat, text, m_clock.now);
    }

    void BothReady() {
        FromPlayer(0, "READYOK");
        FromPlayer(1, "READYOK");
    }

    // Answers every GO as `strategy` says until nobody is asked any more.
    void PlayOut(const Strategy& strategy) {
        for (int answers = 0; m_host.asked && answers < 2000; ++answers) {
            const int seat = *std::exchange(m_host.asked, std::nullopt);
            FromPlayer(seat, strategy(seat, m_host.turn));
        }
    }

    // Answers the pending GO; the seat must be `seat`.
    void Answer(int seat, std::string_view text) {
        ASSERT_EQ(m_host.asked, seat);
        m_host.asked.reset();
        FromPlayer(seat, text);
    }

    test::ManualClock m_clock{50000};
    FakeHost m_host;
    Shots m_shots;
    std::unique_ptr<MatchReferee> m_referee;
};

std::vector<std::string> PositionNumbers(const std::string& position) {
    std::istringstream words(position);
    std::vector<std::string> numbers;
    std::string word;
    words >> word;
    while (words >> word) {
        numbers.push_back(word);
    }
    return numbers;
}

TEST_F(Referee, PlaysAOneEndGameInTheDocumentedOrder) {
    Begin({.ends = 1, .games = 1});
    EXPECT_EQ(m_host.alarm, 30000); // the wait for READYOK
    BothReady();
    PlayOut(DrawFirstStone([](int, int colour) { return colour == kRed; }));

    // Everything but GO reaches both players, in the same order.
    for (int seat = 0; seat < 2; ++seat) {
        std::vector<std::string> expected = {"NEWGAME Alice Bob", "ISREADY"};
        for (int shot = 0; shot < 16; ++shot) {
            const int colour = shot % 2;
            expected.push_back("POSITION");
            expected.push_back(Format(SetState{shot, 0, 1, colour}));
            if (colour == seat) {
                expected.push_back("GO");
            }
            expected.push_back("RUNSHOT");
        }
        expected.push_back("SCORE 1");
        expected.push_back("POSITION");
        expected.push_back(Format(SetState{0, 1, 1, kRed}));
        expected.push_back("GAMEOVER");
        std::vector<std::string> words;
        for (const std::string& message : m_host.sent[seat]) {
            const bool whole = message.rfind("SETSTATE", 0) == 0 ||
                               message.rfind("NEWGAME", 0) == 0 || message.rfind("SCORE", 0) == 0;
            words.push_back(whole ? message : message.substr(0, message.find(' ')));
        }
        EXPECT_EQ(words, expected) << "seat " << seat;
    }
    std::vector<std::string> withoutGo = m_host.sent[1];
    std::erase_if(withoutGo, [](const std::string& m) { return m.rfind("GO ", 0) == 0; });
    std::vector<std::string> redWithoutGo = m_host.sent[0];
    std::erase_if(redWithoutGo, [](const std::string& m) { return m.rfind("GO ", 0) == 0; });
    EXPECT_EQ(withoutGo, redWithoutGo);

    // The clock did not move, so every GO shows the whole budget.
    EXPECT_EQ(m_host.Sent(0, "GO").front(), "GO 300000 300000");
    // With no random error, the delivery played is the one asked for.
    const std::vector<std::string> shots = m_host.Sent(0, "RUNSHOT");
    EXPECT_EQ(shots[0], "RUN" + DrawToTee().substr(4));
    EXPECT_EQ(shots[1], kNoDeliveryPlayed);

    // The positions: empty, then red's stone on the tee, then yellow's
    // stone left at the delivery point, then dropped when the next shot began;
    // after the last stone, the empty sheet of the end after it.
    const std::vector<std::string> positions = m_host.Sent(0, "POSITION");
    ASSERT_EQ(positions.size(), 17u);
    for (const std::string& number : PositionNumbers(positions[16])) {
        EXPECT_EQ(number, "0.000000");
    }
    for (const std::string& number : PositionNumbers(positions[0])) {
        EXPECT_EQ(number, "0.000000");
    }
    const std::vector<std::string> second = PositionNumbers(positions[1]);
    ASSERT_EQ(second.size(), 32u);
    EXPECT_NEAR(std::stod(second[0]), 2.375, 0.02);
    EXPECT_NEAR(std::stod(second[1]), 4.88, 0.02);
    const std::vector<std::string> third = PositionNumbers(positions[2]);
    EXPECT_EQ(third[2] + " " + third[3], "2.375000 41.279999");
    EXPECT_EQ(PositionNumbers(positions[3])[2], "0.000000");

    EXPECT_EQ(m_host.announced,
              (std::vector<std::string>{"Game 1: Alice 1 - 0 Bob (Alice wins)",
                                        "Match over after 1 game: Alice 1 - 0 Bob in games won, 0 "
                                        "drawn, points 1 - 0; Alice wins the match"}));
    EXPECT_EQ(m_host.overCalls, 1);
    EXPECT_TRUE(m_referee->isOver());
    EXPECT_EQ(m_host.alarm, std::nullopt);
}

TEST_F(Referee, TheSideThatScoresDeliversFirstAndABlankEndKeepsTheOrder) {
    Begin({.ends = 5, .games = 1});
    BothReady();
    // End 0: yellow, second, scores. End 1: blank. End 2: yellow, first now,
    // scores. End 3: red, second, scores. End 4: blank.
    PlayOut(DrawFirstStone([](int end, int colour) {
        return ((end == 0 || end == 2) && colour == kYellow) || (end == 3 && colour == kRed);
    }));

    // Scores are positive for red, whoever delivered first.
    EXPECT_EQ(m_host.Sent(0, "SCORE"),
              (std::vector<std::string>{"SCORE -1", "SCORE -1 0", "SCORE -1 0 -1",
                                        "SCORE -1 0 -1 1", "SCORE -1 0 -1 1 0"}));
    // Who delivered first in each end: the SETSTATE of its shot 0.
    std::vector<std::string> firstTurns;
    for (const std::string& message : m_host.sent[0]) {
        if (message.rfind("SETSTATE 0 ", 0) == 0) {
            firstTurns.push_back(message);
        }
    }
    // The last one comes after the fifth end, and nobody is asked then.
    EXPECT_EQ(firstTurns, (std::vector<std::string>{"SETSTATE 0 0 5 0", "SETSTATE 0 1 5 1",
                                                    "SETSTATE 0 2 5 1", "SETSTATE 0 3 5 1",
                                                    "SETSTATE 0 4 5 0", "SETSTATE 0 5 5 0"}));
    // The first stone of each end is asked of that side, and only of it.
    for (int seat = 0; seat < 2; ++seat) {
        const std::vector<std::string>& sent = m_host.sent[seat];
        for (std::size_t i = 0; i + 1 < sent.size(); ++i) {
            if (sent[i].rfind("SETSTATE 0 ", 0) == 0 && sent[i].rfind("SETSTATE 0 5 ", 0) != 0) {
                const bool asked = sent[i + 1].rfind("GO ", 0) == 0;
                EXPECT_EQ(asked, sent[i].back() - '0' == seat) << sent[i] << " to seat " << seat;
            }
        }
    }
    EXPECT_EQ(m_host.announced.front(), "Game 1: Alice 1 - 2 Bob (Bob wins)");
    const std::vector<Json> scores = m_host.Events("score");
    ASSERT_EQ(scores.size(), 5u);
    EXPECT_EQ(scores.back().at("red").get<int>(), 1);
    EXPECT_EQ(scores.back().at("yellow").get<int>(), 2);
}

TEST_F(Referee, ThinkingTimeIsChargedFromGoToTheAnswer) {
    Begin({.ends = 1, .games = 1, .thinkingMs = 10000});
    BothReady();
    EXPECT_EQ(m_host.alarm, 10000);
    m_clock.now += 1500;
    Answer(0, kThrowAway);
    EXPECT_EQ(m_host.sent[1].back(), "GO 8500 10000");
    EXPECT_EQ(m_host.alarm, 10000);
    m_clock.now += 2500;
    Answer(1, kThrowAway);
    EXPECT_EQ(m_host.sent[0].back(), "GO 8500 7500");
    EXPECT_EQ(m_host.alarm, 8500);
    const std::vector<Json> answers = m_host.Events("answer");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1].at("thinkingMs").get<int>(), 2500);
    EXPECT_EQ(answers[1].at("remainingMs").get<int>(), 7500);
}

TEST_F(Referee, AnAnswerIsTimedByWhenItArrivedNotWhenItWasHandled) {
    Begin({.ends = 1, .games = 1, .thinkingMs = 10000});
    BothReady();
    const std::int64_t askedAt = m_clock.now;
    // The answer was read 40 ms after GO; the server came to it much later.
    m_clock.now += 5000;
    ASSERT_EQ(m_host.asked, 0);
    m_host.asked.reset();
    m_referee->OnMessage(0, kThrowAway, askedAt + 40);
    EXPECT_EQ(m_host.sent[1].back(), "GO 9960 10000");
    EXPECT_EQ(m_host.Events("answer").at(0).at("thinkingMs").get<int>(), 40);

    // A message that arrived before GO was sent answers nothing.
    ASSERT_EQ(m_host.asked, 1);
    m_referee->OnMessage(1, kThrowAway, m_clock.now - 1);
    EXPECT_EQ(m_host.Sent(1, "RUNSHOT").size(), 1u);
    EXPECT_EQ(m_host.Events("ignored").size(), 1u);
    m_host.asked.reset();
    FromPlayer(1, kThrowAway);
    EXPECT_EQ(m_host.Sent(1, "RUNSHOT").size(), 2u);
}

TEST_F(Referee, ASideOutOfTimeHasEveryLaterStonePlayedShortWithoutBeingAsked) {
    Begin({.ends = 1, .games = 1, .thinkingMs = 1000});
    BothReady();
    ASSERT_EQ(m_host.asked, 0);
    // An early alarm changes nothing but asks again for the rest.
    m_clock.now += 999;
    m_referee->OnAlarm();
    EXPECT_EQ(m_host.alarm, 1);
    EXPECT_EQ(m_host.sent[0].back().rfind("GO ", 0), 0u);
    m_clock.now += 1;
    m_host.asked.reset();
    m_referee->OnAlarm();

    EXPECT_EQ(m_host.Sent(0, "RUNSHOT"), std::vector<std::string>{kNoDeliveryPlayed});
    EXPECT_EQ(m_host.sent[1].back(), "GO 0 1000");
    // Red's answer after its time ran out is not taken.
    FromPlayer(0, DrawToTee());
    PlayOut([](int, const Turn&) { return std::string(kThrowAway); });

    EXPECT_EQ(m_host.Sent(0, "GO").size(), 1u);
    EXPECT_EQ(m_host.Sent(1, "GO").size(), 8u);
    const std::vector<std::string> shots = m_host.Sent(1, "RUNSHOT");
    ASSERT_EQ(shots.size(), 16u);
    for (const std::string& shot : shots) {
        EXPECT_EQ(shot, kNoDeliveryPlayed);
    }
    EXPECT_EQ(m_host.Events("timeout").size(), 1u);
    int outOfTime = 0;
    for (const Json& shot : m_host.Events("shot")) {
        outOfTime += shot.at("reason").get<std::string>() == "out of time";
    }
    EXPECT_EQ(outOfTime, 7);
    EXPECT_EQ(m_host.Events("ignored").size(), 1u);
    EXPECT_EQ(m_host.announced.front(), "Game 1: Alice 0 - 0 Bob (draw)");
}

TEST_F(Referee, APerStoneLimitCostsTheLateStoneOnlyAndEveryGoGivesItAfresh) {
    MatchConfig config{.ends = 1, .games = 1, .thinkingMs = 1000};
    config.stoneMs = 100;
    Begin(config);
    BothReady();
    EXPECT_EQ(m_host.sent[0].back(), "GO 100 100");
    // Red thinks too long over its first stone: that stone is lost.
    m_clock.now += 100;
    m_host.asked.reset();
    m_referee->OnAlarm();
    EXPECT_EQ(m_host.Sent(0, "RUNSHOT").back(), kNoDeliveryPlayed);
    EXPECT_EQ(m_host.sent[1].back(), "GO 100 100");
    // Yellow uses 60 ms, within its limit; red is asked again with the whole
    // limit, and every later stone of both sides is asked for.
    m_clock.now += 60;
    Answer(1, kThrowAway);
    EXPECT_EQ(m_host.sent[0].back(), "GO 100 100");
    PlayOut([](int, const Turn&) { return std::string(kThrowAway); });
    EXPECT_EQ(m_host.Sent(0, "GO").size(), 8u);
    EXPECT_EQ(m_host.Sent(1, "GO").size(), 8u);
    EXPECT_EQ(m_host.Events("timeout").size(), 1u);
    EXPECT_EQ(m_host.Events("newgame").at(0).at("stoneMs").get<int>(), 100);
}

TEST_F(Referee, AnAnswerThatArrivesAsTheClockRunsOutCountsAsATimeOut) {
    Begin({.ends = 1, .games = 1, .thinkingMs = 1000});
    BothReady();
    m_clock.now += 1000;
    Answer(0, DrawToTee());
    EXPECT_EQ(m_host.Sent(0, "RUNSHOT").back(), kNoDeliveryPlayed);
    EXPECT_EQ(m_host.sent[1].back(), "GO 0 1000");
    const std::vector<Json> timeouts = m_host.Events("timeout");
    ASSERT_EQ(timeouts.size(), 1u);
    EXPECT_EQ(timeouts[0].at("text").get<std::string>(), DrawToTee());
}

TEST_F(Referee, ADeliveryTheLibraryRefusesIsPlayedShortOfPlayAndTheGameGoesOn) {
    Begin({.ends = 1, .games = 1});
    BothReady();
    m_shots.refuseNext = true;
    Answer(0, DrawToTee());
    EXPECT_EQ(m_host.Sent(1, "RUNSHOT"), std::vector<std::string>{kNoDeliveryPlayed});
    EXPECT_EQ(m_host.asked, 1);
    const Json shot = m_host.Events("shot").at(0);
    EXPECT_EQ(shot.at("reason").get<std::string>(), "answer");
    EXPECT_FALSE(shot.at("asked").is_null());
    EXPECT_EQ(shot.at("played").at("vy").get<double>(), 0.0);
}

class GarbageAnswer : public Referee, public ::testing::WithParamInterface<const char*> {};

TEST_P(GarbageAnswer, IsPlayedAsADeliveryShortOfPlayAndTheGameGoesOn) {
    Begin({.ends = 1, .games = 1});
    BothReady();
    Answer(0, GetParam());
    EXPECT_EQ(m_host.Sent(0, "RUNSHOT"), std::vector<std::string>{kNoDeliveryPlayed});
    EXPECT_EQ(m_host.Sent(1, "RUNSHOT"), std::vector<std::string>{kNoDeliveryPlayed});
    EXPECT_EQ(m_host.asked, 1);
    Answer(1, kThrowAway);
    // Garbage costs the stone, not the side's time: red is asked again.
    EXPECT_EQ(m_host.asked, 0);
    const std::vector<Json> shots = m_host.Events("shot");
    ASSERT_FALSE(shots.empty());
    EXPECT_EQ(shots[0].at("reason").get<std::string>(), "garbage");
    EXPECT_TRUE(shots[0].at("asked").is_null());
    EXPECT_FALSE(m_host.Events("answer")[0].at("valid").get<bool>());
}

INSTANTIATE_TEST_SUITE_P(Answers, GarbageAnswer,
                         ::testing::Values("HELLO", "BESTSHOT", "BESTSHOT 0.1 -2.9",
                                           "BESTSHOT nan -2.9 0", "BESTSHOT 0.1 inf 0",
                                           "BESTSHOT 1e999 -2.9 0", "BESTSHOT 0.1x -2.9 0",
                                           "BESTSHOT 0.1 -2.9 left", "SETSTATE 0 0 1 0"));

TEST_F(Referee, TakesTheDeliveryWordInAnyCase) {
    Begin({.ends = 1, .games = 1});
    BothReady();
    Answer(0, "bEsTsHoT 0.1 -2.9 1\r");
    EXPECT_EQ(m_host.Sent(1, "RUNSHOT"), std::vector<std::string>{"RUNSHOT 0.100000 -2.900000 1"});
    EXPECT_EQ(m_host.Events("shot")[0].at("reason").get<std::string>(), "answer");
}

TEST_F(Referee, IgnoresMessagesFromTheSideNotToDeliver) {
    Begin({.ends = 1, .games = 1});
    FromPlayer(0, "BESTSHOT 0 -3 0"); // before the game has begun
    BothReady();
    FromPlayer(1, "BESTSHOT 0 -3 0");
    FromPlayer(0, "READYOK");
    FromPlayer(0, "");
    EXPECT_TRUE(m_host.Sent(0, "RUNSHOT").empty());
    EXPECT_EQ(m_host.asked, 0);
    Answer(0, kThrowAway);
    FromPlayer(0, "BESTSHOT 0 -3 0");
    EXPECT_EQ(m_host.Sent(0, "RUNSHOT").size(), 1u);
    const std::vector<Json> ignored = m_host.Events("ignored");
    ASSERT_EQ(ignored.size(), 5u);
    EXPECT_EQ(ignored[1].at("side").get<std::string>(), "yellow");
    EXPECT_EQ(ignored[1].at("text").get<std::string>(), "BESTSHOT 0 -3 0");
}

TEST_F(Referee, AFloodingSideIsCountedEachGameThenCutOffAndForfeits) {
    Begin({.ends = 1, .games = 2});
    BothReady();
    // Game 1: Bob sends the most that a game allows while Alice is asked.
    for (int i = 0; i < 10000; ++i) {
        FromPlayer(1, "BESTSHOT 1 1 1");
    }
    EXPECT_TRUE(m_host.dropped.empty());
    EXPECT_EQ(m_host.Events("ignored").size(), 20u); // recorded one by one
    PlayOut([](int, const Turn&) { return std::string(kThrowAway); });
    ASSERT_EQ(m_host.Sent(1, "NEWGAME").size(), 2u);
    EXPECT_EQ(m_host.Events("gameover").at(0).at("yellowIgnored").get<int>(), 10000);
    EXPECT_EQ(m_host.Events("gameover").at(0).at("redIgnored").get<int>(), 0);
    EXPECT_NE(std::find(m_host.notes.begin(), m_host.notes.end(),
                        "Bob sent 10000 unasked messages in game 1; the first 20 are in the "
                        "record"),
              m_host.notes.end());

    // Game 2 counts afresh; Bob (red now) goes one past the limit.
    BothReady();
    Answer(1, kThrowAway);
    for (int i = 0; i < 10000; ++i) {
        FromPlayer(1, "");
    }
    EXPECT_TRUE(m_host.dropped.empty());
    const std::size_t sentToBob = m_host.sent[1].size();
    FromPlayer(1, "READYOK");
    EXPECT_EQ(m_host.dropped, std::vector<int>{1});
    EXPECT_EQ(m_host.sent[1].size(), sentToBob); // not even GAMEOVER
    EXPECT_EQ(m_host.sent[0].back(), "GAMEOVER");
    EXPECT_EQ(m_host.Events("ignored").size(), 40u);
    const Json cut = m_host.Events("disconnect").at(0);
    EXPECT_EQ(cut.at("side").get<std::string>(), "red");
    EXPECT_EQ(cut.at("reason").get<std::string>(), "flooding");
    EXPECT_EQ(cut.at("ignored").get<int>(), 10001);
    EXPECT_EQ(m_host.announced.at(1),
              "Game 2: Bob 0 - 0 Alice (Bob was disconnected for flooding; Alice wins by "
              "forfeit)");
    EXPECT_TRUE(m_referee->isOver());

    // Nothing more is taken from the player cut off.
    FromPlayer(1, kThrowAway);
    m_referee->OnDisconnected(1);
    EXPECT_EQ(m_host.Events("disconnect").size(), 1u);
}

TEST_F(Referee, OverLongMessagesCountTowardsTheLimitByTheirLeastSize) {
    Begin({.ends = 1, .games = 1});
    BothReady();
    // 256 dropped messages of at least 64 KiB fill the 16 MiB a game allows.
    m_referee->OnDropped(0, 200);
    m_referee->OnDropped(0, 56);
    EXPECT_TRUE(m_host.dropped.empty());
    EXPECT_EQ(m_host.Events("overlong").size(), 20u);
    EXPECT_EQ(m_host.Events("overlong").at(0).at("side").get<std::string>(), "red");
    m_referee->OnDropped(0, 1);
    EXPECT_EQ(m_host.dropped, std::vector<int>{0});
    EXPECT_EQ(m_host.announced.at(0),
              "Game 1: Alice 0 - 0 Bob (Alice was disconnected for flooding; Bob wins by "
              "forfeit)");
}

TEST_F(Referee, ADisconnectMidEndLosesTheGameAndEndsTheMatch) {
    Begin({.ends = 2, .games = 3});
    BothReady();
    Answer(0, DrawToTee());
    Answer(1, kThrowAway);
    Answer(0, kThrowAway);
    const std::size_t sentToBob = m_host.sent[1].size();
    m_referee->OnDisconnected(1);

    EXPECT_EQ(m_host.sent[0].back(), "GAMEOVER");
    EXPECT_EQ(m_host.sent[1].size(), sentToBob);
    EXPECT_EQ(m_host.Sent(0, "NEWGAME").size(), 1u); // no further game
    EXPECT_EQ(m_host.announced,
              (std::vector<std::string>{
                  "Game 1: Alice 0 - 0 Bob (Bob disconnected; Alice wins by forfeit)",
                  "Match over after 1 game: Alice 1 - 0 Bob in games won, 0 drawn, points 0 - 0; "
                  "Alice wins the match"}));
    EXPECT_EQ(m_host.overCalls, 1);
    EXPECT_EQ(m_host.alarm, std::nullopt);
    EXPECT_EQ(m_host.Events("disconnect").at(0).at("reason").get<std::string>(), "closed");
    const Json over = m_host.Events("gameover").at(0);
    EXPECT_EQ(over.at("winner").get<std::string>(), "red");
    EXPECT_TRUE(over.at("yellowForfeited").get<bool>());

    // Nothing moves the referee after the match.
    const std::size_t sentToAlice = m_host.sent[0].size();
    FromPlayer(0, kThrowAway);
    m_referee->OnDisconnected(0);
    m_referee->OnAlarm();
    EXPECT_EQ(m_host.sent[0].size(), sentToAlice);
    EXPECT_EQ(m_host.overCalls, 1);
}

TEST_F(Referee, ASideThatNeverAnswersIsReadyForfeits) {
    Begin({.ends = 1, .games = 2, .readyMs = 2000});
    FromPlayer(0, "READYOK");
    m_clock.now += 1999;
    m_referee->OnAlarm();
    EXPECT_FALSE(m_referee->isOver());
    m_clock.now += 1;
    m_referee->OnAlarm();
    ASSERT_TRUE(m_referee->isOver());
    // Both are still connected, so both hear that the game is over.
    EXPECT_EQ(m_host.sent[0].back(), "GAMEOVER");
    EXPECT_EQ(m_host.sent[1].back(), "GAMEOVER");
    EXPECT_EQ(m_host.announced.front(),
              "Game 1: Alice 0 - 0 Bob (Bob did not answer ISREADY in time; Alice wins by "
              "forfeit)");
}

TEST_F(Referee, PlayersSwapColoursEveryGameAndTheMatchIsTotalled) {
    Begin({.ends = 1, .games = 2});
    BothReady();
    // Alice (seat 0) draws with her first stone in every game, whatever her colour.
    const Strategy alice = [](int seat, const Turn& turn) {
        return seat == 0 && turn.shot < 2 ? DrawToTee() : std::string(kThrowAway);
    };
    PlayOut(alice);
    ASSERT_EQ(m_host.Sent(0, "NEWGAME").size(), 2u);
    EXPECT_EQ(m_host.Sent(0, "NEWGAME")[1], "NEWGAME Bob Alice");
    EXPECT_EQ(m_host.recordNames, (std::vector<std::string>{"1 Alice Bob", "2 Bob Alice"}));
    EXPECT_EQ(m_host.asked, std::nullopt); // waiting for READYOK
    BothReady();
    EXPECT_EQ(m_host.asked, 1); // Bob is red now
    PlayOut(alice);

    EXPECT_EQ(m_host.Sent(0, "SCORE"), (std::vector<std::string>{"SCORE 1", "SCORE -1"}));
    EXPECT_EQ(m_host.announced,
              (std::vector<std::string>{"Game 1: Alice 1 - 0 Bob (Alice wins)",
                                        "Game 2: Bob 0 - 1 Alice (Alice wins)",
                                        "Match over after 2 games: Alice 2 - 0 Bob in games won, "
                                        "0 drawn, points 2 - 0; Alice wins the match"}));
    EXPECT_EQ(m_referee->results().size(), 2u);
    EXPECT_EQ(m_referee->results()[1].winner, kYellow);
}

TEST_F(Referee, RecordsEveryDeliveryAskedAndPlayedAsJsonLines) {
    Begin({.ends = 1, .games = 1});
    BothReady();
    PlayOut(DrawFirstStone([](int, int colour) { return colour == kYellow; }));

    ASSERT_FALSE(m_host.records.empty());
    for (const std::string& line : m_host.records) {
        ParseRecord(line);
    }
    const Json first = ParseRecord(m_host.records.front());
    EXPECT_EQ(first.at("event").get<std::string>(), "newgame");
    EXPECT_EQ(first.at("red").get<std::string>(), "Alice");
    EXPECT_EQ(m_host.Events("go").size(), 16u);
    EXPECT_EQ(m_host.Events("position").size(), 16u);
    const std::vector<Json> shots = m_host.Events("shot");
    ASSERT_EQ(shots.size(), 16u);
    EXPECT_EQ(shots[1].at("side").get<std::string>(), "yellow");
    EXPECT_EQ(shots[1].at("asked").at("vy").get<double>(),
              shots[1].at("played").at("vy").get<double>());
    EXPECT_EQ(shots[1].at("stones").size(), 32);
    EXPECT_EQ(m_host.Events("score").at(0).at("scores").at(0).get<int>(), -1);
    const Json last = ParseRecord(m_host.records.back());
    EXPECT_EQ(last.at("event").get<std::string>(), "gameover");
    EXPECT_EQ(last.at("result").get<std::string>(), "Game 1: Alice 0 - 1 Bob (Bob wins)");
    EXPECT_FALSE(m_host.recordOpen);
}

} // namespace

namespace {

// The record lines of a one-end game with delivery error in which both sides
// draw to the tee at once, on a clock that never moves: every delivery is
// asked for and played in the same millisecond.
std::vector<std::string> FrozenClockRecords(std::uint64_t seed) {
    test::ManualClock clock{50000};
    FakeHost host;
    Shots shots;
    MatchConfig config{.ends = 1, .games = 1, .randomSize = 0.1f};
    config.seed = seed;
    MatchReferee referee(config, {"Alice", "Bob"}, host, clock, shots);
    referee.Start();
    referee.OnMessage(0, "READYOK", clock.now);
    referee.OnMessage(1, "READYOK", clock.now);
    while (host.asked) {
        referee.OnMessage(*std::exchange(host.asked, std::nullopt), DrawToTee(), clock.now);
    }
    return host.records;
}

TEST(RefereeSeed, EveryDeliveryInTheSameMillisecondHasItsOwnErrorAndTheSeedReplaysThem) {
    const std::vector<std::string> records = FrozenClockRecords(42);
    std::set<std::string> played;
    int shots = 0;
    for (const std::string& line : records) {
        const Json object = ParseRecord(line);
        if (object.value("event", "") == "shot") {
            played.insert(object.at("played").dump());
            ++shots;
        }
    }
    EXPECT_EQ(shots, 16);
    EXPECT_EQ(played.size(), 16u);
    EXPECT_EQ(ParseRecord(records.front()).at("seed").get<std::uint64_t>(), 42u);
    EXPECT_EQ(FrozenClockRecords(42), records);
    EXPECT_NE(FrozenClockRecords(43), records);
    // The widest seed is written exactly.
    EXPECT_EQ(ParseRecord(FrozenClockRecords(~0ULL).front()).at("seed").get<std::uint64_t>(),
              ~0ULL);
}

} // namespace
