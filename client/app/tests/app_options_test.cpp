#include "app_options.h"

#include <gtest/gtest.h>

namespace skerrow {
namespace {

AppParseResult Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("skerrow"));
    return ParseAppOptions(arguments);
}

TEST(AppOptions, WithoutOptionsNothingIsStarted) {
    const AppParseResult result = Parse({});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_TRUE(result.options.engineProgram.isEmpty());
    EXPECT_FALSE(result.options.connect);
    EXPECT_TRUE(result.options.screenshotFile.isEmpty());
    EXPECT_EQ(result.options.connection.settingsFile, QStringLiteral("./Connection.ini"));
}

TEST(AppOptions, EngineArgumentsFollowTheSeparatorEvenWhenTheyLookLikeOptions) {
    const AppParseResult result =
        Parse({"--engine", "./ice", "--screenshot", "shot.png", "--", "--depth", "3", "--connect"});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_EQ(result.options.engineProgram, QStringLiteral("./ice"));
    EXPECT_EQ(result.options.engineArguments, QStringList({"--depth", "3", "--connect"}));
    EXPECT_FALSE(result.options.connect);
    EXPECT_EQ(result.options.screenshotFile, QStringLiteral("shot.png"));
}

TEST(AppOptions, ConnectTakesTheConnectionOptions) {
    const AppParseResult result =
        Parse({"--connect", "-a", "10.0.0.2", "--port", "10000", "--id", "team-a", "-n", "TeamA",
               "--password", "pw12", "--settings", "other.ini"});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    const AppOptions& options = result.options;
    EXPECT_TRUE(options.connect);
    EXPECT_EQ(options.connection.address, "10.0.0.2");
    EXPECT_EQ(options.connection.port, "10000");
    EXPECT_EQ(options.connection.id, "team-a");
    EXPECT_EQ(options.connection.displayName, "TeamA");
    EXPECT_EQ(options.connection.password, "pw12");
    EXPECT_EQ(options.connection.settingsFile, QStringLiteral("other.ini"));
}

struct RefusedCase {
    const char* what;
    QStringList arguments;
};

class RefusedOptions : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOptions, SayWhatIsWrong) {
    EXPECT_FALSE(Parse(GetParam().arguments).error.isEmpty()) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    AppOptions, RefusedOptions,
    ::testing::Values(RefusedCase{"unknown option", {"--frobnicate"}},
                      RefusedCase{"engine argument without separator",
                                  {"--engine", "./ice", "depth"}},
                      RefusedCase{"engine arguments without engine", {"--", "--depth"}},
                      RefusedCase{"address without connect", {"--address", "10.0.0.2"}},
                      RefusedCase{"settings without connect", {"--settings", "other.ini"}},
                      RefusedCase{"password without connect", {"--password", "pw12"}},
                      RefusedCase{"screenshot without file", {"--screenshot"}},
                      RefusedCase{"empty screenshot file", {"--screenshot", ""}}));

TEST(AppOptions, HelpNeedsNothingElse) {
    const AppParseResult result = Parse({"--help", "--address", "x"});
    EXPECT_TRUE(result.error.isEmpty());
    EXPECT_TRUE(result.options.helpRequested);
    EXPECT_TRUE(AppUsage().contains(QStringLiteral("--screenshot")));
}

} // namespace
} // namespace skerrow
