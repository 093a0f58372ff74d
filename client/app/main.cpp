// skerrow: the desktop client. One window relays a match between the server
// and a thinking engine, or lets a human aim the shots, and shows the sheet,
// the score and every shot.

#include "about_dlg.h"
#include "app_options.h"
#include "connection_settings.h"
#include "console_prompts.h"
#include "idle_screenshot.h"
#include "message_box_prompts.h"
#include "program_arguments.h"
#include "qt_translations.h"
#include "rink_images.h"
#include "settings_file.h"
#include "skerrow_dlg.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>
#include <vector>

using namespace skerrow;

namespace {

int UsageError(const QString& error) {
    std::fprintf(stderr, "skerrow: %s\nTry 'skerrow --help'.\n", error.toUtf8().constData());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // The program's own options are read before Qt sees the command line: Qt
    // would take some of them as its own (--name on X11), and --help and
    // --version must work where no display can be opened.
    const SplitArguments split = SplitProgramArguments(ProgramArguments(argc, argv));
    const AppParseResult parsed = ParseAppOptions(split.own);
    if (!parsed.error.isEmpty()) {
        return UsageError(parsed.error);
    }
    const AppOptions& options = parsed.options;
    if (options.helpRequested) {
        std::fputs(AppUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (options.versionRequested) {
        std::printf("%s\n", CAboutDlg::VersionLine().toUtf8().constData());
        return 0;
    }

    std::vector<char*> forQt;
    for (const int index : split.forQt) {
        forQt.push_back(argv[index]);
    }
    forQt.push_back(nullptr);
    int qtArgc = static_cast<int>(forQt.size()) - 1;
    QApplication app(qtArgc, forQt.data());
    QApplication::setOrganizationName(QStringLiteral("Skerrow"));
    QApplication::setApplicationName(QStringLiteral("skerrow"));
    const QString unknown = UnknownArgumentsError(QCoreApplication::arguments());
    if (!unknown.isEmpty()) {
        return UsageError(unknown);
    }
    const std::unique_ptr<QTranslator> qtTexts =
        InstallQtTranslations(QCoreApplication::applicationDirPath());

    // With no screen, nobody could close a message box: its text goes to the
    // standard error instead.
    std::unique_ptr<UserPrompts> prompts;
    if (ConsolePrompts::IsHeadlessPlatform()) {
        prompts = std::make_unique<ConsolePrompts>(stderr);
    } else {
        prompts = std::make_unique<MessageBoxPrompts>();
    }

    DlgSetup setup;
    setup.imageFolder =
        RinkImages::FindImageFolder(QDir::currentPath(), QCoreApplication::applicationDirPath());
    setup.libraryFolder = QCoreApplication::applicationDirPath();
    CSkerrowDlg window(setup, *prompts);
    if (!window.Initialise()) {
        return 1;
    }
    window.show();

    if (!options.engineProgram.isEmpty()) {
        window.StartEngine(options.engineProgram, options.engineArguments);
    }
    bool connecting = false;
    if (options.connect) {
        const ConnectionEntries entries =
            ResolveEntries(options.connection, ReadSettingsFile(options.connection.settingsFile),
                           PasswordFromEnvironment());
        ConnectionSettings settings;
        if (const std::optional<std::string> problem = CheckConnectionEntries(entries, settings)) {
            // Said once the window shows; it stays unconnected.
            const QString text = QString::fromStdString(*problem);
            QTimer::singleShot(0, &window, [&prompts, text] {
                prompts->ShowError(
                    QString::fromUtf8(kInputErrorTitle.data(),
                                      static_cast<qsizetype>(kInputErrorTitle.size())),
                    text);
            });
        } else {
            window.ConnectTo(settings);
            connecting = true;
        }
    }

    std::unique_ptr<IdleScreenshot> screenshot;
    if (!options.screenshotFile.isEmpty()) {
        screenshot = std::make_unique<IdleScreenshot>(window, options.screenshotFile);
        if (connecting) {
            screenshot->WaitForServer();
        }
        QObject::connect(
            screenshot.get(), &IdleScreenshot::done, &app, [](bool ok, const QString& message) {
                if (!ok) {
                    std::fprintf(stderr, "skerrow: %s\n", message.toUtf8().constData());
                }
                QCoreApplication::exit(ok ? 0 : 1);
            });
        screenshot->Start();
    }
    return app.exec();
}
