#include "cli_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace skerrow {

namespace {

const QCommandLineOption kAddress({"a", "address"}, "Match server address (IPv4 or host name).",
                                  "host");
const QCommandLineOption kPort({"p", "port"}, "Match server port.", "port");
const QCommandLineOption kId("id", "Login ID (4 to 16 letters, digits, '-', '_', '.').", "id");
const QCommandLineOption kPassword("password",
                                   "Login password (4 to 8 characters); by default the "
                                   "environment variable SKERROW_PASSWORD.",
                                   "password");
const QCommandLineOption kName({"n", "name"}, "Display name (1 to 16 characters).", "name");
const QCommandLineOption kSettings("settings",
                                   "Settings file with the keys IP, PORT, ID and NAME of the "
                                   "section System (default: ./Connection.ini).",
                                   "file");
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
    parser.addOptions(
        {kAddress, kPort, kId, kPassword, kName, kSettings, kEngine, kTimeout, kHelp});
    parser.addPositionalArgument("-- engine-arguments", "Arguments handed to the engine.");
}

std::optional<std::string> Value(const QCommandLineParser& parser,
                                 const QCommandLineOption& option) {
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    return parser.value(option).toStdString();
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
    options.address = Value(parser, kAddress);
    options.port = Value(parser, kPort);
    options.id = Value(parser, kId);
    options.password = Value(parser, kPassword);
    options.displayName = Value(parser, kName);
    if (parser.isSet(kSettings)) {
        options.settingsFile = parser.value(kSettings);
    }
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

ConnectionEntries ResolveEntries(const CliOptions& options, const ConnectionEntries& fromFile,
                                 const std::optional<std::string>& passwordFromEnvironment) {
    ConnectionEntries entries;
    entries.address = options.address.value_or(fromFile.address);
    entries.port = options.port.value_or(fromFile.port);
    entries.id = options.id.value_or(fromFile.id);
    entries.displayName = options.displayName.value_or(fromFile.displayName);
    entries.password = options.password.value_or(passwordFromEnvironment.value_or(std::string()));
    return entries;
}

} // namespace skerrow
