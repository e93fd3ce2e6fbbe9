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

#include "layout/glyph.h"
#include "layout/layouts.h"
#include "util/debug.h"
#include "util/geometry.h"
#include "util/sjis.h"

namespace curvetext {

namespace {

enum class Curve { circle, arc };

// Positions looked at per pass: 0 to 50.
constexpr int kLastPosition = 50;

// The length of a glyph's direction vector in the records.
constexpr double kDirectionLength = 3.0;

// How many bytes of a text longer than the bound the passes write: the
// positions up to the bound, less a lead byte on the last one (its trail
// byte lies past the bound, so the character is dropped whole), or up to
// an unsupported character, where the passes end.
int bytes_within_bound(const LayoutJob& job) {
  const auto* text = reinterpret_cast<const unsigned char*>(job.in.ChSTR);
  bool lead_pending = false;
  for (int i = 0; i <= kLastPosition; ++i) {
    const int kind = SHIFTJIS(text, i);
    if (lead_pending) {
      lead_pending = false;
    } else if (kind == kSjisUnsupported) {
      return i;
    } else if (kind == kSjisLead) {
      lead_pending = true;
    }
  }
  return lead_pending ? kLastPosition : kLastPosition + 1;
}

double degrees(double angle) { return angle * 180.0 / PAI; }

// The arc's middle angle in radians. An arc that passes through 0 degrees
// (EK below SK) starts one turn earlier.
double middle_angle(const LayoutJob& job) {
  const double sk = job.in.EK < job.in.SK ? job.in.SK - 360.0 : job.in.SK;
  return ((sk + job.in.EK) * 0.5 * PAI) / 180.0;
}

// A glyph at angle a on the circle itself, pointing along the clockwise
// tangent.
Placement outer_at(const LayoutJob& job, double a) {
  const double t = a - PAI * 0.5;
  return {job.in.CX + job.in.CR * std::cos(a), job.in.CY + job.in.CR * std::sin(a),
          kDirectionLength * std::cos(t), kDirectionLength * std::sin(t)};
}

// A glyph at angle a on the circle of radius r, pointing along the
// counter-clockwise tangent.
Placement inner_at(const LayoutJob& job, double r, double a) {
  const double t = a + PAI * 0.5;
  return {job.in.CX + r * std::cos(a), job.in.CY + r * std::sin(a), kDirectionLength * std::cos(t),
          kDirectionLength * std::sin(t)};
}

// Inputs from which no record could be computed: a zero divisor in either
// angular step, or a number that is not a number.
bool degenerate(const LayoutJob& job, Curve curve) {
  const double values[] = {job.in.CX, job.in.CY, job.in.CR, job.MOJI_zw, job.MOJI_zh, job.MOJI_zd};
  for (const double v : values) {
    if (!std::isfinite(v)) return true;
  }
  if (curve == Curve::arc && (!std::isfinite(job.in.SK) || !std::isfinite(job.in.EK))) return true;
  return job.in.CR == 0.0 || job.in.CR == job.MOJI_zh;
}

void trace_entry(const LayoutJob& job, Curve curve) {
  const int qv_line_cnt = static_cast<int>(job.trace.qd_xmax); // at most the line limit
  job.trace.print(curve == Curve::circle
                      ? "\n# STR_ALONG_C() --- qv_line_cnt<%d>--iCi_cnt(%d)--- \n"
                      : "\n# STR_ALONG_CIE() --- qv_line_cnt<%d>--iCi_cnt(%d)--- \n",
                  qv_line_cnt, job.in.iCi_cnt);
  job.trace.print("# CX(%.1f) CY(%.1f) CR(%.1f) SK(%.1f) EK(%.1f) HP(%.1f) JK(%.1f)\n", job.in.CX,
                  job.in.CY, job.in.CR, job.in.SK, job.in.EK, job.in.HP, job.in.JK);
  job.trace.print("#  en(1)\n");
}

// Trace lines of one outer-pass byte that was held or written; `a` is the
// angle of its position.
void trace_outer_byte(const LayoutJob& job, Curve curve, const PairBuffer& pair, int i, double a) {
  if (curve == Curve::circle) {
    job.trace.print("# all input j(%d) str[0](%2x)  str[1](%2x)\n",
                    SHIFTJIS(reinterpret_cast<const unsigned char*>(job.in.ChSTR), i),
                    pair.bytes[0], pair.bytes[1]);
    job.trace.print("# rad2=deg2(%.1f)\n", degrees(a));
  } else {
    job.trace.print("# deg2(%.1f)\n", degrees(a));
  }
}

// The outer pass: from angle a clockwise, s per byte. False when the layout
// ends; an unsupported character ends only this pass.
bool outer_pass(LayoutJob& job, Curve curve, int length, double a, double s) {
  const bool trace = job.trace.at(DebugLevel::trace);
  const auto* text = reinterpret_cast<const unsigned char*>(job.in.ChSTR);
  PairBuffer pair;
  for (int i = 0; i < length && i <= kLastPosition; ++i) {
    // A double-byte glyph stands midway between its lead byte (one step
    // back, at a + s) and its trail byte.
    if (trace && curve == Curve::circle && pair.lead_pending()) {
      job.trace.print("#     2byte OUTPUT str[0](%2x)  str[1](%2x)\n", pair.bytes[0], text[i]);
    }
    const Step step = glyph_step(job, pair, i, outer_at(job, a), outer_at(job, a + s * 0.5));
    if (step == Step::broken) return false;
    if (step == Step::rejected) break;
    if (trace) trace_outer_byte(job, curve, pair, i, a);
    a = a - s;
  }
  return true;
}

// The inner pass: on the circle of radius r from angle a counter-clockwise,
// s2 per byte.
void inner_pass(LayoutJob& job, int length, double r, double a, double s2) {
  PairBuffer pair;
  for (int i = 0; i <= kLastPosition && i < length; ++i) {
    const Step step = glyph_step(job, pair, i, inner_at(job, r, a), inner_at(job, r, a - s2 * 0.5));
    if (step == Step::broken || step == Step::rejected) return;
    a = a + s2;
  }
}

void lay_out(LayoutJob& job, Curve curve) {
  const bool trace = job.trace.at(DebugLevel::trace);
  if (trace) trace_entry(job, curve);

  const int length = text_length(job.in);
  if (length == 0 || reject_text_kind(job)) return;
  if (degenerate(job, curve)) {
    reject_curve(job.fpw);
    return;
  }
  const double b = byte_advance(job);
  const double pitch = job.MOJI_zw + job.MOJI_zd;
  const double mlen = (pitch * (length - 1) + job.MOJI_zw) * 0.5;
  // Centring uses the full length even when the text runs past the last
  // position written.
  const double half_count = (length - 1) * 0.5;

  // Bytes past the last position are dropped: say so, rather than hand the
  // host a shortened text as if it were whole.
  if (length > kLastPosition + 1) {
    job.fpw.print("h# TEXT is too long: %d of %d bytes written \n", bytes_within_bound(job),
                  length);
  }
  job.fpw.print("cc1 \n");
  const double elen = (PAI + PAI) * job.in.CR;
  const double s = ((PAI + PAI) * b) / elen;
  const double h = half_count * s;
  const double a = (curve == Curve::circle ? PAI * 0.5 : middle_angle(job)) + h;
  if (trace) {
    job.trace.print("# CR(%.1f) --- elen(%.1f)  1ch(%.1f + %.1f)/2 = (%.1f)deg--- \n", job.in.CR,
                    elen, job.MOJI_zw, job.MOJI_zd, degrees(s));
    job.trace.print("# str(%s)(%d)(%.1f) str-center=a(%.1f)   deg2(%.1f) = 90deg + deg1(%.1f)\n",
                    job.in.ChSTR, length, mlen, mlen * 0.5, degrees(a), degrees(h));
  }
  if (!outer_pass(job, curve, length, a, s)) return;

  job.fpw.print("cc7 \n");
  const double r = job.in.CR - job.MOJI_zh;
  const double s2 = (b * (PAI + PAI)) / ((job.in.CR - job.MOJI_zh) * (PAI + PAI));
  const double a2 = (curve == Curve::circle ? PAI * 1.5 : middle_angle(job)) - half_count * s2;
  if (job.trace.at(DebugLevel::length_note)) job.fpw.print("## len(%d) mlen(%.1f)\n", length, mlen);
  inner_pass(job, length, r, a2, s2);
}

} // namespace

void STR_ALONG_C(const InterfaceData& in, TextOut& fpw, const Trace& trace) {
  LayoutJob job{in, fpw, trace};
  lay_out(job, Curve::circle);
}

void STR_ALONG_CIE(const InterfaceData& in, TextOut& fpw, const Trace& trace) {
  LayoutJob job{in, fpw, trace};
  lay_out(job, Curve::arc);
}

} // namespace curvetext
