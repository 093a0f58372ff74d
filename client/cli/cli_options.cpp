#include "cli_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace skerrow {

namespace {

const QCommandLineOption kEngine({"e", "engine"}, "Thinking engine program to run (required).",
                                 "program");
const QCommandLineOption kTimeout("connect-timeout",
                                  "Seconds to keep trying to reach the server (default 30).",
                                  "seconds");
const QCommandLineOption kHelp({"h", "help"}, "Show this help.");

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Plays matches on a match server for a thinking engine, without a window.");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    AddConnectionOptions(parser);
    parser.addOptions({kEngine, kTimeout, kHelp});
    parser.addPositionalArgument("-- engine-arguments", "Arguments handed to the engine.");
}

} // namespace

QString CliUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText().replace(QStringLiteral("[options]"),
                                     QStringLiteral("[options] --engine PROGRAM"));
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
    options.connection = ReadConnectionOptions(parser);
    options.engineProgram = parser.value(kEngine);
    options.engineArguments = parser.positionalArguments();
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        const int seconds = parser.value(kTimeout).toInt(&ok);
        if (!ok || seconds <= 0) {
            result.error = QStringLiteral("--connect-timeout needs a whole number of seconds "
                                          "above 0, not '%1'.")
                               .arg(parser.value(kTimeout));
            return result;
        }
        options.connectTimeoutSeconds = seconds;
    }
    if (options.helpRequested) {
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
