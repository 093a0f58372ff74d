// skerrow-cli: plays matches on a match server for a thinking engine, with no
// window.

#include "cli_app.h"
#include "cli_options.h"
#include "connection_settings.h"
#include "physics_binding.h"
#include "settings_file.h"

#include <QCoreApplication>

#include <cstdio>

using namespace skerrow;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    const CliParseResult parsed = ParseCliOptions(QCoreApplication::arguments());
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "skerrow-cli: %s\nTry 'skerrow-cli --help'.\n",
                     parsed.error.toUtf8().constData());
        return 2;
    }
    if (parsed.options.helpRequested) {
        std::fputs(CliUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (parsed.options.versionRequested) {
        std::printf("%s\n", CliVersion().toUtf8().constData());
        return 0;
    }

    const ConnectionOptions& given = parsed.options.connection;
    const ConnectionEntries entries =
        ResolveEntries(given, ReadSettingsFile(given.settingsFile), PasswordFromEnvironment());
    ConnectionSettings settings;
    if (const std::optional<std::string> problem = CheckConnectionEntries(entries, settings)) {
        std::fprintf(stderr, "skerrow-cli: %s: %s\n", std::string(kInputErrorTitle).c_str(),
                     problem->c_str());
        return 2;
    }

    PhysicsBinding physics(QCoreApplication::applicationDirPath());
    if (!physics.Load()) {
        std::fprintf(stderr, "skerrow-cli: %s: %s\n", physics.ErrorTitle().toUtf8().constData(),
                     physics.failureMessage().toUtf8().constData());
        return 1;
    }

    CliApp cli(physics, stdout, stderr);
    int status = 1;
    QObject::connect(&cli, &CliApp::finished, &app, [&status](int exitStatus) {
        status = exitStatus;
        QCoreApplication::exit(exitStatus);
    });
    if (!cli.Start(parsed.options, settings)) {
        return 1;
    }
    app.exec();
    return status;
}
