#include "message_framing.h"

#include <algorithm>
#include <utility>

namespace skerrow {

namespace {

bool IsTerminator(Framing framing, char c) {
    return c == '\0' || (framing == Framing::Lines && c == '\n');
}

// Where the first terminator in `bytes` is; npos when there is none.
std::size_t FindTerminator(std::string_view bytes, Framing framing) {
    const auto end = std::find_if(bytes.begin(), bytes.end(),
                                  [framing](char c) { return IsTerminator(framing, c); });
    return end == bytes.end() ? std::string_view::npos
                              : static_cast<std::size_t>(end - bytes.begin());
}

// Feeds `bytes` to a framer's state: `pending` holds a message begun in an
// earlier feed, `discarding` is true while the rest of an over-long message
// is skipped.
FramedMessages Split(std::string_view bytes, Framing framing, std::size_t maxLength,
                     std::string& pending, bool& discarding) {
    FramedMessages result;
    while (!bytes.empty()) {
        if (discarding) {
            const std::size_t end = FindTerminator(bytes, framing);
            if (end == std::string_view::npos) {
                break;
            }
            discarding = false;
            bytes.remove_prefix(end + 1);
            continue;
        }
        const Frame frame = ReadFrame(bytes, framing, maxLength, pending.size());
        switch (frame.status) {
        case Frame::Status::Complete:
            pending.append(frame.message);
            if (framing == Framing::ZeroTerminated || !pending.empty()) {
                result.messages.push_back(std::move(pending));
            }
            pending.clear();
            break;
        case Frame::Status::Incomplete:
            pending.append(bytes);
            return result;
        case Frame::Status::TooLong:
        case Frame::Status::TooLongOpen:
            // Counted when the cap is first passed rather than at the
            // terminator, so that a stream that never ends its message is
            // reported at once.
            ++result.dropped;
            pending.clear();
            pending.shrink_to_fit();
            discarding = frame.status == Frame::Status::TooLongOpen;
            break;
        }
        bytes.remove_prefix(frame.size);
    }
    return result;
}

} // namespace

Frame ReadFrame(std::string_view bytes, Framing framing, std::size_t maxLength, std::size_t held) {
    // The message may take at most `room` bytes more, so its terminator must
    // come within the first room + 1.
    const std::size_t room = held < maxLength ? maxLength - held : 0;
    const std::size_t window = room < bytes.size() ? room + 1 : bytes.size();
    const std::size_t end = FindTerminator(bytes.substr(0, window), framing);
    if (end != std::string_view::npos) {
        return {Frame::Status::Complete, bytes.substr(0, end), end + 1};
    }
    if (bytes.size() <= room) {
        return {Frame::Status::Incomplete, {}, 0};
    }
    const std::size_t over = FindTerminator(bytes, framing);
    if (over != std::string_view::npos) {
        return {Frame::Status::TooLong, {}, over + 1};
    }
    return {Frame::Status::TooLongOpen, {}, bytes.size()};
}

ZeroFramer::ZeroFramer(std::size_t maxLength) : m_maxLength(std::max<std::size_t>(maxLength, 1)) {}

FramedMessages ZeroFramer::Feed(std::string_view bytes) {
    return Split(bytes, Framing::ZeroTerminated, m_maxLength, m_pending, m_discarding);
}

LineFramer::LineFramer(std::size_t maxLength) : m_maxLength(std::max<std::size_t>(maxLength, 1)) {}

FramedMessages LineFramer::Feed(std::string_view bytes) {
    return Split(bytes, Framing::Lines, m_maxLength, m_pending, m_discarding);
}

std::string LineFramer::TakePartial() {
    m_discarding = false;
    return std::exchange(m_pending, std::string());
}

} // namespace skerrow
