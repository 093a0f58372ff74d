#include "printable_text.h"

#include <gtest/gtest.h>

using namespace skerrow;

TEST(PrintableText, WritesControlCharactersAndBrokenBytesInCNotation) {
    const struct {
        std::string text;
        std::string shown;
    } rows[] = {
        {"Alice", "Alice"},
        {"日本", "日本"},                    // whole characters stay
        {"a\tb\r\n", "a\\tb\\r\\n"},         // line breaks cannot break the line
        {"\x1b[2J", "\\x1b[2J"},             // no terminal code gets through
        {std::string("a\0b", 3), "a\\x00b"}, // nor a zero byte
        {"\x7f", "\\x7f"},                   // DEL
        {"\xc2\x9b"
         "31m",
         "\\u009b31m"},                               // C1 control, the CSI of 8-bit terminals
        {"\x9b", "\\x9b"},                            // a lone continuation byte
        {"\xe6\x97", "\\xe6\\x97"},                   // a character cut short
        {"\xc0\xaf", "\\xc0\\xaf"},                   // an overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"}, // beyond U+10FFFF
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PrintableText(row.text), row.shown) << row.shown;
    }
}

TEST(PrintableText, CutsBetweenCharactersAndSaysSo) {
    EXPECT_EQ(PrintableText("abcdef", 6), "abcdef");
    EXPECT_EQ(PrintableText("abcdef", 3), "abc…");
    // The third character would end at byte 9.
    EXPECT_EQ(PrintableText("日本語", 8), "日本…");
    EXPECT_EQ(PrintableText("", 0), "");
}
