// What every run's output must satisfy, whatever the input: the echoed input
// records come first, whole and in the input's order, then the layout's
// records pass by pass, then the trailer that restores the attributes; no
// record carries a non-finite number, and a trace line stands only where
// the run's debug level writes it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace curvetext::testing {

// The debug level that option arguments (the program name left out) choose:
// the first value byte of the last "t" option when it is 1 to 6, else 0.
int debug_level(std::span<const std::string> args);

// Returns an empty string when `output` (the work copy as written, line ends
// included) is sound for a run at debug level `level` on `input` (the
// interface file's bytes), else a description of the first fault.
std::string check_output(std::string_view input, std::string_view output, int level);

} // namespace curvetext::testing
