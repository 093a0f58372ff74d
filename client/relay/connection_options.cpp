#include "connection_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QtGlobal>

namespace skerrow {

namespace {

std::optional<std::string> Value(const QCommandLineParser& parser, const QString& name) {
    if (!parser.isSet(name)) {
        return std::nullopt;
    }
    return parser.value(name).toStdString();
}

} // namespace

bool ConnectionOptions::AnyGiven() const {
    return address || port || id || password || displayName || settingsFileGiven;
}

QList<QCommandLineOption> ConnectionOptionList(const QString& helpSuffix) {
    const auto help = [&](const char* text) { return QString::fromUtf8(text) + helpSuffix + '.'; };
    return {
        {{"a", "address"}, help("Match server address (IPv4 or host name)"), "host"},
        {{"p", "port"}, help("Match server port"), "port"},
        {"id", help("Login ID (4 to 16 letters, digits, '-', '_', '.')"), "id"},
        {"password",
         help("Login password (4 to 8 characters; by default the environment variable "
              "SKERROW_PASSWORD)"),
         "password"},
        {{"n", "name"}, help("Display name (1 to 16 characters)"), "name"},
        {"settings",
         help("Settings file with the keys IP, PORT, ID and NAME of the section System "
              "(default: ./Connection.ini)"),
         "file"},
    };
}

void AddConnectionOptions(QCommandLineParser& parser, const QString& helpSuffix) {
    parser.addOptions(ConnectionOptionList(helpSuffix));
}

ConnectionOptions ReadConnectionOptions(const QCommandLineParser& parser) {
    ConnectionOptions options;
    options.address = Value(parser, QStringLiteral("address"));
    options.port = Value(parser, QStringLiteral("port"));
    options.id = Value(parser, QStringLiteral("id"));
    options.password = Value(parser, QStringLiteral("password"));
    options.displayName = Value(parser, QStringLiteral("name"));
    options.settingsFileGiven = parser.isSet(QStringLiteral("settings"));
    if (options.settingsFileGiven) {
        options.settingsFile = parser.value(QStringLiteral("settings"));
    }
    return options;
}

ConnectionEntries ResolveEntries(const ConnectionOptions& options,
                                 const ConnectionEntries& fromFile,
                                 const std::optional<std::string>& passwordFromEnvironment) {
    ConnectionEntries entries;
    entries.address = options.address.value_or(fromFile.address);
    entries.port = options.port.value_or(fromFile.port);
    entries.id = options.id.value_or(fromFile.id);
    entries.displayName = options.displayName.value_or(fromFile.displayName);
    entries.password = options.password.value_or(passwordFromEnvironment.value_or(std::string()));
    return entries;
}

std::optional<std::string> PasswordFromEnvironment() {
    constexpr const char* kVariable = "SKERROW_PASSWORD";
    if (!qEnvironmentVariableIsSet(kVariable)) {
        return std::nullopt;
    }
    return qEnvironmentVariable(kVariable).toStdString();
}

} // namespace skerrow
