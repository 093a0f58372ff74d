#include "decimal_comma_locale.h"
#include "fake_collaborators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace skerrow;
using namespace skerrow::test;
using Strings = std::vector<std::string>;

TEST(ProtocolHandler, StartsFromAClearedPosition) {
    HandlerRig rig;
    const GameState& state = rig.handler.gameState();
    EXPECT_EQ(state.lastEnd, 10);
    EXPECT_EQ(state.shotNumber, 0);
    EXPECT_EQ(state.turnFlag, 0);
    EXPECT_EQ(rig.handler.shotRandom(), 0.0f);
}

TEST(ProtocolHandler, ServerMessagesAreLoggedForwardedThenActedOn) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.handler.OnServerMessage("  newgame  Alice   Bob");
    EXPECT_EQ(rig.engine.written, Strings{"  newgame  Alice   Bob"});
    EXPECT_EQ(rig.events.received, Strings{"  newgame  Alice   Bob"});
    EXPECT_EQ(rig.events.shown, Strings{"  newgame  Alice   Bob"});
    ASSERT_EQ(rig.events.players.size(), 1U);
    EXPECT_EQ(rig.events.players[0], std::make_pair(std::string("Alice"), std::string("Bob")));
    ASSERT_EQ(rig.log.opened.size(), 1U);
    EXPECT_EQ(rig.log.opened[0].first, "Alice");
    EXPECT_EQ(rig.log.lines, Strings{"Server:   newgame  Alice   Bob"});

    rig.handler.OnServerMessage("GO 300 300");
    rig.handler.OnServerMessage("GAMEOVER");
    rig.handler.OnServerMessage("SCORE 1"); // after the game: not logged
    EXPECT_EQ(rig.log.lines.back(), "Server: GAMEOVER");
    EXPECT_EQ(rig.log.lines.size(), 3U);
    EXPECT_EQ(rig.engine.written.size(), 4U);
    EXPECT_TRUE(rig.server.sent.empty());
}

TEST(ProtocolHandler, NewGameWithTooFewNamesUsesEmptyOnes) {
    HandlerRig rig;
    rig.handler.OnServerMessage("NEWGAME Solo");
    ASSERT_EQ(rig.log.opened.size(), 1U);
    EXPECT_EQ(rig.log.opened[0].second, "");
}

TEST(ProtocolHandler, PositionSetsStonesShotAndTurn) {
    HandlerRig rig;
    rig.handler.OnServerMessage("SETSTATE 0 0 10 0");
    rig.handler.OnServerMessage("POSITION 9 9 9 9 9 9");
    rig.handler.OnServerMessage("POSITION 1 2 3 4 5");
    const GameState& state = rig.handler.gameState();
    EXPECT_EQ(state.stones[0].x, 1.0f);
    EXPECT_EQ(state.stones[0].y, 2.0f);
    EXPECT_EQ(state.stones[1].x, 3.0f);
    EXPECT_EQ(state.stones[1].y, 4.0f);
    EXPECT_EQ(state.stones[2].x, 9.0f); // beyond the numbers given: kept
    EXPECT_EQ(state.shotNumber, 2);
    EXPECT_EQ(state.turnFlag, 0);

    rig.handler.OnServerMessage("position");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 0);
    EXPECT_EQ(rig.handler.gameState().stones[0].x, 1.0f);
    EXPECT_EQ(rig.events.positions, 4);
    EXPECT_EQ(rig.events.endsScored, 0);

    // 33 numbers: the 33rd is beyond the sixteen stones and ignored.
    std::string full = "POSITION";
    for (int i = 0; i < 33; ++i) {
        full += " 2.5";
    }
    rig.handler.OnServerMessage(full);
    EXPECT_EQ(rig.handler.gameState().shotNumber, 16);
    EXPECT_EQ(rig.handler.gameState().stones[15].y, 2.5f);
}

TEST(ProtocolHandler, StateAndScoresNeedTheirArguments) {
    HandlerRig rig;
    rig.handler.OnServerMessage("SETSTATE 3 4 8 1");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 3);
    EXPECT_EQ(rig.handler.gameState().currentEnd, 4);
    EXPECT_EQ(rig.handler.gameState().lastEnd, 8);
    EXPECT_EQ(rig.handler.gameState().turnFlag, 1);

    // Three numbers change nothing, from the server or from the engine.
    rig.handler.OnServerMessage("SETSTATE 5 5 5");
    rig.handler.OnLocalMessage("SETSTATE 6 6 6");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 3);

    rig.handler.OnServerMessage("SCORE 9 9 9 9 9 9 9 9 9 9");
    rig.handler.OnServerMessage("SCORE 1 -2 0");
    const GameState& state = rig.handler.gameState();
    EXPECT_EQ(state.endScores[0], 1);
    EXPECT_EQ(state.endScores[1], -2);
    EXPECT_EQ(state.endScores[2], 0);
    EXPECT_EQ(state.endScores[3], 9);
    EXPECT_EQ(state.endScores[9], 9);
}

