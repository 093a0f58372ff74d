#include "text_lines.h"

namespace skerrow {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    }
    return lines;
}

std::string_view FirstNonBlankLine(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r";
    for (std::string_view line : SplitLines(text)) {
        const std::size_t first = line.find_first_not_of(kBlanks);
        if (first != std::string_view::npos) {
            line.remove_prefix(first);
            return line.substr(0, line.find_last_not_of(kBlanks) + 1);
        }
    }
    return {};
}

} // namespace skerrow
