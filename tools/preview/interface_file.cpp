#include "interface_file.h"

#include <algorithm>
#include <cstddef>

#include "scan.h"

namespace curvetext::preview {

namespace {

// The tool reads a line in pieces of at most this many bytes, newline
// included, and classifies each piece as a record of its own.
constexpr std::size_t piece_bytes = 254;
// The text field of a text record, and what the layouts keep of it.
constexpr std::size_t raw_text_bytes = 260;
constexpr std::size_t text_bytes = 250;

void read_curve(InterfaceData& in, const std::string& rec) {
  ++in.curve_records;
  const auto blanks = std::count(rec.begin() + 2, rec.end(), ' ');
  Scanner sc(rec, 2);
  if (blanks == 3) {
    sc.read(in.cx) && sc.read(in.cy) && sc.read(in.radius);
    in.ratio = -2.0;
    return;
  }
  sc.read(in.cx) && sc.read(in.cy) && sc.read(in.radius) && sc.read(in.start_deg) &&
      sc.read(in.end_deg) && sc.read(in.ratio) && sc.read(in.tilt_deg);
}

void read_text(InterfaceData& in, const std::string& rec) {
  ++in.text_records;
  Scanner sc(rec, 2);
  double x = 0.0, y = 0.0, dx = 0.0, dy = 0.0;
  if (!(sc.read(x) && sc.read(y) && sc.read(dx) && sc.read(dy) && sc.expect('"'))) {
    return; // the previous text stays
  }
  std::string raw = sc.rest().substr(0, raw_text_bytes);
  raw = raw.substr(0, raw.find_first_of("\r\n"));
  in.text = raw.substr(0, text_bytes);
}

void read_table(double (&table)[11], const std::string& rec) {
  Scanner sc(rec, 4);
  for (int k = 1; k <= 10 && sc.read(table[k]); ++k) {
  }
}

void read_size(InterfaceData& in, const std::string& rec) {
  const char third = rec.size() > 2 ? rec[2] : '\0';
  if (third == '"') return;
  if (third == '0') {
    in.kind = 0;
    Scanner sc(rec, 3);
    sc.read(in.width[0]) && sc.read(in.height[0]) && sc.read(in.spacing[0]);
    return;
  }
  Scanner sc(rec, 2);
  sc.read(in.kind);
}

void read_record(InterfaceData& in, const std::string& rec) {
  if (rec.empty() || rec[0] != 'c') {
    if (rec.rfind("hcw", 0) == 0) read_table(in.width, rec);
    if (rec.rfind("hch", 0) == 0) read_table(in.height, rec);
    if (rec.rfind("hcd", 0) == 0) read_table(in.spacing, rec);
    return;
  }
  const char second = rec.size() > 1 ? rec[1] : '\0';
  if (second == 'i') {
    read_curve(in, rec);
  } else if (second == 'n') {
    read_size(in, rec);
  } else if (second != 'c') {
    read_text(in, rec);
  }
}

} // namespace

InterfaceData read_interface(std::string_view file) {
  InterfaceData in;
  for (const Line& line : split_lines(file)) {
    const std::string whole = line.bytes + (line.ended ? "\n" : "");
    for (std::size_t at = 0; at < whole.size(); at += piece_bytes) {
      read_record(in, whole.substr(at, piece_bytes));
    }
  }
  return in;
}

CurveKind curve_kind(const InterfaceData& in) {
  if (in.ratio == -2.0) return CurveKind::circle;
  if (in.ratio == 1.0) return in.start_deg != in.end_deg ? CurveKind::arc : CurveKind::none;
  if (in.ratio < 1.0) return CurveKind::ellipse;
  return CurveKind::none;
}

bool kind_in_tables(const InterfaceData& in) { return in.kind >= 0 && in.kind <= 10; }

} // namespace curvetext::preview
