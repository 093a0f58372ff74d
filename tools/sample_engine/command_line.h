#pragma once

// What the engine's two programs share on their command lines: strict number
// reading and the usual handling of --help and of mistakes.

#include <charconv>
#include <iostream>
#include <optional>
#include <string_view>

namespace sample_engine {

// True when the whole of `text` is one number of the type of `value`, which
// then holds it; the C locale's rules, whatever the process's locale.
template <typename Number> bool ReadNumber(std::string_view text, Number& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Runs `parse(argc, argv, options, help)`. Returns the exit status when the
// program should stop here: 2 after a mistake (the parser has said which) with
// the usage on stderr, 0 after printing the usage for --help.
template <typename Options, typename Parse>
std::optional<int> HandleCommandLine(int argc, char** argv, Options& options, Parse parse,
                                     std::string_view usage) {
    bool help = false;
    if (!parse(argc, argv, options, help)) {
        std::cerr << usage;
        return 2;
    }
    if (help) {
        std::cout << usage;
        return 0;
    }
    return std::nullopt;
}

} // namespace sample_engine
