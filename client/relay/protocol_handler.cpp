#include "protocol_handler.h"

#include "game_rules.h"
#include "match_numbers.h"
#include "printable_text.h"
#include "protocol_words.h"

#include <string>
#include <vector>

namespace skerrow {

namespace {

constexpr std::string_view kServerPrefix = "Server: ";
constexpr std::string_view kClientPrefix = "Client: ";
constexpr int kMaxPositionNumbers = 2 * kStonesPerEnd;
// The server message line shows "Server: " and the message in a 1024-byte
// text: longer messages are shown cut.
constexpr std::size_t kShownMessageBytes = 1022;

// The part of a message that is acted on: up to its first newline (a carriage
// return before it stays) or zero byte.
std::string_view CutAtNewline(std::string_view message) {
    const std::size_t end = message.find_first_of(std::string_view("\n\0", 2));
    return end == std::string_view::npos ? message : message.substr(0, end);
}

std::string CommandWord(std::string_view text) {
    return GetToken(text, 0).value_or(std::string());
}

// Words 1 to `count` of the text, stopping at the first missing one.
std::vector<std::string> Arguments(std::string_view text, int count, std::size_t slot = kWordSlot) {
    std::vector<std::string> words;
    for (int i = 1; i <= count; ++i) {
        std::optional<std::string> word = GetToken(text, static_cast<std::size_t>(i), slot);
        if (!word) {
            break;
        }
        words.push_back(std::move(*word));
    }
    return words;
}

ShotPos TargetFrom(const std::vector<std::string>& words) {
    return {ReadReal(words[0]), ReadReal(words[1]), ReadInteger(words[2])};
}

} // namespace

ProtocolHandler::ProtocolHandler(RelayCollaborators collaborators)
    : m_with(collaborators), m_gameState(EmptySheet()) {}

bool ProtocolHandler::isInboxHeld() const {
    return !m_inbox.empty() || m_waitingForReady;
}

void ProtocolHandler::OnServerMessage(std::string_view message) {
    HeldMessage held{std::string(message), m_with.server.IsConnected(), {}};
    if (held.serverPath) {
        ReceiveServerMessage(CutAtNewline(held.text));
    }
    m_inbox.push_back(std::move(held));
    ResumeInbox();
}

void ProtocolHandler::OnLocalMessage(std::string_view message) {
    HandleLocalMessage(CutAtNewline(message));
}

void ProtocolHandler::OnServerLinkDown(std::function<void()> whenReached) {
    // Everything received before has been logged already.
    m_with.log.Close();
    m_inbox.push_back({std::string(), false, std::move(whenReached)});
    ResumeInbox();
}

void ProtocolHandler::OnReplayEnded() {
    m_replayRunning = false;
    ResumeInbox();
}

void ProtocolHandler::OnReadyAnswered() {
    if (!m_waitingForReady) {
        return;
    }
    m_waitingForReady = false;
    m_with.server.SendToServer("READYOK");
    ResumeInbox();
}

void ProtocolHandler::ResumeInbox() {
    // A message handled below may end a replay or answer the question at once
    // and so call back in here; the loop that is already running goes on.
    if (m_resuming) {
        return;
    }
    m_resuming = true;
    while (!m_inbox.empty() && !m_waitingForReady) {
        HeldMessage& next = m_inbox.front();
        if (next.linkDown) {
            const std::function<void()> steps = std::move(next.linkDown);
            m_inbox.pop_front();
            steps();
            continue;
        }
        const std::string_view text = CutAtNewline(next.text);
        if (next.serverPath && m_replayRunning &&
            (SameWord(CommandWord(text), "POSITION") || SameWord(CommandWord(text), "SETSTATE"))) {
            // The position the server sends after a shot is shown once the
            // replay of that shot has ended; it and everything after it wait.
            break;
        }
        const HeldMessage message = std::move(next);
        m_inbox.pop_front();
        if (message.serverPath) {
            ShowServerMessage(CutAtNewline(message.text));
        } else {
            // Received while no link was up: as if the user had typed it.
            HandleLocalMessage(CutAtNewline(message.text));
        }
    }
    m_resuming = false;
}

void ProtocolHandler::ReceiveServerMessage(std::string_view text) {
    m_with.log.WriteLine(kServerPrefix, text);
    // Every server message reaches the engine before the program acts on it,
    // and without waiting for anything the window shows.
    if (m_with.engine.IsEngineRunning()) {
        m_with.engine.WriteToEngine(text);
    }
    const std::string word = CommandWord(text);
    if (SameWord(word, "NEWGAME")) {
        OpenGameLog(text);
    } else if (SameWord(word, "GAMEOVER")) {
        m_with.log.Close();
    }
}

void ProtocolHandler::ShowServerMessage(std::string_view text) {
    m_with.display.ShowText(
        ControlId::ServerMessage,
        PrintableText(std::string(kServerPrefix) + std::string(text), kShownMessageBytes));
    const std::string word = CommandWord(text);
    if (SameWord(word, "NEWGAME")) {
        ShowNewGame(text);
    } else if (SameWord(word, "POSITION")) {
        ReadPosition(text);
    } else if (SameWord(word, "SETSTATE")) {
        ReadState(text);
    } else if (SameWord(word, "RUNSHOT")) {
        ReplayServerShot(text);
    } else if (SameWord(word, "ISREADY")) {
        if (!m_with.engine.IsEngineRunning()) {
            m_waitingForReady = true;
            m_with.ready.AskReady();
        }
    } else if (SameWord(word, "SCORE")) {
        ReadScores(text);
    }
}

void ProtocolHandler::HandleLocalMessage(std::string_view text) {
    m_with.log.WriteLine(kClientPrefix, text);
    const std::string word = CommandWord(text);
    if (SameWord(word, "SETRAND")) {
        SetRandomSize(text);
    } else if (SameWord(word, "SETSTATE")) {
        ReadState(text);
    } else if (SameWord(word, "SETPOSITION")) {
        ReadPosition(text);
    } else if (SameWord(word, "DRAWSHOT")) {
        ShowPlannedDraw(text);
    } else if (SameWord(word, "BESTSHOT") && !m_with.engine.IsEngineRunning()) {
        SendPlannedDelivery(text);
    } else {
        // Everything else, the engine's deliveries included, goes to the
        // server as it came; without a link it is dropped.
        m_with.server.SendToServer(text);
    }
}

void ProtocolHandler::OpenGameLog(std::string_view text) {
    const std::string first = GetToken(text, 1, kTextSlot).value_or(std::string());
    const std::string second = GetToken(text, 2, kTextSlot).value_or(std::string());
    if (std::optional<std::string> failure = m_with.log.Open(first, second)) {
        m_with.display.ShowNotice(
            {RelayNotice::Kind::LogNotOpened, std::move(*failure), std::string()});
        return;
    }
    // Every log begins with the message that opened it.
    m_with.log.WriteLine(kServerPrefix, text);
}

void ProtocolHandler::ShowNewGame(std::string_view text) {
    const std::string first = GetToken(text, 1, kTextSlot).value_or(std::string());
    const std::string second = GetToken(text, 2, kTextSlot).value_or(std::string());
    m_with.display.ShowText(ControlId::RedName, PrintableText(first));
    m_with.display.ShowText(ControlId::YellowName, PrintableText(second));
    // A new game starts on an empty sheet, in the first end, with an empty
    // score board, whatever the last game left.
    m_gameState = EmptySheet();
    m_with.display.ClearScoreBoard();
    ShowPosition();
}

void ProtocolHandler::SetRandomSize(std::string_view text) {
    const std::optional<std::string> size = GetToken(text, 1);
    if (!size) {
        return;
    }
    if (const std::optional<float> value = ReadFiniteReal(*size)) {
        m_shotRandom = *value;
        return;
    }
    m_with.display.ShowNotice({RelayNotice::Kind::RandomSizeRefused, *size, std::string()});
}

void ProtocolHandler::ReadPosition(std::string_view text) {
    const std::vector<std::string> numbers = Arguments(text, kMaxPositionNumbers);
    const int stones = static_cast<int>(numbers.size()) / 2;
    for (int i = 0; i < stones; ++i) {
        m_gameState.stones[i] = {ReadReal(numbers[2 * i]), ReadReal(numbers[2 * i + 1])};
    }
    m_gameState.shotNumber = stones;
    m_gameState.turnFlag = stones % 2;
    ShowPosition();
}

void ProtocolHandler::ReadState(std::string_view text) {
    const std::vector<std::string> numbers = Arguments(text, 4);
    if (numbers.size() < 4) {
        return;
    }
    m_gameState.shotNumber = ReadInteger(numbers[0]);
    m_gameState.currentEnd = ReadInteger(numbers[1]);
    m_gameState.lastEnd = ReadInteger(numbers[2]);
    m_gameState.turnFlag = ReadInteger(numbers[3]);
    ShowPosition();
}

void ProtocolHandler::ReadScores(std::string_view text) {
    std::vector<int> scores;
    for (const std::string& word : Arguments(text, kEnds, kTextSlot)) {
        scores.push_back(ReadInteger(word));
    }
    ApplyEndScores(m_gameState, scores);
    m_with.display.RequestRepaint(m_gameState);
}

void ProtocolHandler::ReplayServerShot(std::string_view text) {
    const std::vector<std::string> words = Arguments(text, 3);
    if (words.size() < 3) {
        return; // no replay, and so nothing to wait for
    }
    m_shotRandom = 0.0f;
    Replay({ReadReal(words[0]), ReadReal(words[1]), ReadInteger(words[2])});
}

void ProtocolHandler::ShowPlannedDraw(std::string_view text) {
    // A fourth argument is allowed and ignored.
    if (const std::optional<ShotVec> shot = PlanToTarget(text)) {
        Replay(*shot);
    }
}

void ProtocolHandler::SendPlannedDelivery(std::string_view text) {
    const std::optional<ShotVec> shot = PlanToTarget(text);
    if (!shot || !m_with.server.IsConnected()) {
        return;
    }
    m_with.server.SendToServer("BestShot " + FormatReal(shot->vx) + " " + FormatReal(shot->vy) +
                               " " + std::to_string(shot->curl));
}

std::optional<ShotVec> ProtocolHandler::PlanToTarget(std::string_view text) {
    const std::vector<std::string> words = Arguments(text, 3);
    ShotVec shot{};
    if (words.size() < 3 || !m_with.planner.CreateShot(TargetFrom(words), shot)) {
        return std::nullopt;
    }
    return shot;
}

void ProtocolHandler::Replay(ShotVec shot) {
    if (m_with.replay.StartReplay(m_gameState, shot, m_shotRandom)) {
        m_replayRunning = true;
    }
}

void ProtocolHandler::ShowPosition() {
    m_with.display.UpdateTurnCaption(m_gameState);
    m_with.display.RequestRepaint(m_gameState);
}

} // namespace skerrow
