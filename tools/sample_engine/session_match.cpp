#include "session_match.h"

namespace sample_engine {

SessionMatch::SessionMatch(const skerrow::MatchConfig& config,
                           std::array<EngineSession*, 2> players, std::array<std::string, 2> names,
                           std::ostream& remarks)
    : m_players(players), m_remarks(remarks),
      m_referee(config, std::move(names), *this, m_clock, m_shots) {}

std::vector<skerrow::GameResult>
SessionMatch::Play(const std::function<void(const skerrow::GameResult&)>& onGameOver) {
    std::size_t told = 0;
    const auto tell = [&] {
        for (; told < m_referee.results().size(); ++told) {
            if (onGameOver) {
                onGameOver(m_referee.results()[told]);
            }
        }
    };
    m_referee.Start();
    while (!m_inbox.empty()) {
        const auto [seat, message] = std::move(m_inbox.front());
        m_inbox.pop_front();
        if (const std::optional<std::string> answer = m_players[seat]->HandleMessage(message)) {
            m_referee.OnMessage(seat, *answer, m_clock.NowMs());
            tell();
        }
    }
    tell();
    return m_referee.results();
}

void SessionMatch::SendTo(int seat, std::string_view text) {
    m_inbox.emplace_back(seat, std::string(text));
}

void SessionMatch::Note(std::string_view line) {
    m_remarks << line << '\n';
}

} // namespace sample_engine
