#include "message_framing.h"

#include <algorithm>
#include <utility>

namespace skerrow {

namespace {

// Splits `bytes` at every byte for which `isEnd` holds, continuing the message
// held in `pending`. `discarding` is true while the rest of an over-long
// message is skipped; both are updated for the next feed.
template <typename IsEnd>
FramedMessages Split(std::string_view bytes, std::string& pending, bool& discarding,
                     std::size_t maxLength, bool keepEmpty, IsEnd isEnd) {
    FramedMessages result;
    while (!bytes.empty()) {
        const auto end = std::find_if(bytes.begin(), bytes.end(), isEnd);
        const std::string_view piece =
            bytes.substr(0, static_cast<std::size_t>(end - bytes.begin()));
        if (!discarding) {
            if (piece.size() > maxLength - pending.size()) {
                // Counted now rather than at its terminator, so that a stream
                // that never ends its message is reported at once.
                pending.clear();
                pending.shrink_to_fit();
                discarding = true;
                ++result.dropped;
            } else {
                pending.append(piece);
            }
        }
        if (end == bytes.end()) {
            break;
        }
        if (!discarding && (keepEmpty || !pending.empty())) {
            result.messages.push_back(std::move(pending));
        }
        pending.clear();
        discarding = false;
        bytes.remove_prefix(piece.size() + 1);
    }
    return result;
}

} // namespace

ZeroFramer::ZeroFramer(std::size_t maxLength) : m_maxLength(std::max<std::size_t>(maxLength, 1)) {}

FramedMessages ZeroFramer::Feed(std::string_view bytes) {
    return Split(bytes, m_pending, m_discarding, m_maxLength, /*keepEmpty=*/true,
                 [](char c) { return c == '\0'; });
}

LineFramer::LineFramer(std::size_t maxLength) : m_maxLength(std::max<std::size_t>(maxLength, 1)) {}

FramedMessages LineFramer::Feed(std::string_view bytes) {
    return Split(bytes, m_pending, m_discarding, m_maxLength, /*keepEmpty=*/false,
                 [](char c) { return c == '\n' || c == '\0'; });
}

std::string LineFramer::TakePartial() {
    m_discarding = false;
    return std::exchange(m_pending, std::string());
}

} // namespace skerrow
