// The one record of a run: debug level, streams, attributes with their
// captured first values, text size tables, curve, text, counters and options.
//
// Every value starts as the host expects it before the interface file is
// read; a capture field holding 20 (-20.0 for MOJIWi) has captured nothing.
#pragma once

#include "util/text_file.h"

namespace curvetext {

struct RunState {
  // Run control.
  int isTest = 0;  // debug level 0 to 6; 0 is normal operation
  int stepcnt = 0; // the reader's step marker
  int HPmax = 3;   // highest point index a point record may fill
  TextIn fp;       // the interface file, open for reading
  TextOut fpw;     // the work copy: every output record goes here
  double PAI = 3.141592653589793;

  // Attributes (current value, captured first value).
  int COLOR = 1, COLORi = 20;
  int TYPE = 1, TYPEi = 20;
  int LAYER = 0, LAYERi = 20;
  int GROUP = 0, GROUPi = 20;
  int TENS = 1, TENSi = 20;
  int MOJIS = 1, MOJISi = 20; // text kind, index into the size tables
  int MOJIK = 0, MOJIKi = 20;
  // Kind-0 sizes captured from the first "cn0" record; MOJIWi must start
  // negative because the trailer tests it for being positive.
  double MOJIWi = -20.0;
  double MOJIHi = 20.0;
  double MOJIDi = 20.0;
  int MOJICi = 20;

  // Text size tables, one entry per text kind 0 to 10.
  double MOJI_W[11] = {};
  double MOJI_H[11] = {};
  double MOJI_D[11] = {};
  int MOJI_C[11] = {};

  // Metrics a layout selected from the tables.
  double MOJI_zw = 0.0;
  double MOJI_zh = 0.0;
  double MOJI_zd = 0.0;

  // Steps the ellipse layout's walks took: what its cost grows with.
  long long walk_steps = 0;

  // Curve.
  double CX = 0.0, CY = 0.0, CR = 0.0;
  double SK = 0.0, EK = 0.0; // degrees
  double HP = 0.0;           // -2.0: full circle; 1.0: arc; below 1.0: ellipse
  double JK = 0.0;           // tilt, degrees
  int iCi_cnt = 0;

  // Text.
  char ChSTR0[261] = {}; // raw text field of the last text record
  char ChSTR[260] = {};  // the string the layouts set, at most 250 bytes
  double ChX = 0.0, ChY = 0.0, ChDX = 0.0, ChDY = 0.0;
  int iCHR_cnt = 0;

  // Option values.
  int exiro = 0;
  int exsyu = 0;
  double dMOJI_w = 5.0;
  double dMOJI_d = 1.0;
  int iMOJI_p = 1;
  char ChS001[256] = {};
  int iMode = 1, iMode2 = 20, iMode3 = 20;

  // Further host data the reader keeps.
  double G_SCALE[16] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0,
                        1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  double PNX1 = 0.0, PNY1 = 0.0, PNX2 = 0.0, PNY2 = 0.0;
  double HPOINTx = 0.0, HPOINTy = 0.0;
  double PX[4] = {};
  double PY[4] = {};
  int iPOINT = 0, iPOINTcnt = 0;
  double ILINEx1 = 0.0, ILINEy1 = 0.0, ILINEx2 = 0.0, ILINEy2 = 0.0;
  int iLine_cnt = 0;
  double KX[4] = {};
  double KY[4] = {};
  int ZOKU = 0;
  int isZUSUN = 0;
  char MOJI_head[3] = {'c', 'h', '\0'};
  int iPattern = 0;
  int iPLcnt = 0;

  // Polyline counters.
  int iPL = 0;
  int iPLcounter = 0;
  int iKtensu = 0;
  double KYleng = 0.0;
};

// Appends the attribute-restore trailer to fpw: the host gets back the
// attributes it had when the run began.
void IniZokusei(RunState& st);

// Clears the polyline counters.
void PLreset(RunState& st);

} // namespace curvetext
