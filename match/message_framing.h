#pragma once

// Splitting byte streams into messages, without any I/O. Two framings:
//
// - zero-terminated, on the link between a server and a player and on an
//   engine's standard input: every message is its text followed by one zero
//   byte, and an empty message (a zero byte right after another) is a
//   message too;
// - lines, on an engine's standard output: a line ends at a newline or at a
//   zero byte; a carriage return before the newline is kept, since it
//   belongs to the text that goes to the server, and a line of zero length
//   is no message.
//
// ReadFrame is the framing itself, a pure function: bytes in, {status,
// message, frame size} out. The framers below keep what a stream has begun:
// the server link, the engine bridge, the server's player connections and
// the sample engine feed them whatever one read returned and get back the
// messages it completed. Both bound their memory: a message longer than the
// cap is dropped whole (its bytes are skipped up to its terminator) and
// counted, so that a peer that never sends a terminator cannot make its
// reader grow without limit.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// Longest message kept by default, in bytes (terminator not counted).
inline constexpr std::size_t kDefaultMaxMessageLength = 64 * 1024;

enum class Framing {
    ZeroTerminated, // ends at a zero byte
    Lines,          // ends at a newline or a zero byte
};

// The first frame of a stream.
struct Frame {
    enum class Status {
        // `message` ends before `size` bytes: the message and its terminator.
        Complete,
        // No terminator yet, and the message still fits the cap: wait for
        // more bytes. `size` is 0.
        Incomplete,
        // The message is longer than the cap and ends within the `size` bytes
        // that make it up (its terminator included): drop them.
        TooLong,
        // The message is longer than the cap and has not ended: drop all
        // `size` bytes, and the bytes that follow up to the next terminator.
        TooLongOpen,
    };
    Status status = Status::Incomplete;
    // The message without its terminator; only for Complete. A view into
    // the bytes given.
    std::string_view message;
    // Bytes the frame takes from the front of the bytes given.
    std::size_t size = 0;
};

// The first frame of `bytes` in `framing`, of a message that already holds
// `held` bytes from earlier reads (which `bytes` continues): the message is
// too long when held + its length exceeds `maxLength`.
Frame ReadFrame(std::string_view bytes, Framing framing, std::size_t maxLength,
                std::size_t held = 0);

// What one feed produced.
struct FramedMessages {
    // Complete messages, in the order in which they ended, without their
    // terminators.
    std::vector<std::string> messages;
    // Number of messages that began to exceed the cap during this feed and are
    // dropped (each counted once, when its length first passed the cap).
    std::size_t dropped = 0;
};

// Reads a zero-terminated stream.
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

// Reads an engine's lines.
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
