#include "record_file_name.h"

#include <cstddef>

namespace skerrow {

namespace {

constexpr std::size_t kMaxNameInFileName = 32;

std::string SafeName(std::string_view name) {
    std::string safe(name.substr(0, kMaxNameInFileName));
    for (char& c : safe) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!plain) {
            c = '_';
        }
    }
    return safe.empty() ? std::string("_") : safe;
}

} // namespace

std::string RecordFileName(int game, std::string_view red, std::string_view yellow) {
    return "game-" + std::to_string(game) + "-" + SafeName(red) + "-" + SafeName(yellow) + ".jsonl";
}

} // namespace skerrow
