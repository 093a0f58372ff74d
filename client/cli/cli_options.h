#pragma once

#include "connection_options.h"
#include "engine_bridge.h"

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
    // How long to keep trying to reach the server, in seconds.
    int connectTimeoutSeconds = 30;
    // How long the engine has to end by itself once its input is closed at
    // the end of the run, in milliseconds.
    int engineGraceMs = EngineBridge::kDefaultGracePeriodMs;
    bool helpRequested = false;
    bool versionRequested = false;
};

// The ranges the options accept, in seconds: up to a day of waiting for the
// server (far beyond any use, and well within the timer's millisecond
// count), up to a minute for the engine to finish.
inline constexpr int kMaxConnectTimeoutSeconds = 86400;
inline constexpr double kMaxEngineGraceSeconds = 60.0;

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

// The line printed for --version.
QString CliVersion();

} // namespace skerrow
