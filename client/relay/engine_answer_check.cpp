#include "engine_answer_check.h"

#include "protocol_words.h"

#include <string>

namespace skerrow {

namespace {

// Every word whole, however long.
constexpr std::size_t kUncut = std::string_view::npos;

// The server ignores blanks and a carriage return at the end of a message.
std::string_view TrimEnd(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string Word(std::string_view text, std::size_t index) {
    return GetToken(text, index, kUncut).value_or(std::string());
}

bool IsHandledByTheRelay(std::string_view word) {
    for (const char* local : {"SETRAND", "SETSTATE", "SETPOSITION", "DRAWSHOT"}) {
        if (SameWord(word, local)) {
            return true;
        }
    }
    return false;
}

bool IsReadyAnswer(std::string_view line) {
    const std::string_view text = TrimEnd(line);
    return SameWord(Word(text, 0), "READYOK") && !GetToken(text, 1);
}

} // namespace

bool EngineAnswerCheck::IsDelivery(std::string_view line) {
    const std::string_view text = TrimEnd(line);
    if (!SameWord(Word(text, 0), "BESTSHOT") || !GetToken(text, 3) || GetToken(text, 4)) {
        return false;
    }
    return ReadWholeReal(Word(text, 1), kMaxAnswerSpeed) &&
           ReadWholeReal(Word(text, 2), kMaxAnswerSpeed) && ReadWholeInteger(Word(text, 3));
}

void EngineAnswerCheck::OnServerMessage(std::string_view message) {
    const std::string word = Word(message, 0);
    if (SameWord(word, "ISREADY")) {
        m_due = Due::Ready;
    } else if (SameWord(word, "GO")) {
        m_due = Due::Delivery;
    } else if (SameWord(word, "NEWGAME")) {
        Reset();
    } else if (SameWord(word, "RUNSHOT") || SameWord(word, "GAMEOVER")) {
        m_due = Due::Nothing;
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
    if (IsHandledByTheRelay(Word(line, 0))) {
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
