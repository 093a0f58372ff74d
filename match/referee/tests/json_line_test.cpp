// The record lines: one valid JSON object each, whatever a player sent. Qt's
// JSON reader judges them, independent of the writer.
#include "json_line.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

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

} // namespace
