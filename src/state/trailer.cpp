#include "state/trailer.h"

namespace curvetext {

void IniZokusei(const Captures& c, TextOut& out) {
  // Not for the initial -20.0, nor for 0.0, negatives or NaN.
  if (c.MOJIWi > 0.0) {
    out.print("cn0 %.2f, %.2f, %.2f, %d\n", c.MOJIWi, c.MOJIHi, c.MOJIDi, c.MOJICi);
  }
  // Signed on purpose: 1 to 10 and every negative kind go back to the host.
  if (c.MOJISi != 0 && !(c.MOJISi > kLastTextKind)) out.print("cn%d\n", c.MOJISi);
  out.print("lg%x\nly%x\nlt%d\nlc%d\n", static_cast<unsigned>(c.GROUPi),
            static_cast<unsigned>(c.LAYERi), c.TYPEi, c.COLORi);
  if (!(c.TENSi > 9)) out.print("pn%d\n", c.TENSi);
}

} // namespace curvetext
