#include "layout/glyph.h"

#include <cmath>

#include "layout/layouts.h"
#include "util/sjis.h"

namespace curvetext {

namespace {

bool finite(const Placement& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.dx) && std::isfinite(p.dy);
}

} // namespace

int select_metrics(RunState& st) {
  const bool known_kind = st.MOJIS >= 0 && st.MOJIS <= 10;
  if (known_kind) {
    st.MOJI_zh = st.MOJI_H[st.MOJIS];
    st.MOJI_zw = st.MOJI_W[st.MOJIS];
    st.MOJI_zd = st.MOJI_D[st.MOJIS];
  }
  const int length = STRLEN(reinterpret_cast<const unsigned char*>(st.ChSTR));
  if (length == 0) return 0;
  if (!known_kind) {
    st.fpw.print("h# NG text kind %d \n", st.MOJIS);
    return 0;
  }
  return length;
}

double byte_advance(const RunState& st) { return (st.MOJI_zw + st.MOJI_zd) * 0.5; }

void reject_curve(RunState& st) { st.fpw.print("h# NG curve \n"); }

void NO_LAYOUT(RunState& st) {
  if (STRLEN(reinterpret_cast<const unsigned char*>(st.ChSTR)) > 0) reject_curve(st);
}

Step glyph_step(RunState& st, PairBuffer& pair, int i, const Placement& single,
                const Placement& pair_at) {
  const auto* text = reinterpret_cast<const unsigned char*>(st.ChSTR);
  const int kind = SHIFTJIS(text, i);
  if (!pair.lead_pending()) {
    if (kind == 1) {
      pair.bytes[0] = text[i];
      return Step::held;
    }
    if (kind == 2) {
      st.fpw.print("h# NG SHIFT-jis 2Byte Character \n");
      return Step::rejected;
    }
    if (!finite(single)) {
      reject_curve(st);
      return Step::broken;
    }
    st.fpw.print("ch %.10f %.10f %.10f %.10f \"%c\n", single.x, single.y, single.dx, single.dy,
                 static_cast<int>(text[i]));
  } else {
    // Whatever its class, the byte after a lead byte is its trail byte.
    pair.bytes[1] = text[i];
    if (!finite(pair_at)) {
      reject_curve(st);
      return Step::broken;
    }
    st.fpw.print("ch %.10f %.10f %.10f %.10f \"%s\n", pair_at.x, pair_at.y, pair_at.dx, pair_at.dy,
                 reinterpret_cast<const char*>(pair.bytes));
  }
  pair.bytes[0] = 0;
  return Step::written;
}

} // namespace curvetext
