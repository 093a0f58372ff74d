// The server's reading and writing of protocol words, the record lines and
// the record file names.
#include "game_record_file.h"
#include "json_line.h"
#include "server_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace skerrow;

namespace {

struct DeliveryCase {
    std::string text;
    bool valid;
    float vx = 0.0f;
    float vy = 0.0f;
    int curl = 0;
};

// Names each case by its text, so that the test names stay the same from
// build to build.
void PrintTo(const DeliveryCase& c, std::ostream* out) {
    *out << '"';
    for (const char ch : c.text.substr(0, 60)) {
        *out << (ch == '\r' ? "\\r" : ch == '\t' ? "\\t" : std::string(1, ch));
    }
    *out << (c.text.size() > 60 ? "...\"" : "\"");
}

class DeliveryParsing : public ::testing::TestWithParam<DeliveryCase> {};

TEST_P(DeliveryParsing, ReadsOnlyCompleteFiniteDeliveries) {
    const DeliveryCase& c = GetParam();
    const std::optional<ShotVec> shot = ParseDelivery(c.text);
    ASSERT_EQ(shot.has_value(), c.valid) << c.text;
    if (c.valid) {
        EXPECT_FLOAT_EQ(shot->vx, c.vx);
        EXPECT_FLOAT_EQ(shot->vy, c.vy);
        EXPECT_EQ(shot->curl, c.curl);
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
    const std::optional<LoginRequest> full = ParseLogin("login abcd pass1 Alice");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->id, "abcd");
    EXPECT_EQ(full->password, "pass1");
    EXPECT_EQ(full->name, "Alice");

    const std::optional<LoginRequest> nameless = ParseLogin("LOGIN abcd pass1\r");
    ASSERT_TRUE(nameless);
    EXPECT_EQ(nameless->name, "abcd");

    EXPECT_FALSE(ParseLogin("LOGIN abcd"));
    EXPECT_FALSE(ParseLogin("HELLO abcd pass1 Alice"));
    EXPECT_FALSE(ParseLogin(""));

    // Words are whole: a long name is not cut to fit, it is refused below.
    const std::optional<LoginRequest> longName =
        ParseLogin("LOGIN abcd pass1 " + std::string(2000, 'n'));
    ASSERT_TRUE(longName);
    EXPECT_EQ(longName->name.size(), 2000u);
}

TEST(LoginParsing, RefusesIdsAndNamesThatCouldBreakALineOrActOnATerminal) {
    const auto fault = [](const std::string& id, const std::string& name) {
        return LoginFault({id, "pass1", name}).value_or("");
    };
    EXPECT_EQ(fault("alice", "Alice"), "");
    EXPECT_EQ(fault("alice", std::string(64, 'a')), "");
    EXPECT_EQ(fault("alice", std::string(65, 'a')), "the name is longer than 64 bytes");
    // 21 three-byte characters are 63 bytes; 22 are 66.
    std::string kanji;
    for (int i = 0; i < 21; ++i) {
        kanji += "\xE5\xA4\xAA";
    }
    EXPECT_EQ(fault("alice", kanji), "");
    EXPECT_EQ(fault("alice", kanji + "\xE5\xA4\xAA"), "the name is longer than 64 bytes");
    for (const std::string& control :
         {std::string("\n"), std::string("\t"), std::string("\r"), std::string("\x1B[2J"),
          std::string("\x7F"), std::string("\xC2\x9B"), std::string(1, '\0')}) {
        EXPECT_EQ(fault("alice", "Al" + control + "ice"), "the name has a control character")
            << JsonLine::Quote(control);
    }
    EXPECT_EQ(fault("alice", "Al\xFFice"), "the name is not UTF-8");
    EXPECT_EQ(fault("alice", "Al\xC3"), "the name is not UTF-8");
    EXPECT_EQ(fault("al\x1Bice", "Alice"), "the id has a control character");
    EXPECT_EQ(fault(std::string(65, 'i'), "Alice"), "the id is longer than 64 bytes");
}

TEST(MessageFormats, PositionCarriesAllSixteenStonesWithSixDecimals) {
    GameState state{};
    state.stones[0] = {2.375f, 4.88f};
    state.stones[15] = {-0.5f, 41.28f};
    const std::string text = FormatPosition(state);
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

TEST(MessageFormats, TurnTimeShotAndScoreLines) {
    EXPECT_EQ(FormatSetState(3, 1, 10, 1), "SETSTATE 3 1 10 1");
    EXPECT_EQ(FormatGo(299500, 300000), "GO 299500 300000");
    EXPECT_EQ(FormatRunShot({0.1f, -2.9f, 1}), "RUNSHOT 0.100000 -2.900000 1");
    EXPECT_EQ(FormatScore({-1, 0, 2}), "SCORE -1 0 2");
    EXPECT_EQ(FormatScore({}), "SCORE");
}

TEST(RecordLines, StayOneValidJsonObjectWhateverThePlayerSent) {
    const std::string garbage = "say \"hi\"\\\n\t\x01 caf\xC3\xA9 \xFF\xC3";
    const std::string text = JsonLine()
                                 .Integer("t", -5)
                                 .String("text", garbage)
                                 .Real("vx", -0.25f)
                                 .Boolean("valid", false)
                                 .Null("asked")
                                 .Raw("scores", "[1,-2]")
                                 .Text();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    const QJsonObject object = document.object();
    EXPECT_EQ(object.value("t").toInt(), -5);
    EXPECT_EQ(object.value("text").toString(),
              QString::fromUtf8("say \"hi\"\\\n\t\x01 caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD"));
    EXPECT_DOUBLE_EQ(object.value("vx").toDouble(), -0.25);
    EXPECT_FALSE(object.value("valid").toBool(true));
    EXPECT_TRUE(object.value("asked").isNull());
    EXPECT_EQ(object.value("scores").toArray().size(), 2);
}

TEST(RecordLines, EscapeEveryControlCharacterSoThatATerminalShowsThemAsText) {
    // C0, DEL and the C1 controls (CSI, here) are escaped; other characters
    // stay as they are.
    EXPECT_EQ(JsonLine::Quote("a\x1B[2J\x7F\xC2\x9B\xC2\xA0\xE5\xA4\xAA"),
              "\"a\\u001b[2J\\u007f\\u009b\xC2\xA0\xE5\xA4\xAA\"");
}

TEST(RecordFiles, NamesKeepOnlyPlainCharacters) {
    EXPECT_EQ(GameRecordFile::FileName(1, "Alice", "Bob"), "game-1-Alice-Bob.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(12, "../etc/x y", "\xE5\xA4\xAA-b_c"),
              "game-12-___etc_x_y-___-b_c.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(2, "", std::string(40, 'z')),
              QString("game-2-_-") + QString(32, 'z') + ".jsonl");
}

} // namespace
