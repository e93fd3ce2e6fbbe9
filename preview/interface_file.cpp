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

} // namespace curvetext::preview
