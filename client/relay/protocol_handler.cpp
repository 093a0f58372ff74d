#include "protocol_handler.h"

#include "game_rules.h"
#include "protocol_messages.h"
#include "protocol_words.h"

#include <string>
#include <variant>

namespace skerrow {

namespace {

constexpr std::string_view kServerPrefix = "Server: ";
constexpr std::string_view kClientPrefix = "Client: ";

// The target point a user's BESTSHOT names (x and y in metres).
ShotPos TargetOf(const BestShot& bestShot) {
    return {bestShot.shot.vx, bestShot.shot.vy, bestShot.shot.curl};
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
        ReceiveServerMessage(CutAtLineEnd(held.text));
    }
    m_inbox.push_back(std::move(held));
    ResumeInbox();
}

void ProtocolHandler::OnLocalMessage(std::string_view message) {
    HandleLocalMessage(CutAtLineEnd(message));
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
    m_with.server.SendToServer(Format(ReadyOk{}));
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
        const Command command = CommandOf(CutAtLineEnd(next.text));
        if (next.serverPath && m_replayRunning &&
            (command == Command::Position || command == Command::SetState)) {
            // The position the server sends after a shot is shown once the
            // replay of that shot has ended; it and everything after it wait.
            break;
        }
        const HeldMessage message = std::move(next);
        m_inbox.pop_front();
        if (message.serverPath) {
            ShowServerMessage(CutAtLineEnd(message.text));
        } else {
            // Received while no link was up: as if the user had typed it.
            HandleLocalMessage(CutAtLineEnd(message.text));
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
    const ParseResult parsed = Parse(text);
    m_with.events.OnServerMessageReceived(text, parsed);
    if (const auto* newGame = std::get_if<NewGame>(&parsed)) {
        OpenGameLog(*newGame, text);
    } else if (std::holds_alternative<GameOver>(parsed)) {
        m_with.log.Close();
    }
}

void ProtocolHandler::ShowServerMessage(std::string_view text) {
    const ParseResult parsed = Parse(text);
    m_with.events.OnServerMessageShown(text, parsed);
    if (const auto* newGame = std::get_if<NewGame>(&parsed)) {
        ShowNewGame(*newGame);
    } else if (const auto* position = std::get_if<Position>(&parsed)) {
        ShowStones(position->stones);
    } else if (const auto* setState = std::get_if<SetState>(&parsed)) {
        ShowState(*setState);
    } else if (const auto* runShot = std::get_if<RunShot>(&parsed)) {
        m_shotRandom = 0.0f;
        Replay(runShot->shot);
    } else if (std::holds_alternative<IsReady>(parsed)) {
        if (!m_with.engine.IsEngineRunning()) {
            m_waitingForReady = true;
            m_with.ready.AskReady();
        }
    } else if (const auto* score = std::get_if<Score>(&parsed)) {
        ApplyEndScores(m_gameState, score->redScores);
        m_with.events.OnEndScored(m_gameState, *score);
    }
    // A RUNSHOT without its three numbers starts no replay, and so leaves
    // nothing to wait for.
}

bool ProtocolHandler::KeepsForItself(Command command, bool engineRunning) {
    return command == Command::SetRand || command == Command::SetState ||
           command == Command::SetPosition || command == Command::DrawShot ||
           (command == Command::BestShot && !engineRunning);
}

void ProtocolHandler::HandleLocalMessage(std::string_view text) {
    m_with.log.WriteLine(kClientPrefix, text);
    const ParseResult parsed = Parse(text);
    if (!KeepsForItself(CommandOf(parsed), m_with.engine.IsEngineRunning())) {
        // Everything else, the engine's deliveries included, goes to the
        // server as it came; without a link it is dropped.
        m_with.server.SendToServer(text);
        return;
    }
    // The words the relay keeps do nothing when they lack something.
    if (CommandOf(parsed) == Command::SetRand) {
        SetRandomSize(parsed);
    } else if (const auto* setState = std::get_if<SetState>(&parsed)) {
        ShowState(*setState);
    } else if (const auto* setPosition = std::get_if<SetPosition>(&parsed)) {
        ShowStones(setPosition->stones);
    } else if (const auto* drawShot = std::get_if<DrawShot>(&parsed)) {
        ShowPlannedDraw(drawShot->target);
    } else if (const auto* bestShot = std::get_if<BestShot>(&parsed)) {
        // The user's target point, turned into a delivery.
        SendPlannedDelivery(TargetOf(*bestShot));
    }
}

void ProtocolHandler::OpenGameLog(const NewGame& newGame, std::string_view text) {
    if (std::optional<std::string> failure = m_with.log.Open(newGame.red, newGame.yellow)) {
        m_with.events.OnNotice(
            {RelayNotice::Kind::LogNotOpened, std::move(*failure), std::string()});
        return;
    }
    // Every log begins with the message that opened it.
    m_with.log.WriteLine(kServerPrefix, text);
}

void ProtocolHandler::ShowNewGame(const NewGame& newGame) {
    // A new game starts on an empty sheet, in the first end, with an empty
    // score board, whatever the last game left.
    m_gameState = EmptySheet();
    m_with.events.OnGameStarted(newGame);
    ShowPosition();
}

void ProtocolHandler::SetRandomSize(const ParseResult& parsed) {
    if (const auto* setRand = std::get_if<SetRand>(&parsed)) {
        m_shotRandom = setRand->size;
        return;
    }
    const ParseError& error = std::get<ParseError>(parsed);
    if (error.fault == ParseError::Fault::BadNumber) {
        m_with.events.OnNotice({RelayNotice::Kind::RandomSizeRefused, error.text, std::string()});
    }
}

void ProtocolHandler::ShowStones(std::span<const StonePosition> stones) {
    // The stones given are the ones delivered so far in the end, and the
    // sides alternate from the even stones.
    PlaceStones(m_gameState, stones);
    m_gameState.shotNumber = static_cast<int>(stones.size());
    m_gameState.turnFlag = m_gameState.shotNumber % 2;
    ShowPosition();
}

void ProtocolHandler::ShowState(const SetState& setState) {
    ApplySetState(m_gameState, setState);
    ShowPosition();
}

void ProtocolHandler::ShowPlannedDraw(ShotPos target) {
    if (const std::optional<ShotVec> shot = PlanToTarget(target)) {
        Replay(*shot);
    }
}

void ProtocolHandler::SendPlannedDelivery(ShotPos target) {
    const std::optional<ShotVec> shot = PlanToTarget(target);
    if (!shot || !m_with.server.IsConnected()) {
        return;
    }
    m_with.server.SendToServer(Format(BestShot{*shot, /*mixedCase=*/true}));
}

std::optional<ShotVec> ProtocolHandler::PlanToTarget(ShotPos target) {
    ShotVec shot{};
    if (!m_with.planner.CreateShot(target, shot)) {
        return std::nullopt;
    }
    return shot;
}

void ProtocolHandler::Replay(ShotVec shot) {
    if (m_with.replay != nullptr && m_with.replay->StartReplay(m_gameState, shot, m_shotRandom)) {
        m_replayRunning = true;
    }
}

void ProtocolHandler::ShowPosition() {
    m_with.events.OnPositionChanged(m_gameState);
}

} // namespace skerrow
