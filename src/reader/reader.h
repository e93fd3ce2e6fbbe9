// The interface file reader: one pass over fp that fills the run state and
// echoes the records the host must find again into fpw.
#pragma once

#include <cstdint>

#include "state/run_state.h"

namespace curvetext {

// Reads at most qd_limit records; qd_xmax serves the trace lines only.
// Always returns 0.
int QV_PATTERN(RunState& st, std::uint32_t qd_xmax, std::uint32_t qd_limit);

// Hands the raw text of the text record just read on to the layouts.
void CHR_PRO(RunState& st, unsigned qd_x);

} // namespace curvetext
