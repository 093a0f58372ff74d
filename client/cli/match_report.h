#pragma once

#include "match_numbers.h"
#include "protocol_messages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skerrow {

// Follows the server's messages of a match and says, in one line each, what a
// person watching cares about: the game starting with its players, the score
// after each end, and the game's end with the totals and the score board.
class MatchReport {
public:
    // The line to print for a server message, as the relay parsed it, if it
    // is such an event.
    std::optional<std::string> Observe(const ParseResult& parsed);

    // True once the server has said the game is over, until the next game.
    bool gameOver() const { return m_gameOver; }

    // The two totals so far: red's (positive end results) and yellow's. In
    // 64 bits, so that no score a server sends can overflow them.
    std::int64_t redTotal() const { return m_redTotal; }
    std::int64_t yellowTotal() const { return m_yellowTotal; }

    // The score board as the window shows it: a row for red and one for
    // yellow, each with the name, the points of ends 1 to 10 and the total;
    // "―" for ends after the last end of the match, blank for ends not played.
    std::string ScoreBoard() const;

private:
    std::vector<int> m_scores; // end results so far, positive for red
    int m_lastEnd = kEnds;
    // The names as shown: without control characters.
    std::string m_red = "red";
    std::string m_yellow = "yellow";
    std::int64_t m_redTotal = 0;
    std::int64_t m_yellowTotal = 0;
    bool m_gameOver = false;
};

} // namespace skerrow
