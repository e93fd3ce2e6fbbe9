// What the preview needs from the output of a run: the glyph records of the
// two passes and the messages for the host.
#pragma once

#include <string>
#include <vector>

namespace curvetext::preview {

enum class Pass { outer, inner };

struct Glyph {
  double x = 0.0, y = 0.0;   // the glyph's point, y up
  double dx = 0.0, dy = 0.0; // its direction, not normalised
  std::string bytes;         // one or two Shift_JIS bytes
  Pass pass = Pass::outer;
  int line = 0; // 1-based line of the output, for messages
};

struct RunOutput {
  std::vector<Glyph> glyphs;
  std::vector<std::string> messages; // "h#" records, without the mark
  // Lines that look like glyph records but cannot be drawn (a number
  // missing or not finite, no double quote), as "line N: why".
  std::vector<std::string> problems;
};

// Reads the output of a run at `path`, record by record as a run reads its
// interface file. Glyph records before the first pass opener count as the
// outer pass; "cc1" opens the outer pass and "cc7" the inner one. False when
// the file cannot be opened or read.
bool read_run_output(const char* path, RunOutput& out);

} // namespace curvetext::preview
