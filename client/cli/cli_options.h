#pragma once

#include "connection_settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace skerrow {

// What the command line of skerrow-cli asks for.
struct CliOptions {
    // Connection entries given on the command line; unset ones come from the
    // settings file (and the password from the environment).
    std::optional<std::string> address;
    std::optional<std::string> port;
    std::optional<std::string> id;
    std::optional<std::string> password;
    std::optional<std::string> displayName;
    QString settingsFile = QStringLiteral("Connection.ini");
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

// The connection entries to check: each from the command line when given
// there, else from the settings file; the password from the command line,
// else from the environment variable's value.
ConnectionEntries ResolveEntries(const CliOptions& options, const ConnectionEntries& fromFile,
                                 const std::optional<std::string>& passwordFromEnvironment);

} // namespace skerrow
