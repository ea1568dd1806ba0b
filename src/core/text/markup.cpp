#include "core/text/markup.h"

namespace nodewise {

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            const std::size_t length = c >= 0xF0 && c < 0xF5   ? 4
                                       : c >= 0xE0             ? 3
                                       : c >= 0xC2 && c < 0xE0 ? 2
                                                               : 0;
            bool valid = length != 0 && i + length <= text.size();
            for (std::size_t k = 1; valid && k < length; ++k) {
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            }
            if (valid) {
                out.append(text.substr(i, length));
                i += length - 1;
            } else {
                out += "\xEF\xBF\xBD"; // U+FFFD
            }
        }
    }
    return out;
}

std::size_t GlyphCount(std::string_view text) {
    std::size_t glyphs = 0;
    for (char c : text) {
        glyphs += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return glyphs;
}

} // namespace nodewise
