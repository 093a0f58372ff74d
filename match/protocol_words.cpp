#include "protocol_words.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace skerrow {

namespace {

bool IsBlank(char c) {
    // The characters the C library's isspace accepts in the "C" locale.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return text.substr(i);
}

// True when the number `text` has an exponent below zero ("1e-999").
bool HasNegativeExponent(std::string_view text) {
    const std::size_t e = text.find_first_of("eE");
    return e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
}

// True when `value` rounds to a finite 32-bit float: values from halfway
// between the largest float and the next power of two on round to infinity.
bool FitsFloat(double value) {
    const double limit =
        static_cast<double>(std::numeric_limits<float>::max()) + std::ldexp(1.0, 103);
    return std::isfinite(value) && std::fabs(value) < limit;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::optional<std::string> GetToken(std::string_view text, std::size_t index, std::size_t slot) {
    std::size_t pos = 0;
    const auto skipSpaces = [&] {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
    };
    skipSpaces();
    for (std::size_t word = 0; word < index; ++word) {
        while (pos < text.size() && text[pos] != ' ') {
            ++pos;
        }
        if (pos == text.size()) {
            return std::nullopt;
        }
        skipSpaces();
    }
    std::size_t end = pos;
    while (end < text.size() && text[end] != ' ') {
        ++end;
    }
    const std::size_t length = std::min(end - pos, slot > 0 ? slot - 1 : 0);
    return std::string(text.substr(pos, length));
}

std::optional<float> ReadFiniteReal(std::string_view text) {
    std::string_view rest = SkipBlanks(text);
    if (!rest.empty() && rest.front() == '+') {
        rest.remove_prefix(1);
        if (!rest.empty() && rest.front() == '-') {
            return 0.0f; // "+-" starts no number
        }
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (error == std::errc::invalid_argument) {
        return 0.0f; // no number at all reads as 0
    }
    if (error == std::errc::result_out_of_range &&
        HasNegativeExponent(rest.substr(0, static_cast<std::size_t>(end - rest.data())))) {
        return 0.0f; // too small for a double: as good as 0
    }
    if (error != std::errc() || !FitsFloat(value)) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

float ReadReal(std::string_view text) {
    return ReadFiniteReal(text).value_or(0.0f);
}

std::optional<float> ReadWholeReal(std::string_view word, double limit) {
    std::string_view digits = word;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            return std::nullopt;
        }
    }
    const std::string_view magnitude =
        !digits.empty() && digits.front() == '-' ? digits.substr(1) : digits;
    // from_chars also reads "inf", "nan" and "infinity"; a number starts with
    // a digit or a point.
    if (magnitude.empty() ||
        !(magnitude.front() == '.' || (magnitude.front() >= '0' && magnitude.front() <= '9'))) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != digits.data() + digits.size() || !FitsFloat(value) ||
        std::fabs(value) > limit) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

std::optional<std::int32_t> ReadWholeInteger(std::string_view word) {
    if (!word.empty() && word.front() == '+') {
        word.remove_prefix(1);
        if (!word.empty() && word.front() == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

int ReadInteger(std::string_view text) {
    std::string_view rest = SkipBlanks(text);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min<std::int64_t>(value * 10 + (c - '0'), kLimit);
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

std::string FormatReal(float value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(
        buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    if (error != std::errc()) {
        return "0.000000";
    }
    return std::string(buffer, end);
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view CutAtLineEnd(std::string_view message) {
    const std::size_t end = message.find_first_of(std::string_view("\n\0", 2));
    return end == std::string_view::npos ? message : message.substr(0, end);
}

std::string_view TrimEnd(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

} // namespace skerrow
