#pragma once

#include "connection_settings.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <optional>
#include <string>

class QCommandLineParser;

namespace skerrow {

// The connection entries a command line may give. The window and skerrow-cli
// take the same options; entries not given come from the settings file.
struct ConnectionOptions {
    std::optional<std::string> address;
    std::optional<std::string> port;
    std::optional<std::string> id;
    std::optional<std::string> password;
    std::optional<std::string> displayName;
    QString settingsFile = QStringLiteral("./Connection.ini");
    bool settingsFileGiven = false;

    // True when any of the options was given.
    bool AnyGiven() const;
};

// --address, --port, --id, --password, --name and --settings; `helpSuffix` is
// added to each help text (for example " (with --connect)").
QList<QCommandLineOption> ConnectionOptionList(const QString& helpSuffix = {});

// Adds the options of ConnectionOptionList to the parser.
void AddConnectionOptions(QCommandLineParser& parser, const QString& helpSuffix = {});

// The options as a parser that has parsed the command line holds them.
ConnectionOptions ReadConnectionOptions(const QCommandLineParser& parser);

// The entries to check: each from the command line when given there, else
// from the settings file; the password from the command line, else from
// `passwordFromEnvironment` (the settings file never holds one).
ConnectionEntries ResolveEntries(const ConnectionOptions& options,
                                 const ConnectionEntries& fromFile,
                                 const std::optional<std::string>& passwordFromEnvironment);

// The password SKERROW_PASSWORD holds, as UTF-8, when it is set (even if
// empty); read through Qt so that Windows gives the variable's Unicode text
// rather than its ANSI code page form.
std::optional<std::string> PasswordFromEnvironment();

} // namespace skerrow
