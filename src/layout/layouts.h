// The three layouts: the text string along a full circle, a circular arc and
// a tilted ellipse, each written twice (over the top, then on the curve one
// text height inside, under the bottom). They always return 0.
#pragma once

#include "state/run_state.h"

namespace curvetext {

int STR_ALONG_C(RunState& st, int qv_line_cnt, int en);
int STR_ALONG_CIE(RunState& st, int qv_line_cnt, int en);
int STR_ALONG_CEL(RunState& st, int qv_line_cnt, int en);

// For a curve that no layout takes: "h# NG curve \n" where the layout's
// records would stand, unless the text is empty. Without it the host would
// draw nothing and could not tell why.
void NO_LAYOUT(RunState& st);

} // namespace curvetext
