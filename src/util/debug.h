// The debug levels of option "t" that change what a run prints or writes.
// At every level but 0 the output stays in the work copy.
#pragma once

namespace curvetext {

constexpr int kDebugOff = 0;
constexpr int kDebugLength = 1;  // a length note in the circle and arc output
constexpr int kDebugTrace = 2;   // layout and driver trace lines, "#" comments
constexpr int kDebugPoints = 3;  // option trace, point records, closing lines
constexpr int kDebugRecords = 5; // every record read

} // namespace curvetext
