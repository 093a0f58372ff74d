#pragma once

// Fakes of the relay's collaborators that record what the handler does with
// them, for tests without a window, socket or process.

#include "protocol_handler.h"
#include "relay_events.h"
#include "relay_ports.h"

#include <optional>
#include <string>
#include <vector>

namespace skerrow::test {

struct FakeServer final : ServerSender {
    bool connected = true;
    std::vector<std::string> sent;
    bool IsConnected() const override { return connected; }
    void SendToServer(std::string_view text) override {
        if (connected) {
            sent.emplace_back(text);
        }
    }
};

struct FakeEngine final : EngineWriter {
    bool running = false;
    std::vector<std::string> written;
    bool IsEngineRunning() const override { return running; }
    void WriteToEngine(std::string_view text) override { written.emplace_back(text); }
};

struct FakeEvents final : RelayEvents {
    std::vector<std::string> received;                        // server messages as they arrived
    std::vector<std::string> shown;                           // server messages as their turn came
    std::vector<std::pair<std::string, std::string>> players; // the names of each game started
    int positions = 0;
    int endsScored = 0;
    std::vector<RelayNotice> notices;
    void OnServerMessageReceived(std::string_view text, const ParseResult&) override {
        received.emplace_back(text);
    }
    void OnServerMessageShown(std::string_view text, const ParseResult&) override {
        shown.emplace_back(text);
    }
    void OnGameStarted(const NewGame& newGame) override {
        players.emplace_back(newGame.red, newGame.yellow);
    }
    void OnPositionChanged(const GameState&) override { ++positions; }
    void OnEndScored(const GameState&, const Score&) override { ++endsScored; }
    void OnNotice(const RelayNotice& notice) override { notices.push_back(notice); }
};

struct FakeReplay final : ReplayStarter {
    bool accept = true;
    struct Started {
        GameState start;
        ShotVec shot;
        float randomSize;
    };
    std::vector<Started> started;
    bool StartReplay(const GameState& start, ShotVec shot, float randomSize) override {
        if (accept) {
            started.push_back({start, shot, randomSize});
        }
        return accept;
    }
};

struct FakeReady final : ReadyPrompt {
    int asked = 0;
    void AskReady() override { ++asked; }
};

struct FakePlanner final : ShotPlanner {
    std::vector<ShotPos> targets;
    bool CreateShot(ShotPos target, ShotVec& result) override {
        targets.push_back(target);
        result = {target.x / 10.0f, -target.y, target.curl};
        return true;
    }
};

struct FakeLog final : MatchLogWriter {
    bool open = false;
    std::vector<std::pair<std::string, std::string>> opened; // the names of each log
    std::vector<std::string> lines;                          // lines of every log, in order
    int closed = 0;
    std::optional<std::string> failure; // what Open reports, when it is to fail
    bool IsOpen() const override { return open; }
    std::optional<std::string> Open(std::string_view first, std::string_view second) override {
        opened.emplace_back(first, second);
        open = !failure;
        return failure;
    }
    void WriteLine(std::string_view prefix, std::string_view text) override {
        if (open) {
            lines.push_back(std::string(prefix) + std::string(text));
        }
    }
    void Close() override {
        if (open) {
            ++closed;
        }
        open = false;
    }
};

// A handler wired to a full set of fakes.
struct HandlerRig {
    FakeServer server;
    FakeEngine engine;
    FakeEvents events;
    FakeReplay replay;
    FakeReady ready;
    FakePlanner planner;
    FakeLog log;
    ProtocolHandler handler{{server, engine, events, &replay, ready, planner, log}};
};

} // namespace skerrow::test
