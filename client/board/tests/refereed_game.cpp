#include "refereed_game.h"
#include "manual_clock.h"

#include "library_shot_player.h"
#include "match_numbers.h"
#include "match_referee.h"
#include "protocol_messages.h"

#include <deque>
#include <utility>

namespace skerrow::testing {

namespace {

class RecordingShots final : public ShotPlayer {
public:
    bool Play(GameState& state, ShotVec shot, float randomSize, std::uint64_t seed,
              ShotVec& played) override {
        const bool playedOk = m_library.Play(state, shot, randomSize, seed, played);
        positions.push_back(state);
        return playedOk;
    }
    std::vector<GameState> positions;

private:
    LibraryShotPlayer m_library;
};

class Host final : public RefereeHost {
public:
    void SendTo(int seat, std::string_view text) override {
        if (seat == 0) {
            log += "Server: " + std::string(text) + "\n";
        }
        inbox.emplace_back(seat, std::string(text));
    }
    void Disconnect(int) override {}
    void SetAlarm(std::optional<std::int64_t>) override {}
    void BeginRecord(int, const std::string&, const std::string&) override {}
    void WriteRecord(std::string_view line) override { record += std::string(line) + "\n"; }
    void EndRecord() override {}
    void Announce(std::string_view) override {}
    void Note(std::string_view) override {}
    void MatchOver() override { over = true; }

    std::string record;
    std::string log;
    std::deque<std::pair<int, std::string>> inbox;
    bool over = false;
};

// Draws and takeouts spread over the house, so that stones collide.
ShotVec DeliveryFor(int stone) {
    const ShotPos target{kTeeX - 0.6f + 0.15f * static_cast<float>(stone % 9),
                         kTeeY - 0.5f + 0.2f * static_cast<float>(stone % 5), stone % 2};
    ShotVec shot{};
    if (stone % 5 == 4) {
        CreateHitShot(target, 6.0f, &shot);
    } else {
        CreateShot(target, &shot);
    }
    return shot;
}

} // namespace

RefereedGame PlayRefereedGame(int ends) {
    MatchConfig config;
    config.ends = ends;
    config.randomSize = 0.1f;
    Host host;
    test::ManualClock clock;
    RecordingShots shots;
    MatchReferee referee(config, {"Alice", "Bob"}, host, clock, shots);
    referee.Start();
    int stone = 0;
    while (!host.over && !host.inbox.empty()) {
        const auto [seat, text] = host.inbox.front();
        host.inbox.pop_front();
        std::string answer;
        if (CommandOf(text) == Command::IsReady) {
            answer = Format(ReadyOk{});
        } else if (CommandOf(text) == Command::Go) {
            clock.now += 1500 + 250 * stone;
            answer = Format(BestShot{DeliveryFor(stone++)});
        } else {
            continue;
        }
        if (seat == 0) {
            host.log += "Client: " + answer + "\n";
        }
        referee.OnMessage(seat, answer, clock.now);
    }
    return {host.record, host.log, shots.positions};
}

} // namespace skerrow::testing
