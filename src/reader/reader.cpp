#include "reader/reader.h"

#include <cstddef>
#include <cstring>

#include "reader/scan.h"
#include "util/debug.h"
#include "util/sjis.h"

namespace curvetext {

namespace {

// One piece as the line read delivers it: at most 254 bytes and a NUL.
constexpr std::size_t kPieceBuffer = 255;

// A record as classification and the value reads see it: the bytes up to
// its first NUL. The whole piece, NUL bytes included, is what an echo writes.
struct Record {
  const char* bytes; // NUL-terminated: the line read ends every piece with one
  std::size_t length;

  // The byte at index i, NUL at and behind the end: never a byte behind it.
  char at(std::size_t i) const { return i < length ? bytes[i] : '\0'; }
  // The value reads from position `pos` on, counting from 1.
  Scan from(std::size_t pos) const { return Scan(bytes, length, pos - 1); }
};

void capture(int& captured, int current) {
  // A first value equal to the mark leaves the capture open.
  if (captured == kNothingCaptured) captured = current;
}

// "%lf %lf ..." into `count` doubles.
void read_doubles(Scan scan, double* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) scan.blank();
    scan.lf(values[i]);
  }
}

// Highest point number an "hp" point record may fill: the host's name, with
// nothing to do with HP, the curve's ratio.
constexpr int HPmax = 3;

// One pass over the interface file: what it said, and what the reader keeps
// from record to record besides. A value a record fails to give keeps the
// one before it, so the current values are kept too, though only their
// captures reach the output.
struct Reader {
  InterfaceData d;
  TextOut& fpw;
  Trace& trace; // the debug level; takes the step marker

  // The current attributes: colour, line type, layer, group, pen ("pn").
  int COLOR = 1, TYPE = 1, LAYER = 0, GROUP = 0, TENS = 1;
  char ChSTR0[kTextField + 1] = {}; // raw text field of the last text record
  int iPOINT = 0;                   // number of the last point record ("hp")
  double PX[HPmax + 1] = {};        // the points of the "hp" records, traced at debug level 3
  double PY[HPmax + 1] = {};

  void record(const Record& r);

private:
  void point_record(const Record& r);
  void text_record(const Record& r);
  void text_size_record(const Record& r);
  void line_record(const Record& r);
  void curve_record(const Record& r);
  void layer_record(const Record& r);
  void host_record(const Record& r);
  void kind_table_record(const Record& r);
  void c_record(const Record& r);
};

void Reader::point_record(const Record& r) {
  const char form = r.at(3);
  const char* line = nullptr; // the trace line of the form
  std::size_t coords = 5;
  switch (form) {
  case ' ':
    line = "##  hp%d   %.2f %.2f \n";
    coords = 4;
    break;
  case '+':
    break;
  case '/':
    line = "##  hp%d/  %.2f %.2f \n";
    break;
  case '-':
    line = "##  hp%d-  %.2f %.2f \n";
    break;
  default:
    // "hpNln" and "hpNch": points without a table; only their index stays.
    if ((form == 'l' && r.at(4) == 'n') || (form == 'c' && r.at(4) == 'h')) {
      r.from(3).d(iPOINT);
      trace.stepcnt = 2;
    }
    return;
  }
  r.from(3).d(iPOINT);
  if (iPOINT >= 0 && iPOINT <= HPmax) {
    r.from(coords).lf(PX[iPOINT]).blank().lf(PY[iPOINT]);
    if (trace.at(DebugLevel::points) && line != nullptr) {
      trace.print(line, iPOINT, PX[iPOINT], PY[iPOINT]);
    }
  }
}

void Reader::text_record(const Record& r) {
  // The position and direction are read, to reach the text, and not used.
  double ChX = 0.0, ChY = 0.0, ChDX = 0.0, ChDY = 0.0;
  std::size_t raw = 0;
  r.from(3).lf(ChX).blank().lf(ChY).blank().lf(ChDX).blank().lf(ChDY).blank().literal('"').c(
      ChSTR0, kTextField, raw);
  // The raw text ends where the record ends: nothing of a longer earlier
  // text stays behind it.
  if (raw > 0) ChSTR0[raw] = '\0';
  // The text the layouts set: the raw text up to its first CR or LF.
  d.ChSTR[0] = '\0';
  copy_line_capped(reinterpret_cast<unsigned char*>(d.ChSTR),
                   reinterpret_cast<const unsigned char*>(ChSTR0));
  // The trace line names the host's routine for this copy.
  if (trace.at(DebugLevel::trace)) fpw.print("# CHR_PRO  now \n");
}

void Reader::text_size_record(const Record& r) {
  switch (r.at(2)) {
  case '0': {
    int count = 0; // characters of kind 0: captured, not used
    d.MOJIS = 0;
    r.from(4).lf(d.MOJI_W[0]).blank().lf(d.MOJI_H[0]).blank().lf(d.MOJI_D[0]).blank().d(count);
    // Only a first text-size record of kind 0 captures the kind-0 sizes.
    Captures& c = d.captures;
    if (c.MOJISi == kNothingCaptured) {
      c.MOJISi = 0;
      c.MOJIWi = d.MOJI_W[0];
      c.MOJIHi = d.MOJI_H[0];
      c.MOJIDi = d.MOJI_D[0];
      c.MOJICi = count;
    }
    break;
  }
  case '"':
    break;
  default:
    // Stored as read: the layouts refuse a kind outside the tables.
    r.from(3).d(d.MOJIS);
    capture(d.captures.MOJISi, d.MOJIS);
    break;
  }
}

