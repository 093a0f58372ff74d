#include "engine_answer_check.h"

#include "protocol_handler.h"
#include "protocol_messages.h"

#include <string>
#include <variant>

namespace skerrow {

namespace {

// The server takes a line as the answer to ISREADY when it reads a READYOK.
bool IsReadyAnswer(std::string_view line) {
    return std::holds_alternative<ReadyOk>(Parse(line, Reading::Strict));
}

} // namespace

bool EngineAnswerCheck::IsDelivery(std::string_view line) {
    return std::holds_alternative<BestShot>(Parse(line, Reading::Strict));
}

void EngineAnswerCheck::OnServerMessage(std::string_view message) {
    switch (CommandOf(message)) {
    case Command::IsReady:
        m_due = Due::Ready;
        break;
    case Command::Go:
        m_due = Due::Delivery;
        break;
    case Command::NewGame:
        Reset();
        break;
    case Command::RunShot:
    case Command::GameOver:
        m_due = Due::Nothing;
        break;
    default:
        break;
    }
}

std::optional<RelayNotice> EngineAnswerCheck::Report(RelayNotice::Kind kind, std::string_view line,
                                                     const char* due) {
    ++m_notices;
    if (m_notices <= kMaxNoticesPerGame) {
        return RelayNotice{kind, std::string(line), due};
    }
    if (m_notices == kMaxNoticesPerGame + 1) {
        return RelayNotice{RelayNotice::Kind::EngineNoticesSuppressed, std::string(), {}};
    }
    return std::nullopt;
}

std::optional<RelayNotice> EngineAnswerCheck::OnEngineLine(std::string_view line) {
    // The words that the relay keeps for itself never reach the server.
    if (ProtocolHandler::KeepsForItself(CommandOf(line), /*engineRunning=*/true)) {
        return std::nullopt;
    }
    switch (m_due) {
    case Due::Nothing:
        return Report(RelayNotice::Kind::EngineLineUnasked, line, "");
    case Due::Ready:
        if (IsReadyAnswer(line)) {
            m_due = Due::Nothing;
            return std::nullopt;
        }
        return Report(RelayNotice::Kind::EngineLineNotAnAnswer, line, "ISREADY");
    case Due::Delivery:
        if (IsDelivery(line)) {
            m_due = Due::Nothing;
            return std::nullopt;
        }
        // The server takes any other line but a READYOK as the answer.
        if (!IsReadyAnswer(line)) {
            m_due = Due::Nothing;
        }
        return Report(RelayNotice::Kind::EngineLineNotAnAnswer, line, "GO");
    }
    return std::nullopt;
}

} // namespace skerrow
