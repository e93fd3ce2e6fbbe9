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
  double HP = 0.0;           // ratio of the axes: -2.0 full circle, 1.0 arc, below 1.0 ellipse
  double JK = 0.0;           // tilt of an ellipse, degrees
  int iCi_cnt = 0;           // curve records read

  // The text the layouts set ("Ch" string), at most 250 bytes, and its kind
  // ("MOJI" is text): an index into the size tables (the layouts refuse one
  // outside them).
  char ChSTR[260] = {};
  int MOJIS = 1;

  // Text size tables, one entry per text kind 0 to 10.
  double MOJI_W[11] = {}; // width of a full-width glyph
  double MOJI_H[11] = {}; // glyph height
  double MOJI_D[11] = {}; // spacing between glyphs

  Captures captures;
};

} // namespace curvetext
