#include "fake_collaborators.h"
#include "match_presenter.h"
#include "protocol_handler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace skerrow;
using namespace skerrow::test;

namespace {

// The relay core wired to a presenter, as the window wires them, with fakes
// for the server, the engine, the planner and the log, and a replay player
// that records what it was asked to show.
struct PresenterRig {
    FakeServer server;
    FakeEngine engine;
    FakePlanner planner;
    FakeLog log;
    MatchPresenter presenter;
    ProtocolHandler handler{{server, engine, presenter, &presenter, presenter, planner, log}};
    std::vector<ShotVec> played;
    bool playerAccepts = true;
    int positions = 0;
    int scores = 0;
    int games = 0;

    PresenterRig() {
        presenter.setReplayPlayer([this](const GameState&, ShotVec shot, float) {
            if (playerAccepts) {
                played.push_back(shot);
            }
            return playerAccepts;
        });
        // What the window does with these signals, minus the widgets.
        QObject::connect(&presenter, &MatchPresenter::replayEnded, &presenter,
                         [this] { handler.OnReplayEnded(); });
        QObject::connect(&presenter, &MatchPresenter::readyAnswered, &presenter,
                         [this] { handler.OnReadyAnswered(); });
        QObject::connect(&presenter, &MatchPresenter::positionChanged, &presenter,
                         [this] { ++positions; });
        QObject::connect(&presenter, &MatchPresenter::scoresChanged, &presenter,
                         [this] { ++scores; });
        QObject::connect(&presenter, &MatchPresenter::gameStarted, &presenter, [this] { ++games; });
    }
};

} // namespace

// The server's line and the names are shown printable, the line with its
// prefix and cut as the window's 1024-byte text cuts it; the position, the
// caption and the score follow the relay's events.
TEST(MatchPresenter, ShowsWhatTheRelayTellsAsTheWindowShowsIt) {
    PresenterRig rig;
    EXPECT_EQ(rig.presenter.serverMessageText(), QStringLiteral("Server:"));
    EXPECT_EQ(rig.presenter.gameState().lastEnd, 10);

    rig.handler.OnServerMessage("NEWGAME a\x1b[31mb c\td\x7f");
    EXPECT_EQ(rig.presenter.serverMessageText(),
              QStringLiteral("Server: NEWGAME a\\x1b[31mb c\\td\\x7f"));
    EXPECT_EQ(rig.presenter.redName(), QStringLiteral("a\\x1b[31mb"));
    EXPECT_EQ(rig.presenter.yellowName(), QStringLiteral("c\\td\\x7f"));
    EXPECT_EQ(rig.games, 1);
    EXPECT_EQ(rig.positions, 1);

    rig.handler.OnServerMessage("SETSTATE 3 1 10 1");
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 3);
    EXPECT_EQ(rig.presenter.captionText(), QStringLiteral("第2エンド\u3000黄 - 4投目"));
    EXPECT_EQ(rig.positions, 2);

    // A score repaints the board but moves no stone and leaves the caption.
    rig.handler.OnServerMessage("SCORE 2");
    EXPECT_EQ(rig.presenter.gameState().endScores[0], 2);
    EXPECT_EQ(rig.scores, 1);
    EXPECT_EQ(rig.positions, 2);

    rig.handler.OnServerMessage("GO " + std::string(3000, '7'));
    const QByteArray shown = rig.presenter.serverMessageText().toUtf8();
    EXPECT_TRUE(shown.startsWith("Server: GO 777"));
    EXPECT_EQ(shown.size(), 1022 + static_cast<qsizetype>(std::string("…").size()));
}

// The presenter is the one place that knows whether a replay runs: the relay
// holds the server's next position until the window reports the replay's
// end, and a second replay is declined meanwhile.
TEST(MatchPresenter, KnowsWhetherAReplayRunsAndReleasesHeldMessagesAtItsEnd) {
    PresenterRig rig;
    int started = 0;
    QObject::connect(&rig.presenter, &MatchPresenter::replayStarted, &rig.presenter,
                     [&started] { ++started; });
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9 1");
    ASSERT_EQ(rig.played.size(), 1U);
    EXPECT_EQ(rig.played[0].curl, 1);
    EXPECT_TRUE(rig.presenter.isReplayRunning());
    EXPECT_EQ(started, 1);

    rig.handler.OnServerMessage("POSITION 2.375 5");
    EXPECT_TRUE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 0);
    EXPECT_FALSE(rig.presenter.StartReplay(rig.presenter.gameState(), {}, 0.0f));
    EXPECT_EQ(rig.played.size(), 1U);

    rig.presenter.OnReplayFinished();
    EXPECT_FALSE(rig.presenter.isReplayRunning());
    EXPECT_FALSE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 1);

    // A replay the window declines holds nothing back.
    rig.playerAccepts = false;
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9 0");
    rig.handler.OnServerMessage("POSITION 2.375 5 1 1");
    EXPECT_FALSE(rig.presenter.isReplayRunning());
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 2);
    EXPECT_EQ(started, 1);

    // A replay stopped by a closing window ends without telling anyone.
    rig.playerAccepts = true;
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9 0");
    ASSERT_TRUE(rig.presenter.isReplayRunning());
    int ended = 0;
    QObject::connect(&rig.presenter, &MatchPresenter::replayEnded, &rig.presenter,
                     [&ended] { ++ended; });
    rig.presenter.OnReplayCancelled();
    EXPECT_FALSE(rig.presenter.isReplayRunning());
    EXPECT_EQ(ended, 0);
}

TEST(MatchPresenter, TheReadinessQuestionHoldsTheGameUntilAnswered) {
    PresenterRig rig;
    int asked = 0;
    QObject::connect(&rig.presenter, &MatchPresenter::readyAsked, &rig.presenter,
                     [&asked] { ++asked; });
    rig.handler.OnServerMessage("ISREADY");
    rig.handler.OnServerMessage("SETSTATE 1 0 10 1");
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(rig.presenter.isAskingReady());
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 0);
    EXPECT_TRUE(rig.server.sent.empty());

    rig.presenter.OnReadyAnswered();
    EXPECT_FALSE(rig.presenter.isAskingReady());
    EXPECT_EQ(rig.server.sent, std::vector<std::string>{"READYOK"});
    EXPECT_EQ(rig.presenter.gameState().shotNumber, 1);
}

// The title follows the link and the engine; a notice quotes the engine's
// line printable and cut, so that it cannot break the status line.
TEST(MatchPresenter, TitlesAndNoticesSayWhatHappened) {
    EXPECT_EQ(MatchPresenter::TitleFor({RelayStatus::Link::Connecting, "ice"}),
              QStringLiteral("ice - 接続中…"));
    EXPECT_EQ(MatchPresenter::TitleFor({RelayStatus::Link::CouldNotConnect, "Skerrow"}),
              QStringLiteral("Skerrow - 未接続（接続できませんでした）"));

    const QString notice = MatchPresenter::NoticeText(
        {RelayNotice::Kind::EngineLineUnasked, "x\n" + std::string(500, 'y'), ""});
    EXPECT_TRUE(notice.contains(QStringLiteral("「x\\ny")));
    EXPECT_FALSE(notice.contains(QLatin1Char('\n')));
    EXPECT_EQ(notice.count(QLatin1Char('y')), 198);
}
