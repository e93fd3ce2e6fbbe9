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

LayoutJob::LayoutJob(const InterfaceData& in, TextOut& fpw, const Trace& trace)
    : in(in), fpw(fpw), trace(trace) {
  if (text_kind_known(in.MOJIS)) {
    MOJI_zh = in.MOJI_H[in.MOJIS];
    MOJI_zw = in.MOJI_W[in.MOJIS];
    MOJI_zd = in.MOJI_D[in.MOJIS];
  }
}

int text_length(const InterfaceData& in) {
  return capped_length(reinterpret_cast<const unsigned char*>(in.ChSTR));
}

bool reject_text_kind(const LayoutJob& job) {
  if (text_kind_known(job.in.MOJIS)) return false;
  job.fpw.print("h# NG text kind %d \n", job.in.MOJIS);
  return true;
}

double byte_advance(const LayoutJob& job) { return (job.MOJI_zw + job.MOJI_zd) * 0.5; }

void reject_curve(TextOut& fpw) { fpw.print("h# NG curve \n"); }

void NO_LAYOUT(const InterfaceData& in, TextOut& fpw) {
  if (text_length(in) > 0) reject_curve(fpw);
}

Step glyph_step(const LayoutJob& job, PairBuffer& pair, int i, const Placement& single,
                const Placement& pair_at) {
  TextOut& fpw = job.fpw;
  const auto* text = reinterpret_cast<const unsigned char*>(job.in.ChSTR);
  const int kind = SHIFTJIS(text, i);
  if (!pair.lead_pending()) {
    if (kind == kSjisLead) {
      pair.bytes[0] = text[i];
      return Step::held;
    }
    if (kind == kSjisUnsupported) {
      fpw.print("h# NG SHIFT-jis 2Byte Character \n");
      return Step::rejected;
    }
    if (!finite(single)) {
      reject_curve(fpw);
      return Step::broken;
    }
    fpw.print("ch %.10f %.10f %.10f %.10f \"%c\n", single.x, single.y, single.dx, single.dy,
              static_cast<int>(text[i]));
  } else {
    // Whatever its class, the byte after a lead byte is its trail byte.
    pair.bytes[1] = text[i];
    if (!finite(pair_at)) {
      reject_curve(fpw);
      return Step::broken;
    }
    fpw.print("ch %.10f %.10f %.10f %.10f \"%s\n", pair_at.x, pair_at.y, pair_at.dx, pair_at.dy,
              reinterpret_cast<const char*>(pair.bytes));
  }
  pair.bytes[0] = 0;
  return Step::written;
}

} // namespace curvetext
