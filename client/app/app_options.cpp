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
    parser.addOptions({kEngine, kConnect});
    AddConnectionOptions(parser, QStringLiteral(" (with --connect)"));
    parser.addOptions({kScreenshot, kHelp});
    parser.addPositionalArgument("-- engine-arguments", "Arguments handed to the engine.");
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
    options.connection = ReadConnectionOptions(parser);
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
    } else if (!options.connect && options.connection.AnyGiven()) {
        result.error = QStringLiteral("The connection options only apply with --connect.");
    } else if (parser.isSet(kScreenshot) && options.screenshotFile.isEmpty()) {
        result.error = QStringLiteral("--screenshot needs a file name.");
    }
    return result;
}

} // namespace skerrow
