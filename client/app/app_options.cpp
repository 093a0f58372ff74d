#include "app_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

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
const QCommandLineOption kVersion({"v", "version"}, "Show the version.");

// Every option of the program, in the order the help lists them.
QList<QCommandLineOption> AllOptions() {
    QList<QCommandLineOption> options{kEngine, kConnect};
    options += ConnectionOptionList(QStringLiteral(" (with --connect)"));
    options += {kScreenshot, kHelp, kVersion};
    return options;
}

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription("Relays networked curling matches for a thinking engine "
                                     "or a human player, and shows them.");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    // One dash or two, as Qt's own options are written, so that "-name"
    // means this program's --name and not Qt's.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(AllOptions());
    parser.addPositionalArgument("-- engine-arguments", "Arguments handed to the engine.");
}

// The option named by `word` ("-n", "--name", "-name=X"), if it is one of the
// program's.
std::optional<QCommandLineOption> OwnOption(const QString& word) {
    if (word.size() < 2 || !word.startsWith(QLatin1Char('-'))) {
        return std::nullopt;
    }
    QString name = word.mid(word.startsWith(QStringLiteral("--")) ? 2 : 1);
    name = name.left(name.indexOf(QLatin1Char('=')));
    for (const QCommandLineOption& option : AllOptions()) {
        if (option.names().contains(name)) {
            return option;
        }
    }
    return std::nullopt;
}

} // namespace

SplitArguments SplitProgramArguments(const QStringList& arguments) {
    SplitArguments split;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (i == 0) {
            split.own << word;
            split.forQt << i;
        } else if (word == QStringLiteral("--")) {
            split.own += arguments.mid(i);
            break;
        } else if (const std::optional<QCommandLineOption> option = OwnOption(word)) {
            split.own << word;
            const bool valueFollows =
                !option->valueName().isEmpty() && !word.contains(QLatin1Char('='));
            if (valueFollows && i + 1 < arguments.size()) {
                split.own << arguments[++i];
            }
        } else {
            split.forQt << i;
        }
    }
    return split;
}

QString UnknownArgumentsError(const QStringList& leftover) {
    if (leftover.size() < 2) {
        return {};
    }
    const QString& first = leftover[1];
    if (first.startsWith(QLatin1Char('-')) && first.size() > 1) {
        return QStringLiteral("Unknown option '%1'.").arg(first);
    }
    return QStringLiteral("Unexpected argument '%1'; put engine arguments after '--'.").arg(first);
}

QString AppUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    // Printed before the application exists, which would name the program.
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("skerrow"));
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
    options.versionRequested = parser.isSet(kVersion);
    options.engineProgram = parser.value(kEngine);
    options.engineArguments = parser.positionalArguments();
    options.connect = parser.isSet(kConnect);
    options.connection = ReadConnectionOptions(parser);
    options.screenshotFile = parser.value(kScreenshot);
    if (options.helpRequested || options.versionRequested) {
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
