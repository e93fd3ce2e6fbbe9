// What the preview needs from the interface file the host wrote, read by
// the tool's own reader: the curve, the text, the text size tables and the
// current text kind.
#pragma once

#include "state/interface_data.h"

namespace curvetext::preview {

enum class CurveKind { none, circle, arc, ellipse };

// Reads the interface file at `path` as a run does; false when it cannot be
// opened or read.
bool read_interface(const char* path, InterfaceData& in);

// The layout the tool runs for this curve: a circle for the ratio -2, an
// arc for the ratio 1 with distinct start and end, an ellipse for any other
// ratio below 1, nothing otherwise.
CurveKind curve_kind(const InterfaceData& in);

// The text kind's entries, or false when the kind lies outside the tables.
bool kind_in_tables(const InterfaceData& in);

} // namespace curvetext::preview
