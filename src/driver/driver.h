// The run: options, handoff of the interface file, reader, layout, trailer
// and the output put back in place of the interface file.
#pragma once

#include "util/text_file.h"

#include <cstdint>

namespace curvetext {

// A run that must end at once, with this process exit status. Thrown after
// the message has been written to standard error; only run() catches it.
struct RunAbort {
  int status;
};

// Tcopy, the line-limited copy: copies the text file `from` into `to` piece by piece, at most
// 150001 pieces, and returns how many it copied. Throws RunAbort{-1} when either file cannot be
// opened, `from` cannot be read or `to` cannot be written. `line_end`, when given, receives the
// line end of `from` as the copy read it.
std::uint32_t Tcopy(const char* from, const char* to, LineEnd* line_end = nullptr);

// One whole run in the current directory; returns the exit status.
int run(char** argv);

} // namespace curvetext
