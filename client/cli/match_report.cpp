#include "match_report.h"

#include "game_rules.h"
#include "printable_text.h"
#include "protocol_words.h"

#include <algorithm>

namespace skerrow {

namespace {

std::string Totals(const std::string& red, std::int64_t redTotal, const std::string& yellow,
                   std::int64_t yellowTotal) {
    return red + " " + std::to_string(redTotal) + " - " + std::to_string(yellowTotal) + " " +
           yellow;
}

} // namespace

std::optional<std::string> MatchReport::Observe(std::string_view message) {
    const std::string_view text = message.substr(0, message.find('\n'));
    const std::string word = GetToken(text, 0).value_or(std::string());
    if (SameWord(word, "NEWGAME")) {
        m_red = PrintableText(GetToken(text, 1, kTextSlot).value_or(std::string()));
        m_yellow = PrintableText(GetToken(text, 2, kTextSlot).value_or(std::string()));
        m_redTotal = 0;
        m_yellowTotal = 0;
        m_gameOver = false;
        m_scores.clear();
        return "Game started: " + m_red + " (red) against " + m_yellow + " (yellow)";
    }
    if (SameWord(word, "SCORE")) {
        std::vector<int> scores;
        for (int i = 1; i <= kEnds; ++i) {
            const std::optional<std::string> value = GetToken(text, i, kTextSlot);
            if (!value) {
                break;
            }
            scores.push_back(ReadInteger(*value));
        }
        if (scores.empty()) {
            return std::nullopt;
        }
        m_scores = std::move(scores);
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
    if (SameWord(word, "SETSTATE")) {
        if (const std::optional<std::string> lastEnd = GetToken(text, 3)) {
            m_lastEnd = ReadInteger(*lastEnd);
        }
        return std::nullopt;
    }
    if (SameWord(word, "GAMEOVER")) {
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
