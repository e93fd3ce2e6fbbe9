// Command-line options: "e", "k", "l", "m", "t", "z" and "s" after a prefix
// "-", "/" or "$". Only the debug level "t" changes what the run does.
#pragma once

#include "util/debug.h"

namespace curvetext {

// opt: handles one option argument, prefix included: sets the debug level
// `trace.isTest`, complains of an unknown letter on standard error, traces
// the option from debug level 3 on. Never ends the run.
void opt(Trace& trace, const char* arg);

} // namespace curvetext
