#include "descriptor_limit.h"

#include <algorithm>
#include <limits>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#endif

namespace skerrow {

namespace {

constexpr int kMostWaiting = 64;
constexpr std::int64_t kKeptForTheServer = 16;

} // namespace

int MostWaitingConnections(std::optional<std::int64_t> descriptorLimit) {
    if (!descriptorLimit) {
        return kMostWaiting;
    }
    const std::int64_t half = (*descriptorLimit - kKeptForTheServer) / 2;
    return static_cast<int>(std::clamp<std::int64_t>(half, 1, kMostWaiting));
}

std::optional<std::int64_t> OpenDescriptorLimit() {
#if defined(__unix__) || defined(__APPLE__)
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        return static_cast<std::int64_t>(
            std::min<rlim_t>(limit.rlim_cur, std::numeric_limits<std::int64_t>::max()));
    }
#endif
    return std::nullopt;
}

} // namespace skerrow
