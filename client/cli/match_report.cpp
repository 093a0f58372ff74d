#include "match_report.h"

#include "protocol_words.h"

namespace skerrow {

namespace {

constexpr int kEnds = 10;

std::string Totals(const std::string& red, int redTotal, const std::string& yellow,
                   int yellowTotal) {
    return red + " " + std::to_string(redTotal) + " - " + std::to_string(yellowTotal) + " " +
           yellow;
}

} // namespace

std::optional<std::string> MatchReport::Observe(std::string_view message) {
    const std::string_view text = message.substr(0, message.find('\n'));
    const std::string word = GetToken(text, 0).value_or(std::string());
    if (SameWord(word, "NEWGAME")) {
        m_red = GetToken(text, 1, kTextSlot).value_or(std::string());
        m_yellow = GetToken(text, 2, kTextSlot).value_or(std::string());
        m_redTotal = 0;
        m_yellowTotal = 0;
        m_gameOver = false;
        return "Game started: " + m_red + " (red) against " + m_yellow + " (yellow)";
    }
    if (SameWord(word, "SCORE")) {
        int red = 0;
        int yellow = 0;
        int ends = 0;
        int last = 0;
        for (int i = 1; i <= kEnds; ++i) {
            const std::optional<std::string> value = GetToken(text, i, kTextSlot);
            if (!value) {
                break;
            }
            last = ReadInteger(*value);
            red += last > 0 ? last : 0;
            yellow += last < 0 ? -last : 0;
            ends = i;
        }
        if (ends == 0) {
            return std::nullopt;
        }
        m_redTotal = red;
        m_yellowTotal = yellow;
        const std::string result = last > 0   ? m_red + " scores " + std::to_string(last)
                                   : last < 0 ? m_yellow + " scores " + std::to_string(-last)
                                              : std::string("blank end");
        return "End " + std::to_string(ends) + ": " + result + "; " +
               Totals(m_red, red, m_yellow, yellow);
    }
    if (SameWord(word, "GAMEOVER")) {
        m_gameOver = true;
        return "Game over: " + Totals(m_red, m_redTotal, m_yellow, m_yellowTotal);
    }
    return std::nullopt;
}

} // namespace skerrow
