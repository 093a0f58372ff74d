#include "login_check.h"

#include <gtest/gtest.h>

#include <string>

using namespace skerrow;

TEST(LoginCheck, RefusesIdsAndNamesThatCouldBreakALineOrActOnATerminal) {
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
        EXPECT_EQ(fault("alice", "Al" + control + "ice"), "the name has a control character");
    }
    EXPECT_EQ(fault("alice", "Al\xFFice"), "the name is not UTF-8");
    EXPECT_EQ(fault("alice", "Al\xC3"), "the name is not UTF-8");
    EXPECT_EQ(fault("al\x1Bice", "Alice"), "the id has a control character");
    EXPECT_EQ(fault(std::string(65, 'i'), "Alice"), "the id is longer than 64 bytes");
}
