#include "server_options.h"

#include "match_numbers.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QHostAddress>

#include <algorithm>
#include <cmath>
#include <optional>

namespace skerrow {

namespace {

constexpr double kMostSeconds = 86400.0 * 7;

const QCommandLineOption kAddress("address", "Address to listen on (default 127.0.0.1).",
                                  "address");
const QCommandLineOption kPort("port",
                               "Port to listen on (default 10000); 0 picks a free port. The "
                               "first line on standard output names the port in use.",
                               "port");
const QCommandLineOption kEndsOption("ends", "Ends per game, 1 to 10 (default 10).", "n");
const QCommandLineOption kGames("games",
                                "Games in the match (default 1); the players swap colours "
                                "every game.",
                                "n");
const QCommandLineOption kRandom("random",
                                 "Delivery error, as an offset at the tee in metres (default "
                                 "0.1; 0 plays every delivery exactly).",
                                 "metres");
const QCommandLineOption kTime("time",
                               "Each side's thinking time for a whole game, in seconds "
                               "(default 300; fractions allowed).",
                               "seconds");
const QCommandLineOption kReadyTime("ready-time",
                                    "Longest wait for a player's LOGIN and READYOK, in seconds "
                                    "(default 30; fractions allowed).",
                                    "seconds");
const QCommandLineOption kRecords("records",
                                  "Folder for the game records, one JSON-lines file per game "
                                  "(default: no records).",
                                  "folder");
const QCommandLineOption kSeed("seed",
                               "Seed of the delivery errors, 0 to 18446744073709551615: the same "
                               "seed and the same answers replay the match exactly (default: "
                               "drawn from the system's entropy and printed on standard error).",
                               "n");
const QCommandLineOption kHelp({"h", "help"}, "Show this help.");

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Plays a match between the first two players that log in, then exits.");
    parser.addOptions(
        {kAddress, kPort, kEndsOption, kGames, kRandom, kTime, kReadyTime, kRecords, kSeed, kHelp});
}

std::optional<int> WholeNumber(const QString& text, int least, int most) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

// A decimal number in the C locale's notation, finite, within the limits.
std::optional<double> Decimal(const QString& text, double least, double most) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

// Seconds above 0 as whole milliseconds, at least 1.
std::optional<std::int64_t> Milliseconds(const QString& text) {
    const std::optional<double> seconds = Decimal(text, 0.0, kMostSeconds);
    if (!seconds || *seconds <= 0.0) {
        return std::nullopt;
    }
    return std::max<std::int64_t>(1, std::llround(*seconds * 1000.0));
}

} // namespace

QString ServerUsage() {
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText();
}

ServerParseResult ParseServerOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    AddOptions(parser);
    ServerParseResult result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    ServerOptions& options = result.options;
    options.helpRequested = parser.isSet(kHelp);
    if (options.helpRequested) {
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return result;
    }
    if (parser.isSet(kAddress)) {
        options.address = parser.value(kAddress);
        QHostAddress address;
        if (!address.setAddress(options.address)) {
            result.error =
                QStringLiteral("--address needs an IP address, not '%1'.").arg(options.address);
            return result;
        }
    }
    if (parser.isSet(kPort)) {
        const std::optional<int> port = WholeNumber(parser.value(kPort), 0, 65535);
        if (!port) {
            result.error = QStringLiteral("--port needs a port number from 0 to 65535, not '%1'.")
                               .arg(parser.value(kPort));
            return result;
        }
        options.port = static_cast<std::uint16_t>(*port);
    }
    if (parser.isSet(kEndsOption)) {
        const std::optional<int> ends = WholeNumber(parser.value(kEndsOption), 1, kEnds);
        if (!ends) {
            result.error = QStringLiteral("--ends needs a whole number from 1 to 10, not '%1'.")
                               .arg(parser.value(kEndsOption));
            return result;
        }
        options.match.ends = *ends;
    }
    if (parser.isSet(kGames)) {
        const std::optional<int> games = WholeNumber(parser.value(kGames), 1, 1000000);
        if (!games) {
            result.error = QStringLiteral("--games needs a whole number above 0, not '%1'.")
                               .arg(parser.value(kGames));
            return result;
        }
        options.match.games = *games;
    }
    if (parser.isSet(kRandom)) {
        const std::optional<double> random = Decimal(parser.value(kRandom), 0.0, 10.0);
        if (!random) {
            result.error = QStringLiteral("--random needs a number of metres from 0 to 10, not "
                                          "'%1'.")
                               .arg(parser.value(kRandom));
            return result;
        }
        options.match.randomSize = static_cast<float>(*random);
    }
    if (parser.isSet(kTime)) {
        const std::optional<std::int64_t> ms = Milliseconds(parser.value(kTime));
        if (!ms) {
            result.error = QStringLiteral("--time needs a number of seconds above 0, not '%1'.")
                               .arg(parser.value(kTime));
            return result;
        }
        options.match.thinkingMs = *ms;
    }
    if (parser.isSet(kReadyTime)) {
        const std::optional<std::int64_t> ms = Milliseconds(parser.value(kReadyTime));
        if (!ms) {
            result.error =
                QStringLiteral("--ready-time needs a number of seconds above 0, not '%1'.")
                    .arg(parser.value(kReadyTime));
            return result;
        }
        options.match.readyMs = *ms;
    }
    if (parser.isSet(kSeed)) {
        bool ok = false;
        const QString text = parser.value(kSeed);
        // toULongLong takes a sign and spaces; a seed is digits only.
        const qulonglong seed = text.toULongLong(&ok, 10);
        const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        if (!ok || !digits) {
            result.error = QStringLiteral("--seed needs a whole number from 0 to "
                                          "18446744073709551615, not '%1'.")
                               .arg(text);
            return result;
        }
        options.seed = seed;
    }
    if (parser.isSet(kRecords)) {
        options.recordsFolder = parser.value(kRecords);
        if (options.recordsFolder.isEmpty()) {
            result.error = QStringLiteral("--records needs a folder.");
            return result;
        }
    }
    return result;
}

} // namespace skerrow
