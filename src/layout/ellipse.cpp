#include "layout/layouts.h"

namespace curvetext {

int STR_ALONG_CEL(RunState&, int, int) { return 0; }

} // namespace curvetext
