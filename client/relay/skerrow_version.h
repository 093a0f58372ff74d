#pragma once

namespace skerrow {

// The version both front ends report (--version, the About box).
inline constexpr char kSkerrowVersion[] = "1.0";

} // namespace skerrow
