#include "match_clocks.h"

#include "game_rules.h"

#include <algorithm>

namespace skerrow {

void MatchClocks::Reset() {
    m_remainingMs = {};
    m_running.reset();
}

void MatchClocks::Settle() {
    const std::int64_t now = m_clock.NowMs();
    if (m_running && m_remainingMs[*m_running]) {
        *m_remainingMs[*m_running] -= now - m_sinceMs;
    }
    m_sinceMs = now;
}

void MatchClocks::OnTurn(int colour) {
    Settle();
    m_running = colour == kRed ? kRed : kYellow;
}

void MatchClocks::OnGo(const Go& go) {
    Settle();
    if (go.redMs) {
        m_remainingMs[kRed] = *go.redMs;
    }
    if (go.yellowMs) {
        m_remainingMs[kYellow] = *go.yellowMs;
    }
}

void MatchClocks::Stop() {
    Settle();
    m_running.reset();
}

std::optional<std::int64_t> MatchClocks::Remaining(int colour) const {
    const std::optional<std::int64_t>& stored = m_remainingMs[colour == kRed ? kRed : kYellow];
    if (!stored) {
        return std::nullopt;
    }
    std::int64_t left = *stored;
    if (m_running == colour) {
        left -= m_clock.NowMs() - m_sinceMs;
    }
    return std::max<std::int64_t>(left, 0);
}

std::string MatchClocks::Text(int colour) const {
    const std::optional<std::int64_t> left = Remaining(colour);
    return left ? Format(*left) : std::string("-:--");
}

std::string MatchClocks::Format(std::int64_t ms) {
    const std::int64_t seconds = std::max<std::int64_t>(ms, 0) / 1000;
    const std::int64_t second = seconds % 60;
    return std::to_string(seconds / 60) + (second < 10 ? ":0" : ":") + std::to_string(second);
}

} // namespace skerrow
