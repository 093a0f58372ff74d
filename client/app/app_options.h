#pragma once

#include "connection_options.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace skerrow {

// What the command line of skerrow asks for. Without options the program
// starts unconnected and without an engine, and the user does the rest.
struct AppOptions {
    // The thinking engine to start at once; empty for none. Everything after
    // "--" is handed to it as its arguments.
    QString engineProgram;
    QStringList engineArguments;

    // Connect at start-up, with the entries of the settings file unless given
    // on the command line (the password from the command line, else from the
    // environment).
    bool connect = false;
    ConnectionOptions connection;

    // Write the window's picture to this PNG file once the window is idle
    // (when connecting, once the server has said something), then end the
    // program; empty for a normal run.
    QString screenshotFile;

    bool helpRequested = false;
};

struct AppParseResult {
    AppOptions options;
    QString error; // empty when the command line was understood
};

// Reads the arguments (the program name first, as from
// QCoreApplication::arguments()).
AppParseResult ParseAppOptions(const QStringList& arguments);

// The text printed for --help and after a usage error.
QString AppUsage();

} // namespace skerrow
