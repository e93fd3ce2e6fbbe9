#include "sjis_text.h"

#include <cstdint>

#include <iconv.h>

#include "util/sjis.h"

namespace curvetext::preview {

namespace {

const char replacement[] = "\xEF\xBF\xBD"; // U+FFFD

void append_code_point(std::string& out, unsigned cp) {
  // Only the control pictures come here: three UTF-8 bytes.
  out += static_cast<char>(0xE0 | (cp >> 12));
  out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (cp & 0x3F));
}

struct Converter {
  iconv_t cd = nullptr;
  bool usable = false;
};

// Windows' table first: it maps 0x5C and 0x7E to the ASCII characters the
// host shows, where plain Shift_JIS gives the yen sign and the overline.
const Converter& converter() {
  static const Converter c = [] {
    for (const char* table : {"CP932", "SHIFT_JIS"}) {
      iconv_t cd = iconv_open("UTF-8", table);
      // iconv_open fails with (iconv_t)-1.
      if (reinterpret_cast<std::intptr_t>(cd) != -1) return Converter{cd, true};
    }
    return Converter{};
  }();
  return c;
}

// One character of one or two bytes.
void convert_one(std::string& out, std::string_view ch) {
  const Converter& conv = converter();
  if (!conv.usable) {
    const auto c = static_cast<unsigned char>(ch[0]);
    out += ch.size() == 1 && c < 0x80 ? std::string(ch) : std::string(replacement);
    return;
  }
  char in_buf[2] = {ch[0], ch.size() > 1 ? ch[1] : '\0'};
  char out_buf[16];
  char* in_p = in_buf;
  char* out_p = out_buf;
  std::size_t in_left = ch.size();
  std::size_t out_left = sizeof out_buf;
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr); // a fresh state for every character
  if (iconv(conv.cd, &in_p, &in_left, &out_p, &out_left) == static_cast<std::size_t>(-1) ||
      in_left != 0) {
    out += replacement;
    return;
  }
  out.append(out_buf, static_cast<std::size_t>(out_p - out_buf));
}

} // namespace

std::string sjis_to_utf8(std::string_view bytes) {
  std::string out;
  const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = text[i];
    // Characters are told apart as the tool tells them.
    const int kind = SHIFTJIS(text + i, 0);
    const std::size_t n = kind != kSjisSingle && i + 1 < bytes.size() ? 2 : 1;
    if (c < 0x20 || c == 0x7F) {
      append_code_point(out, c == 0x7F ? 0x2421 : 0x2400 + c);
    } else if (kind == kSjisUnsupported) {
      out += replacement; // the tool lays out no glyph for it
    } else {
      convert_one(out, bytes.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&apos;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

} // namespace curvetext::preview
