// The debug level of option "t", the host's isTest: 0 to 6, and the trace
// that the stages write at it. The levels are not cumulative: each adds its
// own lines, and 3 does not include what 2 writes. At every level but 0 the
// output stays in the work copy.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace curvetext {

enum class DebugLevel {
  off = 0,            // a plain run: the output replaces the interface file
  length_note = 1,    // the "## len" note in the circle and arc output
  trace = 2,          // the driver's and the layouts' trace lines, "#" lines in the output
  points = 3,         // the point records read, the closing lines; the option trace
  options_only = 4,   // the option trace alone
  records = 5,        // every record read; the option trace
  options_only_6 = 6, // the option trace alone, as at 4
};

// From level 3 on every option is traced, itself included.
constexpr bool traces_options(DebugLevel level) { return level >= DebugLevel::points; }

// What the stages trace with, beside their own data: the debug level, the
// counts their trace lines print, and where those lines go (standard output
// in a run). The stages that count fill the counts in; the preview and the
// benchmark trace nothing.
struct Trace {
  DebugLevel isTest = DebugLevel::off; // the debug level
  std::FILE* out = stdout;             // where the trace lines go
  std::uint32_t qd_xmax = 0;           // the interface file's line count, as the copy found it
  // The reader's step marker: 1, 2 or 3 by the kind of record last seen.
  int stepcnt = 0;
  // The steps of the ellipse walks, what their cost grows with (the benchmark).
  long long walk_steps = 0;

  bool at(DebugLevel level) const { return isTest == level; }

  [[gnu::format(printf, 2, 3)]] void print(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
  }
};

} // namespace curvetext
