#pragma once

// The match server's command line.

#include "match_referee.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace skerrow {

struct ServerOptions {
    // Address to listen on: an IPv4 or IPv6 address.
    QString address = QStringLiteral("127.0.0.1");
    // Port to listen on; 0 picks a free one.
    std::uint16_t port = 10000;
    // How the match is played; readyMs also bounds the wait for LOGIN.
    MatchConfig match;
    // Folder for the game records; empty for none.
    QString recordsFolder;
    // The match seed of the delivery errors; none draws one from the
    // operating system's entropy when the server starts.
    std::optional<std::uint64_t> seed;
    bool helpRequested = false;
};

struct ServerParseResult {
    ServerOptions options;
    // Empty when the command line was read; otherwise what is wrong with it.
    QString error;
};

// Reads the arguments (the program name first, as from
// QCoreApplication::arguments()).
ServerParseResult ParseServerOptions(const QStringList& arguments);

// The help text.
QString ServerUsage();

} // namespace skerrow