TEST(ProtocolHandler, MessagesAreCutAtTheirFirstNewline) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.handler.OnServerMessage("NEWGAME a b");
    rig.handler.OnServerMessage("SETSTATE 1 2 3 0\nSETSTATE 7 7 7 7");
    EXPECT_EQ(rig.engine.written.back(), "SETSTATE 1 2 3 0");
    EXPECT_EQ(rig.log.lines.back(), "Server: SETSTATE 1 2 3 0");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);

    // The engine's carriage return reaches the server.
    rig.handler.OnLocalMessage("BESTSHOT 0.1 -2.9 1\r\n");
    EXPECT_EQ(rig.server.sent, Strings{"BESTSHOT 0.1 -2.9 1\r"});
    EXPECT_EQ(rig.log.lines.back(), "Client: BESTSHOT 0.1 -2.9 1\r");
}

TEST(ProtocolHandler, TheUsersTargetBecomesADelivery) {
    HandlerRig rig;
    rig.handler.OnLocalMessage("BestShot 2.375 4.88 1");
    ASSERT_EQ(rig.planner.targets.size(), 1U);
    EXPECT_EQ(rig.planner.targets[0].y, 4.88f);
    EXPECT_EQ(rig.server.sent, Strings{"BestShot 0.237500 -4.880000 1"});

    // Missing arguments: nothing.
    rig.handler.OnLocalMessage("BESTSHOT 2.375 4.88");
    EXPECT_EQ(rig.planner.targets.size(), 1U);

    // Without a link the delivery is planned but not sent.
    rig.server.connected = false;
    rig.handler.OnLocalMessage("BESTSHOT 1 2 0");
    EXPECT_EQ(rig.planner.targets.size(), 2U);
    EXPECT_EQ(rig.server.sent.size(), 1U);

    // With an engine, a BESTSHOT is a delivery and goes out unchanged.
    rig.server.connected = true;
    rig.engine.running = true;
    rig.handler.OnLocalMessage("BESTSHOT 1 2 0");
    EXPECT_EQ(rig.server.sent.back(), "BESTSHOT 1 2 0");
    EXPECT_EQ(rig.planner.targets.size(), 2U);
}

TEST(ProtocolHandler, TheDeliverySentHasADecimalPointInEveryLocale) {
    HandlerRig rig;
    {
        const DecimalCommaLocale comma;
        if (!comma.active()) {
            GTEST_SKIP() << "no locale with a decimal comma on this machine";
        }
        rig.handler.OnLocalMessage("BESTSHOT 2.5 4.5 0");
    }
    EXPECT_EQ(rig.planner.targets.at(0).x, 2.5f);
    EXPECT_EQ(rig.server.sent, Strings{"BestShot 0.250000 -4.500000 0"});
}

TEST(ProtocolHandler, UnknownAndEmptyLocalMessagesGoToTheServerWhileConnected) {
    HandlerRig rig;
    rig.handler.OnServerMessage("NEWGAME a b");
    rig.handler.OnLocalMessage("HELLO there");
    rig.handler.OnLocalMessage("");
    EXPECT_EQ(rig.server.sent, (Strings{"HELLO there", ""}));
    EXPECT_EQ(rig.log.lines.back(), "Client: ");

    rig.server.connected = false;
    rig.handler.OnLocalMessage("HELLO again");
    EXPECT_EQ(rig.server.sent.size(), 2U);
}

TEST(ProtocolHandler, ServerMessagesAfterTheLinkEndedTakeTheLocalPath) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.server.connected = false;
    rig.handler.OnServerMessage("SETSTATE 2 0 10 0");
    EXPECT_TRUE(rig.engine.written.empty());
    EXPECT_EQ(rig.handler.gameState().shotNumber, 2);
}

