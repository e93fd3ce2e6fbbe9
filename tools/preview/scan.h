// Reading the host's record files the way its formatted reads see them:
// lines with CR LF or LF ends, and numbers read one after another from a
// position of a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace curvetext::preview {

// The lines of a file's bytes, each without its line end. A CR LF pair and
// a bare LF end a line; a lone CR elsewhere is an ordinary byte. A last line
// without a line end is kept; `ended` tells whether it had one.
struct Line {
  std::string bytes;
  bool ended = false;
};
std::vector<Line> split_lines(std::string_view file);

// Sequential reads from a record, as a chain of formatted conversions: each
// read skips white space first and fails when no value follows. After a
// failure every further read fails too, so the fields behind the first bad
// value keep what they held.
class Scanner {
public:
  Scanner(const std::string& record, std::size_t pos) : s_(record), pos_(pos) {}

  bool read(double& value);
  bool read(int& value); // decimal, saturated at the int range
  // Skips white space, then takes `c`.
  bool expect(char c);
  // Everything from the position on.
  std::string rest() const;
  bool ok() const { return ok_; }

private:
  void skip_space();
  const std::string& s_;
  std::size_t pos_;
  bool ok_ = true;
};

} // namespace curvetext::preview
