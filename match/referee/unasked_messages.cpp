#include "unasked_messages.h"

namespace skerrow {

UnaskedMessages::Verdict UnaskedMessages::Add(std::size_t bytes) {
    ++m_count;
    m_bytes += static_cast<std::int64_t>(bytes);
    if (m_count > kMostMessages || m_bytes > kMostBytes) {
        return Verdict::OverLimit;
    }
    return m_count <= kShown ? Verdict::Show : Verdict::Count;
}

std::string UnaskedMessages::LimitsText() {
    return std::to_string(kMostMessages) + " messages or " +
           std::to_string(kMostBytes / (1024 * 1024)) + " MiB";
}

} // namespace skerrow
