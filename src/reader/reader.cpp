#include "reader/reader.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "reader/scan.h"
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
  // 20 is the mark of nothing captured yet; a first value of 20 leaves it open.
  if (captured == 20) captured = current;
}

// "%lf %lf ..." into `count` doubles.
void read_doubles(Scan scan, double* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) scan.blank();
    scan.lf(values[i]);
  }
}

// "%d %d ..." into `count` ints.
void read_ints(Scan scan, int* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) scan.blank();
    scan.d(values[i]);
  }
}

bool point_in_table(const RunState& st) {
  return st.iPOINT >= 0 && st.iPOINT <= st.HPmax && st.iPOINT < static_cast<int>(std::size(st.PX));
}

void point_record(RunState& st, const Record& r) {
  const char form = r.at(3);
  const char* trace = nullptr;
  std::size_t coords = 5;
  switch (form) {
  case ' ':
    trace = "##  hp%d   %.2f %.2f \n";
    coords = 4;
    break;
  case '+':
    break;
  case '/':
    trace = "##  hp%d/  %.2f %.2f \n";
    break;
  case '-':
    trace = "##  hp%d-  %.2f %.2f \n";
    break;
  default: {
    const char second = r.at(4);
    if ((form == 'l' && second == 'n') || (form == 'c' && second == 'h')) {
      r.from(3).d(st.iPOINT); // any number: these points have no table
      r.from(6).lf(st.HPOINTx).blank().lf(st.HPOINTy);
      ++st.iPOINTcnt;
      st.stepcnt = 2;
    }
    return;
  }
  }
  r.from(3).d(st.iPOINT);
  if (point_in_table(st)) {
    r.from(coords).lf(st.PX[st.iPOINT]).blank().lf(st.PY[st.iPOINT]);
    if (st.isTest == 3 && trace != nullptr) {
      std::printf(trace, st.iPOINT, st.PX[st.iPOINT], st.PY[st.iPOINT]);
    }
  }
  ++st.iPOINTcnt;
}

void text_record(RunState& st, const Record& r, unsigned qd_x) {
  std::size_t head = 0;
  r.from(1).c(st.MOJI_head, 2, head);
  std::size_t raw = 0;
  static_assert(sizeof RunState::ChSTR0 > 260, "room for 260 raw bytes and a NUL");
  r.from(3)
      .lf(st.ChX)
      .blank()
      .lf(st.ChY)
      .blank()
      .lf(st.ChDX)
      .blank()
      .lf(st.ChDY)
      .blank()
      .literal('"')
      .c(st.ChSTR0, 260, raw);
  // The raw text ends where the record ends: nothing of a longer earlier
  // text stays behind it.
  if (raw > 0) st.ChSTR0[raw] = '\0';
  CHR_PRO(st, qd_x);
  ++st.iCHR_cnt;
}

void text_size_record(RunState& st, const Record& r) {
  switch (r.at(2)) {
  case '0':
    st.MOJIS = 0;
    r.from(4)
        .lf(st.MOJI_W[0])
        .blank()
        .lf(st.MOJI_H[0])
        .blank()
        .lf(st.MOJI_D[0])
        .blank()
        .d(st.MOJI_C[0]);
    // Only a first text-size record of kind 0 captures the kind-0 sizes.
    if (st.MOJISi == 20) {
      st.MOJISi = 0;
      st.MOJIS = 0;
      st.MOJIWi = st.MOJI_W[0];
      st.MOJIHi = st.MOJI_H[0];
      st.MOJIDi = st.MOJI_D[0];
      st.MOJICi = st.MOJI_C[0];
    }
    break;
  case '"':
    break;
  default:
    // Stored as read: the layouts refuse a kind outside the tables.
    r.from(3).d(st.MOJIS);
    capture(st.MOJISi, st.MOJIS);
    break;
  }
}

void line_record(RunState& st, const Record& r) {
  r.from(2).lf(st.ILINEx1).blank().lf(st.ILINEy1).blank().lf(st.ILINEx2).blank().lf(st.ILINEy2);
  // A line of equal end points is no line (NaN differs from itself).
  if (st.ILINEx1 != st.ILINEx2 || st.ILINEy1 != st.ILINEy2) {
    ++st.iLine_cnt;
    st.stepcnt = 3;
  }
}

void curve_record(RunState& st, const Record& r) {
  // The count of blanks, not of values, decides the form.
  if (SPCNT(r.bytes + 2) == 3) {
    r.from(3).lf(st.CX).blank().lf(st.CY).blank().lf(st.CR);
    st.HP = -2.0;
  } else {
    r.from(3)
        .lf(st.CX)
        .blank()
        .lf(st.CY)
        .blank()
        .lf(st.CR)
        .blank()
        .lf(st.SK)
        .blank()
        .lf(st.EK)
        .blank()
        .lf(st.HP)
        .blank()
        .lf(st.JK);
  }
  ++st.iCi_cnt;
}

// "lg", "ly", "lt", "lc".
void layer_record(RunState& st, const Record& r) {
  switch (r.at(1)) {
  case 'g':
    r.from(3).x(st.GROUP);
    capture(st.GROUPi, st.GROUP);
    break;
  case 'y':
    r.from(3).x(st.LAYER);
    capture(st.LAYERi, st.LAYER);
    break;
  case 't':
    r.from(3).d(st.TYPE);
    capture(st.TYPEi, st.TYPE);
    break;
  case 'c':
    r.from(3).d(st.COLOR);
    capture(st.COLORi, st.COLOR);
    break;
  default:
    break;
  }
}

