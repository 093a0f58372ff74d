#pragma once

// How many connections the server may keep waiting for their LOGIN, from the
// process's limit on open descriptors: every connection holds one, and an
// accept that finds none left fails.

#include <cstdint>
#include <optional>

namespace skerrow {

// The most connections kept waiting for LOGIN at once. The excess is refused
// at once, so that a burst of connections cannot use up the descriptors the
// two players, the records and the event loop need. 64 at most (two players
// need two); with a descriptor limit, half of what is left after 16 kept for
// the server's own files, sockets and for refusing one more; at least 1.
int MostWaitingConnections(std::optional<std::int64_t> descriptorLimit);

// The process's limit on open descriptors (the soft limit), where the
// platform has one.
std::optional<std::int64_t> OpenDescriptorLimit();

} // namespace skerrow
