#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// Follows the server's messages of a match and says, in one line each, what a
// person watching cares about: the game starting with its players, the score
// after each end, and the game's end with the totals.
class MatchReport {
public:
    // The line to print for a server message, if it is such an event.
    std::optional<std::string> Observe(std::string_view message);

    // True once the server has said the game is over, until the next game.
    bool gameOver() const { return m_gameOver; }

    // The two totals so far: red's (positive end results) and yellow's.
    int redTotal() const { return m_redTotal; }
    int yellowTotal() const { return m_yellowTotal; }

private:
    std::string m_red = "red";
    std::string m_yellow = "yellow";
    int m_redTotal = 0;
    int m_yellowTotal = 0;
    bool m_gameOver = false;
};

} // namespace skerrow
