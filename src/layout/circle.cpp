#include "layout/layouts.h"

namespace curvetext {

int STR_ALONG_C(RunState&, int, int) { return 0; }
int STR_ALONG_CIE(RunState&, int, int) { return 0; }

} // namespace curvetext
