// The Qt server over loopback with scripted players on QTcpSockets, and the
// program itself: its first line, its exit status. Every wait ends on an
// event; the time limit is a safety net only.
#include "event_loop_wait.h"
#include "match_server.h"
#include "message_framing.h"
#include "protocol_words.h"
#include "server_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace skerrow;

namespace {

using test::kWaitMs;
using test::WaitFor;

std::string DrawToTee() {
    ShotVec shot{};
    CreateShot({2.375f, 4.88f, 0}, &shot);
    return "BESTSHOT " + FormatReal(shot.vx) + " " + FormatReal(shot.vy) + " 0";
}

// A player on a socket: sends its first message on connecting, answers
// ISREADY, and answers every GO with what `onGo` returns (nothing: no answer;
// "CLOSE": it hangs up instead). Keeps every message it received.
class LoopbackPlayer {
public:
    using OnGo = std::function<std::optional<std::string>(int goNumber)>;

    LoopbackPlayer(quint16 port, const std::string& firstMessage, OnGo onGo)
        : m_onGo(std::move(onGo)) {
        QObject::connect(&m_socket, &QTcpSocket::connected, &m_socket,
                         [this, firstMessage] { Send(firstMessage); });
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket, [this] { Read(); });
        QObject::connect(&m_socket, &QTcpSocket::disconnected, &m_socket,
                         [this] { closed = true; });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }

    bool Has(const std::string& message) const {
        return std::find(received.begin(), received.end(), message) != received.end();
    }
    int Count(const std::string& word) const {
        return static_cast<int>(std::count_if(received.begin(), received.end(), [&](const auto& m) {
            return m.substr(0, m.find(' ')) == word;
        }));
    }

    std::vector<std::string> received;
    bool closed = false;

private:
    void Send(const std::string& text) {
        m_socket.write(QByteArray::fromStdString(text).append('\0'));
    }

    void Read() {
        const QByteArray bytes = m_socket.readAll();
        for (const std::string& message :
             m_framer.Feed(std::string_view(bytes.constData(), bytes.size())).messages) {
            received.push_back(message);
            if (message == "ISREADY") {
                Send("READYOK");
            } else if (message.rfind("GO ", 0) == 0) {
                const std::optional<std::string> answer = m_onGo(m_goes++);
                if (answer == "CLOSE") {
                    m_socket.disconnectFromHost();
                    return;
                }
                if (answer) {
                    Send(*answer);
                }
            }
        }
    }

    QTcpSocket m_socket;
    ZeroFramer m_framer;
    OnGo m_onGo;
    int m_goes = 0;
};

LoopbackPlayer::OnGo ThrowAway() {
    return [](int) { return std::optional<std::string>("BESTSHOT 0 0 0"); };
}

LoopbackPlayer::OnGo DrawFirstThenThrowAway() {
    return
        [](int go) { return std::optional<std::string>(go == 0 ? DrawToTee() : "BESTSHOT 0 0 0"); };
}

std::string Contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) {
        text.append(buffer, n);
    }
    return text;
}

class ServerOverLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_options.port = 0;
        m_options.match.ends = 1;
        m_options.match.randomSize = 0.0f;
        m_options.recordsFolder = m_folder.filePath("records");
    }

    void TearDown() override {
        std::fclose(m_out);
        std::fclose(m_err);
    }

    void StartServer() {
        m_server = std::make_unique<MatchServer>(m_options, m_out, m_err);
        QObject::connect(m_server.get(), &MatchServer::finished,
                         [this](int status) { m_status = status; });
        ASSERT_TRUE(m_server->Start()) << Contents(m_err);
    }

    QTemporaryDir m_folder;
    ServerOptions m_options;
    std::FILE* m_out = std::tmpfile();
    std::FILE* m_err = std::tmpfile();
    std::unique_ptr<MatchServer> m_server;
    std::optional<int> m_status;
};

