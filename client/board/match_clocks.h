#pragma once

// Both sides' thinking time as the window shows it. GO gives both clocks (in
// milliseconds) to the side to deliver; from then on the clock of the side
// to deliver counts down and the other stays as it was. The window tells the
// clocks whose turn it is from each SETSTATE (the server's GO reaches only
// the side it asks, so the opponent's turn starts without one) and stops
// them when a stone is delivered or the game is over.

#include "protocol_messages.h"
#include "referee_ports.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace skerrow {

class MatchClocks {
public:
    // `clock` must outlive the clocks.
    explicit MatchClocks(const MatchClock& clock) : m_clock(clock) {}

    // A new game: both clocks unknown and stopped.
    void Reset();
    // `colour` (kRed or kYellow) is to deliver: its clock runs, the other's
    // stops where it is.
    void OnTurn(int colour);
    // Both clocks as GO gives them; a clock GO leaves out keeps its value.
    // The side whose turn it is counts down from now.
    void OnGo(const Go& go);
    // Both clocks stop where they are.
    void Stop();

    // The time `colour` has left now, in milliseconds, never below 0; none
    // before a GO gave it.
    std::optional<std::int64_t> Remaining(int colour) const;
    // The colour whose clock runs; none while both are stopped.
    std::optional<int> running() const { return m_running; }
    // Remaining(colour) as "m:ss" (whole seconds, rounded down); "-:--" while
    // unknown.
    std::string Text(int colour) const;

    // `ms` as "m:ss"; minutes go past 59 ("75:00").
    static std::string Format(std::int64_t ms);

private:
    // Folds the time run so far into the running clock.
    void Settle();

    const MatchClock& m_clock;
    std::array<std::optional<std::int64_t>, 2> m_remainingMs;
    std::optional<int> m_running;
    std::int64_t m_sinceMs = 0;
};

} // namespace skerrow
