// The debug level of option "t", the host's isTest: 0 to 6. The levels are
// not cumulative: each adds its own lines, and 3 does not include what 2
// writes. At every level but 0 the output stays in the work copy.
#pragma once

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

} // namespace curvetext
