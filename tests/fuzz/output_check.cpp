#include "output_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace curvetext::testing {

namespace {

constexpr std::size_t npos = std::string_view::npos;

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t end = lf == npos ? text.size() : lf + 1;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view line, std::size_t i) {
  while (i < line.size() && is_digit(line[i]))
    ++i;
  return i;
}

// Where a value of the pattern kind `kind` that starts at `start` ends;
// npos when none starts there.
std::size_t value_end(std::string_view line, std::size_t start, char kind) {
  std::size_t i = start;
  if (kind == 'x') {
    while (i < line.size() && (is_digit(line[i]) || (line[i] >= 'a' && line[i] <= 'f')))
      ++i;
    return i == start ? npos : i;
  }
  if (i < line.size() && line[i] == '-') ++i;
  if (kind == 'f' && (line.substr(i, 3) == "inf" || line.substr(i, 3) == "nan")) return i + 3;
  const std::size_t digits = i;
  i = skip_digits(line, i);
  if (i == digits) return npos;
  if (kind == 'd') return i;
  if (i == line.size() || line[i] != '.') return npos;
  const std::size_t decimals = ++i;
  i = skip_digits(line, i);
  if (i == decimals) return npos;
  if (kind == 'F' &&
      !std::isfinite(std::strtod(std::string(line.substr(start, i - start)).c_str(), nullptr)))
    return npos;
  return i;
}

// Matches a line against a pattern in which %d stands for a decimal int, %x
// for lower-case hexadecimal digits, %f for a fixed-point number (or inf or
// nan, which trailer and trace values may carry), %F for a finite fixed-point
// number, %g for the one or two bytes of a glyph; every other pattern byte
// stands for itself. No regular expressions: lines may be megabytes long.
bool match(std::string_view line, std::string_view pattern) {
  std::size_t i = 0;
  for (std::size_t p = 0; p < pattern.size(); ++p) {
    if (pattern[p] != '%') {
      if (i == line.size() || line[i] != pattern[p]) return false;
      ++i;
    } else if (pattern[++p] == 'g') {
      const std::size_t n = line.size() - i;
      return p + 1 == pattern.size() && (n == 1 || n == 2);
    } else {
      i = value_end(line, i, pattern[p]);
      if (i == npos) return false;
    }
  }
  return i == line.size();
}

// Debug levels that write lines of their own into the output.
constexpr int kLengthNoteLevel = 1; // "## len" right after the inner pass opens
constexpr int kTraceLevel = 2;      // a line per text record among the echoes; an ellipse's walk
constexpr int kClosingLevel = 3;    // two lines right before the trailer

// The lines the host must find again, each whole however long, without its
// line end: comments, "bz" and "cn" records, their kind told by the bytes
// before a first NUL. Lines as a text-mode read delivers them: a CR LF pair
// ends a line, a lone CR belongs to it, the last line may have no end.
std::vector<std::string_view> echoed_lines(std::string_view input) {
  std::vector<std::string_view> echoes;
  while (!input.empty()) {
    const std::size_t lf = input.find('\n');
    std::string_view line = input.substr(0, lf);
    input.remove_prefix(lf == npos ? input.size() : lf + 1);
    if (lf != npos && line.ends_with('\r')) line.remove_suffix(1);
    const std::string_view kind = line.substr(0, std::min<std::size_t>(line.find('\0'), 2));
    if (kind.starts_with('#') || kind == "bz" || kind == "cn") echoes.push_back(line);
  }
  return echoes;
}

// Every output line ends like the interface file's first line; a file
// without any line end gives the platform's, which the last line shows.
std::string_view line_end(std::string_view input, std::string_view output) {
  const std::size_t lf = input.find('\n');
  const bool crlf = lf == npos ? output.ends_with("\r\n") : lf > 0 && input[lf - 1] == '\r';
  return crlf ? "\r\n" : "\n";
}

// Where the trailer begins (npos when the output does not end with one):
// "cn0" and "cn" when captured, "lg", "ly", "lt", "lc", and "pn" when
// captured. Greedy from the end: an echoed "cn" record just before it may
// be taken for one of its lines, which only spares it the echo check.
std::size_t trailer_start(const std::vector<std::string_view>& lines) {
  static constexpr struct {
    std::string_view form;
    bool optional;
  } kTrailer[] = {{"cn0 %f, %f, %f, %d", true},
                  {"cn%d", true},
                  {"lg%x", false},
                  {"ly%x", false},
                  {"lt%d", false},
                  {"lc%d", false},
                  {"pn%d", true}};
  std::size_t start = lines.size();
  for (auto it = std::rbegin(kTrailer); it != std::rend(kTrailer); ++it) {
    if (start > 0 && match(lines[start - 1], it->form)) {
      --start;
    } else if (!it->optional) {
      return npos;
    }
  }
  return start;
}

