#include "connection_settings.h"

#include <algorithm>

namespace skerrow {

namespace {

// Sizes of the buffers the entries were read into, terminating zero included:
// a longer text is seen only up to one byte short of its buffer.
constexpr std::size_t kAddressSlot = 32;
constexpr std::size_t kPortSlot = 16;
constexpr std::size_t kIdSlot = 32;
constexpr std::size_t kPasswordSlot = 16;
constexpr std::size_t kDisplayNameSlot = 32;

constexpr std::size_t kPortMaxDigits = 8;
constexpr std::size_t kIdMinBytes = 4;
constexpr std::size_t kIdMaxBytes = 16;
constexpr std::size_t kPasswordMinBytes = 4;
constexpr std::size_t kPasswordMaxBytes = 8;
constexpr std::size_t kDisplayNameMaxBytes = 16;

std::string ReadField(std::string_view text, std::size_t slot) {
    return std::string(text.substr(0, slot - 1));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsNameByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '-' || c == '_' ||
           c == '.';
}

bool KeepsNameRule(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsNameByte);
}

// The port's number, or nothing when the text is no port: more than eight
// characters, anything but digits, or a value outside 1 to 65535. A value
// beyond 65535 is refused rather than wrapped, which would connect elsewhere.
std::optional<std::uint16_t> PortNumber(std::string_view text) {
    if (text.size() > kPortMaxDigits || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return std::nullopt;
    }
    std::uint32_t value = 0; // eight digits fit
    for (const char c : text) {
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

bool LengthWithin(std::string_view text, std::size_t min, std::size_t max) {
    return text.size() >= min && text.size() <= max;
}

} // namespace

std::optional<std::string> CheckConnectionEntries(const ConnectionEntries& entries,
                                                  ConnectionSettings& out) {
    out.address = ReadField(entries.address, kAddressSlot);
    if (out.address.empty()) {
        return "IPアドレスを入力して下さい";
    }
    if (!KeepsNameRule(out.address)) {
        return "IPアドレスは、半角数字で入力して下さい";
    }

    const std::string port = ReadField(entries.port, kPortSlot);
    if (port.empty()) {
        return "PORT番号を入力して下さい";
    }
    const std::optional<std::uint16_t> portNumber = PortNumber(port);
    if (!portNumber) {
        return "PORT番号は、半角数字で入力して下さい";
    }
    out.port = *portNumber;

    out.id = ReadField(entries.id, kIdSlot);
    if (out.id.empty()) {
        return "IDを入力して下さい";
    }
    if (!LengthWithin(out.id, kIdMinBytes, kIdMaxBytes) || !KeepsNameRule(out.id)) {
        return "IDは、半角英数字（4～16字）で入力して下さい";
    }

    out.password = ReadField(entries.password, kPasswordSlot);
    if (out.password.empty()) {
        return "パスワードを入力して下さい";
    }
    if (!LengthWithin(out.password, kPasswordMinBytes, kPasswordMaxBytes) ||
        !KeepsNameRule(out.password)) {
        return "パスワードは、半角英数字（4～8字）で入力して下さい";
    }
    if (out.id == out.password) {
        return "IDとパスワードに同じものは使用できません";
    }

    out.displayName = ReadField(entries.displayName, kDisplayNameSlot);
    if (out.displayName.empty()) {
        return "ユーザー名を入力して下さい";
    }
    if (out.displayName.size() > kDisplayNameMaxBytes || !KeepsNameRule(out.displayName)) {
        return "ユーザー名は、半角英数字16字以内で入力して下さい";
    }
    return std::nullopt;
}

} // namespace skerrow
