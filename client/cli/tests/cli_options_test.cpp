#include "cli_options.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

using namespace skerrow;

namespace {

CliParseResult Parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("skerrow-cli"));
    return ParseCliOptions(arguments);
}

} // namespace

TEST(CliOptions, ReadsConnectionEntriesEngineAndItsArguments) {
    const CliParseResult result =
        Parse({"--address", "localhost", "-p", "9000", "--id", "abcd", "--name", "Bot",
               "--connect-timeout", "5", "--engine", "./engine", "--", "--level", "3"});
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    const CliOptions& options = result.options;
    EXPECT_EQ(options.connection.address, "localhost");
    EXPECT_EQ(options.connection.port, "9000");
    EXPECT_EQ(options.connection.id, "abcd");
    EXPECT_EQ(options.connection.displayName, "Bot");
    EXPECT_FALSE(options.connection.password.has_value());
    EXPECT_EQ(options.connectTimeoutSeconds, 5);
    EXPECT_EQ(options.engineProgram, "./engine");
    EXPECT_EQ(options.engineArguments, (QStringList{"--level", "3"}));
}

TEST(CliOptions, RefusesWhatItCannotUse) {
    const QStringList bad[] = {
        {"--engine"},                                   // missing value
        {"--port", "9000"},                             // no engine
        {"--bogus", "--engine", "e"},                   // unknown option
        {"--engine", "e", "stray"},                     // an argument outside "--"
        {"--engine", "e", "--connect-timeout", "0"},    // no time at all
        {"--engine", "e", "--connect-timeout", "soon"}, // not a number
        // A millisecond count beyond 32 bits would never time out.
        {"--engine", "e", "--connect-timeout", "2147484"},
        {"--engine", "e", "--connect-timeout", "86401"},
        {"--engine", "e", "--engine-grace", "-1"},
        {"--engine", "e", "--engine-grace", "61"},
        {"--engine", "e", "--engine-grace", "nan"},
        {"--engine", "e", "--engine-grace", "inf"},
    };
    for (const QStringList& arguments : bad) {
        EXPECT_FALSE(Parse(arguments).error.isEmpty()) << arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(Parse({"--help"}).error.isEmpty());
    EXPECT_TRUE(Parse({"--help"}).options.helpRequested);
    EXPECT_TRUE(Parse({"--version"}).options.versionRequested);
    // The message names the range.
    EXPECT_TRUE(Parse({"--engine", "e", "--connect-timeout", "2147484"})
                    .error.contains(QStringLiteral("from 1 to 86400")));
}

TEST(CliOptions, TheEngineGetsItsGracePeriodInMilliseconds) {
    EXPECT_EQ(Parse({"--engine", "e"}).options.engineGraceMs, 3000);
    EXPECT_EQ(Parse({"--engine", "e", "--engine-grace", "0.25"}).options.engineGraceMs, 250);
    EXPECT_EQ(Parse({"--engine", "e", "--engine-grace", "0"}).options.engineGraceMs, 0);
    EXPECT_EQ(Parse({"--engine", "e", "--connect-timeout", "86400"}).options.connectTimeoutSeconds,
              86400);
}

TEST(CliOptions, CommandLineOverridesTheSettingsFileAndTheEnvironment) {
    ConnectionOptions options;
    options.port = "7000";
    ConnectionEntries file;
    file.address = "10.0.0.1";
    file.port = "6000";
    file.id = "fileid";
    file.displayName = "FileName";
    ConnectionEntries entries = ResolveEntries(options, file, std::string("secret"));
    EXPECT_EQ(entries.address, "10.0.0.1");
    EXPECT_EQ(entries.port, "7000");
    EXPECT_EQ(entries.id, "fileid");
    EXPECT_EQ(entries.password, "secret");

    options.password = "given";
    EXPECT_EQ(ResolveEntries(options, file, std::string("secret")).password, "given");
    options.password.reset();
    EXPECT_EQ(ResolveEntries(options, file, std::nullopt).password, "");
}

TEST(CliOptions, PasswordFromEnvironmentTellsUnsetFromEmptyAndKeepsUtf8) {
    const QByteArray saved = qgetenv("SKERROW_PASSWORD");
    const bool wasSet = qEnvironmentVariableIsSet("SKERROW_PASSWORD");

    qunsetenv("SKERROW_PASSWORD");
    EXPECT_EQ(PasswordFromEnvironment(), std::nullopt);
    qputenv("SKERROW_PASSWORD", QByteArray());
    EXPECT_EQ(PasswordFromEnvironment(), std::optional<std::string>(""));
    qputenv("SKERROW_PASSWORD", QStringLiteral(u"pa\u00dfw").toUtf8());
    EXPECT_EQ(PasswordFromEnvironment(), std::optional<std::string>("pa\xc3\x9fw"));

    if (wasSet) {
        qputenv("SKERROW_PASSWORD", saved);
    } else {
        qunsetenv("SKERROW_PASSWORD");
    }
}
