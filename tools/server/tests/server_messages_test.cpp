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
    const char* text;
    bool valid;
    float vx = 0.0f;
    float vy = 0.0f;
    int curl = 0;
};

// Names each case by its text, so that the test names stay the same from
// build to build.
void PrintTo(const DeliveryCase& c, std::ostream* out) {
    *out << '"';
    for (const char* p = c.text; *p != '\0'; ++p) {
        *out << (*p == '\r' ? "\\r" : *p == '\t' ? "\\t" : std::string(1, *p));
    }
    *out << '"';
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
        DeliveryCase{"BESTSHOT\t0.1 -2.9 1", false}));

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

TEST(RecordFiles, NamesKeepOnlyPlainCharacters) {
    EXPECT_EQ(GameRecordFile::FileName(1, "Alice", "Bob"), "game-1-Alice-Bob.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(12, "../etc/x y", "\xE5\xA4\xAA-b_c"),
              "game-12-___etc_x_y-___-b_c.jsonl");
    EXPECT_EQ(GameRecordFile::FileName(2, "", std::string(40, 'z')),
              QString("game-2-_-") + QString(32, 'z') + ".jsonl");
}

} // namespace
