#pragma once

// Splitting byte streams into messages, without any I/O: the server link and
// the engine bridge feed whatever one read returned and get back the messages
// it completed. A message may arrive in any number of reads; bytes after the
// last terminator are held for the next feed.
//
// Both framers bound their memory: a message longer than the cap is dropped
// whole (its bytes are skipped up to its terminator) and counted, so that a
// peer that never sends a terminator cannot make the relay grow without limit.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// What one feed produced.
struct FramedMessages {
    // Complete messages, in the order in which they ended, without their
    // terminators.
    std::vector<std::string> messages;
    // Number of messages that began to exceed the cap during this feed and are
    // dropped (each counted once, when its length first passed the cap).
    std::size_t dropped = 0;
};

// Longest message kept by default, in bytes (terminator not counted).
inline constexpr std::size_t kDefaultMaxMessageLength = 64 * 1024;

// The framing of the match server's socket: every message is its text followed
// by one zero byte. An empty message (a zero byte right after another) is a
// message too.
class ZeroFramer {
public:
    // `maxLength`: longest message kept, in bytes; at least 1.
    explicit ZeroFramer(std::size_t maxLength = kDefaultMaxMessageLength);

    // Appends `bytes` and returns the messages they completed.
    FramedMessages Feed(std::string_view bytes);

    // Bytes held of a message not yet ended (at most the cap).
    std::size_t pendingSize() const { return m_pending.size(); }

private:
    std::string m_pending;
    std::size_t m_maxLength;
    bool m_discarding = false;
};

// The framing of the engine's standard output: a line ends at a newline or at
// a zero byte. The terminator is removed; a carriage return before the
// newline is kept, since it belongs to the text that goes to the server. A
// line of zero length is not a message.
class LineFramer {
public:
    // `maxLength`: longest line kept, in bytes; at least 1.
    explicit LineFramer(std::size_t maxLength = kDefaultMaxMessageLength);

    // Appends `bytes` and returns the lines they completed.
    FramedMessages Feed(std::string_view bytes);

    // True while a line has begun and not ended (also while the rest of an
    // over-long line is being skipped).
    bool HasPartial() const { return m_discarding || !m_pending.empty(); }

    // Ends the line in progress as if a newline had arrived and returns it;
    // empty when there is none or it was over-long (already counted as
    // dropped). Used when the engine has gone quiet or has exited, so that an
    // answer without a final newline still counts.
    std::string TakePartial();

private:
    std::string m_pending;
    std::size_t m_maxLength;
    bool m_discarding = false;
};

} // namespace skerrow
