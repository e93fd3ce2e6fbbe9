// What the interface file said, as the reader found it: the curve, the
// text, the text kind and its size tables, and the attributes to restore.
// The reader fills it; the layouts and the trailer only read it.
//
// Every value starts as the host expects it before the interface file is
// read; a capture field holding kNothingCaptured (its negative for MOJIWi)
// has captured nothing.
#pragma once

namespace curvetext {

// The mark of a capture field that has captured nothing yet.
constexpr int kNothingCaptured = 20;

// The first value of each attribute the interface file gave: the trailer
// gives them back to the host.
struct Captures {
  int COLORi = kNothingCaptured;
  int TYPEi = kNothingCaptured;
  int LAYERi = kNothingCaptured;
  int GROUPi = kNothingCaptured;
  int TENSi = kNothingCaptured;
  int MOJISi = kNothingCaptured; // text kind
  // Kind-0 sizes captured from the first "cn0" record; MOJIWi must start
  // negative because the trailer tests it for being positive.
  double MOJIWi = -kNothingCaptured;
  double MOJIHi = kNothingCaptured;
  double MOJIDi = kNothingCaptured;
  int MOJICi = kNothingCaptured;
};

struct InterfaceData {
  // Curve: centre, radius, start and end angle, ratio and tilt (degrees).
  double CX = 0.0, CY = 0.0, CR = 0.0;
  double SK = 0.0, EK = 0.0;
  double HP = 0.0; // -2.0: full circle; 1.0: arc; below 1.0: ellipse
  double JK = 0.0;
  int iCi_cnt = 0; // curve records read (traced)

  // The text the layouts set, at most 250 bytes, and its kind: an index
  // into the size tables (the layouts refuse one outside them).
  char ChSTR[260] = {};
  int MOJIS = 1;

  // Text size tables, one entry per text kind 0 to 10.
  double MOJI_W[11] = {};
  double MOJI_H[11] = {};
  double MOJI_D[11] = {};

  int stepcnt = 0; // the reader's step marker (traced)

  Captures captures;
};

} // namespace curvetext
