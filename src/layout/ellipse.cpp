// Text along a tilted ellipse. An ellipse has no constant angle per glyph, so
// the layout walks the curve in small steps of its parameter, sums the chords
// as its measure of arc length and takes the next byte position each time
// the sum passes the byte advance. The outer pass measures along the ellipse
// over its top, the inner pass along the curve one text height inside it,
// under its bottom.
//
// A position is the sum of thousands of chords and is written to ten
// decimals, so every operation below keeps its one fixed order: regrouping a
// sum, or dropping a + 0 (which turns -0 into 0), changes the records.
#include <cassert>
#include <cmath>

#include "layout/glyph.h"
#include "layout/layouts.h"
#include "util/debug.h"
#include "util/geometry.h"

namespace curvetext {

namespace {

// A walk makes 20 steps per byte advance and a search may make a full turn,
// 40·π·CR/b steps, so on an ellipse large against the advance a walk that
// never reaches the text's length goes on for millions of steps: a text
// height equal to the radius shrinks the inner curve to almost a point, and
// the inner walks then measure almost nothing. A walk that has not ended
// after this many steps is given up. The outer walks end within the text's
// length along the ellipse, far below it, so a run makes at most about twice
// this many steps: well within a second.
constexpr int kMaxWalkSteps = 1 << 22;

// The parameter step of a walk as a share of the angle one byte advance spans
// on the circle of radius CR: 20 steps per byte advance.
constexpr double kStepShare = 0.05;

// The circle of radius CR: its circumference, and the angle the byte
// advance b spans on it, on which the walks' parameter step is based.
struct Circle {
  double elen;
  double rad0;
};

Circle circle_of(const LayoutJob& job, double b) {
  const double elen = job.in.CR * (PAI + PAI);
  return {elen, ((PAI + PAI) * b) / elen};
}

// The tilt of the ellipse: turns a point counter-clockwise about the origin,
// with the sine and cosine of the angle taken once for the whole layout.
class Tilt {
public:
  explicit Tilt(double a) : c_(std::cos(a)), s_(std::sin(a)) {}
  void turn(const double* p, double* out) const {
    const double x = p[0];
    const double y = p[1];
    out[0] = x * c_ - y * s_;
    out[1] = x * s_ + y * c_;
  }

private:
  double c_;
  double s_;
};

// What stays fixed for the whole call.
struct Layout {
  LayoutJob& job;
  int length;
  double b;      // byte advance
  double sh0;    // half the length of the text along the curve
  double two_pi; // PAI + PAI, the bound of the searches
  Tilt tilt;
  PairBuffer pair;
  long long steps = 0; // of all walks so far
};

// Which way a walk goes: a search grows radtb, a placement shrinks it.
enum class Going { search, placement };

// Which curve a walk follows.
enum class Curve { outer, inner };

// What a search hands on to its placement walk.
struct Walk {
  double radtb = 0.0;            // curve parameter
  double radtb0 = 0.0;           // parameter step
  double t0[2] = {0.0, 0.0};     // previous curve point, untilted
  double tilted[2] = {0.0, 0.0}; // previous curve point, tilted
  double vec[2] = {0.0, 0.0};    // step vector
  double inner[2] = {0.0, 0.0};  // previous inner point (inner pass only)
};

// What a placement walk carries from step to step, from where its search
// ended `w`. The walk starts one step back from there and runs towards the
// smaller radtb, at most down to radtbe.
struct Placing {
  Placing(const Layout& L, const Walk& w)
      : radtbe(-w.radtb - w.radtb0), two_sh0(L.sh0 + L.sh0), pair_sum(0.5 * L.b + 0) {}
  // A chord of the walk: counts toward the length and toward both events.
  void add(double c) {
    sh += c;
    position_sum += c;
    pair_sum += c;
  }

