// The server's command line: defaults, every option, and clear errors.
#include "server_options.h"

#include <gtest/gtest.h>

using namespace skerrow;

namespace {

ServerParseResult Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("skerrow-server"));
    return ParseServerOptions(arguments);
}

TEST(ServerOptions, Defaults) {
    const ServerParseResult result = Parse({});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_EQ(result.options.address, "127.0.0.1");
    EXPECT_EQ(result.options.port, 10000);
    EXPECT_EQ(result.options.match.ends, 10);
    EXPECT_EQ(result.options.match.games, 1);
    EXPECT_FLOAT_EQ(result.options.match.randomSize, 0.1f);
    EXPECT_EQ(result.options.match.thinkingMs, 300000);
    EXPECT_EQ(result.options.match.readyMs, 30000);
    EXPECT_TRUE(result.options.recordsFolder.isEmpty());
    EXPECT_FALSE(result.options.seed.has_value());
}

TEST(ServerOptions, EveryOptionIsRead) {
    const ServerParseResult result =
        Parse({"--address", "0.0.0.0", "--port", "0", "--ends", "3", "--games", "4", "--random",
               "0", "--time", "1.5", "--ready-time", "0.25", "--records", "out/records", "--seed",
               "18446744073709551615"});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_EQ(result.options.address, "0.0.0.0");
    EXPECT_EQ(result.options.port, 0);
    EXPECT_EQ(result.options.match.ends, 3);
    EXPECT_EQ(result.options.match.games, 4);
    EXPECT_FLOAT_EQ(result.options.match.randomSize, 0.0f);
    EXPECT_EQ(result.options.match.thinkingMs, 1500);
    EXPECT_EQ(result.options.match.readyMs, 250);
    EXPECT_EQ(result.options.recordsFolder, "out/records");
    EXPECT_EQ(result.options.seed, 18446744073709551615ULL);
}

struct BadCase {
    QStringList arguments;
    // A part of the message that names what is wrong.
    const char* named;
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << '"' << c.arguments.join(' ').toStdString() << '"';
}

class BadOption : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadOption, IsRefusedWithAMessageNamingIt) {
    const ServerParseResult result = Parse(GetParam().arguments);
    EXPECT_TRUE(result.error.contains(QLatin1String(GetParam().named)))
        << result.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, BadOption,
    ::testing::Values(
        BadCase{{"--address", "localhost"}, "--address"}, BadCase{{"--port", "65536"}, "--port"},
        BadCase{{"--port", "-1"}, "--port"}, BadCase{{"--ends", "0"}, "--ends"},
        BadCase{{"--ends", "11"}, "--ends"}, BadCase{{"--games", "0"}, "--games"},
        BadCase{{"--random", "-0.1"}, "--random"}, BadCase{{"--random", "nan"}, "--random"},
        BadCase{{"--time", "0"}, "--time"}, BadCase{{"--time", "1,5"}, "--time"},
        BadCase{{"--ready-time", "soon"}, "--ready-time"}, BadCase{{"--records", ""}, "--records"},
        BadCase{{"--seed", "-1"}, "--seed"}, BadCase{{"--seed", "+1"}, "--seed"},
        BadCase{{"--seed", "18446744073709551616"}, "--seed"},
        BadCase{{"--colour", "red"}, "colour"}, BadCase{{"stray"}, "stray"}));

} // namespace
