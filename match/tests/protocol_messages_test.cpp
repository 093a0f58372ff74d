// The protocol's messages: real lines as table rows, each compared with what
// it decodes to (written back with Format) or with the fault found, in the
// reading of a client (lenient) and of the server (strict).
#include "match_numbers.h"
#include "protocol_messages.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

using namespace skerrow;

namespace {

const char* FaultName(ParseError::Fault fault) {
    switch (fault) {
    case ParseError::Fault::UnknownCommand:
        return "unknown command";
    case ParseError::Fault::MissingWord:
        return "missing word";
    case ParseError::Fault::BadNumber:
        return "bad number";
    case ParseError::Fault::ExtraWord:
        return "extra word";
    }
    return "?";
}

// The message decoded and written again, or "<fault> <word>: <text>".
std::string Decoded(std::string_view text, Reading reading) {
    const ParseResult parsed = Parse(text, reading);
    if (const std::optional<Message> message = MessageOf(parsed)) {
        return Format(*message);
    }
    const ParseError& error = std::get<ParseError>(parsed);
    return std::string(FaultName(error.fault)) + " " + std::to_string(error.word) + ": " +
           error.text;
}

struct LineCase {
    std::string text;
    std::string decoded;
};

// Names each case by its text, so that the test names stay the same from
// build to build.
void PrintTo(const LineCase& c, std::ostream* out) {
    *out << '"';
    for (const char ch : c.text.substr(0, 60)) {
        *out << (ch == '\r' ? "\\r" : ch == '\t' ? "\\t" : std::string(1, ch));
    }
    *out << (c.text.size() > 60 ? "...\"" : "\"");
}

std::string Numbers(int count, const char* number) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::string(" ") + number;
    }
    return text;
}

class LenientReading : public ::testing::TestWithParam<LineCase> {};

