// What every run's output must satisfy, whatever the input: every line is an
// echoed input record or a record of one of the tool's own forms, no record
// carries a non-finite number, and the attribute-restore trailer comes last.
#pragma once

#include <string>
#include <string_view>

namespace curvetext::testing {

// Returns an empty string when `output` (the work copy as written, line ends
// included) is sound for a run on `input` (the interface file's bytes), else
// a description of the first fault.
std::string check_output(std::string_view input, std::string_view output);

} // namespace curvetext::testing
