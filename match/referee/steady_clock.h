#pragma once

#include "referee_ports.h"

#include <chrono>

namespace skerrow {

// The machine's monotonic clock.
class SteadyClock final : public MatchClock {
public:
    std::int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace skerrow
