// The run: options, handoff of the interface file, reader, layout, trailer
// and the output put back in place of the interface file.
#pragma once

namespace curvetext {

// One whole run in the current directory; returns the exit status.
int run(char** argv);

} // namespace curvetext
