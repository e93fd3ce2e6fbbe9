#include "reader/reader.h"

namespace curvetext {

int QV_PATTERN(RunState& st, std::uint32_t, std::uint32_t) {
  ++st.iPattern;
  return 0;
}

void CHR_PRO(RunState&, unsigned) {}

} // namespace curvetext