  const double radtbe;
  const double two_sh0;
  double sh = 0.0;
  double position_sum = 0.0; // from which b is taken at each position event
  double pair_sum;           // the same, offset by b/2: half-position events
  int i = 1;                 // the next byte
  double pair_point[2] = {0.0, 0.0};
  double pair_vec[2] = {0.0, 0.0};
};

// A step of the walk onto the curve point t1. The step vector always points
// towards the smaller radtb, the reading direction: from the new tilted point
// back to the previous one in a search, from the previous to the new one in a
// placement. (Written as the two differences, not as one negated: -(0.0) would
// turn a zero into -0 in the records.)
void step_to(const Tilt& tilt, Walk& w, const double* t1, Going going) {
  double now[2];
  tilt.turn(t1, now);
  if (going == Going::search) {
    w.vec[0] = w.tilted[0] - now[0];
    w.vec[1] = w.tilted[1] - now[1];
  } else {
    w.vec[0] = now[0] - w.tilted[0];
    w.vec[1] = now[1] - w.tilted[1];
  }
  w.t0[0] = t1[0];
  w.t0[1] = t1[1];
  w.tilted[0] = now[0];
  w.tilted[1] = now[1];
}

// The outer pass runs over the top point, counter-clockwise as radtb grows.
void outer_point(const LayoutJob& job, double radtb, double* out) {
  out[0] = -job.in.CR * std::sin(radtb);
  out[1] = job.in.CR * std::cos(radtb) * job.in.HP;
}

// The inner pass runs over the bottom point, clockwise as radtb grows.
void inner_point(const LayoutJob& job, double radtb, double* out) {
  out[0] = -job.in.CR * std::sin(radtb);
  out[1] = -job.in.CR * std::cos(radtb) * job.in.HP;
}

// The curve point t moved by the text height to the left of the direction a.
void move_inside(const LayoutJob& job, const double* t, double a, double* out) {
  out[0] = t[0] - job.MOJI_zh * std::sin(a);
  out[1] = t[1] + job.MOJI_zh * std::cos(a);
}

// One step of a walk, computed ahead of it.
struct StepAhead {
  double radtb;  // the curve parameter
  double t1[2];  // the curve point
  double in1[2]; // t1 moved inside (inner walks only)
};

// The steps of one walk, computed a batch ahead. Within a step each call
// waits for the one before (the curve point, the direction of its chord, the
// point moved inside along it); the steps of a batch do not wait for one
// another, so the processor overlaps their calls. Each value comes from the
// same call on the same arguments as when taken step by step, so from the
// same bits; steps past the walk's end are computed and never used.
class Lookahead {
public:
  Lookahead(const LayoutJob& job, Curve curve, Going going)
      : job_(job), curve_(curve), going_(going) {}

  // The step at w.radtb, where the walk has come to. The walk must have
  // moved on by exactly one radtb0 since the last step, and stepped onto its
  // curve point (step_to), or the batch no longer holds its steps.
  const StepAhead& next(const Walk& w) {
    if (at_ == kBatch) fill(w);
    assert(steps_[at_].radtb == w.radtb);
    return steps_[at_++];
  }

private:
  static constexpr int kBatch = 16;

  void fill(const Walk& w) {
    double r = w.radtb;
    for (StepAhead& each : steps_) {
      each.radtb = r;
      // As the walk itself moves on: r + radtb0 or r - radtb0, no other way.
      r = going_ == Going::search ? r + w.radtb0 : r - w.radtb0;
    }
    if (curve_ == Curve::outer) {
      for (int k = 0; k < kBatch; ++k)
        outer_point(job_, steps_[k].radtb, steps_[k].t1);
    } else {
      for (int k = 0; k < kBatch; ++k)
        inner_point(job_, steps_[k].radtb, steps_[k].t1);
      double a[kBatch];
      for (int k = 0; k < kBatch; ++k) {
        const double* t0 = k == 0 ? w.t0 : steps_[k - 1].t1;
        const double* t1 = steps_[k].t1;
        // The chord in the reading direction: from t1 back to t0 in a
        // search, from t0 on to t1 in a placement.
        a[k] = going_ == Going::search ? std::atan2(t0[1] - t1[1], t0[0] - t1[0])
                                       : std::atan2(t1[1] - t0[1], t1[0] - t0[0]);
      }
      for (int k = 0; k < kBatch; ++k)
        move_inside(job_, steps_[k].t1, a[k], steps_[k].in1);
    }
    at_ = 0;
  }

