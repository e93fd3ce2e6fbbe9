#include "run_output.h"

#include <cmath>

#include "scan.h"

namespace curvetext::preview {

namespace {

// A glyph record begins like any text record: "c" and a byte that no other
// record kind uses there. The tool writes "ch".
bool is_glyph_record(const std::string& line) {
  if (line.size() < 2 || line[0] != 'c') return false;
  return line[1] != 'c' && line[1] != 'n' && line[1] != 'i';
}

bool read_glyph(const std::string& line, Glyph& g, std::string& why) {
  Scanner sc(line, 2);
  if (!(sc.read(g.x) && sc.read(g.y) && sc.read(g.dx) && sc.read(g.dy))) {
    why = "a glyph record needs four numbers";
    return false;
  }
  if (!(std::isfinite(g.x) && std::isfinite(g.y) && std::isfinite(g.dx) && std::isfinite(g.dy))) {
    why = "a glyph record with a number that is not finite";
    return false;
  }
  if (!sc.expect('"')) {
    why = "a glyph record without its double quote";
    return false;
  }
  g.bytes = sc.rest();
  return true;
}

} // namespace

RunOutput read_run_output(std::string_view file) {
  RunOutput out;
  Pass pass = Pass::outer;
  int number = 0;
  for (const Line& line : split_lines(file)) {
    ++number;
    const std::string& s = line.bytes;
    if (s.rfind("cc", 0) == 0) {
      int opener = 0;
      Scanner sc(s, 2);
      if (sc.read(opener) && opener == 1) pass = Pass::outer;
      if (sc.ok() && opener == 7) pass = Pass::inner;
    } else if (s.rfind("h#", 0) == 0) {
      const auto first = s.find_first_not_of(' ', 2);
      const auto last = s.find_last_not_of(' ');
      out.messages.push_back(first == std::string::npos ? std::string()
                                                        : s.substr(first, last - first + 1));
    } else if (is_glyph_record(s)) {
      Glyph g;
      std::string why;
      g.pass = pass;
      g.line = number;
      if (read_glyph(s, g, why)) {
        out.glyphs.push_back(std::move(g));
      } else {
        out.problems.push_back("line " + std::to_string(number) + ": " + why);
      }
    }
  }
  return out;
}

} // namespace curvetext::preview
