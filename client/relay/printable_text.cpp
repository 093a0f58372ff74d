#include "printable_text.h"

#include "utf8_text.h"

#include <array>
#include <cstdio>

namespace skerrow {

namespace {

void AppendEscaped(std::string& out, const char* format, unsigned value) {
    std::array<char, 16> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    out += buffer.data();
}

} // namespace

std::string PrintableText(std::string_view text, std::size_t maxBytes) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = Utf8SequenceLength(text.substr(i));
        const std::size_t taken = length == 0 ? 1 : length;
        if (i + taken > maxBytes) {
            out += "…";
            break;
        }
        const std::string_view sequence = text.substr(i, length);
        const auto code = length == 0 ? 0u : static_cast<unsigned>(CodePoint(sequence));
        if (length == 0) {
            AppendEscaped(out, "\\x%02x", static_cast<unsigned char>(text[i]));
        } else if (code == '\t') {
            out += "\\t";
        } else if (code == '\r') {
            out += "\\r";
        } else if (code == '\n') {
            out += "\\n";
        } else if (IsControlCharacter(sequence)) {
            // C0 controls and DEL as bytes, C1 controls as code points.
            AppendEscaped(out, code < 0x80 ? "\\x%02x" : "\\u%04x", code);
        } else {
            out.append(sequence);
        }
        i += taken;
    }
    return out;
}

} // namespace skerrow
