// What the preview needs from the interface file the host wrote, read by
// the tool's own reader: the curve, the text, the text size tables and the
// current text kind.
#pragma once

#include "state/interface_data.h"

namespace curvetext::preview {

// Reads the interface file at `path` as a run does; false when it cannot be
// opened or read.
bool read_interface(const char* path, InterfaceData& in);

// The layout a run takes and whether the text kind has table entries are the
// tool's own: curve_kind_of and text_kind_known (state/interface_data.h).

} // namespace curvetext::preview
