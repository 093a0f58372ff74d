#include "match_report.h"

#include "game_rules.h"
#include "printable_text.h"

#include <algorithm>
#include <variant>

namespace skerrow {

namespace {

std::string Totals(const std::string& red, std::int64_t redTotal, const std::string& yellow,
                   std::int64_t yellowTotal) {
    return red + " " + std::to_string(redTotal) + " - " + std::to_string(yellowTotal) + " " +
           yellow;
}

} // namespace

std::optional<std::string> MatchReport::Observe(const ParseResult& parsed) {
    if (const auto* newGame = std::get_if<NewGame>(&parsed)) {
        m_red = PrintableText(newGame->red);
        m_yellow = PrintableText(newGame->yellow);
        m_redTotal = 0;
        m_yellowTotal = 0;
        m_gameOver = false;
        m_scores.clear();
        return "Game started: " + m_red + " (red) against " + m_yellow + " (yellow)";
    }
    if (const auto* score = std::get_if<Score>(&parsed)) {
        if (score->redScores.empty()) {
            return std::nullopt;
        }
        m_scores = score->redScores;
        const Points points = Tally(m_scores);
        m_redTotal = points.red;
        m_yellowTotal = points.yellow;
        const std::int64_t last = m_scores.back();
        const std::string result = last > 0   ? m_red + " scores " + std::to_string(last)
                                   : last < 0 ? m_yellow + " scores " + std::to_string(-last)
                                              : std::string("blank end");
        return "End " + std::to_string(m_scores.size()) + ": " + result + "; " +
               Totals(m_red, m_redTotal, m_yellow, m_yellowTotal);
    }
    if (const auto* setState = std::get_if<SetState>(&parsed)) {
        m_lastEnd = setState->lastEnd;
        return std::nullopt;
    }
    if (std::holds_alternative<GameOver>(parsed)) {
        m_gameOver = true;
        return "Game over: " + Totals(m_red, m_redTotal, m_yellow, m_yellowTotal) + "\n" +
               ScoreBoard();
    }
    return std::nullopt;
}

std::string MatchReport::ScoreBoard() const {
    const std::size_t nameWidth = std::max<std::size_t>({m_red.size(), m_yellow.size(), 6});
    const auto cell = [](const std::string& text) {
        // The mark of an unplayed end is three bytes and one column wide.
        const std::size_t columns = text == kUnplayedEndMark ? 1 : text.size();
        return std::string(columns < 3 ? 3 - columns : 0, ' ') + text;
    };
    const auto row = [&](const std::string& name, int sign, std::int64_t total) {
        std::string line = name + std::string(nameWidth - name.size(), ' ') + " |";
        for (int end = 1; end <= kEnds; ++end) {
            std::string text;
            if (end <= static_cast<int>(m_scores.size())) {
                const std::int64_t score = std::int64_t{m_scores[end - 1]} * sign;
                text = std::to_string(score > 0 ? score : 0);
            } else if (IsUnplayedEnd(end, m_lastEnd)) {
                text = kUnplayedEndMark;
            }
            line += cell(text);
        }
        return line + " |" + cell(std::to_string(total));
    };
    std::string header = std::string(nameWidth, ' ') + " |";
    for (int end = 1; end <= kEnds; ++end) {
        header += cell(std::to_string(end));
    }
    header += " |  T";
    return header + "\n" + row(m_red, 1, m_redTotal) + "\n" + row(m_yellow, -1, m_yellowTotal);
}

} // namespace skerrow
