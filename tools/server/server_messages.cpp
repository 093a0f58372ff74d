#include "server_messages.h"

#include "match_numbers.h"
#include "protocol_words.h"
#include "utf8_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace skerrow {

namespace {

// A decimal number taking up the whole word: an optional sign, digits, an
// optional fraction and exponent. No "inf", "nan" or hexadecimal form.
std::optional<float> StrictReal(std::string_view word) {
    std::string_view digits = word;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            return std::nullopt;
        }
    }
    const std::string_view magnitude =
        !digits.empty() && digits.front() == '-' ? digits.substr(1) : digits;
    // from_chars also reads "inf", "nan" and "infinity"; a number starts
    // with a digit or a point.
    if (magnitude.empty() ||
        !(magnitude.front() == '.' || (magnitude.front() >= '0' && magnitude.front() <= '9'))) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value) ||
        std::fabs(value) > static_cast<double>(kMaxDeliverySpeed)) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

// A whole number taking up the whole word, within 32 bits.
std::optional<std::int32_t> StrictInteger(std::string_view word) {
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

// Word `index` of `text` (0 is the command word), whole however long: a
// word is judged as sent, never a cut prefix of it.
std::optional<std::string> WholeWord(std::string_view text, std::size_t index) {
    return GetToken(text, index, text.size() + 1);
}

// What is wrong with an id or a name, as a remark reads it ("the name ...").
std::optional<std::string> WordFault(std::string_view what, std::string_view word) {
    if (word.size() > kMaxNameBytes) {
        return std::string(what) + " is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    }
    while (!word.empty()) {
        const std::size_t length = Utf8SequenceLength(word);
        if (length == 0) {
            return std::string(what) + " is not UTF-8";
        }
        if (IsControlCharacter(word.substr(0, length))) {
            return std::string(what) + " has a control character";
        }
        word.remove_prefix(length);
    }
    return std::nullopt;
}

} // namespace

std::string_view TrimEnd(std::string_view message) {
    const std::size_t last = message.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view() : message.substr(0, last + 1);
}

bool HasCommandWord(std::string_view message, std::string_view word) {
    const std::optional<std::string> first = WholeWord(TrimEnd(message), 0);
    return first && SameWord(*first, word);
}

std::optional<LoginRequest> ParseLogin(std::string_view message) {
    const std::string_view text = TrimEnd(message);
    if (!HasCommandWord(text, "LOGIN")) {
        return std::nullopt;
    }
    LoginRequest login;
    login.id = WholeWord(text, 1).value_or(std::string());
    login.password = WholeWord(text, 2).value_or(std::string());
    login.name = WholeWord(text, 3).value_or(std::string());
    if (login.id.empty() || login.password.empty()) {
        return std::nullopt;
    }
    if (login.name.empty()) {
        login.name = login.id;
    }
    return login;
}

std::optional<std::string> LoginFault(const LoginRequest& login) {
    if (std::optional<std::string> fault = WordFault("the id", login.id)) {
        return fault;
    }
    return WordFault("the name", login.name);
}

std::optional<ShotVec> ParseDelivery(std::string_view message) {
    const std::string_view text = TrimEnd(message);
    if (!HasCommandWord(text, "BESTSHOT") || WholeWord(text, 4)) {
        return std::nullopt;
    }
    const std::optional<std::string> vx = WholeWord(text, 1);
    const std::optional<std::string> vy = WholeWord(text, 2);
    const std::optional<std::string> curl = WholeWord(text, 3);
    if (!vx || !vy || !curl) {
        return std::nullopt;
    }
    const std::optional<float> x = StrictReal(*vx);
    const std::optional<float> y = StrictReal(*vy);
    const std::optional<std::int32_t> c = StrictInteger(*curl);
    if (!x || !y || !c) {
        return std::nullopt;
    }
    return ShotVec{*x, *y, *c};
}

std::string FormatPosition(const GameState& state) {
    std::string text = "POSITION";
    for (int i = 0; i < kStonesPerEnd; ++i) {
        text += ' ';
        text += FormatReal(state.stones[i].x);
        text += ' ';
        text += FormatReal(state.stones[i].y);
    }
    return text;
}

std::string FormatSetState(int shot, int end, int lastEnd, int turn) {
    return "SETSTATE " + std::to_string(shot) + ' ' + std::to_string(end) + ' ' +
           std::to_string(lastEnd) + ' ' + std::to_string(turn);
}

std::string FormatGo(std::int64_t redMs, std::int64_t yellowMs) {
    return "GO " + std::to_string(redMs) + ' ' + std::to_string(yellowMs);
}

std::string FormatRunShot(ShotVec shot) {
    return "RUNSHOT " + FormatReal(shot.vx) + ' ' + FormatReal(shot.vy) + ' ' +
           std::to_string(shot.curl);
}

std::string FormatScore(const std::vector<int>& redScores) {
    std::string text = "SCORE";
    for (const int score : redScores) {
        text += ' ';
        text += std::to_string(score);
    }
    return text;
}

} // namespace skerrow
