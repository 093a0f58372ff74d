#pragma once

// One line of a game record: a flat JSON object built field by field, in the
// order the fields are added.

#include <cstdint>
#include <string>
#include <string_view>

namespace skerrow {

class JsonLine {
public:
    // A string field. Bytes that are not valid UTF-8 become U+FFFD, control
    // characters (C0, DEL and C1) are escaped, so the line stays one valid
    // JSON line that a terminal shows as it is.
    JsonLine& String(std::string_view key, std::string_view value);
    JsonLine& Integer(std::string_view key, std::int64_t value);
    // A finite number, written with six digits after the point.
    JsonLine& Real(std::string_view key, float value);
    JsonLine& Boolean(std::string_view key, bool value);
    JsonLine& Null(std::string_view key);
    // A field whose value is already JSON text (an array or an object).
    JsonLine& Raw(std::string_view key, std::string_view json);

    // The object, "{...}", without a newline.
    std::string Text() const { return "{" + m_fields + "}"; }

    // `value` as a JSON string literal, quotes included, escaped as in
    // String(): safe to print on one line of a terminal.
    static std::string Quote(std::string_view value);

private:
    void Key(std::string_view key);

    std::string m_fields;
};

} // namespace skerrow
