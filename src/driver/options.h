// Command-line options: "e", "k", "l", "m", "t", "z" and "s" after a prefix
// "-", "/" or "$". Only the debug level "t" changes what the run does.
#pragma once

namespace curvetext {

struct RunState;

// Handles one option argument, prefix included. Never ends the run.
void opt(RunState& st, const char* arg);

// Copies at most 255 characters of src into the 256-byte dst, always
// leaving it terminated.
void OPT_STRCPY(char* dst, const char* src);

} // namespace curvetext
