// Text along a full circle and along a circular arc. Both write the text
// twice: on the circle itself reading clockwise (over the top), then on the
// circle one text height inside reading counter-clockwise (under the bottom).
// The circle centres the two passes on 90 and 270 degrees, the arc centres
// both on its middle angle; all else is shared.
//
// Every angle is carried from byte to byte by repeated addition or
// subtraction, and every formula keeps its order of operations, so that the
// records agree to the last digit with the ones hosts have always received.
#include <cmath>
#include <cstdio>

#include "layout/glyph.h"
#include "layout/layouts.h"
#include "util/sjis.h"

namespace curvetext {

namespace {

enum class Curve { circle, arc };

// Positions looked at per pass: 0 to 50.
constexpr int kLastPosition = 50;

// How many bytes of a text longer than the bound the passes write: the
// positions up to the bound, less a lead byte on the last one (its trail
// byte lies past the bound, so the character is dropped whole), or up to
// an unsupported character, where the passes end.
int bytes_within_bound(const RunState& st) {
  const auto* text = reinterpret_cast<const unsigned char*>(st.ChSTR);
  bool lead_pending = false;
  for (int i = 0; i <= kLastPosition; ++i) {
    const int kind = SHIFTJIS(text, i);
    if (lead_pending) {
      lead_pending = false;
    } else if (kind == 2) {
      return i;
    } else if (kind == 1) {
      lead_pending = true;
    }
  }
  return lead_pending ? kLastPosition : kLastPosition + 1;
}

double degrees(const RunState& st, double angle) { return angle * 180.0 / st.PAI; }

// The arc's middle angle in radians. An arc that passes through 0 degrees
// (EK below SK) starts one turn earlier.
double middle_angle(const RunState& st) {
  const double sk = st.EK < st.SK ? st.SK - 360.0 : st.SK;
  return ((sk + st.EK) * 0.5 * st.PAI) / 180.0;
}

// A glyph at angle a on the circle itself, pointing along the clockwise
// tangent.
Placement outer_at(const RunState& st, double a) {
  const double t = a - st.PAI * 0.5;
  return {st.CX + st.CR * std::cos(a), st.CY + st.CR * std::sin(a), 3.0 * std::cos(t),
          3.0 * std::sin(t)};
}

// A glyph at angle a on the circle of radius r, pointing along the
// counter-clockwise tangent.
Placement inner_at(const RunState& st, double r, double a) {
  const double t = a + st.PAI * 0.5;
  return {st.CX + r * std::cos(a), st.CY + r * std::sin(a), 3.0 * std::cos(t), 3.0 * std::sin(t)};
}

// Inputs from which no record could be computed: a zero divisor in either
// angular step, or a number that is not a number.
bool degenerate(const RunState& st, Curve curve) {
  const double values[] = {st.CX, st.CY, st.CR, st.MOJI_zw, st.MOJI_zh, st.MOJI_zd};
  for (const double v : values) {
    if (!std::isfinite(v)) return true;
  }
  if (curve == Curve::arc && (!std::isfinite(st.SK) || !std::isfinite(st.EK))) return true;
  return st.CR == 0.0 || st.CR == st.MOJI_zh;
}

void trace_entry(const RunState& st, Curve curve, int qv_line_cnt, int en) {
  std::printf(curve == Curve::circle ? "\n# STR_ALONG_C() --- qv_line_cnt<%d>--iCi_cnt(%d)--- \n"
                                     : "\n# STR_ALONG_CIE() --- qv_line_cnt<%d>--iCi_cnt(%d)--- \n",
              qv_line_cnt, st.iCi_cnt);
  std::printf("# CX(%.1f) CY(%.1f) CR(%.1f) SK(%.1f) EK(%.1f) HP(%.1f) JK(%.1f)\n", st.CX, st.CY,
              st.CR, st.SK, st.EK, st.HP, st.JK);
  std::printf("#  en(%d)\n", en);
}

// Trace lines of one outer-pass byte that was held or written; `a` is the
// angle of its position.
void trace_outer_byte(const RunState& st, Curve curve, const PairBuffer& pair, int i, double a) {
  if (curve == Curve::circle) {
    std::printf("# all input j(%d) str[0](%2x)  str[1](%2x)\n",
                SHIFTJIS(reinterpret_cast<const unsigned char*>(st.ChSTR), i), pair.bytes[0],
                pair.bytes[1]);
    std::printf("# rad2=deg2(%.1f)\n", degrees(st, a));
  } else {
    std::printf("# deg2(%.1f)\n", degrees(st, a));
  }
}

int lay_out(RunState& st, Curve curve, int qv_line_cnt, int en) {
  const bool trace = st.isTest == 2;
  if (trace) trace_entry(st, curve, qv_line_cnt, en);

  const int length = select_metrics(st);
  if (length == 0) return 0;
  if (degenerate(st, curve)) {
    reject_curve(st);
    return 0;
  }
  const auto* text = reinterpret_cast<const unsigned char*>(st.ChSTR);
  const double b = byte_advance(st);
  const double pitch = st.MOJI_zw + st.MOJI_zd;
  const double mlen = (pitch * (length - 1) + st.MOJI_zw) * 0.5;
  const double half_count = (length - 1) * 0.5;
  // Centring uses the full length even when the text runs past the last
  // position written.

  // Bytes past the last position are dropped: say so, rather than hand the
  // host a shortened text as if it were whole.
  if (length > kLastPosition + 1) {
    st.fpw.print("h# TEXT is too long: %d of %d bytes written \n", bytes_within_bound(st), length);
  }
  st.fpw.print("cc1 \n");
  const double elen = (st.PAI + st.PAI) * st.CR;
  const double s = ((st.PAI + st.PAI) * b) / elen;
  const double h = half_count * s;
  double a = (curve == Curve::circle ? st.PAI * 0.5 : middle_angle(st)) + h;
  if (trace) {
    std::printf("# CR(%.1f) --- elen(%.1f)  1ch(%.1f + %.1f)/2 = (%.1f)deg--- \n", st.CR, elen,
                st.MOJI_zw, st.MOJI_zd, degrees(st, s));
    std::printf("# str(%s)(%d)(%.1f) str-center=a(%.1f)   deg2(%.1f) = 90deg + deg1(%.1f)\n",
                st.ChSTR, length, mlen, mlen * 0.5, degrees(st, a), degrees(st, h));
  }

  PairBuffer pair;
  for (int i = 0; i < length && i <= kLastPosition; ++i) {
    // A double-byte glyph stands midway between its lead byte (one step
    // back, at a + s) and its trail byte.
    if (trace && curve == Curve::circle && pair.lead_pending()) {
      std::printf("#     2byte OUTPUT str[0](%2x)  str[1](%2x)\n", pair.bytes[0], text[i]);
    }
    const Step step = glyph_step(st, pair, i, outer_at(st, a), outer_at(st, a + s * 0.5));
    if (step == Step::broken) return 0;
    if (step == Step::rejected) break;
    if (trace) trace_outer_byte(st, curve, pair, i, a);
    a = a - s;
  }

  st.fpw.print("cc7 \n");
  const double r = st.CR - st.MOJI_zh;
  const double s2 = (b * (st.PAI + st.PAI)) / ((st.CR - st.MOJI_zh) * (st.PAI + st.PAI));
  a = (curve == Curve::circle ? st.PAI * 1.5 : middle_angle(st)) - half_count * s2;
  if (st.isTest == 1) st.fpw.print("## len(%d) mlen(%.1f)\n", length, mlen);

  pair.clear();
  for (int i = 0; i <= kLastPosition && i < length; ++i) {
    const Step step = glyph_step(st, pair, i, inner_at(st, r, a), inner_at(st, r, a - s2 * 0.5));
    if (step == Step::broken || step == Step::rejected) return 0;
    a = a + s2;
  }
  return 0;
}

} // namespace

int STR_ALONG_C(RunState& st, int qv_line_cnt, int en) {
  return lay_out(st, Curve::circle, qv_line_cnt, en);
}

int STR_ALONG_CIE(RunState& st, int qv_line_cnt, int en) {
  return lay_out(st, Curve::arc, qv_line_cnt, en);
}

} // namespace curvetext
