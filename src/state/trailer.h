// The attribute-restore trailer: the last records of every output.
#pragma once

#include "state/interface_data.h"
#include "util/text_file.h"

namespace curvetext {

// IniZokusei, the attribute restore: appends the trailer to `out`, so that
// the host gets back the attributes it had when the run began.
void IniZokusei(const Captures& c, TextOut& out);

} // namespace curvetext