TEST(ProtocolHandler, DrawShotReplaysAPlannedDrawWithTheChosenSpread) {
    HandlerRig rig;
    rig.handler.OnLocalMessage("SETRAND 0.25");
    EXPECT_EQ(rig.handler.shotRandom(), 0.25f);
    rig.handler.OnLocalMessage("SETRAND");
    EXPECT_EQ(rig.handler.shotRandom(), 0.25f);

    rig.handler.OnLocalMessage("DRAWSHOT 2.375 4.88");
    EXPECT_TRUE(rig.replay.started.empty());
    rig.handler.OnLocalMessage("DRAWSHOT 2.375 4.88 1 99");
    ASSERT_EQ(rig.replay.started.size(), 1U);
    EXPECT_EQ(rig.replay.started[0].shot.curl, 1);
    EXPECT_EQ(rig.replay.started[0].randomSize, 0.25f);
    EXPECT_TRUE(rig.server.sent.empty());
}

TEST(ProtocolHandler, ReadyQuestionOnlyWithoutAnEngine) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.handler.OnServerMessage("ISREADY");
    EXPECT_EQ(rig.ready.asked, 0);
    EXPECT_FALSE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.engine.written, Strings{"ISREADY"});
    rig.handler.OnLocalMessage("READYOK\n");
    EXPECT_EQ(rig.server.sent, Strings{"READYOK"});

    HandlerRig alone;
    alone.handler.OnServerMessage("ISREADY");
    EXPECT_EQ(alone.ready.asked, 1);
    alone.handler.OnServerMessage("SETSTATE 1 0 10 1"); // waits for the answer
    EXPECT_TRUE(alone.handler.isInboxHeld());
    EXPECT_EQ(alone.handler.gameState().shotNumber, 0);
    EXPECT_TRUE(alone.server.sent.empty());
    alone.handler.OnReadyAnswered();
    EXPECT_EQ(alone.server.sent, Strings{"READYOK"});
    EXPECT_EQ(alone.handler.gameState().shotNumber, 1);
    EXPECT_FALSE(alone.handler.isInboxHeld());
}

// What is shown waits for the replay; the engine and the log never do, so
// that a replay paced at real time costs the engine no thinking time.
TEST(ProtocolHandler, ThePositionAfterAShotWaitsForItsReplayButNotTheEngine) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.handler.OnServerMessage("NEWGAME a b");
    rig.handler.OnServerMessage("POSITION 2.375 5");
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9 1");
    ASSERT_EQ(rig.replay.started.size(), 1U);
    EXPECT_EQ(rig.replay.started[0].start.shotNumber, 1);
    EXPECT_EQ(rig.replay.started[0].shot.vy, -2.9f);
    EXPECT_EQ(rig.replay.started[0].randomSize, 0.0f);

    rig.handler.OnServerMessage("SCORE 0 0 0"); // not held: no position
    rig.handler.OnServerMessage("POSITION 2.375 5 2.4 4.9");
    rig.handler.OnServerMessage("SETSTATE 2 0 10 0");
    rig.handler.OnServerMessage("GO 100 100");
    rig.handler.OnServerMessage("GAMEOVER");
    EXPECT_TRUE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.handler.heldMessages(), 4U);
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);
    // The engine and the log have everything at once, GO included, and the
    // game's log is closed.
    const Strings arrived{"NEWGAME a b",
                          "POSITION 2.375 5",
                          "RUNSHOT 0.1 -2.9 1",
                          "SCORE 0 0 0",
                          "POSITION 2.375 5 2.4 4.9",
                          "SETSTATE 2 0 10 0",
                          "GO 100 100",
                          "GAMEOVER"};
    EXPECT_EQ(rig.engine.written, arrived);
    EXPECT_EQ(rig.log.lines.back(), "Server: GAMEOVER");
    EXPECT_FALSE(rig.log.open);
    // The person at the window sees GO only once the replay has ended.
    EXPECT_EQ(rig.events.shown.back(), "SCORE 0 0 0");
    EXPECT_EQ(rig.events.received, arrived);

    // Local lines are not held.
    rig.handler.OnLocalMessage("SETRAND 0.5");
    EXPECT_EQ(rig.handler.shotRandom(), 0.5f);

    rig.handler.OnReplayEnded();
    EXPECT_FALSE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.handler.gameState().shotNumber, 2);
    EXPECT_EQ(rig.handler.gameState().stones[1].x, 2.4f);
    EXPECT_EQ(rig.events.shown.back(), "GAMEOVER");
    EXPECT_EQ(rig.events.shown, arrived);
    EXPECT_EQ(rig.engine.written, arrived); // nothing twice
    EXPECT_EQ(rig.log.lines.size(), arrived.size());
}

