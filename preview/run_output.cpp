#include "run_output.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "reader/scan.h"
#include "util/text_file.h"

namespace curvetext::preview {

namespace {

// A glyph record begins like any text record: "c" and a byte that no other
// record kind uses there. The tool writes "ch".
bool is_glyph_record(const char* line) {
  if (line[0] != 'c' || line[1] == '\0') return false;
  return line[1] != 'c' && line[1] != 'n' && line[1] != 'i';
}

// "ch X Y DX DY "BYTES", read with the tool's own value reads.
bool read_glyph(const char* line, std::size_t n, Glyph& g, std::string& why) {
  std::string bytes(n, '\0'); // the rest of the record
  std::size_t taken = 0;
  Scan sc(line, n, 2);
  sc.lf(g.x).blank().lf(g.y).blank().lf(g.dx).blank().lf(g.dy).blank().literal('"');
  sc.c(bytes.data(), n, taken);
  if (sc.count() < 4) {
    why = "a glyph record needs four numbers";
    return false;
  }
  if (!(std::isfinite(g.x) && std::isfinite(g.y) && std::isfinite(g.dx) && std::isfinite(g.dy))) {
    why = "a glyph record with a number that is not finite";
    return false;
  }
  if (taken == 0) {
    why = "a glyph record without its double quote";
    return false;
  }
  g.bytes.assign(bytes.data(), taken);
  return true;
}

// One whole record of the output, line `number`, its line end taken off.
void take_record(const char* record, std::size_t length, int number, Pass& pass, RunOutput& out) {
  const std::string_view s(record, length);
  if (s.starts_with("cc")) {
    int opener = 0;
    if (Scan(record, length, 2).d(opener).count() == 1) {
      if (opener == 1) pass = Pass::outer;
      if (opener == 7) pass = Pass::inner;
    }
  } else if (s.starts_with("h#")) {
    const auto first = s.find_first_not_of(' ', 2);
    const auto last = s.find_last_not_of(' ');
    out.messages.emplace_back(first == std::string::npos ? std::string_view()
                                                         : s.substr(first, last - first + 1));
  } else if (is_glyph_record(record)) {
    Glyph g;
    std::string why;
    g.pass = pass;
    g.line = number;
    if (read_glyph(record, length, g, why)) {
      out.glyphs.push_back(std::move(g));
    } else {
      out.problems.push_back("line " + std::to_string(number) + ": " + why);
    }
  }
}

} // namespace

bool read_run_output(const char* path, RunOutput& out) {
  const auto file = std::make_unique<TextIn>();
  if (!file->open(path)) return false;
  Pass pass = Pass::outer;
  int number = 0;
  bool continues = false; // the piece before did not end its line
  // Whole records: a glyph record of huge numbers runs to some 1300 bytes.
  std::string buffer(1 << 16, '\0');
  char* piece = buffer.data();
  for (std::size_t n; (n = file->read_piece(piece, buffer.size())) > 0;) {
    const bool continuation = continues;
    continues = piece[n - 1] != '\n';
    if (continuation) continue;
    ++number;
    std::size_t length = std::strlen(piece);
    if (length > 0 && piece[length - 1] == '\n') piece[--length] = '\0';
    take_record(piece, length, number, pass, out);
  }
  return !file->failed();
}

} // namespace curvetext::preview
