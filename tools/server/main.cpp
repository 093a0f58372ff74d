// skerrow-server: a match server for two players. Listens, lets the first two
// players that log in play a match, writes the results and exits.

#include "match_server.h"
#include "server_options.h"

#include <QCoreApplication>

#include <cstdio>

using namespace skerrow;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    const ServerParseResult parsed = ParseServerOptions(QCoreApplication::arguments());
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "skerrow-server: %s\nTry 'skerrow-server --help'.\n",
                     parsed.error.toUtf8().constData());
        return 2;
    }
    if (parsed.options.helpRequested) {
        std::fputs(ServerUsage().toUtf8().constData(), stdout);
        return 0;
    }

    MatchServer server(parsed.options, stdout, stderr);
    int status = 1;
    QObject::connect(&server, &MatchServer::finished, &app, [&status](int exitStatus) {
        status = exitStatus;
        QCoreApplication::exit(exitStatus);
    });
    if (!server.Start()) {
        return 1;
    }
    app.exec();
    return status;
}
