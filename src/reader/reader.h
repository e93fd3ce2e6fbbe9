// The interface file reader: one pass over the interface file that finds
// what it says and echoes the records the host must find again.
#pragma once

#include <cstdint>

#include "state/interface_data.h"
#include "util/debug.h"
#include "util/text_file.h"

namespace curvetext {

// The most pieces of the interface file a run reads; one more and the file
// is over the limit.
constexpr std::uint32_t kLineLimit = 150000;

// QV_PATTERN, the reader: reads `fp` record by record, at most qd_limit
// pieces, and writes the echo records into `fpw`. Traces at trace.isTest 2,
// 3 and 5 and leaves its step marker in trace.stepcnt.
InterfaceData QV_PATTERN(TextIn& fp, TextOut& fpw, Trace& trace, std::uint32_t qd_limit);

} // namespace curvetext
