// Shift_JIS bytes of the host, as the text of an SVG picture.
#pragma once

#include <string>
#include <string_view>

namespace curvetext::preview {

// UTF-8 of Shift_JIS bytes as Windows reads them (code page 932, through
// iconv), its characters told apart as the tool tells them (util/sjis.h).
// Control bytes, which XML cannot hold, become their visible pictures
// (U+2400 on); a byte or pair that does not convert, such as a lead byte
// without its trail byte, becomes U+FFFD, and so does a character whose
// lead byte the tool does not support (0xEB to 0xFC): the tool writes no
// glyph for it, whatever code page 932 would make of it.
std::string sjis_to_utf8(std::string_view bytes);

// The text with the five XML specials escaped.
std::string xml_escape(std::string_view text);

} // namespace curvetext::preview
