#include "app_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace skerrow {

namespace {

const QCommandLineOption kEngine({"e", "engine"},
                                 "Thinking engine program to start at once; its arguments go "
                                 "after '--'.",
                                 "program");
const QCommandLineOption kConnect("connect",
                                  "Connect to the match server at start-up, with the entries of "
                                  "the settings file unless given below.");
const QCommandLineOption kAddress({"a", "address"}, "Match server address (with --connect).",
                                  "host");
const QCommandLineOption kPort({"p", "port"}, "Match server port (with --connect).", "port");
const QCommandLineOption kId("id", "Login ID (with --connect).", "id");
const QCommandLineOption kPassword("password",
                                   "Login password (with --connect); by default the environment "
                                   "variable SKERROW_PASSWORD.",
                                   "password");
const QCommandLineOption kName({"n", "name"}, "Display name (with --connect).", "name");
const QCommandLineOption kSettings("settings",
                                   "Settings file with the keys IP, PORT, ID and NAME of the "
                                   "section System (default: ./Connection.ini).",
                                   "file");
const QCommandLineOption kScreenshot("screenshot",
                                     "Write a PNG picture of the window to FILE once it is idle "
                                     "(with --connect: once the server has said something and "
                                     "all of it is shown), then quit.",
                                     "file");
const QCommandLineOption kHelp({"h", "help"}, "Show this help.");

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Relays networked curling matches for a thinking engine "
                                     "or a human player, and shows them.");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOptions(
        {kEngine, kConnect, kAddress, kPort, kId, kPassword, kName, kSettings, kScreenshot, kHelp});
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

QString AppUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText();
}

AppParseResult ParseAppOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    AddOptions(parser);
    AppParseResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    AppOptions& options = result.options;
    options.helpRequested = parser.isSet(kHelp);
    options.engineProgram = parser.value(kEngine);
    options.engineArguments = parser.positionalArguments();
    options.connect = parser.isSet(kConnect);
    options.address = Value(parser, kAddress);
    options.port = Value(parser, kPort);
    options.id = Value(parser, kId);
    options.password = Value(parser, kPassword);
    options.displayName = Value(parser, kName);
    if (parser.isSet(kSettings)) {
        options.settingsFile = parser.value(kSettings);
    }
    options.screenshotFile = parser.value(kScreenshot);
    if (options.helpRequested) {
        return result;
    }

    // "--" ends the options; anything before it that is no option is a slip.
    const bool hasSeparator = arguments.contains(QStringLiteral("--"));
    if (!options.engineArguments.isEmpty() && !hasSeparator) {
        result.error = QStringLiteral("Unexpected argument '%1'; put engine arguments after '--'.")
                           .arg(options.engineArguments.first());
    } else if (!options.engineArguments.isEmpty() && options.engineProgram.isEmpty()) {
        result.error = QStringLiteral("Engine arguments were given but no engine: name its "
                                      "program with --engine.");
    } else if (!options.connect &&
               (options.address || options.port || options.id || options.password ||
                options.displayName || parser.isSet(kSettings))) {
        result.error = QStringLiteral("The connection options only apply with --connect.");
    } else if (parser.isSet(kScreenshot) && options.screenshotFile.isEmpty()) {
        result.error = QStringLiteral("--screenshot needs a file name.");
    }
    return result;
}

ConnectionEntries ResolveConnectEntries(const AppOptions& options,
                                        const ConnectionEntries& fromFile,
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