TEST_F(ServerOverLoopback, PlaysAOneEndGameAndClosesBothConnections) {
    StartServer();
    LoopbackPlayer alice(m_server->port(), "LOGIN alice pass1 Alice", DrawFirstThenThrowAway());
    LoopbackPlayer bob(m_server->port(), "LOGIN bob pass2 Bob", ThrowAway());
    ASSERT_TRUE(WaitFor([&] { return m_status && alice.closed && bob.closed; })) << Contents(m_err);

    EXPECT_EQ(*m_status, 0);
    for (const LoopbackPlayer* player : {&alice, &bob}) {
        ASSERT_FALSE(player->received.empty());
        EXPECT_EQ(player->received.front(), "NEWGAME Alice Bob");
        EXPECT_EQ(player->received.back(), "GAMEOVER");
        EXPECT_EQ(player->Count("RUNSHOT"), 16);
        EXPECT_EQ(player->Count("POSITION"), 17); // one per stone, one after the end
        EXPECT_EQ(player->Count("GO"), 8);
        EXPECT_TRUE(player->Has("SCORE 1"));
    }
    EXPECT_TRUE(alice.Has("RUN" + DrawToTee().substr(4)));

    const std::string out = Contents(m_out);
    EXPECT_EQ(out, "Listening on 127.0.0.1:" + std::to_string(m_server->port()) +
                       "\nGame 1: Alice 1 - 0 Bob (Alice wins)\n"
                       "Match over after 1 game: Alice 1 - 0 Bob in games won, 0 drawn, points 1 "
                       "- 0; Alice wins the match\n");

    QFile record(m_folder.filePath("records/game-1-Alice-Bob.jsonl"));
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = record.readAll().trimmed().split('\n');
    EXPECT_TRUE(lines.front().contains("\"event\":\"newgame\""));
    EXPECT_TRUE(lines.back().contains("\"event\":\"gameover\""));
    EXPECT_GT(lines.size(), 50);
}

TEST_F(ServerOverLoopback, ASilentSideRunsOutOfTimeAndTheGameGoesOn) {
    m_options.match.thinkingMs = 300;
    StartServer();
    LoopbackPlayer alice(m_server->port(), "LOGIN alice pass1 Alice", DrawFirstThenThrowAway());
    LoopbackPlayer bob(m_server->port(), "LOGIN bob pass2 Bob",
                       [](int) { return std::optional<std::string>(); });
    ASSERT_TRUE(WaitFor([&] { return m_status && alice.closed && bob.closed; })) << Contents(m_err);

    EXPECT_EQ(bob.Count("GO"), 1);
    EXPECT_EQ(alice.Count("GO"), 8);
    EXPECT_EQ(alice.Count("RUNSHOT"), 16);
    // Once Bob's time has run out, Alice's GO shows him with none left (her
    // own remaining time depends on how fast this machine answers).
    EXPECT_TRUE(std::any_of(alice.received.begin(), alice.received.end(), [](const auto& message) {
        return message.rfind("GO ", 0) == 0 && message.substr(message.rfind(' ')) == " 0";
    }));
    EXPECT_NE(Contents(m_out).find("Game 1: Alice 1 - 0 Bob (Alice wins)"), std::string::npos);
    EXPECT_NE(Contents(m_err).find("Bob ran out of time"), std::string::npos);
}

TEST_F(ServerOverLoopback, APlayerThatHangsUpMidEndLosesAndTheServerEnds) {
    m_options.match.games = 2;
    StartServer();
    LoopbackPlayer alice(m_server->port(), "LOGIN alice pass1 Alice", ThrowAway());
    LoopbackPlayer bob(m_server->port(), "LOGIN bob pass2 Bob", [](int go) {
        return std::optional<std::string>(go < 2 ? "BESTSHOT 0 0 0" : "CLOSE");
    });
    ASSERT_TRUE(WaitFor([&] { return m_status && alice.closed && bob.closed; })) << Contents(m_err);

    EXPECT_EQ(*m_status, 0);
    EXPECT_EQ(alice.received.back(), "GAMEOVER");
    EXPECT_EQ(alice.Count("NEWGAME"), 1);
    EXPECT_FALSE(bob.Has("GAMEOVER"));
    EXPECT_NE(Contents(m_out).find("Game 1: Alice 0 - 0 Bob (Bob disconnected; Alice wins by "
                                   "forfeit)"),
              std::string::npos);
}

