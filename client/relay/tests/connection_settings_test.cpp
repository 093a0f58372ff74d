#include "connection_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace skerrow {
namespace {

const ConnectionEntries kValid{"127.0.0.1", "10000", "player1", "secret", "Skerrow"};

constexpr auto kAddress = &ConnectionEntries::address;
constexpr auto kPort = &ConnectionEntries::port;
constexpr auto kId = &ConnectionEntries::id;
constexpr auto kPassword = &ConnectionEntries::password;
constexpr auto kDisplayName = &ConnectionEntries::displayName;

// The valid entries with one field replaced.
ConnectionEntries With(std::string ConnectionEntries::*field, std::string text) {
    ConnectionEntries entries = kValid;
    entries.*field = std::move(text);
    return entries;
}

constexpr const char* kAccepted = "";
constexpr const char* kAddressEmpty = "IPアドレスを入力して下さい";
constexpr const char* kAddressBad = "IPアドレスは、半角数字で入力して下さい";
constexpr const char* kPortEmpty = "PORT番号を入力して下さい";
constexpr const char* kPortBad = "PORT番号は、半角数字で入力して下さい";
constexpr const char* kIdEmpty = "IDを入力して下さい";
constexpr const char* kIdBad = "IDは、半角英数字（4～16字）で入力して下さい";
constexpr const char* kPasswordEmpty = "パスワードを入力して下さい";
constexpr const char* kPasswordBad = "パスワードは、半角英数字（4～8字）で入力して下さい";
constexpr const char* kSameIdAndPassword = "IDとパスワードに同じものは使用できません";
constexpr const char* kNameEmpty = "ユーザー名を入力して下さい";
constexpr const char* kNameBad = "ユーザー名は、半角英数字16字以内で入力して下さい";

struct CheckCase {
    const char* label;
    ConnectionEntries entries;
    const char* message; // kAccepted when every check passes
};

const CheckCase kCheckCases[] = {
    {"all valid", kValid, kAccepted},
    // Address.
    {"address empty", With(kAddress, ""), kAddressEmpty},
    {"host name", With(kAddress, "match-server-01"), kAccepted},
    {"underscore and dots", With(kAddress, "a_b.example.org"), kAccepted},
    {"address of 20 characters", With(kAddress, "abcdefghij.klmnopqrs"), kAccepted},
    {"address with a space", With(kAddress, "127.0.0.1 "), kAddressBad},
    {"address with a colon", With(kAddress, "::1"), kAddressBad},
    {"full-width digits", With(kAddress, "１２７.0.0.1"), kAddressBad},
    {"bytes past 31 are not seen", With(kAddress, std::string(31, 'a') + " "), kAccepted},
    // Port.
    {"port empty", With(kPort, ""), kPortEmpty},
    {"port 1", With(kPort, "1"), kAccepted},
    {"port 65535", With(kPort, "65535"), kAccepted},
    {"eight digits", With(kPort, "00000080"), kAccepted},
    {"port 0", With(kPort, "0"), kPortBad},
    {"port 65536", With(kPort, "65536"), kPortBad},
    {"port 70000", With(kPort, "70000"), kPortBad},
    {"port 131072", With(kPort, "131072"), kPortBad},
    {"nine digits", With(kPort, "000000080"), kPortBad},
    {"port with a letter", With(kPort, "80a"), kPortBad},
    {"port with a sign", With(kPort, "-80"), kPortBad},
    {"port with a space", With(kPort, " 80"), kPortBad},
    // ID.
    {"ID empty", With(kId, ""), kIdEmpty},
    {"ID of 3", With(kId, "abc"), kIdBad},
    {"ID of 4", With(kId, "abcd"), kAccepted},
    {"ID of 16", With(kId, "abcdefghijklmnop"), kAccepted},
    {"ID of 17", With(kId, "abcdefghijklmnopq"), kIdBad},
    {"ID with a space", With(kId, "ab cd"), kIdBad},
    {"ID in katakana", With(kId, "ユーザ"), kIdBad},
    // Password.
    {"password empty", With(kPassword, ""), kPasswordEmpty},
    {"password of 3", With(kPassword, "abc"), kPasswordBad},
    {"password of 4", With(kPassword, "abcd"), kAccepted},
    {"password of 8", With(kPassword, "abcdefgh"), kAccepted},
    {"password of 9", With(kPassword, "abcdefghi"), kPasswordBad},
    {"password with a slash", With(kPassword, "pass/wd"), kPasswordBad},
    {"ID equal to password",
     {"127.0.0.1", "10000", "same1234", "same1234", "Skerrow"},
     kSameIdAndPassword},
    {"ID and password differ in case",
     {"127.0.0.1", "10000", "Same1234", "same1234", "Skerrow"},
     kAccepted},
    // Display name.
    {"name empty", With(kDisplayName, ""), kNameEmpty},
    {"name of 1", With(kDisplayName, "x"), kAccepted},
    {"name of 16", With(kDisplayName, "abcdefghijklmnop"), kAccepted},
    {"name of 17", With(kDisplayName, "abcdefghijklmnopq"), kNameBad},
    {"name with a space", With(kDisplayName, "Sker row"), kNameBad},
    {"name with a full-width letter", With(kDisplayName, "Ｓkerrow"), kNameBad},
    // The first refused step decides the message.
    {"everything empty", {"", "", "", "", ""}, kAddressEmpty},
    {"bad address before bad port", {"1.2.3.4 ", "0", "", "", ""}, kAddressBad},
    {"empty port before bad ID", {"1.2.3.4", "", "ab", "", ""}, kPortEmpty},
    {"bad port before empty ID", {"1.2.3.4", "x", "", "", ""}, kPortBad},
    {"empty ID before bad password", {"1.2.3.4", "80", "", "x", ""}, kIdEmpty},
    {"bad ID before empty password", {"1.2.3.4", "80", "abc", "", ""}, kIdBad},
    {"empty password before empty name", {"1.2.3.4", "80", "abcd", "", ""}, kPasswordEmpty},
    {"bad password before equal ID", {"1.2.3.4", "80", "ab", "ab", ""}, kIdBad},
    {"equal ID before empty name", {"1.2.3.4", "80", "abcd", "abcd", ""}, kSameIdAndPassword},
};

TEST(CheckConnectionEntries, RefusesWithTheMessageOfTheFirstFailingCheck) {
    for (const CheckCase& c : kCheckCases) {
        ConnectionSettings out;
        const std::optional<std::string> message = CheckConnectionEntries(c.entries, out);
        EXPECT_EQ(message.value_or(kAccepted), c.message) << c.label;
    }
}

TEST(CheckConnectionEntries, AcceptedEntriesBecomeTheSettings) {
    struct Case {
        ConnectionEntries entries;
        std::string address;
        std::uint16_t port;
    };
    const Case cases[] = {
        {{"192.168.1.20", "10000", "player1", "secret", "Skerrow"}, "192.168.1.20", 10000},
        {{"host", "1", "abcd", "efgh", "x"}, "host", 1},
        {{"host", "65535", "abcd", "efgh", "x"}, "host", 65535},
        {{"host", "00000080", "abcd", "efgh", "x"}, "host", 80},
        // An address is seen up to the 31 bytes its field holds.
        {{std::string(40, 'a'), "80", "abcd", "efgh", "x"}, std::string(31, 'a'), 80},
    };
    for (const Case& c : cases) {
        ConnectionSettings out;
        ASSERT_EQ(CheckConnectionEntries(c.entries, out), std::nullopt) << c.entries.port;
        EXPECT_EQ(out.address, c.address);
        EXPECT_EQ(out.port, c.port);
        EXPECT_EQ(out.id, c.entries.id);
        EXPECT_EQ(out.password, c.entries.password);
        EXPECT_EQ(out.displayName, c.entries.displayName);
    }
}

TEST(CheckConnectionEntries, ARefusalLeavesTheFieldsAfterTheRefusedOneUntouched) {
    const ConnectionSettings old{"old.host", 4242, "oldid", "oldpass", "oldname"};
    struct Case {
        const char* label;
        ConnectionEntries entries;
        ConnectionSettings expected;
    };
    const Case cases[] = {
        {"address refused",
         {"new host", "5000", "newid", "newpass", "newname"},
         {"new host", 4242, "oldid", "oldpass", "oldname"}},
        {"port refused",
         {"new.host", "0", "newid", "newpass", "newname"},
         {"new.host", 4242, "oldid", "oldpass", "oldname"}},
        {"ID refused",
         {"new.host", "5000", "", "newpass", "newname"},
         {"new.host", 5000, "", "oldpass", "oldname"}},
        {"password refused",
         {"new.host", "5000", "newid", "new", "newname"},
         {"new.host", 5000, "newid", "new", "oldname"}},
        {"ID equal to password",
         {"new.host", "5000", "same", "same", "newname"},
         {"new.host", 5000, "same", "same", "oldname"}},
        {"name refused",
         {"new.host", "5000", "newid", "newpass", "new name"},
         {"new.host", 5000, "newid", "newpass", "new name"}},
    };
    for (const Case& c : cases) {
        ConnectionSettings out = old;
        ASSERT_NE(CheckConnectionEntries(c.entries, out), std::nullopt) << c.label;
        EXPECT_EQ(out.address, c.expected.address) << c.label;
        EXPECT_EQ(out.port, c.expected.port) << c.label;
        EXPECT_EQ(out.id, c.expected.id) << c.label;
        EXPECT_EQ(out.password, c.expected.password) << c.label;
        EXPECT_EQ(out.displayName, c.expected.displayName) << c.label;
    }
}

} // namespace
} // namespace skerrow