TEST(ProtocolHandler, HeldMessagesMayHoldTheInboxAgain) {
    HandlerRig rig;
    rig.handler.OnServerMessage("RUNSHOT 0 -3 0");
    rig.handler.OnServerMessage("POSITION 1 1");
    rig.handler.OnServerMessage("RUNSHOT 0 -3 1");
    rig.handler.OnServerMessage("POSITION 2 2 3 3");
    rig.handler.OnServerMessage("SETSTATE 2 0 10 0");
    rig.handler.OnReplayEnded();
    // The second shot's replay now runs and holds its position back.
    EXPECT_EQ(rig.replay.started.size(), 2U);
    EXPECT_EQ(rig.handler.gameState().stones[0].x, 1.0f);
    EXPECT_EQ(rig.handler.heldMessages(), 2U);
    rig.handler.OnReplayEnded();
    EXPECT_EQ(rig.handler.gameState().stones[1].x, 3.0f);
    EXPECT_EQ(rig.handler.gameState().shotNumber, 2);
}

TEST(ProtocolHandler, ARunShotWithoutArgumentsHoldsNothingBack) {
    HandlerRig rig;
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9");
    EXPECT_TRUE(rig.replay.started.empty());
    rig.handler.OnServerMessage("POSITION 1 2");
    EXPECT_FALSE(rig.handler.isInboxHeld());
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);

    // A declined replay holds nothing back either.
    rig.replay.accept = false;
    rig.handler.OnServerMessage("RUNSHOT 0.1 -2.9 0");
    rig.handler.OnServerMessage("POSITION");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 0);
}

TEST(ProtocolHandler, NonFiniteNumbersNeverReachThePosition) {
    HandlerRig rig;
    rig.handler.OnServerMessage("POSITION nan inf 1e999 -inf 2.5 1e39");
    const GameState& state = rig.handler.gameState();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isfinite(state.stones[i].x) && std::isfinite(state.stones[i].y));
    }
    EXPECT_EQ(state.stones[2].x, 2.5f);
    rig.handler.OnServerMessage("RUNSHOT nan -inf 0");
    ASSERT_EQ(rig.replay.started.size(), 1U);
    EXPECT_EQ(rig.replay.started[0].shot.vx, 0.0f);
    EXPECT_EQ(rig.replay.started[0].shot.vy, 0.0f);
}

TEST(ProtocolHandler, LongWordsAndMessagesAreHandledWhole) {
    HandlerRig rig;
    rig.engine.running = true;
    const std::string longName(3000, 'n');
    rig.handler.OnServerMessage("NEWGAME " + longName + " b");
    ASSERT_EQ(rig.log.opened.size(), 1U);
    EXPECT_EQ(rig.log.opened[0].first.size(), 1023U);
    EXPECT_EQ(rig.engine.written.back().size(), 8U + 3000U + 2U);

    // A number longer than its slot is read from its first 31 characters.
    rig.handler.OnServerMessage("POSITION 1.00000000000000000000000000000000000000000001 2");
    EXPECT_EQ(rig.handler.gameState().stones[0].x, 1.0f);
    // A command word longer than its slot matches nothing.
    rig.handler.OnServerMessage("POSITIONPOSITIONPOSITIONPOSITIONPOSITION 5 5");
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);
}

TEST(ProtocolHandler, TheLinkGoingDownWaitsForTheMessagesBeforeIt) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.handler.OnServerMessage("NEWGAME a b");
    rig.handler.OnServerMessage("RUNSHOT 0 -3 0");
    rig.handler.OnServerMessage("POSITION 1 1");
    rig.handler.OnServerMessage("SETSTATE 1 0 10 1");
    rig.server.connected = false;
    bool reached = false;
    rig.handler.OnServerLinkDown([&] { reached = true; });
    EXPECT_FALSE(reached);
    // Logged and closed at once: the log holds everything received.
    EXPECT_EQ(rig.log.lines.back(), "Server: SETSTATE 1 0 10 1");
    EXPECT_FALSE(rig.log.open);
    EXPECT_EQ(rig.engine.written.back(), "SETSTATE 1 0 10 1");

    // Once the replay ends, the held messages are shown as from the live
    // link; then the link-down steps run.
    rig.handler.OnReplayEnded();
    EXPECT_TRUE(reached);
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);
    EXPECT_EQ(rig.handler.gameState().turnFlag, 1);
    EXPECT_FALSE(rig.handler.isInboxHeld());

    // With nothing held, the steps run at once.
    bool again = false;
    rig.handler.OnServerLinkDown([&] { again = true; });
    EXPECT_TRUE(again);
}

