#include "json_line.h"

#include "protocol_words.h"

namespace skerrow {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// Length of the valid UTF-8 sequence that starts `text`, or 0 when it starts
// with a byte that begins none.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

std::string JsonLine::Quote(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "\"";
    while (!value.empty()) {
        const std::size_t length = Utf8SequenceLength(value);
        if (length == 0) {
            quoted += kReplacement;
            value.remove_prefix(1);
            continue;
        }
        const char c = value.front();
        if (length > 1) {
            quoted.append(value.substr(0, length));
        } else if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            const auto code = static_cast<unsigned char>(c);
            quoted += "\\u00";
            quoted += kHex[code >> 4];
            quoted += kHex[code & 0x0F];
        } else {
            quoted += c;
        }
        value.remove_prefix(length);
    }
    quoted += '"';
    return quoted;
}

void JsonLine::Key(std::string_view key) {
    if (!m_fields.empty()) {
        m_fields += ',';
    }
    m_fields += Quote(key);
    m_fields += ':';
}

JsonLine& JsonLine::String(std::string_view key, std::string_view value) {
    Key(key);
    m_fields += Quote(value);
    return *this;
}

JsonLine& JsonLine::Integer(std::string_view key, std::int64_t value) {
    Key(key);
    m_fields += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::Real(std::string_view key, float value) {
    Key(key);
    m_fields += FormatReal(value);
    return *this;
}

JsonLine& JsonLine::Boolean(std::string_view key, bool value) {
    Key(key);
    m_fields += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Null(std::string_view key) {
    Key(key);
    m_fields += "null";
    return *this;
}

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json) {
    Key(key);
    m_fields += json;
    return *this;
}

} // namespace skerrow