// Where a line stands: among the echoes, or in the layout before its
// passes, in the outer pass (after "cc1 ") or in the inner one (after
// "cc7 "). Bits, so that a form can name several places.
enum Stage : unsigned { kEchoes = 1, kBeforePasses = 2, kOuter = 4, kInner = 8 };
constexpr int kAnyLevel = -1;

struct Form {
  std::string_view pattern;
  unsigned stages;
  int level;
};

constexpr Form kLayoutForms[] = {
    {"ch %F %F %F %F \"%g", kOuter | kInner, kAnyLevel},
    {"h# NG curve ", kBeforePasses | kOuter | kInner, kAnyLevel},
    {"h# NG SHIFT-jis 2Byte Character ", kOuter | kInner, kAnyLevel},
    {"h# NG text kind %d ", kBeforePasses, kAnyLevel},
    {"h# TEXT is too long: %d of %d bytes written ", kBeforePasses, kAnyLevel},
    {"h# ELLIPSE is too small ", kBeforePasses, kAnyLevel},
    {"# radtb(%f) /radtbe(%f)  sh(%f) /2sh(%f)", kOuter, kTraceLevel},
    {"# b(%f) radtb(%f) radtbe(%f) radtb0(%f) t0(%f)", kInner, kTraceLevel},
    {"# t0(%f %f) t1(%f %f)", kInner, kTraceLevel},
};

// The lines before the closing lines and the trailer, taken in order.
class Body {
public:
  Body(std::string_view input, int level) : echoes_(echoed_lines(input)), level_(level) {}

  // Empty when `line` may stand after the lines taken so far, else why not.
  std::string take(std::string_view line) {
    const bool ok = (stage_ == kEchoes && echo_stage(line)) || layout_line(line);
    previous_ = line;
    if (ok) return "";
    if (line.starts_with("ch")) return " is a glyph record out of form, place or not finite";
    return " is no echo of the input and no record of the run here: " +
           std::string(line.substr(0, 80));
  }

private:
  // An echo goes to the earliest echoed input line it equals that is not
  // yet passed, so that echoes stand in the input's order, each once. A
  // text record's trace line matches no input line: it is taken first.
  bool echo_stage(std::string_view line) {
    if (level_ == kTraceLevel && line == "# CHR_PRO  now ") return true;
    for (std::size_t i = next_echo_; i < echoes_.size(); ++i) {
      if (echoes_[i] == line) {
        next_echo_ = i + 1;
        return true;
      }
    }
    stage_ = kBeforePasses;
    return false;
  }

  bool layout_line(std::string_view line) {
    if (line == "cc1 " && stage_ == kBeforePasses) {
      stage_ = kOuter;
      return true;
    }
    if (line == "cc7 " && stage_ == kOuter) {
      stage_ = kInner;
      return true;
    }
    if (level_ == kLengthNoteLevel && previous_ == "cc7 " && match(line, "## len(%d) mlen(%f)"))
      return true;
    for (const Form& form : kLayoutForms) {
      if ((form.stages & stage_) != 0 && (form.level == kAnyLevel || form.level == level_) &&
          match(line, form.pattern))
        return true;
    }
    return false;
  }

  std::vector<std::string_view> echoes_;
  std::size_t next_echo_ = 0;
  int level_;
  unsigned stage_ = kEchoes;
  std::string_view previous_;
};

const char kOverLimit[] =
    "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=150000";

// The lines that close a run at debug level 3.
constexpr std::string_view kClosing[] = {
    "# ------------------ main() Pattern1 end file closing ------------------ ",
    "#    qd_xmax= %d stepcnt= %d "};

} // namespace

int debug_level(std::span<const std::string> args) {
  int level = 0;
  for (const std::string& arg : args) {
    const bool option = arg.size() >= 2 && (arg[0] == '-' || arg[0] == '/' || arg[0] == '$');
    if (!option || (arg[1] != 't' && arg[1] != 'T')) continue;
    level = arg.size() > 2 && arg[2] >= '1' && arg[2] <= '6' ? arg[2] - '0' : 0;
  }
  return level;
}

std::string check_output(std::string_view input, std::string_view output, int level) {
  const std::string_view eol = line_end(input, output);
  std::vector<std::string_view> lines;
  for (const std::string_view line : split_lines(output)) {
    if (!line.ends_with(eol))
      return "line " + std::to_string(lines.size() + 1) + " does not end like the input's lines";
    lines.push_back(line.substr(0, line.size() - eol.size()));
  }
  if (lines.size() == 1 && lines[0] == kOverLimit) return "";

  std::size_t end = trailer_start(lines);
  if (end == npos) return "the output does not end with the trailer";
  if (level == kClosingLevel) {
    if (end < 2 || !match(lines[end - 2], kClosing[0]) || !match(lines[end - 1], kClosing[1]))
      return "the closing lines do not stand before the trailer";
    end -= 2;
  }
  Body body(input, level);
  for (std::size_t i = 0; i < end; ++i) {
    const std::string fault = body.take(lines[i]);
    if (!fault.empty()) return "line " + std::to_string(i + 1) + fault;
  }
  return "";
}

} // namespace curvetext::testing
