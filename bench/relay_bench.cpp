// The relay's own latency on loopback. A match server (a QTcpServer here) and
// an engine that echoes every message (echo_engine) talk through a real
// RelaySession: the server writes "ECHO <n>", the relay passes it to the
// engine, the engine writes it back as a line with the moment it read it, and
// the relay passes that line, a word it does not know, to the server. One
// iteration is one such round trip, timed from the server's write to the
// reply's arrival at the server.
//
// The time reported is the round trip. The counters give percentiles over the
// iterations, in microseconds: of the round trip (rtt_*), of the way from the
// server to the engine (to_engine_*) and of the way back (to_server_*); the
// two ways come from the engine's time stamp on the shared steady clock.

#include "connection_settings.h"
#include "relay_events.h"
#include "relay_ports.h"
#include "relay_session.h"

#include <benchmark/benchmark.h>

#include <QAbstractSocket>
#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Longest wait for any one step; only a broken relay runs into it.
constexpr int kStepTimeoutMs = 5000;

// The front end's part, with nothing to show or plan.
struct Headless final : skerrow::RelayEvents, skerrow::ReadyPrompt, skerrow::ShotPlanner {
    void AskReady() override {}
    bool CreateShot(ShotPos, ShotVec&) override { return false; }
};

// Runs the event loop until `done` holds; false when the step times out.
template <typename Predicate> bool RunUntil(Predicate done) {
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&timedOut] { timedOut = true; });
    watchdog.start(kStepTimeoutMs);
    while (!done() && !timedOut) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return !timedOut;
}

std::int64_t Nanoseconds(Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0.0;
    }
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank),
                     values.end());
    return values[rank];
}

// The server's end of the link, collecting zero-ended messages.
class ServerEnd {
public:
    bool Accept(QTcpServer& server) {
        if (!RunUntil([&server] { return server.hasPendingConnections(); })) {
            return false;
        }
        m_socket = server.nextPendingConnection();
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QObject::connect(m_socket, &QTcpSocket::readyRead,
                         [this] { m_received += m_socket->readAll(); });
        return true;
    }

    void Send(const QByteArray& message) {
        m_socket->write(message + '\0');
        m_socket->flush();
    }

    // Waits for the next message from the relay; empty on a timeout.
    std::optional<QByteArray> Next() {
        if (!RunUntil([this] { return m_received.contains('\0'); })) {
            return std::nullopt;
        }
        const qsizetype end = m_received.indexOf('\0');
        QByteArray message = m_received.left(end);
        m_received.remove(0, end + 1);
        return message;
    }

private:
    QTcpSocket* m_socket = nullptr; // owned by the QTcpServer
    QByteArray m_received;
};

void BM_RelayRoundTrip(benchmark::State& state) {
    QTcpServer server;
    QTemporaryDir logs;
    if (!server.listen(QHostAddress::LocalHost) || !logs.isValid()) {
        state.SkipWithError("no loopback server");
        return;
    }
    Headless headless;
    skerrow::RelaySession session(headless, headless, headless, nullptr, logs.path().toStdString());
    session.StartEngine(QStringLiteral(ECHO_ENGINE_PATH));
    skerrow::ConnectionSettings settings;
    settings.address = "127.0.0.1";
    settings.port = server.serverPort();
    settings.id = "bench";
    settings.password = "bench";
    settings.displayName = "bench";
    session.ConnectTo(settings);

    ServerEnd link;
    if (!link.Accept(server) || !link.Next()) { // the LOGIN
        state.SkipWithError("the relay did not log in");
        return;
    }
    // One trip before timing, so that the engine has surely started.
    link.Send("ECHO warm-up");
    if (!link.Next()) {
        state.SkipWithError("no answer from the engine");
        return;
    }

    std::vector<double> roundTrips;
    std::vector<double> toEngine;
    std::vector<double> toServer;
    std::int64_t counter = 0;
    for (auto _ : state) {
        const QByteArray message = "ECHO " + QByteArray::number(++counter);
        const Clock::time_point sent = Clock::now();
        link.Send(message);
        const std::optional<QByteArray> reply = link.Next();
        const Clock::time_point arrived = Clock::now();
        if (!reply || !reply->startsWith(message + ' ')) {
            state.SkipWithError("the reply did not come back unchanged");
            break;
        }
        const std::int64_t readAt = reply->mid(message.size() + 1).toLongLong();
        const double total = std::chrono::duration<double>(arrived - sent).count();
        state.SetIterationTime(total);
        roundTrips.push_back(total * 1e6);
        toEngine.push_back(static_cast<double>(readAt - Nanoseconds(sent)) / 1e3);
        toServer.push_back(static_cast<double>(Nanoseconds(arrived) - readAt) / 1e3);
    }

    state.counters["rtt_p50_us"] = Percentile(roundTrips, 0.5);
    state.counters["rtt_p99_us"] = Percentile(roundTrips, 0.99);
    state.counters["to_engine_p50_us"] = Percentile(toEngine, 0.5);
    state.counters["to_engine_p99_us"] = Percentile(toEngine, 0.99);
    state.counters["to_server_p50_us"] = Percentile(toServer, 0.5);
    state.counters["to_server_p99_us"] = Percentile(toServer, 0.99);
    session.Disconnect();
}
BENCHMARK(BM_RelayRoundTrip)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

// The relay needs an event loop, and so a QCoreApplication, around the runs.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QCoreApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
