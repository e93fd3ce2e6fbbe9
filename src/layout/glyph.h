// What the three layouts share: metric selection, the pair buffer that joins
// a Shift_JIS lead byte to its trail byte, and the per-byte step that writes
// the glyph records.
#pragma once

#include "state/interface_data.h"
#include "util/debug.h"
#include "util/text_file.h"

namespace curvetext {

// What a layout works with: what the interface file said (read only), the
// output, the trace, and the metrics of the text kind.
struct LayoutJob {
  // Selects MOJI_zw, MOJI_zh and MOJI_zd for the text kind MOJIS; a kind
  // outside the tables leaves them 0.0.
  LayoutJob(const InterfaceData& in, TextOut& fpw, const Trace& trace);

  const InterfaceData& in;
  TextOut& fpw;
  const Trace& trace;   // the debug level, the line count; where trace lines go
  double MOJI_zw = 0.0; // width
  double MOJI_zh = 0.0; // height
  double MOJI_zd = 0.0; // spacing
};

// Where a glyph stands and where it points (not normalised).
struct Placement {
  double x = 0.0;
  double y = 0.0;
  double dx = 0.0;
  double dy = 0.0;
};

// Pending lead byte, trail byte, NUL. A lead byte of 0 means none pending.
struct PairBuffer {
  unsigned char bytes[3] = {0, 0, 0};
  void clear() { bytes[0] = bytes[1] = bytes[2] = 0; }
  bool lead_pending() const { return bytes[0] != 0; }
};

enum class Step {
  held,     // a lead byte, waiting for its trail byte
  written,  // a glyph record was written
  rejected, // an unsupported lead byte: the pass ends
  broken,   // the record would carry a non-finite number: the layout ends
};

// The length of ChSTR in bytes: the byte positions a layout places.
int text_length(const InterfaceData& in);

// Writes "h# NG text kind %d \n" and returns true when the text kind lies
// outside the tables: the layout then writes nothing more.
bool reject_text_kind(const LayoutJob& job);

// The byte advance: half the pitch of a full-width glyph.
double byte_advance(const LayoutJob& job);

// Writes "h# NG curve \n": input that no record can be computed from.
void reject_curve(TextOut& fpw);

// The per-byte step for byte i of ChSTR. `single` places a single-byte
// glyph at position i, `pair_at` a double-byte glyph whose trail byte is i.
Step glyph_step(const LayoutJob& job, PairBuffer& pair, int i, const Placement& single,
                const Placement& pair_at);

} // namespace curvetext
