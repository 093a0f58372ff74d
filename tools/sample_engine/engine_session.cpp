#include "engine_session.h"

#include "game_rules.h"
#include "match_numbers.h"
#include "message_framing.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <variant>

namespace sample_engine {

namespace {

using skerrow::kEnds;
using skerrow::kStonesPerEnd;
using skerrow::kStonesPerSide;

} // namespace

std::chrono::milliseconds ThinkingTime(const GameState& state, long long remainingMs,
                                       int maxThinkMs) {
    const long long cap = std::max(0, maxThinkMs);
    if (remainingMs < 0) {
        return std::chrono::milliseconds(cap);
    }
    // The stones of this end still to play, the one about to go included,
    // then those of the ends after it. The numbers come from the server's
    // words and may be any int: the arithmetic is wide, and the counts are
    // kept within what a game can hold.
    const long long thisEnd =
        std::clamp((kStonesPerEnd + 1 - static_cast<long long>(state.shotNumber)) / 2, 1LL,
                   static_cast<long long>(kStonesPerSide));
    const long long laterEnds =
        std::clamp(static_cast<long long>(state.lastEnd) - state.currentEnd - 1, 0LL,
                   static_cast<long long>(kEnds - 1));
    const long long stones = thisEnd + laterEnds * kStonesPerSide;
    const long long share = remainingMs / stones;
    return std::chrono::milliseconds(std::min(cap, share - share / 5));
}

EngineSession::EngineSession(EngineOptions options, ShotChooser::Clock clock, std::ostream* report)
    : m_options(options), m_chooser(options.randomSize, std::move(clock), options.sampling),
      m_rng(options.seed), m_state(skerrow::EmptySheet()), m_report(report) {}

std::optional<std::string> EngineSession::HandleMessage(std::string_view message) {
    const skerrow::ParseResult parsed = skerrow::Parse(message);
    if (std::holds_alternative<skerrow::IsReady>(parsed)) {
        return skerrow::Format(skerrow::ReadyOk{});
    }
    if (std::holds_alternative<skerrow::NewGame>(parsed)) {
        m_state = skerrow::EmptySheet();
    } else if (const auto* position = std::get_if<skerrow::Position>(&parsed)) {
        // The shot number comes with the SETSTATE that follows.
        skerrow::PlaceStones(m_state, position->stones);
    } else if (const auto* setState = std::get_if<skerrow::SetState>(&parsed)) {
        skerrow::ApplySetState(m_state, *setState);
    } else if (const auto* score = std::get_if<skerrow::Score>(&parsed)) {
        // Kept for engines that play to the match score. The server signs
        // these by colour (positive for red), not by the order of delivery
        // as the library does; the choice of a shot reads only the entry of
        // the current end, which every simulation rewrites.
        skerrow::ApplyEndScores(m_state, score->redScores);
    } else if (const auto* go = std::get_if<skerrow::Go>(&parsed)) {
        return BestShot(*go);
    } else if (std::holds_alternative<skerrow::GameOver>(parsed)) {
        ReportThinking();
    }
    // RUNSHOT and anything unknown need no answer: the server
    // reports the position after every shot.
    return std::nullopt;
}

std::string EngineSession::BestShot(const skerrow::Go& go) {
    ShotVec shot{};
    if (m_options.plain) {
        shot = DrawToTheTee();
    } else {
        // The clock of the side to deliver; unknown when GO does not give it.
        const std::optional<std::int64_t> remaining =
            m_state.turnFlag == skerrow::kRed ? go.redMs : go.yellowMs;
        const auto budget = ThinkingTime(m_state, remaining.value_or(-1), m_options.maxThinkMs);
        shot = m_chooser.Choose(m_state, budget, m_rng, &m_thinking);
    }
    return skerrow::Format(skerrow::BestShot{shot});
}

void EngineSession::ReportThinking() {
    if (m_report != nullptr && m_thinking.simulations > 0) {
        const Sampling& sampling = m_chooser.sampling();
        *m_report << "sample-engine: " << m_thinking.simulations << " simulations in "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(m_thinking.time).count()
                  << " ms, " << static_cast<std::int64_t>(m_thinking.PerSecond()) << " per second ("
                  << (sampling.legacy ? "legacy sampling" : "seeded batches") << ")\n"
                  << std::flush;
    }
    m_thinking = {};
}

void EngineSession::Run(std::istream& in, std::ostream& out) {
    skerrow::ZeroFramer framer;
    // Byte by byte, because a read must not wait for more than the server has
    // sent: the next message comes only after the answer to this one.
    char byte = 0;
    while (in.get(byte)) {
        for (const std::string& message : framer.Feed(std::string_view(&byte, 1)).messages) {
            if (const std::optional<std::string> answer = HandleMessage(message)) {
                out << *answer << '\n' << std::flush;
            }
        }
    }
    ReportThinking();
}

} // namespace sample_engine
