#include "output_check.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace curvetext::testing {

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
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

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Matches a line against a pattern in which %d stands for a decimal int, %x
// for lower-case hexadecimal digits, %f for a fixed-point number (or inf or
// nan, which only trailer values may carry), %F for a finite fixed-point
// number, %g for the one or two bytes of a glyph; every other pattern byte
// stands for itself. No regular expressions: lines may be megabytes long.
bool match(std::string_view line, std::string_view pattern) {
  std::size_t i = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    if (pattern[p] != '%') {
      if (i == line.size() || line[i] != pattern[p]) return false;
      ++i;
      continue;
    }
    const char kind = pattern[++p];
    const std::size_t start = i;
    if (kind == 'g') {
      const std::size_t n = line.size() - i;
      return p + 1 == pattern.size() && (n == 1 || n == 2);
    }
    if (kind == 'x') {
      while (i < line.size() && (is_digit(line[i]) || (line[i] >= 'a' && line[i] <= 'f')))
        ++i;
      if (i == start) return false;
      continue;
    }
    if (i < line.size() && line[i] == '-') ++i;
    if (kind == 'f' && (line.substr(i, 3) == "inf" || line.substr(i, 3) == "nan")) {
      i += 3;
      continue;
    }
    const std::size_t digits = i;
    while (i < line.size() && is_digit(line[i]))
      ++i;
    if (i == digits) return false;
    if (kind == 'd') continue;
    if (i == line.size() || line[i] != '.') return false;
    const std::size_t decimals = ++i;
    while (i < line.size() && is_digit(line[i]))
      ++i;
    if (i == decimals) return false;
    if (kind == 'F' &&
        !std::isfinite(std::strtod(std::string(line.substr(start, i - start)).c_str(), nullptr)))
      return false;
  }
  return i == line.size();
}

bool is_trailer_record(std::string_view line) {
  for (const char* form : {"cn0 %f, %f, %f, %d", "cn%d", "lg%x", "ly%x", "lt%d", "lc%d", "pn%d"}) {
    if (match(line, form)) return true;
  }
  return false;
}

bool is_own_record(std::string_view line) {
  for (const char* form :
       {"cc1 ", "cc7 ", "ch %F %F %F %F \"%g", "h# NG SHIFT-jis 2Byte Character ",
        "h# ELLIPSE is too small ", "h# NG curve ", "h# TEXT is too long: %d of %d bytes written ",
        "h# NG text kind %d ", "## len(%d) mlen(%f)"}) {
    if (match(line, form)) return true;
  }
  return false;
}

const char kOverLimit[] =
    "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=150000";

} // namespace

std::string check_output(std::string_view input, std::string_view output) {
  const auto lines = split_lines(output);
  if (lines.size() == 1 && strip_line_end(lines[0]) == kOverLimit) return "";

  std::size_t trailer_start = lines.size();
  while (trailer_start > 0 && is_trailer_record(strip_line_end(lines[trailer_start - 1])))
    --trailer_start;
  if (lines.size() - trailer_start < 4) return "the output does not end with the trailer";

  for (std::size_t i = 0; i < trailer_start; ++i) {
    const std::string_view line = strip_line_end(lines[i]);
    const std::string where = "line " + std::to_string(i + 1);
    if (lines[i].back() != '\n') return where + " has no line end";
    if (is_own_record(line)) continue;
    if (line.substr(0, 2) == "ch") return where + " is a glyph record out of form or not finite";
    // Trace comments of the debug levels.
    if (line.substr(0, 2) == "# " || line.substr(0, 2) == "##") continue;
    // Echoes: pieces of the input, whole.
    const bool echo_kind =
        line.substr(0, 1) == "#" || line.substr(0, 2) == "bz" || line.substr(0, 2) == "cn";
    if (echo_kind && input.find(line) != std::string_view::npos) continue;
    return where + " is no known record: " + std::string(line.substr(0, 80));
  }
  return "";
}

} // namespace curvetext::testing
