#pragma once

#include "connection_options.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace skerrow {

// What the command line of skerrow-cli asks for.
struct CliOptions {
    // Connection entries given on the command line; unset ones come from the
    // settings file (and the password from the environment).
    ConnectionOptions connection;
    QString engineProgram;
    QStringList engineArguments;
    int connectTimeoutSeconds = 30;
    bool helpRequested = false;
};

// The options, or the message that says what is wrong with them.
struct CliParseResult {
    CliOptions options;
    QString error; // empty when the command line was understood
};

// Reads the arguments (the program name first). Everything after "--" is
// handed to the engine as its arguments.
CliParseResult ParseCliOptions(const QStringList& arguments);

// The usage text printed for --help and after a usage error.
QString CliUsage();

} // namespace skerrow