TEST_P(LenientReading, ReadsAsAClientDoes) {
    EXPECT_EQ(Decoded(GetParam().text, Reading::Lenient), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LenientReading,
    ::testing::Values(
        // Command words in any case, words split by runs of spaces only.
        LineCase{"  newgame  Alice   Bob", "NEWGAME Alice Bob"},
        LineCase{"NEWGAME Alice", "NEWGAME Alice "},
        LineCase{"NEWGAME " + std::string(40, 'n') + " b",
                 "NEWGAME " + std::string(40, 'n') + " b"},
        LineCase{"READYOK\r", "unknown command 0: READYOK\r"}, LineCase{"isready", "ISREADY"},
        LineCase{"GAMEOVER now", "GAMEOVER"}, LineCase{"", "unknown command 0: "},
        LineCase{"FOO 1 2", "unknown command 0: FOO"},
        LineCase{"BESTSHOT\t1 2 0", "unknown command 0: BESTSHOT\t1"},
        // Stones: as many as there are pairs, an odd last number ignored,
        // numbers as atof reads them, at most sixteen stones.
        LineCase{"POSITION 1 2 3 4 5", "POSITION 1.000000 2.000000 3.000000 4.000000"},
        LineCase{"POSITION", "POSITION"},
        LineCase{"SETPOSITION nan 1e999 abc 2.5x",
                 "SETPOSITION 0.000000 0.000000 0.000000 2.500000"},
        LineCase{"POSITION" + Numbers(34, "1.5"), "POSITION" + Numbers(32, "1.500000")},
        // A number word is cut to 31 bytes before it is read.
        LineCase{"RUNSHOT 0.1" + std::string(40, '0') + "9 -3 1", "RUNSHOT 0.100000 -3.000000 1"},
        // Everything a message acts on must be there; later words are ignored.
        LineCase{"SETSTATE 1 2 10", "missing word 4: "},
        LineCase{"SETSTATE 1 2 10 1 9", "SETSTATE 1 2 10 1"},
        LineCase{"SETSTATE 1 2 3 ", "SETSTATE 1 2 3 0"}, // a trailing space: one more, empty word
        LineCase{"SETSTATE 99999999999 x 1.9 -3", "SETSTATE 2147483647 0 1 -3"},
        LineCase{"RUNSHOT 0.1 -3", "missing word 3: "},
        LineCase{"BESTSHOT 2.375 4.88 0 extra", "BESTSHOT 2.375000 4.880000 0"},
        LineCase{"DRAWSHOT 2.375 4.88 1 9", "DRAWSHOT 2.375000 4.880000 1"},
        LineCase{"DRAWSHOT 2.375 4.88", "missing word 3: "},
        LineCase{"GO 1000", "GO 1000"}, // a clock not given stays unknown
        LineCase{"GO", "GO"},
        // Scores: at most ten, each word up to 1023 bytes.
        LineCase{"score 1 -2 0", "SCORE 1 -2 0"},
        LineCase{"SCORE" + Numbers(11, "2"), "SCORE" + Numbers(10, "2")},
        LineCase{"SCORE " + std::string(40, '0') + "5", "SCORE 5"},
        // A random size must be a finite number; a missing one is missing.
        LineCase{"SETRAND 0.25", "SETRAND 0.250000"}, LineCase{"SETRAND nan", "bad number 1: nan"},
        LineCase{"SETRAND 1e999", "bad number 1: 1e999"}, LineCase{"SETRAND", "missing word 1: "},
        LineCase{"LOGIN alice pw1", "LOGIN alice pw1 alice"},
        LineCase{"LOGIN alice", "missing word 2: "}));

class StrictReading : public ::testing::TestWithParam<LineCase> {};

TEST_P(StrictReading, JudgesAsTheServerDoes) {
    EXPECT_EQ(Decoded(GetParam().text, Reading::Strict), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StrictReading,
    ::testing::Values(
        LineCase{"READYOK\r\n", "READYOK"},
        LineCase{"readyok later", "READYOK"}, // words after one without arguments
        LineCase{"NEWGAME a", "missing word 2: "}, LineCase{"NEWGAME a b c", "NEWGAME a b"},
        LineCase{"POSITION 1 2 3", "missing word 4: "},
        LineCase{"POSITION" + Numbers(34, "1"), "extra word 33: 1"},
        LineCase{"POSITION 1 2\t", "POSITION 1.000000 2.000000"},
        LineCase{"POSITION 1 2x", "bad number 2: 2x"},
        LineCase{"SETSTATE 1 2 10 1 9", "extra word 5: 9"},
        LineCase{"SETSTATE 1 2 10 1.0", "bad number 4: 1.0"},
        LineCase{"GO 100", "missing word 2: "}, LineCase{"SCORE 1 x", "bad number 2: x"},
        LineCase{"SCORE" + Numbers(11, "0"), "extra word 11: 0"},
        LineCase{"RUNSHOT 1001 -3 0", "RUNSHOT 1001.000000 -3.000000 0"}, // no delivery limit
        LineCase{"SETRAND inf", "bad number 1: inf"},
        LineCase{"DRAWSHOT 1 2 0 3", "extra word 4: 3"},
        // A number of 1,101 characters is judged whole.
        LineCase{"RUNSHOT 0.1" + std::string(1100, '0') + " -3 0", "RUNSHOT 0.100000 -3.000000 0"},
        LineCase{"RUNSHOT 0.1" + std::string(1100, '0') + "9x -3 0",
                 "bad number 1: 0.1" + std::string(1100, '0') + "9x"}));

// The delivery a player answers GO with, as the server judges it.
struct DeliveryCase {
    std::string text;
    bool valid;
    float vx = 0.0f;
    float vy = 0.0f;
    int curl = 0;
};

void PrintTo(const DeliveryCase& c, std::ostream* out) {
    PrintTo(LineCase{c.text, {}}, out);
}

class DeliveryParsing : public ::testing::TestWithParam<DeliveryCase> {};

TEST_P(DeliveryParsing, ReadsOnlyCompleteFiniteDeliveries) {
    const DeliveryCase& c = GetParam();
    const ParseResult parsed = Parse(c.text, Reading::Strict);
    const BestShot* delivery = std::get_if<BestShot>(&parsed);
    ASSERT_EQ(delivery != nullptr, c.valid) << c.text;
    if (c.valid) {
        EXPECT_FLOAT_EQ(delivery->shot.vx, c.vx);
        EXPECT_FLOAT_EQ(delivery->shot.vy, c.vy);
        EXPECT_EQ(delivery->shot.curl, c.curl);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DeliveryParsing,
    ::testing::Values(
        DeliveryCase{"BESTSHOT 0.1 -2.9 1", true, 0.1f, -2.9f, 1},
        DeliveryCase{"BestShot -0.099074 -2.955977 0", true, -0.099074f, -2.955977f, 0},
        DeliveryCase{"bestshot 1e-1 -29e-1 0", true, 0.1f, -2.9f, 0},
        // An engine's line may end in a carriage return; blanks at the end
        // and runs of spaces between words do not matter.
        DeliveryCase{"BESTSHOT 0.1 -2.9 1\r", true, 0.1f, -2.9f, 1},
        DeliveryCase{"  BESTSHOT  +.5  -3.  +1  ", true, 0.5f, -3.0f, 1},
        DeliveryCase{"BESTSHOT 0 0 -7", true, 0.0f, 0.0f, -7},
        DeliveryCase{"BESTSHOT 1000 -1000 0", true, 1000.0f, -1000.0f, 0},
        DeliveryCase{"READYOK", false}, DeliveryCase{"", false},
        DeliveryCase{"BESTSHOTS 0.1 -2.9 1", false}, DeliveryCase{"BESTSHOT 0.1 -2.9", false},
        DeliveryCase{"BESTSHOT 0.1 -2.9 1 extra", false},
        DeliveryCase{"BESTSHOT nan -2.9 1", false}, DeliveryCase{"BESTSHOT 0.1 -inf 1", false},
        DeliveryCase{"BESTSHOT infinity -2.9 1", false},
        DeliveryCase{"BESTSHOT 1e999 -2.9 1", false}, DeliveryCase{"BESTSHOT 1000.5 -2.9 1", false},
        DeliveryCase{"BESTSHOT 0x1p3 -2.9 1", false}, DeliveryCase{"BESTSHOT 0.1x -2.9 1", false},
        DeliveryCase{"BESTSHOT 0,1 -2.9 1", false}, DeliveryCase{"BESTSHOT +-0.1 -2.9 1", false},
        DeliveryCase{"BESTSHOT 0.1 -2.9 1.5", false}, DeliveryCase{"BESTSHOT 0.1 -2.9 one", false},
        DeliveryCase{"BESTSHOT 0.1 -2.9 99999999999", false},
        DeliveryCase{"BESTSHOT\t0.1 -2.9 1", false},
        // Every word is judged whole, however long: a cut prefix of a bad
        // word is no number, and a long good word keeps its value.
        DeliveryCase{"BESTSHOT 0.1" + std::string(1100, '0') + "junk -3 0", false},
        DeliveryCase{"BESTSHOT 0.1" + std::string(1100, '0') + " -3 0", true, 0.1f, -3.0f, 0},
        DeliveryCase{"BESTSHOT 0.1 -3 0" + std::string(1099, '0') + "1", true, 0.1f, -3.0f, 1},
        DeliveryCase{"BESTSHOT" + std::string(40, 'S') + " 0.1 -3 0", false},
        DeliveryCase{"BESTSHOT 0.1 -3 0 " + std::string(2000, ' ') + "x", false}));

TEST(LoginParsing, ReadsIdPasswordAndNameWithTheIdForAMissingName) {
    const ParseResult full = Parse("login abcd pass1 Alice", Reading::Strict);
    ASSERT_TRUE(std::holds_alternative<Login>(full));
    EXPECT_EQ(std::get<Login>(full).id, "abcd");
    EXPECT_EQ(std::get<Login>(full).password, "pass1");
    EXPECT_EQ(std::get<Login>(full).name, "Alice");

    const ParseResult nameless = Parse("LOGIN abcd pass1\r", Reading::Strict);
    ASSERT_TRUE(std::holds_alternative<Login>(nameless));
    EXPECT_EQ(std::get<Login>(nameless).name, "abcd");

    EXPECT_FALSE(std::holds_alternative<Login>(Parse("LOGIN abcd", Reading::Strict)));
    EXPECT_FALSE(std::holds_alternative<Login>(Parse("HELLO abcd pass1 Alice", Reading::Strict)));
    EXPECT_FALSE(std::holds_alternative<Login>(Parse("", Reading::Strict)));

    // Words are whole: a long name is not cut to fit, it is refused later.
    const ParseResult longName =
        Parse("LOGIN abcd pass1 " + std::string(2000, 'n'), Reading::Strict);
    ASSERT_TRUE(std::holds_alternative<Login>(longName));
    EXPECT_EQ(std::get<Login>(longName).name.size(), 2000u);
}

TEST(MessageFormats, PositionCarriesAllSixteenStonesWithSixDecimals) {
    GameState state{};
    state.stones[0] = {kTeeX, kTeeY};
    state.stones[15] = {-0.5f, kDeliveryY};
    const std::string text = Format(PositionOf(state));
    std::istringstream words(text);
    std::string word;
    words >> word;
    EXPECT_EQ(word, "POSITION");
    std::vector<std::string> numbers;
    while (words >> word) {
        numbers.push_back(word);
    }
    ASSERT_EQ(numbers.size(), 32u);
    EXPECT_EQ(numbers[0], "2.375000");
    EXPECT_EQ(numbers[1], "4.880000");
    EXPECT_EQ(numbers[2], "0.000000");
    EXPECT_EQ(numbers[30], "-0.500000");
    EXPECT_EQ(numbers[31], "41.279999");
}

TEST(MessageFormats, EveryMessageAsTheWireCarriesIt) {
    EXPECT_EQ(Format(SetState{3, 1, 10, 1}), "SETSTATE 3 1 10 1");
    EXPECT_EQ(Format(Go{299500, 300000}), "GO 299500 300000");
    EXPECT_EQ(Format(RunShot{{0.1f, -2.9f, 1}}), "RUNSHOT 0.100000 -2.900000 1");
    EXPECT_EQ(Format(Score{{-1, 0, 2}}), "SCORE -1 0 2");
    EXPECT_EQ(Format(Score{}), "SCORE");
    EXPECT_EQ(Format(NewGame{"Alice", "Bob"}), "NEWGAME Alice Bob");
    EXPECT_EQ(Format(Login{"team-a", "secret1", "TeamA"}), "LOGIN team-a secret1 TeamA");
    EXPECT_EQ(Format(IsReady{}), "ISREADY");
    EXPECT_EQ(Format(ReadyOk{}), "READYOK");
    EXPECT_EQ(Format(GameOver{}), "GAMEOVER");
    EXPECT_EQ(Format(BestShot{{-0.0990741f, -2.955977f, 0}}), "BESTSHOT -0.099074 -2.955977 0");
    EXPECT_EQ(Format(BestShot{{0.5f, -3.0f, 1}, true}), "BestShot 0.500000 -3.000000 1");
    EXPECT_EQ(Format(SetRand{0.1f}), "SETRAND 0.100000");
    EXPECT_EQ(Format(DrawShot{{kTeeX, kTeeY, 1}}), "DRAWSHOT 2.375000 4.880000 1");
    EXPECT_EQ(Format(SetPosition{{{1.0f, 2.0f}}}), "SETPOSITION 1.000000 2.000000");
}

// What the server writes, its players read back as it was, in either
// reading.
TEST(MessageFormats, WhatIsWrittenReadsBackInBothReadings) {
    GameState state{};
    state.stones[3] = {1.25f, 7.5f};
    const std::vector<Message> messages = {PositionOf(state),
                                           SetState{15, 9, 10, 1},
                                           Go{0, 2147483647},
                                           RunShot{{-1000.0f, 1000.0f, -5}},
                                           Score{{-8, 0, 8, 1, 1, 1, 1, 1, 1, 1}},
                                           NewGame{"Alice", "Bob"},
                                           BestShot{{0.25f, -2.5f, 1}},
                                           DrawShot{{1.5f, 8.0f, 0}},
                                           SetRand{0.0f},
                                           Login{"a", "b", "c"},
                                           IsReady{},
                                           ReadyOk{},
                                           GameOver{}};
    for (const Message& message : messages) {
        const std::string text = Format(message);
        for (const Reading reading : {Reading::Lenient, Reading::Strict}) {
            EXPECT_EQ(Decoded(text, reading), text)
                << (reading == Reading::Strict ? "strict" : "lenient");
        }
    }
}

TEST(CommandOf, NamesTheWordAsAClientReadsIt) {
    EXPECT_EQ(CommandOf("  bestshot 1 2 0"), Command::BestShot);
    EXPECT_EQ(CommandOf("READYOK\r"), Command::Unknown);
    EXPECT_EQ(CommandOf("POSITIONS 1 2"), Command::Unknown);
    EXPECT_EQ(CommandOf(Parse("SETSTATE 1 2")), Command::SetState); // also when incomplete
    EXPECT_EQ(CommandOf(Parse("GAMEOVER")), Command::GameOver);
    EXPECT_EQ(CommandWord(Command::SetPosition), "SETPOSITION");
    EXPECT_EQ(CommandWord(Command::Unknown), "");
}

} // namespace
