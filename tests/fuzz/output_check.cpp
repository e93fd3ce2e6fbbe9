#include "output_check.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace curvetext::testing {

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view kDigits = "0123456789";

// Takes the next line, its LF included, off the front of `text`.
std::string_view take_line(std::string_view& text) {
  const std::size_t lf = text.find('\n');
  const std::string_view line = text.substr(0, lf == npos ? npos : lf + 1);
  text.remove_prefix(line.size());
  return line;
}

// The end of a run of at least one of `chars` from `i` on; npos when none.
std::size_t run_end(std::string_view line, std::size_t i, std::string_view chars) {
  const std::size_t end = std::min(line.find_first_not_of(chars, i), line.size());
  return end == i ? npos : end;
}

// Where a value of the pattern kind `kind` that starts at `i` ends; npos
// when none starts there.
std::size_t value_end(std::string_view line, std::size_t i, char kind) {
  if (kind == 'x') return run_end(line, i, "0123456789abcdef");
  if (line.substr(i, 1) == "-") ++i;
  if (kind == 'f' && (line.substr(i, 3) == "inf" || line.substr(i, 3) == "nan")) return i + 3;
  i = run_end(line, i, kDigits);
  if (kind == 'd' || i == npos) return i;
  return line.substr(i, 1) == "." ? run_end(line, i + 1, kDigits) : npos;
}

// Matches a line against a pattern in which %d stands for a decimal int, %x
// for lower-case hexadecimal digits, %f for a fixed-point number (or inf or
// nan, which trailer and trace values may carry), %F for a fixed-point
// number only (what printf writes for a finite value), %g for the one or two
// bytes of a glyph; every other pattern byte stands for itself. No regular
// expressions: lines may be megabytes long.
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

// Every output line ends like the interface file's first line; a file
// without any line end gives the platform's, which the last line shows.
std::string_view line_end(std::string_view input, std::string_view output) {
  const std::size_t lf = input.find('\n');
  const bool crlf = lf == npos ? output.ends_with("\r\n") : lf > 0 && input[lf - 1] == '\r';
  return crlf ? "\r\n" : "\n";
}

// Where the trailer begins (npos when the output does not end with one):
// "cn0" and "cn" when captured, "lg", "ly", "lt", "lc", and "pn" when
// captured (a form that begins with "?" may be missing). Greedy from the
// end: an echoed "cn" record just before it may be taken for one of its
// lines, which only spares it the echo check.
std::size_t trailer_start(const std::vector<std::string_view>& lines) {
  static constexpr std::string_view kTrailer[] = {
      "?cn0 %f, %f, %f, %d", "?cn%d", "lg%x", "ly%x", "lt%d", "lc%d", "?pn%d"};
  std::size_t start = lines.size();
  for (auto it = std::rbegin(kTrailer); it != std::rend(kTrailer); ++it) {
    const bool optional = it->starts_with('?');
    if (start > 0 && match(lines[start - 1], it->substr(optional ? 1 : 0))) {
      --start;
    } else if (!optional) {
      return npos;
    }
  }
  return start;
}

// The lines that close a run at debug level 3.
constexpr std::string_view kClosing[] = {
    "# ------------------ main() Pattern1 end file closing ------------------ ",
    "#    qd_xmax= %d stepcnt= %d "};

// How many lines from the front are echoes of the lines the host must find
// again, each whole however long: comments, "bz" and "cn" records (a NUL
// among those bytes makes none), as a text-mode read delivers them (a CR LF
// pair ends a line, a lone CR belongs to it, the last line may have no end).
// Each echo goes to the earliest such input line it equals that is not yet
// passed, so that echoes stand in the input's order, each once. A text
// record's trace line matches no input line: it is taken first.
std::size_t echoes_end(const std::vector<std::string_view>& lines, std::string_view input,
                       int level) {
  std::vector<std::string_view> echoes;
  while (!input.empty()) {
    std::string_view line = take_line(input);
    if (line.ends_with('\n')) line.remove_suffix(line.ends_with("\r\n") ? 2 : 1);
    if (line.starts_with('#') || line.starts_with("bz") || line.starts_with("cn"))
      echoes.push_back(line);
  }
  auto next = echoes.cbegin();
  std::size_t i = 0;
  for (; i < lines.size(); ++i) {
    if (level == kTraceLevel && lines[i] == "# CHR_PRO  now ") continue;
    const auto echo = std::find(next, echoes.cend(), lines[i]);
    if (echo == echoes.cend()) break;
    next = echo + 1;
  }
  return i;
}

// Where a line of the layout stands: before its passes, in the outer pass
// (after "cc1 "), first in the inner one (right after "cc7 ") or further in
// it. Bits, so that a form can name several places.
enum Stage : unsigned { kBeforePasses = 1, kOuter = 2, kInnerFirst = 4, kInner = 8 };
constexpr unsigned kInnerPass = kInnerFirst | kInner;
constexpr int kAnyLevel = -1;

constexpr struct Form {
  std::string_view pattern;
  unsigned stages;
  int level;
} kLayoutForms[] = {
    {"ch %F %F %F %F \"%g", kOuter | kInnerPass, kAnyLevel},
    {"h# NG curve ", kBeforePasses | kOuter | kInnerPass, kAnyLevel},
    {"h# NG SHIFT-jis 2Byte Character ", kOuter | kInnerPass, kAnyLevel},
    {"h# NG text kind %d ", kBeforePasses, kAnyLevel},
    {"h# TEXT is too long: %d of %d bytes written ", kBeforePasses, kAnyLevel},
    {"h# ELLIPSE is too small ", kBeforePasses, kAnyLevel},
    {"## len(%d) mlen(%f)", kInnerFirst, kLengthNoteLevel},
    {"# radtb(%f) /radtbe(%f)  sh(%f) /2sh(%f)", kOuter, kTraceLevel},
    {"# b(%f) radtb(%f) radtbe(%f) radtb0(%f) t0(%f)", kInnerPass, kTraceLevel},
    {"# t0(%f %f) t1(%f %f)", kInnerPass, kTraceLevel},
};

bool layout_line(std::string_view line, unsigned stage, int level) {
  return std::any_of(std::begin(kLayoutForms), std::end(kLayoutForms), [&](const Form& form) {
    return (form.stages & stage) != 0 && (form.level == kAnyLevel || form.level == level) &&
           match(line, form.pattern);
  });
}

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
  while (!output.empty()) {
    const std::string_view line = take_line(output);
    if (!line.ends_with(eol))
      return "line " + std::to_string(lines.size() + 1) + " does not end like the input's lines";
    lines.push_back(line.substr(0, line.size() - eol.size()));
  }
  std::size_t end = trailer_start(lines);
  if (end == npos) return "the output does not end with the trailer";
  if (level == kClosingLevel) {
    if (end < 2 || !match(lines[end - 2], kClosing[0]) || !match(lines[end - 1], kClosing[1]))
      return "the closing lines do not stand before the trailer";
    end -= 2;
  }
  unsigned stage = kBeforePasses;
  for (std::size_t i = echoes_end(lines, input, level); i < end; ++i) {
    if (lines[i] == "cc1 " && stage == kBeforePasses) {
      stage = kOuter;
    } else if (lines[i] == "cc7 " && stage == kOuter) {
      stage = kInnerFirst;
    } else if (layout_line(lines[i], stage, level)) {
      stage = stage == kInnerFirst ? kInner : stage;
    } else {
      return "line " + std::to_string(i + 1) +
             " is no echo of the input and no record of the run here: " +
             std::string(lines[i].substr(0, 80));
    }
  }
  return "";
}

} // namespace curvetext::testing
