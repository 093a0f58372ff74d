#include "position_file.h"

#include "decimal_comma_locale.h"
#include "game_rules.h"
#include "match_numbers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <variant>

namespace skerrow {
namespace {

GameState Open(const std::string& text) {
    std::variant<GameState, BoardFileError> opened = OpenPosition(text, "p.json");
    if (const auto* error = std::get_if<BoardFileError>(&opened)) {
        ADD_FAILURE() << error->Text();
        return {};
    }
    return std::get<GameState>(opened);
}

TEST(PositionFile, SaveOpenSaveGivesTheSameBytesAndTheSamePosition) {
    // Even where the C library writes decimal commas.
    const test::DecimalCommaLocale comma;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> across(0.0f, kSheetWidth);
    std::uniform_real_distribution<float> along(0.0f, kFarLimitY);
    for (int round = 0; round < 50; ++round) {
        GameState position = EmptySheet(1 + round % kEnds);
        position.currentEnd = round % kEnds;
        position.shotNumber = round % (kStonesPerEnd + 1);
        position.turnFlag = round % 2;
        for (int end = 0; end < kEnds; ++end) {
            position.endScores[end] = static_cast<int>(random() % 17) - kStonesPerSide;
        }
        for (int i = 0; i < round % (kStonesPerEnd + 1); ++i) {
            position.stones[i] = {across(random), along(random)};
        }
        const std::string saved = SavePosition(position);
        const GameState opened = Open(saved);
        EXPECT_EQ(SavePosition(opened), saved);
        EXPECT_EQ(std::memcmp(&opened, &position, sizeof position), 0) << saved;
    }
}

// The example in the format's description opens, as the position it says.
TEST(PositionFile, DocumentedExampleOpens) {
    std::ifstream in(POSITION_FILE_DOC);
    const std::string doc((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t start = doc.find("```json\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = doc.find("```", start + 8);
    const std::string example = doc.substr(start + 8, end - start - 8);
    const GameState position = Open(example);
    EXPECT_EQ(SavePosition(position), example);
    EXPECT_EQ(position.currentEnd, 2);
    EXPECT_EQ(position.shotNumber, 3);
    EXPECT_EQ(position.turnFlag, kYellow);
    EXPECT_TRUE(HoldsStone(position.stones[0]));
    EXPECT_FALSE(HoldsStone(position.stones[1]));
}

TEST(PositionFile, FieldsOutOfRangeAreRefusedByName) {
    const std::string good = SavePosition(EmptySheet());
    const std::pair<std::string, std::string> bad[] = {
        {"\"end\": 0", "\"end\": 11"},
        {"\"shot\": 0", "\"shot\": 17"},
        {"\"ends\": 10", "\"ends\": 0"},
        {"\"turn\": \"red\"", "\"turn\": \"blue\""},
        {"\"scores\": [0,", "\"scores\": [9,"},
        {"\"scores\": [0,", "\"scores\": [0.5,"},
        {"    null,\n    null,", "    null,\n    [1],"},
        {"    null,\n    null,", "    null,\n    [1, 1e9],"},
        {"    null,\n    null,", "    null,\n    [1, \"a\"],"},
        {"  \"stones\": [\n    null,", "  \"stones\": [\n"},
        {"\"format\": \"skerrow position\"", "\"format\": \"other\""},
    };
    for (const auto& [from, to] : bad) {
        std::string text = good;
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        std::variant<GameState, BoardFileError> opened = OpenPosition(text, "p.json");
        ASSERT_TRUE(std::holds_alternative<BoardFileError>(opened)) << to;
        const std::string what = std::get<BoardFileError>(opened).what;
        const std::string field = to.substr(0, to.find(':'));
        EXPECT_TRUE(what.find(field) != std::string::npos ||
                    what.find("stone") != std::string::npos)
            << to << " -> " << what;
    }
}

} // namespace
} // namespace skerrow
