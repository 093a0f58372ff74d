#include "match_log_reader.h"

#include "match_numbers.h"
#include "protocol_messages.h"
#include "text_lines.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace skerrow {

namespace {

constexpr std::string_view kServerPrefix = "Server: ";
constexpr std::string_view kClientPrefix = "Client: ";

struct LineFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string StoneName(int end, int shot) {
    return "stone " + std::to_string(shot + 1) + " of end " + std::to_string(end + 1);
}

// The history as the messages of a log build it.
class LogBuilder {
public:
    explicit LogBuilder(const BoardPhysics& physics) : m_physics(physics) {}

    bool started() const { return m_history.has_value(); }

    GameHistory Finish() {
        if (m_pending) {
            CompleteByReplay();
        }
        return std::move(*m_history);
    }

    void ServerMessage(std::string_view text) {
        const ParseResult parsed = Parse(text);
        const Command command = CommandOf(parsed);
        if (const auto* error = std::get_if<ParseError>(&parsed)) {
            // Only the messages that build the positions must be whole.
            if (command == Command::Position || command == Command::SetState ||
                command == Command::RunShot || command == Command::Score ||
                command == Command::NewGame) {
                throw LineFault("the server's " + std::string(CommandWord(command)) +
                                " lacks word " + std::to_string(error->word));
            }
            return;
        }
        if (const auto* newGame = std::get_if<NewGame>(&parsed)) {
            if (started()) {
                throw LineFault("a second game begins; a log holds one game");
            }
            m_history.emplace(EmptySheet());
            m_history->SetNames(newGame->red, newGame->yellow);
            return;
        }
        if (!started()) {
            throw LineFault("the log does not begin with the server's NEWGAME");
        }
        if (const auto* position = std::get_if<Position>(&parsed)) {
            m_stones = position->stones;
        } else if (const auto* setState = std::get_if<SetState>(&parsed)) {
            SetStateMessage(*setState);
        } else if (const auto* runShot = std::get_if<RunShot>(&parsed)) {
            RunShotMessage(runShot->shot);
        } else if (const auto* score = std::get_if<Score>(&parsed)) {
            ScoreMessage(score->redScores);
        } else if (std::holds_alternative<GameOver>(parsed)) {
            GameOverMessage();
        }
    }

    void ClientMessage(std::string_view text) {
        const ParseResult parsed = Parse(text);
        const auto* bestShot = std::get_if<BestShot>(&parsed);
        // A delivery travels towards the house (vy < 0); a user's target
        // point lies on the sheet (y > 0).
        if (bestShot && started() && bestShot->shot.vy < 0.0f) {
            m_asked = bestShot->shot;
        }
    }

private:
    void SetStateMessage(const SetState& setState) {
        if (setState.end < 0 || setState.end > kEnds || setState.lastEnd < 1 ||
            setState.lastEnd > kEnds || setState.shot < 0 || setState.shot > kStonesPerEnd ||
            (setState.turn != kRed && setState.turn != kYellow)) {
            throw LineFault("SETSTATE holds a number out of range");
        }
        GameState state = m_position;
        ClearSheet(state);
        PlaceStones(state, m_stones);
        ApplySetState(state, setState);
        if (m_pending) {
            const bool sameEnd =
                setState.end == m_pending->end && setState.shot == m_pending->shot + 1;
            if (sameEnd) {
                m_pending->after = PositionAfterShot(m_pending->before, state.stones);
                m_pending->after.turnFlag = setState.turn;
                AppendPending();
            } else {
                CompleteByReplay();
            }
        }
        if (m_history->shotCount() == 0) {
            // The game's number of ends is known from its first SETSTATE.
            m_history->SetStart(state);
        }
        m_position = state;
        m_asked.reset();
    }

    void RunShotMessage(ShotVec played) {
        if (m_pending) {
            CompleteByReplay();
        }
        if (m_position.shotNumber >= kStonesPerEnd || m_position.currentEnd >= kEnds) {
            throw LineFault("RUNSHOT follows no position with a stone to deliver");
        }
        HistoryShot shot;
        shot.end = m_position.currentEnd;
        shot.shot = m_position.shotNumber;
        shot.colour = m_position.turnFlag;
        shot.asked = m_asked;
        shot.played = played;
        shot.before = m_position;
        m_pending = shot;
        m_asked.reset();
    }

    void ScoreMessage(const std::vector<int>& redScores) {
        if (m_pending) {
            CompleteByReplay();
        }
        if (redScores.empty() || m_history->shotCount() == 0) {
            throw LineFault("SCORE comes before any stone");
        }
        const HistoryShot& last = m_history->shotAt(m_history->shotCount() - 1);
        if (static_cast<int>(redScores.size()) != last.end + 1) {
            throw LineFault("SCORE gives " + std::to_string(redScores.size()) +
                            " results after end " + std::to_string(last.end + 1));
        }
        m_history->ScoreLastShot(redScores.back());
        ApplyEndScores(m_position, redScores);
    }

    void GameOverMessage() {
        if (m_pending) {
            CompleteByReplay();
        }
        const Points points =
            Tally(std::span<const int>(m_position.endScores, static_cast<std::size_t>(kEnds)));
        m_history->SetResult(m_history->NameOf(kRed) + " " + std::to_string(points.red) + " - " +
                             std::to_string(points.yellow) + " " + m_history->NameOf(kYellow));
    }

    // The position after the pending stone is not in the log: play the
    // delivery again on the position before it.
    void CompleteByReplay() {
        HistoryShot& shot = *m_pending;
        if (m_physics.simulation == nullptr) {
            throw LineFault("the position after " + StoneName(shot.end, shot.shot) +
                            " is not in the log, and the physics library is not there to "
                            "replay it");
        }
        GameState state = shot.before;
        ShotVec played{};
        if (m_physics.simulation(&state, shot.played, 0.0f, &played, -1) != 1) {
            throw LineFault("the physics library refuses to replay " +
                            StoneName(shot.end, shot.shot));
        }
        shot.after = PositionAfterShot(shot.before, state.stones);
        m_position = shot.after;
        AppendPending();
    }

    void AppendPending() {
        m_history->Append(std::move(*m_pending));
        m_pending.reset();
    }

    const BoardPhysics& m_physics;
    std::optional<GameHistory> m_history;
    GameState m_position = EmptySheet();
    std::vector<StonePosition> m_stones;
    std::optional<ShotVec> m_asked;
    std::optional<HistoryShot> m_pending;
};

} // namespace

bool LooksLikeMatchLog(std::string_view text) {
    const std::string_view first = FirstNonBlankLine(text);
    return first.starts_with(kServerPrefix) || first.starts_with(kClientPrefix);
}

std::variant<GameHistory, BoardFileError>
ReadMatchLog(std::string_view text, std::string_view fileName, const BoardPhysics& physics) {
    LogBuilder builder(physics);
    int number = 0;
    try {
        for (std::string_view line : SplitLines(text)) {
            ++number;
            if (line.starts_with(kServerPrefix)) {
                builder.ServerMessage(line.substr(kServerPrefix.size()));
            } else if (line.starts_with(kClientPrefix)) {
                builder.ClientMessage(line.substr(kClientPrefix.size()));
            } else if (!line.empty()) {
                throw LineFault("the line begins with neither \"Server: \" nor \"Client: \"");
            }
        }
        if (!builder.started()) {
            return BoardFileError{std::string(fileName), 0, "the file holds no game"};
        }
        number = 0; // a fault found while finishing lies on no line
        return builder.Finish();
    } catch (const LineFault& fault) {
        return BoardFileError{std::string(fileName), number, fault.what()};
    }
}

} // namespace skerrow