  const LayoutJob& job_;
  const Curve curve_;
  const Going going_;
  StepAhead steps_[kBatch] = {};
  int at_ = kBatch;
};

Placement at(const LayoutJob& job, const double* p, const double* v) {
  return {job.in.CX + p[0], job.in.CY + p[1], v[0], v[1]};
}

// Counts a step of the walk that began at step `start`. A walk past the
// step bound is given up: the curve is rejected and false returned.
bool step_allowed(Layout& L, long long start) {
  if (++L.steps - start <= kMaxWalkSteps) return true;
  reject_curve(L.job.fpw);
  return false;
}

// A glyph record follows, or only a lead byte waits for its trail byte.
bool goes_on(Step s) { return s == Step::written || s == Step::held; }

// The chord of one step of a walk onto the next curve point, measured on the
// walk's curve: the ellipse itself on the outer pass, the inner curve on the
// inner pass. The walk then stands on the new point.
template <Curve C> double advance(const Layout& L, Walk& w, const StepAhead& step, Going going) {
  double chord = 0.0;
  if constexpr (C == Curve::outer) {
    chord = PTDIST(w.t0, step.t1);
  } else {
    chord = PTDIST(w.inner, step.in1);
  }
  step_to(L.tilt, w, step.t1, going);
  if constexpr (C == Curve::inner) {
    w.inner[0] = step.in1[0];
    w.inner[1] = step.in1[1];
  }
  return chord;
}

// Where a glyph of the walk stands, tilted: the curve point on the outer
// pass; on the inner pass the inner point, turned only where a glyph may need
// it.
template <Curve C> void glyph_point(const Layout& L, const Walk& w, double* out) {
  if constexpr (C == Curve::outer) {
    out[0] = w.tilted[0];
    out[1] = w.tilted[1];
  } else {
    L.tilt.turn(w.inner, out);
  }
}

// The outer search starts on the top point.
void start_outer(Layout& L, Walk& w) {
  const LayoutJob& job = L.job;
  w.t0[0] = 0.0;
  w.t0[1] = job.in.CR * job.in.HP + 0;
  L.tilt.turn(w.t0, w.tilted);
  w.radtb = 0.0;
}

// The inner search starts one step off the bottom point.
void start_inner(Layout& L, Walk& w) {
  const LayoutJob& job = L.job;
  const double pai = PAI;
  // Recomputed rather than reused: the same value, kept as the host's own
  // records were computed.
  w.radtb0 = ((L.b * (pai + pai)) / ((pai + pai) * job.in.CR)) * kStepShare;
  w.radtb = w.radtb0 + 0;
  w.t0[0] = 0.0;
  w.t0[1] = 0 - job.in.CR * job.in.HP;
  L.tilt.turn(w.t0, w.tilted);
  w.inner[0] = 0.0;
  w.inner[1] = (0 - job.in.CR * job.in.HP) + job.MOJI_zh;
}

// A search, the first byte position: from its start leftwards until the
// summed length reaches sh0. False when the layout ends.
template <Curve C> bool search(Layout& L, Walk& w) {
  if constexpr (C == Curve::outer) {
    start_outer(L, w);
  } else {
    start_inner(L, w);
  }
  L.pair.clear();
  double sh = 0.0;
  Lookahead ahead(L.job, C, Going::search);
  const long long start = L.steps;
  while (w.radtb < L.two_pi) {
    if (!step_allowed(L, start)) return false;
    sh += advance<C>(L, w, ahead.next(w), Going::search);
    // The outer search stops past sh0, the inner one on reaching it.
    if (C == Curve::outer ? sh > L.sh0 : sh >= L.sh0) break;
    w.radtb += w.radtb0;
  }
  double point[2];
  glyph_point<C>(L, w, point);
  const Placement glyph = at(L.job, point, w.vec);
  if (!goes_on(glyph_step(L.job, L.pair, 0, glyph, glyph))) return false;
  // A one-byte text is done with its first inner byte.
  return C == Curve::outer || L.length > 1;
}

void trace_inner_step(const Layout& L, const Walk& w, const Placing& p, const double* t1) {
  L.job.fpw.print("# b(%.2f) radtb(%.8f) radtbe(%.8f) radtb0(%.8f) t0(%.8f)\n", L.b, w.radtb,
                  p.radtbe, w.radtb0, w.t0[0]);
  L.job.fpw.print("# t0(%.10f %.10f) t1(%.10f %.10f)\n", w.t0[0], w.t0[1], t1[0], t1[1]);
}

void trace_outer_end(const Layout& L, const Walk& w, const Placing& p) {
  const LayoutJob& job = L.job;
  job.fpw.print("# radtb(%.8f) /radtbe(%.8f)  sh(%.8f) /2sh(%.8f)\n", w.radtb, p.radtbe, p.sh,
                p.two_sh0);
  const Circle c = circle_of(job, L.b);
  job.trace.print("# sh0(%.2f) sh(%.2f) radtb0(%.3f) rad0(%.1f) elen(%.1f) b(%.1f)\n", L.sh0, p.sh,
                  w.radtb0, c.rad0, c.elen, L.b);
  job.trace.print("# deg(radtb=%.2f)  deg(radtb0=%.2f)\n", w.radtb * 180 / PAI,
                  w.radtb0 * 180 / PAI);
}

// What follows a byte position of a placement walk.
enum class Next { step, end_walk, end_layout };

// A byte position of a placement walk: the glyph of byte p.i where the walk
// stands, or of the double-byte character it completes.
template <Curve C> Next place_byte(Layout& L, const Walk& w, Placing& p) {
  // A one-byte text has no byte 1: its terminating NUL must never become a
  // glyph (a first step longer than the advance gets here).
  if (p.i >= L.length) return Next::end_walk;
  double point[2];
  glyph_point<C>(L, w, point);
  const Step s =
      glyph_step(L.job, L.pair, p.i, at(L.job, point, w.vec), at(L.job, p.pair_point, p.pair_vec));
  if (s == Step::broken) return Next::end_layout;
  if (s == Step::rejected) return Next::end_walk;
  p.i += 1;
  if (p.i >= L.length) return Next::end_walk;
  p.position_sum -= L.b;
  return Next::step;
}

// Halfway between two byte positions, where a double-byte glyph stands: the
// point and direction kept in `p` for the glyph whose trail byte comes next.
template <Curve C> void keep_pair_point(const Layout& L, const Walk& w, Placing& p) {
  glyph_point<C>(L, w, p.pair_point);
  p.pair_vec[0] = w.vec[0];
  p.pair_vec[1] = w.vec[1];
  p.pair_sum -= L.b;
}

// A placement, the other bytes: back rightwards from the first position
// until the bytes, the summed length or radtbe run out. False when the
// layout ends; a rejected byte ends only this walk.
template <Curve C> bool place(Layout& L, Walk& w) {
  LayoutJob& job = L.job;
  Placing p(L, w);
  w.radtb = w.radtb - w.radtb0; // one step back
  const bool trace_steps = C == Curve::inner && job.trace.at(DebugLevel::trace);
  Lookahead ahead(job, C, Going::placement);
  const long long start = L.steps;
  for (;;) {
    // radtbe ends the inner walk; on the outer pass only a one-byte text can
    // end here, a longer one ends by its bytes.
    if (w.radtb <= p.radtbe && (C == Curve::inner || p.i >= L.length)) break;
    if (!step_allowed(L, start)) return false;
    const StepAhead& step = ahead.next(w);
    if (trace_steps) trace_inner_step(L, w, p, step.t1);
    p.add(advance<C>(L, w, step, Going::placement));
    if (p.pair_sum >= L.b) keep_pair_point<C>(L, w, p);
    if (p.position_sum >= L.b) {
      const Next next = place_byte<C>(L, w, p);
      if (next == Next::end_layout) return false;
      if (next == Next::end_walk) break;
    }
    if (p.sh >= p.two_sh0) break;
    w.radtb -= w.radtb0;
  }
  if (C == Curve::outer && job.trace.at(DebugLevel::trace)) trace_outer_end(L, w, p);
  return true;
}

// The walks of the two passes, a search and a placement each; each ends the
// layout early when it must.
void walk(Layout& L, Walk& w) {
  if (!search<Curve::outer>(L, w) || !place<Curve::outer>(L, w)) return;
  L.job.fpw.print("cc7 \n");
  if (!search<Curve::inner>(L, w)) return;
  place<Curve::inner>(L, w);
}

void trace_entry(const LayoutJob& job) {
  const int qv_line_cnt = static_cast<int>(job.trace.qd_xmax); // at most the line limit
  job.trace.print("\n# STR_ALONG__CEL() --- qv_line_cnt<%d>--iCi_cnt(%d)--- \n", qv_line_cnt,
                  job.in.iCi_cnt);
  job.trace.print("# CX(%.1f) CY(%.1f) CR(%.1f) SK(%.1f) EK(%.1f) HP(%.1f) JK(%.1f)\n", job.in.CX,
                  job.in.CY, job.in.CR, job.in.SK, job.in.EK, job.in.HP, job.in.JK);
}

} // namespace

void STR_ALONG_CEL(const InterfaceData& in, TextOut& fpw, Trace& trace) {
  LayoutJob job{in, fpw, trace};
  if (trace.at(DebugLevel::trace)) trace_entry(job);
  const int length = text_length(job.in);
  if (length == 0 || reject_text_kind(job)) return; // no walk

  const double b = byte_advance(job);
  const double sh0 = 0.5 * (length - 1) * b;
  const double radtb0 = circle_of(job, b).rad0 * kStepShare;

  // Input no walk can measure: a step of zero, or of a full turn or more,
  // never ends or never moves, and non-finite values would reach the records.
  const bool finite = std::isfinite(job.in.CX) && std::isfinite(job.in.CY) &&
                      std::isfinite(job.in.CR) && std::isfinite(job.in.HP) &&
                      std::isfinite(job.in.JK) && std::isfinite(job.MOJI_zw) &&
                      std::isfinite(job.MOJI_zh) && std::isfinite(job.MOJI_zd);
  if (!finite || !(job.in.CR > 0.0) || !(b > 0.0) || !(radtb0 > 0.0) || !(radtb0 < PAI + PAI)) {
    reject_curve(job.fpw);
    return;
  }

  if (job.in.CR < 2 * job.MOJI_zw) job.fpw.print("h# ELLIPSE is too small \n");
  job.fpw.print("cc1 \n");

  Layout L{
      job, length, b, sh0, PAI + PAI, Tilt(job.in.JK * PAI / 180), PairBuffer{},
  };
  Walk w;
  w.radtb0 = radtb0;
  walk(L, w);
  trace.walk_steps = L.steps;
}

} // namespace curvetext
