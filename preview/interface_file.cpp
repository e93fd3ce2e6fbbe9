#include "interface_file.h"

#include <memory>

#include "reader/reader.h"
#include "util/text_file.h"

namespace curvetext::preview {

bool read_interface(const char* path, InterfaceData& in) {
  const auto file = std::make_unique<TextIn>();
  if (!file->open(path)) return false;
  // The tool's own reader, so that the picture shows what a run read; its
  // echoes go nowhere (an output never opened takes and drops them).
  const auto nowhere = std::make_unique<TextOut>();
  Trace trace; // at debug level 0: no trace lines
  in = QV_PATTERN(*file, *nowhere, trace, kLineLimit);
  return !file->failed();
}

// The tool's own dispatch and bound, so that the picture shows the layout a
// run takes.
CurveKind curve_kind(const InterfaceData& in) {
  switch (curve_kind_of(in)) {
  case curvetext::CurveKind::circle:
    return CurveKind::circle;
  case curvetext::CurveKind::arc:
    return CurveKind::arc;
  case curvetext::CurveKind::ellipse:
    return CurveKind::ellipse;
  case curvetext::CurveKind::none:
    break;
  }
  return CurveKind::none;
}

bool kind_in_tables(const InterfaceData& in) { return text_kind_known(in.MOJIS); }

} // namespace curvetext::preview
