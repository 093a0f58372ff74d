#include "printable_text.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace skerrow {

namespace {

// Length of the UTF-8 sequence that starts at `text[i]`, or 0 when the bytes
// there are no valid sequence (overlong forms, surrogates and code points
// above U+10FFFF included); `codePoint` receives its value.
std::size_t SequenceAt(std::string_view text, std::size_t i, std::uint32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        smallest = 0x80;
        codePoint = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        smallest = 0x800;
        codePoint = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        smallest = 0x10000;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(k) & 0x3Fu);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

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
        std::uint32_t codePoint = 0;
        const std::size_t length = SequenceAt(text, i, codePoint);
        const std::size_t taken = length == 0 ? 1 : length;
        if (i + taken > maxBytes) {
            out += "…";
            break;
        }
        if (length == 0) {
            AppendEscaped(out, "\\x%02x", static_cast<unsigned char>(text[i]));
        } else if (codePoint == '\t') {
            out += "\\t";
        } else if (codePoint == '\r') {
            out += "\\r";
        } else if (codePoint == '\n') {
            out += "\\n";
        } else if (codePoint < 0x20 || codePoint == 0x7F) {
            AppendEscaped(out, "\\x%02x", codePoint);
        } else if (codePoint >= 0x80 && codePoint <= 0x9F) {
            AppendEscaped(out, "\\u%04x", codePoint);
        } else {
            out.append(text.substr(i, length));
        }
        i += taken;
    }
    return out;
}

} // namespace skerrow