void Reader::line_record(const Record& r) {
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  r.from(2).lf(x1).blank().lf(y1).blank().lf(x2).blank().lf(y2);
  // A line of equal end points is no line (NaN differs from itself).
  if (x1 != x2 || y1 != y2) trace.stepcnt = 3;
}

void Reader::curve_record(const Record& r) {
  // The count of blanks, not of values, decides the form.
  if (SPCNT(r.bytes + 2) == 3) {
    r.from(3).lf(d.CX).blank().lf(d.CY).blank().lf(d.CR);
    d.HP = kFullCircleHP;
  } else {
    r.from(3)
        .lf(d.CX)
        .blank()
        .lf(d.CY)
        .blank()
        .lf(d.CR)
        .blank()
        .lf(d.SK)
        .blank()
        .lf(d.EK)
        .blank()
        .lf(d.HP)
        .blank()
        .lf(d.JK);
  }
  ++d.iCi_cnt;
}

// "lg", "ly", "lt", "lc".
void Reader::layer_record(const Record& r) {
  Captures& c = d.captures;
  switch (r.at(1)) {
  case 'g':
    r.from(3).x(GROUP);
    capture(c.GROUPi, GROUP);
    break;
  case 'y':
    r.from(3).x(LAYER);
    capture(c.LAYERi, LAYER);
    break;
  case 't':
    r.from(3).d(TYPE);
    capture(c.TYPEi, TYPE);
    break;
  case 'c':
    r.from(3).d(COLOR);
    capture(c.COLORi, COLOR);
    break;
  default:
    break;
  }
}

// "hcw", "hch", "hcd": the sizes of the text kinds 1 to 10 ("hcc", their
// character counts, is not used). The byte behind the name is skipped
// unseen.
void Reader::kind_table_record(const Record& r) {
  switch (r.at(2)) {
  case 'w':
    read_doubles(r.from(5), d.MOJI_W + 1, kLastTextKind);
    break;
  case 'h':
    read_doubles(r.from(5), d.MOJI_H + 1, kLastTextKind);
    break;
  case 'd':
    read_doubles(r.from(5), d.MOJI_D + 1, kLastTextKind);
    break;
  default:
    break;
  }
}

// "hq", "hp", "hc.."; "hn" and "hs" are not used.
void Reader::host_record(const Record& r) {
  switch (r.at(1)) {
  case 'q':
    trace.stepcnt = 1;
    break;
  case 'p':
    point_record(r);
    break;
  case 'c':
    kind_table_record(r);
    break;
  default:
    break;
  }
}

// "c" and a second byte: curve, "cc" (the text kind in use, not used), text
// size, or else a text record.
void Reader::c_record(const Record& r) {
  switch (r.at(1)) {
  case 'i':
    curve_record(r);
    break;
  case 'c':
    break;
  case 'n':
    text_size_record(r);
    break;
  default:
    text_record(r);
    break;
  }
}

// The records the host must find again in the work copy.
bool echoed(const Record& r) {
  return r.at(0) == '#' || (r.at(0) == 'b' && r.at(1) == 'z') || (r.at(0) == 'c' && r.at(1) == 'n');
}

// Everything a record does but its echo, which comes first. A record whose
// first byte matches nothing is skipped, and so are the kinds no stage uses:
// comments, "bz", "z", "pt", "pl".
void Reader::record(const Record& r) {
  switch (r.at(0)) {
  case ' ':
    line_record(r);
    break;
  case 'c':
    c_record(r);
    break;
  case 'l':
    layer_record(r);
    break;
  case 'p':
    if (r.at(1) == 'n') {
      r.from(3).x(TENS);
      capture(d.captures.TENSi, TENS);
    }
    break;
  case 'h':
    host_record(r);
    break;
  default:
    break;
  }
}

} // namespace

InterfaceData QV_PATTERN(TextIn& fp, TextOut& fpw, Trace& trace, std::uint32_t qd_limit) {
  Reader reader{InterfaceData{}, fpw, trace};
  char buf[kPieceBuffer];
  // A piece continues a line when the piece before it did not end with a
  // newline: it is counted, never classified, and echoed exactly when the
  // line's first piece was, so that an echoed long line reaches the host whole.
  bool continues = false;
  bool echo_line = false;
  for (std::uint32_t qd_x = 0; qd_x != qd_limit; ++qd_x) {
    const std::size_t n = fp.read_piece(buf, sizeof buf);
    if (n == 0) break;
    if (trace.at(DebugLevel::records)) {
      trace.print("## ---- QV_PATTERN()  qvc_temp.txt processing --------\n");
      trace.print("##  qd_x=%u/%u : qd_x/qd_xmax  qd_limit=%u\n", static_cast<unsigned>(qd_x),
                  static_cast<unsigned>(trace.qd_xmax), static_cast<unsigned>(qd_limit));
      trace.print("##  buf=(%s)\n", buf);
    }
    const bool continuation = continues;
    continues = buf[n - 1] != '\n';
    if (continuation) {
      if (echo_line) fpw.write(buf, n);
      continue;
    }
    const Record r{buf, std::strlen(buf)};
    echo_line = echoed(r);
    if (echo_line) fpw.write(buf, n);
    reader.record(r);
  }
  // An echoed last line without a line end gets one: what the run writes
  // next (the trailer above all) must not run on into the host's record.
  if (continues && echo_line) fpw.write("\n", 1);
  return reader.d;
}

} // namespace curvetext
