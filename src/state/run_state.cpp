#include "state/run_state.h"

namespace curvetext {

void IniZokusei(RunState& st) {
  // Not for the initial -20.0, nor for 0.0, negatives or NaN.
  if (st.MOJIWi > 0.0) {
    st.fpw.print("cn0 %.2f, %.2f, %.2f, %d\n", st.MOJIWi, st.MOJIHi, st.MOJIDi, st.MOJICi);
  }
  // Signed on purpose: 1 to 10 and every negative kind go back to the host.
  if (st.MOJISi != 0 && !(st.MOJISi > 10)) st.fpw.print("cn%d\n", st.MOJISi);
  st.fpw.print("lg%x\nly%x\nlt%d\nlc%d\n", static_cast<unsigned>(st.GROUPi),
               static_cast<unsigned>(st.LAYERi), st.TYPEi, st.COLORi);
  if (!(st.TENSi > 9)) st.fpw.print("pn%d\n", st.TENSi);
}

void PLreset(RunState& st) {
  st.iPL = 0;
  st.iPLcounter = 0;
  st.iKtensu = 0;
  st.KYleng = 0.0;
}

} // namespace curvetext