// A second game starts on an empty board, in the first end, whatever the
// first one left; the board is emptied before the repaint that shows it.
TEST(ProtocolHandler, ANewGameClearsTheScoreBoardAndThePosition) {
    HandlerRig rig;
    rig.handler.OnServerMessage("NEWGAME Alice Bob");
    EXPECT_EQ(rig.events.players.size(), 1U);
    rig.handler.OnServerMessage("SETSTATE 3 3 8 1");
    rig.handler.OnServerMessage("POSITION 2.375 4.88 1 1");
    rig.handler.OnServerMessage("SCORE 5 -7 12");
    EXPECT_EQ(rig.events.endsScored, 1);
    const int positions = rig.events.positions;

    rig.handler.OnServerMessage("NEWGAME Carol Dave");
    const GameState& state = rig.handler.gameState();
    for (const int score : state.endScores) {
        EXPECT_EQ(score, 0);
    }
    EXPECT_EQ(state.currentEnd, 0);
    EXPECT_EQ(state.shotNumber, 0);
    EXPECT_EQ(state.turnFlag, 0);
    EXPECT_EQ(state.lastEnd, 10);
    EXPECT_EQ(state.stones[0].x, 0.0f);
    EXPECT_EQ(rig.events.players.size(), 2U);
    EXPECT_EQ(rig.events.positions, positions + 1);
}

// The front ends hear the names and the server's line as they came, and make
// them printable themselves (the window's presenter and the command line's
// report each check that); the log keeps them as they came too.
TEST(ProtocolHandler, EventsCarryTheTextsAsTheyCame) {
    HandlerRig rig;
    rig.handler.OnServerMessage("NEWGAME a\x1b[31mb c\td\x7f");
    EXPECT_EQ(rig.events.shown, Strings{"NEWGAME a\x1b[31mb c\td\x7f"});
    ASSERT_EQ(rig.events.players.size(), 1U);
    EXPECT_EQ(rig.events.players[0].first, "a\x1b[31mb");
    EXPECT_EQ(rig.events.players[0].second, "c\td\x7f");
    EXPECT_EQ(rig.log.opened[0].first, "a\x1b[31mb");
    EXPECT_EQ(rig.log.lines[0], "Server: NEWGAME a\x1b[31mb c\td\x7f");
}

TEST(ProtocolHandler, ARandomSizeThatIsNoFiniteNumberIsRefusedAndSaid) {
    HandlerRig rig;
    rig.handler.OnLocalMessage("SETRAND 0.25");
    for (const char* word : {"inf", "nan", "-infinity", "1e39", "1e999"}) {
        rig.handler.OnLocalMessage(std::string("SETRAND ") + word);
        EXPECT_EQ(rig.handler.shotRandom(), 0.25f) << word;
        ASSERT_FALSE(rig.events.notices.empty()) << word;
        EXPECT_EQ(rig.events.notices.back().kind, RelayNotice::Kind::RandomSizeRefused);
        EXPECT_EQ(rig.events.notices.back().subject, word);
    }
    // Text that is no number reads as 0, as atof reads it.
    rig.handler.OnLocalMessage("SETRAND abc");
    EXPECT_EQ(rig.handler.shotRandom(), 0.0f);
    rig.handler.OnLocalMessage("SETRAND 1e-999");
    EXPECT_EQ(rig.handler.shotRandom(), 0.0f);
    EXPECT_EQ(rig.events.notices.size(), 5U);
}

TEST(ProtocolHandler, ALogThatCannotBeOpenedIsSaidAndTheGameGoesOn) {
    HandlerRig rig;
    rig.engine.running = true;
    rig.log.failure = "cannot create Log/a - b.log: Permission denied";
    rig.handler.OnServerMessage("NEWGAME a b");
    ASSERT_EQ(rig.events.notices.size(), 1U);
    EXPECT_EQ(rig.events.notices[0].kind, RelayNotice::Kind::LogNotOpened);
    EXPECT_EQ(rig.events.notices[0].subject, *rig.log.failure);
    rig.handler.OnServerMessage("SETSTATE 1 0 10 1");
    EXPECT_EQ(rig.engine.written.size(), 2U);
    EXPECT_EQ(rig.handler.gameState().shotNumber, 1);
}
