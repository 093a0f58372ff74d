#include "engine_session.h"

#include "game_rules.h"
#include "match_numbers.h"
#include "message_framing.h"
#include "protocol_words.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace sample_engine {

using skerrow::GetToken;
using skerrow::SameWord;

namespace {

using skerrow::kEnds;
using skerrow::kStonesPerEnd;
using skerrow::kStonesPerSide;

// Word `index` of the message as a number; nothing when the word is missing.
std::optional<float> RealWord(std::string_view message, std::size_t index) {
    const std::optional<std::string> word = GetToken(message, index);
    if (!word) {
        return std::nullopt;
    }
    return skerrow::ReadReal(*word);
}

std::optional<int> IntegerWord(std::string_view message, std::size_t index) {
    const std::optional<std::string> word = GetToken(message, index);
    if (!word) {
        return std::nullopt;
    }
    return skerrow::ReadInteger(*word);
}

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

EngineSession::EngineSession(EngineOptions options, ShotChooser::Clock clock)
    : m_options(options), m_chooser(options.randomSize, std::move(clock)), m_rng(options.seed),
      m_state(skerrow::EmptySheet()) {}

std::optional<std::string> EngineSession::HandleMessage(std::string_view message) {
    const std::string word = GetToken(message, 0).value_or("");
    if (SameWord(word, "ISREADY")) {
        return "READYOK";
    }
    if (SameWord(word, "NEWGAME")) {
        m_state = skerrow::EmptySheet();
    } else if (SameWord(word, "POSITION")) {
        // As many stones as there are pairs of numbers; the shot number comes
        // with the SETSTATE that follows.
        for (std::size_t k = 0; k < kStonesPerEnd; ++k) {
            const std::optional<float> x = RealWord(message, 2 * k + 1);
            const std::optional<float> y = RealWord(message, 2 * k + 2);
            if (!x || !y) {
                break;
            }
            m_state.stones[k] = {*x, *y};
        }
    } else if (SameWord(word, "SETSTATE")) {
        const std::optional<int> shot = IntegerWord(message, 1);
        const std::optional<int> end = IntegerWord(message, 2);
        const std::optional<int> lastEnd = IntegerWord(message, 3);
        const std::optional<int> turn = IntegerWord(message, 4);
        if (shot && end && lastEnd && turn) {
            m_state.shotNumber = *shot;
            m_state.currentEnd = *end;
            m_state.lastEnd = *lastEnd;
            m_state.turnFlag = *turn;
        }
    } else if (SameWord(word, "SCORE")) {
        // Kept for engines that play to the match score. The server signs
        // these by colour (positive for red), not by the order of delivery
        // as the library does; the choice of a shot reads only the entry of
        // the current end, which every simulation rewrites.
        std::vector<int> scores;
        for (std::size_t i = 1; i <= static_cast<std::size_t>(kEnds); ++i) {
            const std::optional<int> score = IntegerWord(message, i);
            if (!score) {
                break;
            }
            scores.push_back(*score);
        }
        skerrow::ApplyEndScores(m_state, scores);
    } else if (SameWord(word, "GO")) {
        return BestShot(message);
    }
    // RUNSHOT, GAMEOVER and anything unknown need no answer: the server
    // reports the position after every shot.
    return std::nullopt;
}

std::string EngineSession::BestShot(std::string_view message) {
    ShotVec shot{};
    if (m_options.plain) {
        shot = DrawToTheTee();
    } else {
        // GO redMs yellowMs: the clock of the side to deliver.
        const std::optional<int> remaining = IntegerWord(message, m_state.turnFlag == 0 ? 1 : 2);
        const auto budget = ThinkingTime(m_state, remaining.value_or(-1), m_options.maxThinkMs);
        shot = m_chooser.Choose(m_state, budget, m_rng);
    }
    return "BESTSHOT " + skerrow::FormatReal(shot.vx) + " " + skerrow::FormatReal(shot.vy) + " " +
           std::to_string(shot.curl);
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
}

} // namespace sample_engine
