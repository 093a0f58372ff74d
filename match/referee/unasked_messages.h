#pragma once

// The tally of what one player sends without being asked (in the lobby
// after LOGIN, or during a game when it is not its turn), so that a player
// that floods the server costs it a bounded amount of work, output and
// record, and is cut off past a generous limit.

#include <cstddef>
#include <cstdint>
#include <string>

namespace skerrow {

class UnaskedMessages {
public:
    // How many unasked messages are shown one by one (in a record or on
    // standard error) before they are only counted: enough to see what a
    // confused client sends, little enough to keep a record small.
    static constexpr std::int64_t kShown = 20;
    // The most unasked messages, and bytes, that a player may send in one
    // game or while it waits for an opponent. A real client sends a few
    // (a late READYOK, an engine's stray line); the limits are far above
    // that, and handling that much takes the server milliseconds.
    static constexpr std::int64_t kMostMessages = 10000;
    static constexpr std::int64_t kMostBytes = 16 * 1024 * 1024;

    // What to do with the message just added.
    enum class Verdict {
        Show,     // one of the first kShown: show or record it
        Count,    // only count it
        OverLimit // the player has gone past a limit: cut it off
    };

    // Counts one unasked message of `bytes` bytes.
    Verdict Add(std::size_t bytes);
    // Forgets everything (a new game).
    void Reset() { *this = UnaskedMessages(); }

    // "10000 messages or 16 MiB", for remarks.
    static std::string LimitsText();

    std::int64_t count() const { return m_count; }
    // Messages counted but not shown.
    std::int64_t hidden() const { return m_count > kShown ? m_count - kShown : 0; }

private:
    std::int64_t m_count = 0;
    std::int64_t m_bytes = 0;
};

} // namespace skerrow
