#include "output_check.h"

#include <cmath>
#include <cstdlib>
#include <regex>
#include <vector>

namespace curvetext::testing {

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t lf = text.find('\n');
    std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

std::string_view strip_line_end(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

const std::regex& glyph_record() {
  static const std::regex re(
      "ch (-?[0-9]+\\.[0-9]{10}) (-?[0-9]+\\.[0-9]{10}) (-?[0-9]+\\.[0-9]{10}) "
      "(-?[0-9]+\\.[0-9]{10}) \"[\\s\\S]{1,2}");
  return re;
}

// The tool's own record forms, other than glyphs, echoes and trace comments.
const std::regex& own_record() {
  static const std::regex re("cc1 |cc7 |h# NG SHIFT-jis 2Byte Character |h# ELLIPSE is too small "
                             "|h# NG curve |h# NG text kind -?[0-9]+ |## len\\(-?[0-9]+\\) "
                             "mlen\\(-?[0-9]+\\.[0-9]\\)|he  \x97\x76\x91\x66\x90\x94\x83\x49"
                             "\x81\x5B\x83\x6F\x81\x5B    MAX=150000");
  return re;
}

const std::regex& trailer_record() {
  static const std::regex re("cn0 -?[0-9]+\\.[0-9]{2}, (-?[0-9]+\\.[0-9]{2}|-?nan|-?inf), "
                             "(-?[0-9]+\\.[0-9]{2}|-?nan|-?inf), -?[0-9]+|cn-?[0-9]+|lg[0-9a-f]+"
                             "|ly[0-9a-f]+|lt-?[0-9]+|lc-?[0-9]+|pn-?[0-9]+");
  return re;
}

} // namespace

std::string check_output(std::string_view input, std::string_view output) {
  const auto lines = split_lines(output);
  if (lines.size() == 1 && std::regex_match(std::string(strip_line_end(lines[0])), own_record()) &&
      lines[0].substr(0, 2) == "he")
    return ""; // the over-limit record alone
  std::size_t trailer_start = lines.size();
  while (trailer_start > 0 &&
         std::regex_match(std::string(strip_line_end(lines[trailer_start - 1])), trailer_record()))
    --trailer_start;
  if (lines.size() - trailer_start < 4) return "the output does not end with the trailer";

  for (std::size_t i = 0; i < trailer_start; ++i) {
    const std::string_view raw = lines[i];
    const std::string line(strip_line_end(raw));
    if (raw.back() != '\n' && i + 1 != lines.size())
      return "line " + std::to_string(i + 1) + " has no line end";
    std::smatch m;
    if (std::regex_match(line, m, glyph_record())) {
      for (int k = 1; k <= 4; ++k) {
        if (!std::isfinite(std::strtod(m[k].str().c_str(), nullptr)))
          return "line " + std::to_string(i + 1) + " carries a non-finite number";
      }
      continue;
    }
    if (std::regex_match(line, own_record())) continue;
    // Echoed records and comment lines: an echo is a piece of the input.
    if (line.rfind('#', 0) == 0 || line.rfind("bz", 0) == 0 || line.rfind("cn", 0) == 0) {
      if (line.rfind("# ", 0) == 0 || line.rfind("##", 0) == 0) continue; // trace comments
      if (input.find(line) != std::string_view::npos) continue;
    }
    return "line " + std::to_string(i + 1) + " is no known record: " + line.substr(0, 80);
  }
  return "";
}

} // namespace curvetext::testing
