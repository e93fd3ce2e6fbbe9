// What the preview needs from the interface file the host wrote: the curve,
// the text, the text size tables and the current text kind.
#pragma once

#include <string>
#include <string_view>

namespace curvetext::preview {

enum class CurveKind { none, circle, arc, ellipse };

struct InterfaceData {
  // The last curve record: centre, radius, start and end angle (degrees,
  // counter-clockwise), ratio of the second semi-axis to the radius (-2 marks
  // a full circle) and tilt (degrees).
  double cx = 0.0, cy = 0.0, radius = 0.0;
  double start_deg = 0.0, end_deg = 0.0;
  double ratio = 0.0, tilt_deg = 0.0;
  int curve_records = 0;

  // Text size tables by text kind 0 to 10, and the current kind.
  double width[11] = {};
  double height[11] = {};
  double spacing[11] = {};
  int kind = 1;

  // The text of the last text record, Shift_JIS bytes.
  std::string text;
  int text_records = 0;
};

// Reads the records the preview cares about and skips every other record,
// as the tool's own reader does, including its quirks: a line longer than
// 254 bytes is read as several records, and a curve record is the
// three-value circle form only when it holds exactly three blanks.
InterfaceData read_interface(std::string_view file);

// The layout the tool runs for this curve: a circle for the ratio -2, an
// arc for the ratio 1 with distinct start and end, an ellipse for any other
// ratio below 1, nothing otherwise.
CurveKind curve_kind(const InterfaceData& in);

// The text kind's entries, or false when the kind lies outside the tables.
bool kind_in_tables(const InterfaceData& in);

} // namespace curvetext::preview
