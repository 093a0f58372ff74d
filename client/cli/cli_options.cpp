#include "cli_options.h"

#include "skerrow_version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cmath>

namespace skerrow {

namespace {

const QCommandLineOption kEngine({"e", "engine"}, "Thinking engine program to run (required).",
                                 "program");
const QCommandLineOption kTimeout("connect-timeout",
                                  "Seconds to keep trying to reach the server, 1 to 86400 "
                                  "(default 30).",
                                  "seconds");
const QCommandLineOption kGrace("engine-grace",
                                "Seconds the engine has to end by itself once the game is over "
                                "and its input is closed, before it is killed; 0 to 60, "
                                "fractions allowed (default 3).",
                                "seconds");
const QCommandLineOption kHelp({"h", "help"}, "Show this help.");
const QCommandLineOption kVersion({"v", "version"}, "Show the version.");

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Plays matches on a match server for a thinking engine, without a window.");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    AddConnectionOptions(parser);
    parser.addOptions({kEngine, kTimeout, kGrace, kHelp, kVersion});
    parser.addPositionalArgument("-- engine-arguments", "Arguments handed to the engine.");
}

} // namespace

QString CliUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText().replace(QStringLiteral("[options]"),
                                     QStringLiteral("[options] --engine PROGRAM"));
}

QString CliVersion() {
    return QStringLiteral("skerrow-cli, Version %1").arg(QLatin1String(kSkerrowVersion));
}

CliParseResult ParseCliOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    AddOptions(parser);
    CliParseResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    CliOptions& options = result.options;
    options.helpRequested = parser.isSet(kHelp);
    options.versionRequested = parser.isSet(kVersion);
    options.connection = ReadConnectionOptions(parser);
    options.engineProgram = parser.value(kEngine);
    options.engineArguments = parser.positionalArguments();
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        const int seconds = parser.value(kTimeout).toInt(&ok);
        if (!ok || seconds < 1 || seconds > kMaxConnectTimeoutSeconds) {
            result.error = QStringLiteral("--connect-timeout needs a whole number of seconds "
                                          "from 1 to %1, not '%2'.")
                               .arg(kMaxConnectTimeoutSeconds)
                               .arg(parser.value(kTimeout));
            return result;
        }
        options.connectTimeoutSeconds = seconds;
    }
    if (parser.isSet(kGrace)) {
        bool ok = false;
        const double seconds = parser.value(kGrace).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0.0 || seconds > kMaxEngineGraceSeconds) {
            result.error = QStringLiteral("--engine-grace needs a number of seconds from 0 to "
                                          "%1, not '%2'.")
                               .arg(kMaxEngineGraceSeconds)
                               .arg(parser.value(kGrace));
            return result;
        }
        options.engineGraceMs = static_cast<int>(std::lround(seconds * 1000.0));
    }
    if (options.helpRequested || options.versionRequested) {
        return result;
    }
    if (options.engineProgram.isEmpty()) {
        result.error = QStringLiteral("An engine is required: name its program with --engine.");
    } else if (!options.engineArguments.isEmpty() && !arguments.contains(QStringLiteral("--"))) {
        result.error = QStringLiteral("Unexpected argument '%1'; put engine arguments after '--'.")
                           .arg(options.engineArguments.first());
    }
    return result;
}

} // namespace skerrow
