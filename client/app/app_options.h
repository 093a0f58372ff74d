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
    bool versionRequested = false;
};

struct AppParseResult {
    AppOptions options;
    QString error; // empty when the command line was understood
};

// Reads the arguments (the program name first): the `own` part of
// SplitProgramArguments. An option may be written with one dash or two
// ("-name" is "--name").
AppParseResult ParseAppOptions(const QStringList& arguments);

// The command line shared out between this program and Qt. QApplication
// takes the options it knows out of the command line (-platform, -style,
// and on X11 -display, -name, -title, ... also with two dashes), some spelt
// as this program's own, so these are taken out before Qt sees any.
struct SplitArguments {
    // The program name, this program's options with their values, and
    // everything from "--" on.
    QStringList own;
    // Positions in the command line of the words for Qt: the program name
    // and everything else. What Qt does not take of them is an error
    // (UnknownArgumentsError).
    QList<int> forQt;
};
SplitArguments SplitProgramArguments(const QStringList& arguments);

// The usage error for what is left of the command line once Qt has taken
// its own options (the program name first); empty when nothing is left.
QString UnknownArgumentsError(const QStringList& leftover);

// The text printed for --help and after a usage error.
QString AppUsage();

} // namespace skerrow