TEST_F(ServerOverLoopback, ConnectionsThatDoNotLogInAreDropped) {
    m_options.match.readyMs = 200;
    StartServer();
    LoopbackPlayer garbage(m_server->port(), "HELLO", ThrowAway());
    LoopbackPlayer silent(m_server->port(), "", ThrowAway()); // an empty message is no LOGIN
    QTcpSocket mute;
    bool muteClosed = false;
    QObject::connect(&mute, &QTcpSocket::disconnected, [&] { muteClosed = true; });
    mute.connectToHost(QHostAddress::LocalHost, m_server->port());
    ASSERT_TRUE(WaitFor([&] { return garbage.closed && silent.closed && muteClosed; }))
        << Contents(m_err);
    EXPECT_TRUE(garbage.received.empty());
    EXPECT_FALSE(m_status);

    // The seats are still free.
    LoopbackPlayer alice(m_server->port(), "LOGIN alice pass1", ThrowAway());
    LoopbackPlayer bob(m_server->port(), "LOGIN bob pass2 Bob", ThrowAway());
    ASSERT_TRUE(WaitFor([&] { return m_status && alice.closed && bob.closed; }));
    EXPECT_EQ(alice.received.front(), "NEWGAME alice Bob");
}

// The program as scripts run it.
class ServerProgram : public ::testing::Test {
protected:
    void Start(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral(SKERROW_SERVER_PATH));
        m_process.setArguments(arguments);
        m_process.start();
        ASSERT_TRUE(WaitFor([this] { return m_process.state() != QProcess::Starting; }));
    }

    int ExitStatus() {
        EXPECT_TRUE(WaitFor([this] { return m_process.state() == QProcess::NotRunning; }));
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            WaitFor([this] { return m_process.state() == QProcess::NotRunning; });
        }
    }

    QProcess m_process;
};

TEST_F(ServerProgram, NamesItsPortFirstAndExitsWithZeroAfterTheMatch) {
    Start({"--port", "0", "--ends", "1", "--random", "0"});
    ASSERT_TRUE(WaitFor([this] { return m_process.canReadLine(); }));
    const QString first = QString::fromUtf8(m_process.readLine()).trimmed();
    ASSERT_TRUE(first.startsWith("Listening on 127.0.0.1:")) << first.toStdString();
    bool ok = false;
    const quint16 port = first.section(':', -1).toUShort(&ok);
    ASSERT_TRUE(ok && port != 0);

    LoopbackPlayer alice(port, "LOGIN alice pass1 Alice", ThrowAway());
    LoopbackPlayer bob(port, "LOGIN bob pass2 Bob",
                       [](int) { return std::optional<std::string>("CLOSE"); });
    EXPECT_EQ(ExitStatus(), 0);
    const QByteArray out = m_process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("Game 1: Alice 0 - 0 Bob (Bob disconnected; Alice wins by forfeit)\n"))
        << out.constData();
    EXPECT_TRUE(WaitFor([&] { return alice.closed; }));
}

TEST_F(ServerProgram, RefusesBadOptionsWithStatusTwo) {
    Start({"--ends", "11"});
    EXPECT_EQ(ExitStatus(), 2);
    EXPECT_TRUE(m_process.readAllStandardError().contains("--ends"));
}

TEST_F(ServerProgram, ExitsWithOneWhenItCannotListen) {
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost));
    Start({"--port", QString::number(occupant.serverPort())});
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_TRUE(m_process.readAllStandardError().contains("cannot listen"));
}

} // namespace
