#include "json_line.h"

#include "protocol_words.h"
#include "utf8_text.h"

namespace skerrow {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

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
        const std::string_view sequence = value.substr(0, length);
        if (IsControlCharacter(sequence)) {
            // C1 controls too: JSON allows them raw, but a terminal that
            // shows a record or a remark would act on them.
            const char32_t code = CodePoint(sequence);
            quoted += "\\u00";
            quoted += kHex[code >> 4];
            quoted += kHex[code & 0x0F];
        } else if (sequence == "\"" || sequence == "\\") {
            quoted += '\\';
            quoted += sequence;
        } else {
            quoted += sequence;
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