// "pn", "pt", "pl".
void pen_record(RunState& st, const Record& r) {
  switch (r.at(1)) {
  case 'n':
    r.from(3).x(st.TENS);
    capture(st.TENSi, st.TENS);
    break;
  case 't':
    r.from(3).lf(st.KX[1]).blank().lf(st.KY[1]);
    break;
  case 'l':
    PLreset(st);
    st.iPL = 1;
    st.iPLcounter = 0;
    ++st.iPLcnt;
    break;
  default:
    break;
  }
}

// "hcw", "hch", "hcd", "hcc": the sizes of the text kinds 1 to 10. The byte
// behind the name is skipped unseen.
void kind_table_record(RunState& st, const Record& r) {
  switch (r.at(2)) {
  case 'w':
    read_doubles(r.from(5), st.MOJI_W + 1, 10);
    break;
  case 'h':
    read_doubles(r.from(5), st.MOJI_H + 1, 10);
    break;
  case 'd':
    read_doubles(r.from(5), st.MOJI_D + 1, 10);
    break;
  case 'c':
    read_ints(r.from(5), st.MOJI_C + 1, 10);
    break;
  default:
    break;
  }
}

// "hq", "hn", "hp", "hs", "hc..".
void host_record(RunState& st, const Record& r) {
  switch (r.at(1)) {
  case 'q':
    st.stepcnt = 1;
    break;
  case 'n':
    r.from(3).lf(st.PNX1).blank().lf(st.PNY1).blank().lf(st.PNX2).blank().lf(st.PNY2);
    break;
  case 'p':
    point_record(st, r);
    break;
  case 's':
    read_doubles(r.from(4), st.G_SCALE, 16); // the byte behind "hs" is skipped unseen
    break;
  case 'c':
    kind_table_record(st, r);
    break;
  default:
    break;
  }
}

// "c" and a second byte: curve, "cc", text size, or else a text record.
void c_record(RunState& st, const Record& r, unsigned qd_x) {
  switch (r.at(1)) {
  case 'i':
    curve_record(st, r);
    break;
  case 'c':
    r.from(3).d(st.MOJIK);
    capture(st.MOJIKi, st.MOJIK);
    break;
  case 'n':
    text_size_record(st, r);
    break;
  default:
    text_record(st, r, qd_x);
    break;
  }
}

// The records the host must find again in the work copy.
bool echoed(const Record& r) {
  return r.at(0) == '#' || (r.at(0) == 'b' && r.at(1) == 'z') || (r.at(0) == 'c' && r.at(1) == 'n');
}

// Everything a record does but its echo, which comes first. A record whose
// first byte matches nothing is skipped.
void handle(RunState& st, const Record& r, unsigned qd_x) {
  switch (r.at(0)) {
  case '#':
    PLreset(st);
    break;
  case 'b':
    if (r.at(1) == 'z') st.isZUSUN = 1;
    break;
  case ' ':
    line_record(st, r);
    break;
  case 'c':
    c_record(st, r, qd_x);
    break;
  case 'l':
    layer_record(st, r);
    break;
  case 'p':
    pen_record(st, r);
    break;
  case 'h':
    host_record(st, r);
    break;
  case 'z':
    r.from(2).d(st.ZOKU);
    break;
  default:
    break;
  }
}

} // namespace

int QV_PATTERN(RunState& st, std::uint32_t qd_xmax, std::uint32_t qd_limit) {
  char buf[kPieceBuffer];
  // A piece continues a line when the piece before it did not end with a
  // newline: it is counted, never classified, and echoed exactly when the
  // line's first piece was, so that an echoed long line reaches the host whole.
  bool continues = false;
  bool echo_line = false;
  for (std::uint32_t qd_x = 0; qd_x != qd_limit; ++qd_x) {
    const std::size_t n = st.fp.read_piece(buf, sizeof buf);
    if (n == 0) break;
    if (st.isTest == 5) {
      std::printf("## ---- QV_PATTERN()  qvc_temp.txt processing --------\n");
      std::printf("##  qd_x=%u/%u : qd_x/qd_xmax  qd_limit=%u\n", static_cast<unsigned>(qd_x),
                  static_cast<unsigned>(qd_xmax), static_cast<unsigned>(qd_limit));
      std::printf("##  buf=(%s)\n", buf);
    }
    const bool continuation = continues;
    continues = buf[n - 1] != '\n';
    if (continuation) {
      if (echo_line) st.fpw.write(buf, n);
      continue;
    }
    const Record r{buf, std::strlen(buf)};
    echo_line = echoed(r);
    if (echo_line) st.fpw.write(buf, n);
    handle(st, r, qd_x);
  }
  // An echoed last line without a line end gets one: what the run writes
  // next (the trailer above all) must not run on into the host's record.
  if (continues && echo_line) st.fpw.write("\n", 1);
  ++st.iPattern;
  return 0;
}

void CHR_PRO(RunState& st, unsigned) {
  st.ChSTR[0] = '\0';
  STRCPY(reinterpret_cast<unsigned char*>(st.ChSTR),
         reinterpret_cast<const unsigned char*>(st.ChSTR0));
  if (st.isTest == 2) st.fpw.print("# CHR_PRO  now \n");
}

} // namespace curvetext
