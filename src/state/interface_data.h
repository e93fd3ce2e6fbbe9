// What the interface file said, as the reader found it: the curve, the
// text, the text kind and its size tables, and the attributes to restore.
// The reader fills it; the layouts and the trailer only read it.
//
// Every value starts as the host expects it before the interface file is
// read; a capture field holding kNothingCaptured (its negative for MOJIWi)
// has captured nothing.
#pragma once

#include "util/sjis.h"

namespace curvetext {

// The text kinds 0 to 10: the indexes of the size tables.
constexpr int kLastTextKind = 10;
constexpr int kTextKinds = kLastTextKind + 1;
constexpr bool text_kind_known(int MOJIS) { return MOJIS >= 0 && MOJIS <= kLastTextKind; }

// HP of a curve record without angles: a full circle.
constexpr double kFullCircleHP = -2.0;
// HP of a circular arc; an ellipse has a ratio below it.
constexpr double kArcHP = 1.0;

// The mark of a capture field that has captured nothing yet.
constexpr int kNothingCaptured = 20;

// The first value of each attribute the interface file gave: the trailer
// gives them back to the host.
struct Captures {
  int COLORi = kNothingCaptured; // colour, of the "lc" record
  int TYPEi = kNothingCaptured;  // line type, of the "lt" record
  int LAYERi = kNothingCaptured; // layer, of the "ly" record
  int GROUPi = kNothingCaptured; // group, of the "lg" record
  int TENSi = kNothingCaptured;  // pen, of the "pn" record
  int MOJISi = kNothingCaptured; // text kind, of the "cn" record
  // Kind-0 sizes captured from the first "cn0" record; MOJIWi must start
  // negative because the trailer tests it for being positive.
  double MOJIWi = -kNothingCaptured;
  double MOJIHi = kNothingCaptured;
  double MOJIDi = kNothingCaptured;
  int MOJICi = kNothingCaptured;
};

struct InterfaceData {
  // The curve of the "ci" record.
  double CX = 0.0, CY = 0.0; // centre
  double CR = 0.0;           // radius; for an ellipse its half axis along x
  double SK = 0.0, EK = 0.0; // start and end angle of an arc, degrees
  double HP = 0.0;           // ratio of the axes, below 1.0 an ellipse; kArcHP, kFullCircleHP
  double JK = 0.0;           // tilt of an ellipse, degrees
  int iCi_cnt = 0;           // curve records read

  // The text the layouts set ("Ch" string), at most 250 bytes, and its kind
  // ("MOJI" is text): an index into the size tables (the layouts refuse one
  // outside them).
  char ChSTR[kTextField] = {};
  int MOJIS = 1;

  // Text size tables, one entry per text kind.
  double MOJI_W[kTextKinds] = {}; // width of a full-width glyph
  double MOJI_H[kTextKinds] = {}; // glyph height
  double MOJI_D[kTextKinds] = {}; // spacing between glyphs

  Captures captures;
};

// The curve a record describes, which decides the layout.
enum class CurveKind { circle, arc, ellipse, none };

// A full circle for the HP of a record without angles; an arc for HP 1.0
// with distinct start and end (NaN angles differ too); an ellipse for any
// other HP below 1.0; none for HP above 1.0 or NaN, or an arc without
// extent.
constexpr CurveKind curve_kind_of(const InterfaceData& in) {
  if (in.HP == kFullCircleHP) return CurveKind::circle;
  if (in.HP == kArcHP) return in.SK != in.EK ? CurveKind::arc : CurveKind::none;
  if (in.HP < kArcHP) return CurveKind::ellipse;
  return CurveKind::none;
}

} // namespace curvetext
