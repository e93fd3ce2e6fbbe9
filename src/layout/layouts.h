// The three layouts: the text string along a full circle, a circular arc and
// a tilted ellipse, each written twice (over the top, then on the curve one
// text height inside, under the bottom). Each reads what the interface file
// said and writes its records into `fpw`; at debug level trace.isTest 1 and
// 2 they add notes and trace lines.
#pragma once

#include "state/interface_data.h"
#include "util/debug.h"
#include "util/text_file.h"

namespace curvetext {

// STR_ALONG_C: along the full circle (HP -2.0).
void STR_ALONG_C(const InterfaceData& in, TextOut& fpw, const Trace& trace);
// STR_ALONG_CIE: along the circular arc from SK to EK (HP 1.0).
void STR_ALONG_CIE(const InterfaceData& in, TextOut& fpw, const Trace& trace);
// STR_ALONG_CEL: along the tilted ellipse (HP below 1.0). Leaves the steps
// its walks took in trace.walk_steps.
void STR_ALONG_CEL(const InterfaceData& in, TextOut& fpw, Trace& trace);

// For a curve that no layout takes: "h# NG curve \n" where the layout's
// records would stand, unless the text is empty. Without it the host would
// draw nothing and could not tell why.
void NO_LAYOUT(const InterfaceData& in, TextOut& fpw);

} // namespace curvetext
