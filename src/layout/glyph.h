// What the three layouts share: metric selection, the pair buffer that joins
// a Shift_JIS lead byte to its trail byte, and the per-byte step that writes
// the glyph records.
#pragma once

#include "state/interface_data.h"
#include "util/debug.h"
#include "util/text_file.h"

namespace curvetext {

// What a layout works with: what the interface file said (read only), the
// output, the debug level, and the metrics it selects for the text kind.
struct LayoutJob {
  const InterfaceData& in;
  TextOut& fpw;
  DebugLevel isTest;    // the debug level
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

// Selects MOJI_zw, MOJI_zh and MOJI_zd for the text kind MOJIS and measures
// ChSTR. Returns the text's length, or 0 when the layout must write nothing
// more: the text is empty, or its kind lies outside the tables, in which
// case "h# NG text kind %d \n" has been written and the metrics are left as
// they were.
int select_metrics(LayoutJob& job);

// The byte advance: half the pitch of a full-width glyph.
double byte_advance(const LayoutJob& job);

// Writes "h# NG curve \n": input that no record can be computed from.
void reject_curve(TextOut& fpw);

// The per-byte step for byte i of ChSTR. `single` places a single-byte
// glyph at position i, `pair_at` a double-byte glyph whose trail byte is i.
Step glyph_step(const LayoutJob& job, PairBuffer& pair, int i, const Placement& single,
                const Placement& pair_at);

} // namespace curvetext
