#include "decimal_comma_locale.h"
#include "protocol_words.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

using namespace skerrow;

TEST(GetToken, SplitsOnSpacesOnly) {
    const struct {
        const char* text;
        std::size_t index;
        std::optional<std::string> word;
    } rows[] = {
        {"NEWGAME a b", 0, "NEWGAME"},
        {"   newgame  a   b", 1, "a"},
        {"   newgame  a   b", 2, "b"},
        {"   newgame  a   b", 3, std::nullopt},
        {"A B ", 2, ""}, // a trailing space yields one more, empty word
        {"", 0, ""},
        {"", 1, std::nullopt},
        {"A\tB", 0, "A\tB"},           // tabs are ordinary characters
        {"READYOK\r", 0, "READYOK\r"}, // so are carriage returns
    };
    for (const auto& row : rows) {
        EXPECT_EQ(GetToken(row.text, row.index), row.word) << row.text << " #" << row.index;
    }
}

TEST(GetToken, CutsWordsToTheirSlot) {
    const std::string longWord(100, 'x');
    EXPECT_EQ(GetToken("A " + longWord, 1)->size(), 31U);
    EXPECT_EQ(GetToken("A " + longWord, 1, kTextSlot)->size(), 100U);
    EXPECT_EQ(GetToken("A " + std::string(2000, 'y'), 1, kTextSlot)->size(), 1023U);
}

TEST(ReadReal, ReadsAsAtofDoes) {
    const struct {
        const char* text;
        float value;
    } rows[] = {
        {"2.375", 2.375f},
        {"  -0.5", -0.5f},
        {"+1.25", 1.25f},
        {"1e2", 100.0f},
        {"3.5abc", 3.5f},
        {"abc", 0.0f},
        {"", 0.0f},
        {".5", 0.5f},
        {"+-1", 0.0f},
        {"\t7", 7.0f},
        {"1,5", 1.0f},
        // Values that are no finite float read as 0.
        {"nan", 0.0f},
        {"inf", 0.0f},
        {"-infinity", 0.0f},
        {"1e999", 0.0f},
        {"1e39", 0.0f},
        {"3.4028235e38", 3.4028235e38f},
        {"3.41e38", 0.0f},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadReal(row.text), row.value) << row.text;
    }
}

TEST(ReadInteger, ReadsAsAtoiDoesAndClamps) {
    const struct {
        const char* text;
        int value;
    } rows[] = {
        {"15", 15},
        {"  -3", -3},
        {"+7", 7},
        {"4x", 4},
        {"x4", 0},
        {"", 0},
        {"1.9", 1},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadInteger(row.text), row.value) << row.text;
    }
}

TEST(ProtocolNumbers, IgnoreTheProcessLocale) {
    const test::DecimalCommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    }
    EXPECT_EQ(ReadReal("2.375"), 2.375f);
    EXPECT_EQ(FormatReal(-0.0990741f), "-0.099074");
}

TEST(FormatReal, PrintsSixDecimals) {
    EXPECT_EQ(FormatReal(0.0f), "0.000000");
    EXPECT_EQ(FormatReal(-2.955977f), "-2.955977");
    EXPECT_EQ(FormatReal(1.5f), "1.500000");
    EXPECT_EQ(FormatReal(3e38f).substr(0, 3), "300");
}

TEST(SameWord, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(SameWord("BestShot", "BESTSHOT"));
    EXPECT_FALSE(SameWord("BESTSHOT ", "BESTSHOT"));
    EXPECT_FALSE(SameWord("POSITIONS", "POSITION"));
}

// Numbers that must be refused rather than read as 0: what is refused, and
// what still reads as atof reads it.
TEST(ReadFiniteReal, RefusesOnlyWhatIsNoFiniteFloat) {
    const struct {
        const char* text;
        std::optional<float> value;
    } rows[] = {
        {"0.25", 0.25f},
        {"abc", 0.0f},
        {"", 0.0f},
        {"1e-999", 0.0f},
        {"-2e-50", 0.0f},
        {"3.4028235e38", 3.4028235e38f},
        {"nan", std::nullopt},
        {"-inf", std::nullopt},
        {"1e39", std::nullopt},
        {"1e999", std::nullopt},
        {"-1e999", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadFiniteReal(row.text), row.value) << row.text;
    }
}

// The words of a delivery are judged whole: no prefix of a word may pass for
// the number.
TEST(ReadWholeNumbers, TakeTheWholeWordOrNothing) {
    const struct {
        const char* word;
        std::optional<double> real;
        std::optional<std::int32_t> integer;
    } rows[] = {
        {"1", 1.0, 1},
        {"-3", -3.0, -3},
        {"+2", 2.0, 2},
        {"0.5", 0.5, std::nullopt},
        {".5e1", 5.0, std::nullopt},
        {"1000", 1000.0, 1000},
        {"1000.001", std::nullopt, std::nullopt}, // beyond the limit
        {"0.1x", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"+-1", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"2147483648", std::nullopt, std::nullopt},
        {"-2147483648", std::nullopt, INT32_MIN},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadWholeReal(row.word, 1000.0), row.real) << row.word;
        EXPECT_EQ(ReadWholeInteger(row.word), row.integer) << row.word;
    }
    // A number of 1,101 characters is judged whole too.
    EXPECT_FALSE(ReadWholeReal("0.1" + std::string(1100, '0') + "junk", 1000.0));
    EXPECT_FALSE(ReadWholeInteger(std::string(1099, '0') + "1x"));
}
