// The record lines: one valid JSON object each, whatever a player sent. A
// strict JSON reader independent of the writer judges them: it refuses bad
// UTF-8, raw control characters and anything after the object.
#include "json_line.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace skerrow;

namespace {

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
    const nlohmann::json object = nlohmann::json::parse(text, nullptr, false);
    ASSERT_TRUE(object.is_object()) << text;
    EXPECT_EQ(object.at("t").get<int>(), -5);
    EXPECT_EQ(object.at("text").get<std::string>(),
              "say \"hi\"\\\n\t\x01 caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_DOUBLE_EQ(object.at("vx").get<double>(), -0.25);
    EXPECT_FALSE(object.at("valid").get<bool>());
    EXPECT_TRUE(object.at("asked").is_null());
    EXPECT_EQ(object.at("scores"), nlohmann::json::array({1, -2}));
}

// What the tests rely on: the reader refuses what a fault of the writer would
// leave in a line, where a lenient reader would take it.
TEST(RecordLines, AreJudgedByAReaderThatRefusesWhatAFaultyWriterWouldLeave) {
    for (const std::string bad : {"{\"a\":\"\x01\"}", "{\"a\":\"\xFF\"}", "{\"a\":\"\xC0\xAF\"}",
                                  "{\"a\":1,}", "{\"a\":1} {}", "{\"a\":01}"}) {
        EXPECT_TRUE(nlohmann::json::parse(bad, nullptr, false).is_discarded()) << bad;
    }
}

TEST(RecordLines, EscapeEveryControlCharacterSoThatATerminalShowsThemAsText) {
    // C0, DEL and the C1 controls (CSI, here) are escaped; other characters
    // stay as they are.
    EXPECT_EQ(JsonLine::Quote("a\x1B[2J\x7F\xC2\x9B\xC2\xA0\xE5\xA4\xAA"),
              "\"a\\u001b[2J\\u007f\\u009b\xC2\xA0\xE5\xA4\xAA\"");
}

} // namespace
