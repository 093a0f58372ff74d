#pragma once

// A match clock that moves only when a test sets it, for the referee and the
// window's clocks alike.

#include "referee_ports.h"

#include <cstdint>

namespace skerrow::test {

class ManualClock final : public MatchClock {
public:
    explicit ManualClock(std::int64_t start = 0) : now(start) {}
    std::int64_t NowMs() const override { return now; }
    std::int64_t now;
};

} // namespace skerrow::test
