// What the HTML and SVG writers share: escaping a text for markup, and counting its glyphs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nodewise {

// The text with <, >, & and " as entities, for element content and attribute values. Bytes that
// are not UTF-8 (a cell text from an older file in a single-byte code page) become U+FFFD, so
// the document stays valid UTF-8.
std::string HtmlEscape(std::string_view text);

// The characters of a UTF-8 text (bytes that do not continue a sequence).
std::size_t GlyphCount(std::string_view text);

} // namespace nodewise
