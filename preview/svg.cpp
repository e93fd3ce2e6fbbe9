#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "sjis_text.h"

namespace curvetext::preview {

namespace {

constexpr double pi = std::numbers::pi;

// Colours: the two passes and the host's messages stand out; the curve and
// the labels are ink, what only guides the eye (the inner curve, the
// centre) is grey.
constexpr const char* outer_colour = "#c0392b";
constexpr const char* inner_colour = "#1f6fb2";
constexpr const char* message_colour = "#b35900";
constexpr const char* ink_colour = "#000";
constexpr const char* guide_colour = "#777";
constexpr const char* paper_colour = "#fff";

// The glyphs in the CJK fonts that stand in for the host's own; the labels
// in a monospaced one, whose advances em_of knows.
constexpr const char* glyph_font =
    "'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', 'IPAGothic', 'MS Gothic', monospace";
constexpr const char* label_font = "'Noto Sans Mono CJK JP', 'IPAGothic', monospace";

// Where a glyph's em box lies against its baseline in the CJK fonts we name:
// 0.88 em above, 0.12 em below.
constexpr double em_ascent = 0.88;
constexpr double em_descent = 0.12;
// How far a glyph may reach from its point, in glyph sizes (a wide glyph
// further, by its stretch).
constexpr double glyph_reach = 1.2;
// Without a usable text height, a glyph is this fraction of the drawing.
constexpr double glyphs_across = 30.0;

// The picture's width in pixels, whatever the drawing's units.
constexpr double picture_px = 800.0;
// With nothing drawn the picture's size is arbitrary; it is kept well above
// a unit, as renderers draw text of a tiny size badly.
constexpr double empty_pad = 50.0;

// Sizes as fractions of the drawing's extent (its larger side).
constexpr double margin_share = 0.05;  // the margin round everything
constexpr double label_share = 0.025;  // the labels' font size
constexpr double stroke_share = 0.002; // every line's width
constexpr double dash_share = 0.01;    // the inner curve's dashes
constexpr double centre_share = 0.01;  // the centre cross's half width
constexpr double marker_share = 0.02;  // the marker's radius
// The marker's message wraps at the picture's right edge, but never
// narrower than this share.
constexpr double marker_text_share = 0.5;
// The marker's cross against its radius, and the gap before its message in
// radii.
constexpr double marker_cross = 0.7;
constexpr double marker_gap = 1.5;
// The scale bar is the roundest length up to this share of the legend's
// width.
constexpr double scale_share = 0.25;

// Label rows, in the labels' font size (em).
constexpr double line_em = 1.4;       // from one baseline to the next
constexpr double centred_em = 0.35;   // the baseline below a point the row is centred on
constexpr double row_top_em = 1.0;    // a row's top above its baseline
constexpr double row_bottom_em = 0.3; // a row's bottom below its baseline
constexpr double scale_gap_em = 0.5;  // the bar below the drawing, its label beside it
constexpr double scale_tick_em = 0.3; // the bar's end ticks
constexpr double indent_em = 1.2;     // a wrapped legend line goes on indented

// A code point's advance in em in the monospaced CJK fonts the labels name:
// half an em for ASCII, a full em for the rest; a little more for ASCII in
// case a proportional font stands in.
constexpr double ascii_em = 0.6;
constexpr double wide_em = 1.0;

struct Point {
  double x = 0.0, y = 0.0;
};

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

std::string num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12g", v);
  return buf;
}

std::string short_num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// The extent of what is drawn, in picture coordinates.
struct Bounds {
  double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
  double x1 = -x0, y1 = -x0;
  // Points beyond any drawing are left out, so that the sums of the layout
  // below stay finite.
  void add(Point p, double pad = 0.0) {
    constexpr double far = 1e150;
    if (!(std::abs(p.x) < far && std::abs(p.y) < far && std::abs(pad) < far)) return;
    x0 = std::min(x0, p.x - pad);
    y0 = std::min(y0, p.y - pad);
    x1 = std::max(x1, p.x + pad);
    y1 = std::max(y1, p.y + pad);
  }
  bool empty() const { return !(x0 <= x1 && y0 <= y1); }
  bool holds(Point p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

Point picture(Point drawing) { return {drawing.x, -drawing.y}; }

// A polyline through drawing points, as path data in picture coordinates.
std::string path_data(const std::vector<Point>& pts, bool closed, Bounds& b) {
  std::string d;
  for (const Point& p : pts) {
    const Point q = picture(p);
    if (!finite(q)) continue;
    d += d.empty() ? "M" : " L";
    d += num(q.x) + " " + num(q.y);
    b.add(q);
  }
  if (closed && !d.empty()) d += " Z";
  return d;
}

// Points of a circle of radius r about c from a0 to a1 degrees,
// counter-clockwise, at most one degree apart and at least 8 segments. A
// negative radius puts the points on the opposite side, as the layouts'
// formulas do.
std::vector<Point> arc_points(Point c, double r, double a0, double a1) {
  const double extent = a1 - a0;
  const int n = std::clamp(static_cast<int>(std::ceil(std::min(std::abs(extent), 360.0))), 8, 360);
  std::vector<Point> pts;
  for (int i = 0; i <= n; ++i) {
    const double a = (a0 + extent * i / n) * pi / 180.0;
    pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
  return pts;
}

// The ellipse of the curve record, and the same moved `offset` to the left
// of its counter-clockwise direction: inward for a positive ratio, as the
// ellipse layout moves its inner pass.
std::vector<Point> ellipse_points(const InterfaceData& in, double offset) {
  const double tilt = in.JK * pi / 180.0;
  const double ct = std::cos(tilt), st = std::sin(tilt);
  std::vector<Point> pts;
  constexpr int n = 720; // half a degree apart on a circle
  for (int i = 0; i < n; ++i) {
    const double t = 2.0 * pi * i / n;
    Point p{in.CR * std::cos(t), in.CR * in.HP * std::sin(t)};
    if (offset != 0.0) {
      const double tx = -in.CR * std::sin(t), ty = in.CR * in.HP * std::cos(t);
      const double len = std::hypot(tx, ty);
      if (!(len > 0.0)) continue; // the ends of a flat ellipse have no normal
      p.x += offset * -ty / len;
      p.y += offset * tx / len;
    }
    pts.push_back({in.CX + p.x * ct - p.y * st, in.CY + p.x * st + p.y * ct});
  }
  return pts;
}

struct Metrics {
  double width = 0.0, height = 0.0, spacing = 0.0;
  bool known = false;
};

Metrics metrics_of(const InterfaceData& in) {
  if (!text_kind_known(in.MOJIS)) return {};
  const auto k = static_cast<std::size_t>(in.MOJIS);
  return {in.MOJI_W[k], in.MOJI_H[k], in.MOJI_D[k], true};
}

struct Curves {
  std::string outer, inner; // path data
  std::string legend;
  // Set when the curve record holds no curve to draw: why, and where the
  // marker that stands for it goes.
  std::string degenerate;
  Point marker;
};

std::string centre_words(const InterfaceData& in) {
  return "centre (" + short_num(in.CX) + ", " + short_num(in.CY) + ")";
}

// A curve record that leaves nothing to draw whatever its kind: none at all,
// a number that is not finite, a radius of 0. False for any other.
bool nothing_to_draw(const InterfaceData& in, Curves& c, std::vector<std::string>& w) {
  if (in.iCi_cnt == 0) {
    w.push_back("the interface file holds no curve record");
    c.legend = "curve: none (no curve record)";
    return true;
  }
  if (!(std::isfinite(in.CX) && std::isfinite(in.CY) && std::isfinite(in.CR) &&
        std::isfinite(in.SK) && std::isfinite(in.EK) && std::isfinite(in.HP) &&
        std::isfinite(in.JK))) {
    w.push_back("the curve record holds a number that is not finite");
    c.legend = "curve: not drawn (a number is not finite)";
    c.degenerate = "a number of the curve is not finite: no curve to draw";
    if (std::isfinite(in.CX) && std::isfinite(in.CY)) c.marker = {in.CX, in.CY};
    return true;
  }
  // A zero radius is a single point; drawn at full size, its inner curve
  // would pass for a real curve.
  if (in.CR == 0.0 && curve_kind_of(in) != CurveKind::none) {
    c.legend = "curve: radius 0, " + centre_words(in);
    c.degenerate = "radius 0: no curve to draw";
    c.marker = {in.CX, in.CY};
    return true;
  }
  return false;
}

// The curve and, where the text height h allows, its inner curve one text
// height inside.
Curves draw_curves(const InterfaceData& in, double h, Bounds& b, std::vector<std::string>& w) {
  Curves c;
  if (nothing_to_draw(in, c, w)) return c;
  const Point centre{in.CX, in.CY};
  const std::string at = centre_words(in);
  const bool inner = std::isfinite(h) && h != 0.0;
  switch (curve_kind_of(in)) {
  case CurveKind::circle:
    c.outer = path_data(arc_points(centre, in.CR, 0.0, 360.0), true, b);
    if (inner) c.inner = path_data(arc_points(centre, in.CR - h, 0.0, 360.0), true, b);
    c.legend = "curve: circle, " + at + ", radius " + short_num(in.CR);
    break;
  case CurveKind::arc: {
    // The arc runs counter-clockwise from its start to its end angle.
    const double a0 = in.EK < in.SK ? in.SK - 360.0 : in.SK;
    c.outer = path_data(arc_points(centre, in.CR, a0, in.EK), false, b);
    if (inner) c.inner = path_data(arc_points(centre, in.CR - h, a0, in.EK), false, b);
    c.legend = "curve: arc, " + at + ", radius " + short_num(in.CR) + ", from " + short_num(in.SK) +
               " to " + short_num(in.EK) + " degrees";
    break;
  }
  case CurveKind::ellipse:
    c.outer = path_data(ellipse_points(in, 0.0), true, b);
    if (inner) c.inner = path_data(ellipse_points(in, h), true, b);
    c.legend = "curve: ellipse, " + at + ", semi-axes " + short_num(in.CR) + " and " +
               short_num(in.CR * in.HP) + ", tilted " + short_num(in.JK) + " degrees";
    break;
  case CurveKind::none:
    c.legend = "curve: none (ratio " + short_num(in.HP) + ", start " + short_num(in.SK) + ", end " +
               short_num(in.EK) + ")";
    c.degenerate = in.HP == 1.0 ? "start and end angle equal: no curve to draw"
                                : "ratio " + short_num(in.HP) + " above 1: no curve to draw";
    c.marker = centre;
    break;
  }
  return c;
}

double em_of(unsigned char lead) { return lead < 0x80 ? ascii_em : wide_em; }

// The advance of a row of UTF-8 in em.
double ems(const std::string& row) {
  double em = 0.0;
  for (char ch : row)
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
      em += em_of(static_cast<unsigned char>(ch));
  return em;
}

// The text in rows of at most `max_em`, broken after a blank where one is at
// hand, inside a word where not, never inside a UTF-8 sequence. The blank
// stays at the end of its row, so the rows joined give the text back.
std::vector<std::string> wrap(const std::string& utf8, double max_em) {
  std::vector<std::string> rows;
  std::size_t start = 0, after_blank = 0;
  double w = 0.0, w_after_blank = 0.0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = 1;
    while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80)
      ++n;
    if (w + em_of(lead) > max_em && i > start) {
      const std::size_t cut = after_blank > start ? after_blank : i;
      rows.push_back(utf8.substr(start, cut - start));
      w = cut == i ? 0.0 : w - w_after_blank;
      start = cut;
      continue;
    }
    w += em_of(lead);
    i += n;
    if (lead == ' ') {
      after_blank = i;
      w_after_blank = w;
    }
  }
  rows.push_back(utf8.substr(start));
  return rows;
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most
// `most`.
double round_length(double most) {
  double unit = std::pow(10.0, std::floor(std::log10(most)));
  for (double m : {5.0, 2.0, 1.0}) {
    if (m * unit <= most) return m * unit;
  }
  return unit;
}

struct LegendLine {
  std::string text; // UTF-8, not escaped
  std::string css_class;
  std::string colour;
  std::vector<std::string> rows; // the text wrapped
};

// Where everything goes, in picture coordinates (y down): worked out whole
// before anything is written.
struct Layout {
  Curves curves;
  bool degenerate = false; // a marker stands for the curve
  bool centre_shown = false;
  Point centre;
  // The glyphs' font size and their stretch across (width against height).
  double glyph_size = 0.0, stretch = 1.0;
  double extent = 1.0;                        // the drawing's larger side
  double label_size = 0.0, line_step = 0.0;   // the labels' font size and row step
  double margin = 0.0;                        // round everything
  Point marker;                               // the marker's centre
  double marker_r = 0.0, marker_text_x = 0.0; // its radius, where its message starts
  std::vector<std::string> marker_rows;       // the message wrapped
  bool scale_shown = false;                   // only beside a drawn curve or glyph
  double scale_y = 0.0;                       // the scale bar's line
  double content_x = 0.0, content_w = 0.0;    // the band of the scale bar and legend
  double legend_top = 0.0;                    // the legend's first row's top
  std::vector<LegendLine> legend;
  double view_x = 0.0, view_y = 0.0, view_w = 0.0, view_h = 0.0; // the view box
};

// Glyphs in the run's text height; without a usable one, in a size that
// still lets them be read (0 until the drawing's extent is known).
void size_glyphs(const Metrics& m, const RunOutput& out, Layout& l, Bounds& b,
                 std::vector<std::string>& warnings) {
  double size = m.height;
  const double pitch = m.width + m.spacing;
  if (!(std::isfinite(size) && size > 0.0)) {
    size = std::isfinite(pitch) && pitch > 0.0 ? pitch : 0.0;
    if (!out.glyphs.empty()) warnings.push_back("the text height is not positive");
  }
  l.stretch =
      std::isfinite(m.width) && m.width > 0.0 && m.height > 0.0 && std::isfinite(m.width / m.height)
          ? m.width / m.height
          : 1.0;
  for (const Glyph& g : out.glyphs)
    b.add(picture({g.x, g.y}), glyph_reach * size * std::max(l.stretch, 1.0));
  l.glyph_size = size;
}

// The drawing's extent and the sizes that follow from it.
void measure(Layout& l, Bounds& b) {
  l.scale_shown = !b.empty();
  l.marker = picture(l.curves.marker);
  if (l.degenerate) b.add(l.marker, l.scale_shown ? 0.0 : empty_pad);
  if (b.empty()) b.add({0.0, 0.0}, empty_pad);
  double extent = std::max(b.x1 - b.x0, b.y1 - b.y0);
  if (!(std::isfinite(extent) && extent > 0.0)) extent = 1.0;
  l.extent = extent;
  if (!(l.glyph_size > 0.0)) l.glyph_size = extent / glyphs_across;
  l.margin = extent * margin_share;
  l.label_size = extent * label_share;
  l.line_step = l.label_size * line_em;
  l.marker_r = extent * marker_share;
  l.marker_text_x = l.marker.x + marker_gap * l.marker_r;
}

// The marker of a degenerate curve, with its message beside it; the message
// is wrapped and the picture grown so that it is never cut off.
void place_marker(Layout& l, Bounds& b) {
  if (!l.degenerate) return;
  const double fs = l.label_size;
  b.add(l.marker, l.marker_r);
  l.marker_rows = wrap(l.curves.degenerate,
                       std::max(b.x1 - l.marker_text_x, l.extent * marker_text_share) / fs);
  double y = l.marker.y + fs * centred_em;
  b.add({l.marker_text_x, y - fs * row_top_em});
  for (const std::string& row : l.marker_rows) {
    b.add({l.marker_text_x + ems(row) * fs, y + fs * row_bottom_em});
    y += l.line_step;
  }
}

// The legend's lines: the curve, the text kind's metrics, the text, the
// glyph count of each pass and every message.
std::vector<LegendLine> legend_lines(const InterfaceData& in, const RunOutput& out,
                                     const Metrics& m, const Curves& curves) {
  std::vector<LegendLine> legend;
  legend.push_back({curves.legend, "legend", ink_colour, {}});
  if (!curves.inner.empty()) {
    legend.push_back({"inner curve: one text height (" + short_num(m.height) + ") inside",
                      "legend",
                      guide_colour,
                      {}});
  }
  const std::string kind = "text kind " + std::to_string(in.MOJIS) + ": ";
  legend.push_back({kind + (m.known ? "width " + short_num(m.width) + ", height " +
                                          short_num(m.height) + ", spacing " + short_num(m.spacing)
                                    : "not in the tables"),
                    "legend",
                    ink_colour,
                    {}});
  legend.push_back(
      {"text: " + (in.ChSTR[0] == '\0' ? std::string("(none)") : sjis_to_utf8(in.ChSTR)),
       "legend",
       ink_colour,
       {}});
  const auto count = [&](Pass p) {
    return std::to_string(std::count_if(out.glyphs.begin(), out.glyphs.end(),
                                        [p](const Glyph& g) { return g.pass == p; }));
  };
  legend.push_back(
      {"\u25A0 outer pass (cc1): " + count(Pass::outer) + " glyphs", "legend", outer_colour, {}});
  legend.push_back(
      {"\u25A0 inner pass (cc7): " + count(Pass::inner) + " glyphs", "legend", inner_colour, {}});
  for (const std::string& msg : out.messages)
    legend.push_back({"h# " + sjis_to_utf8(msg), "message", message_colour, {}});
  return legend;
}

// The scale bar and the legend under the drawing, and the view box round
// everything. The legend spans the drawing's width but at least its extent,
// so that a narrow drawing still leaves the legend room; it wraps within
// that width and the picture's height holds all of it.
void place_legend(Layout& l, const Bounds& b) {
  const double fs = l.label_size;
  l.content_w = std::max(b.x1 - b.x0, l.extent);
  l.content_x = (b.x0 + b.x1) / 2.0 - l.content_w / 2.0;
  std::size_t row_count = 0;
  for (LegendLine& line : l.legend) {
    line.rows = wrap(line.text, l.content_w / fs - indent_em);
    row_count += line.rows.size();
  }
  l.scale_y = b.y1 + l.margin + fs * scale_gap_em;
  l.legend_top = l.scale_shown ? l.scale_y + fs : b.y1 + l.margin;
  l.view_x = l.content_x - l.margin;
  l.view_y = b.y0 - l.margin;
  l.view_w = l.content_w + 2.0 * l.margin;
  l.view_h = l.legend_top - l.view_y + l.line_step * static_cast<double>(row_count) + l.margin;
}

Layout lay_out(const InterfaceData& in, const RunOutput& out, std::vector<std::string>& warnings) {
  const Metrics m = metrics_of(in);
  if (!m.known)
    warnings.push_back("text kind " + std::to_string(in.MOJIS) + " is not in the tables");
  Layout l;
  Bounds b;
  l.curves = draw_curves(in, m.height, b, warnings);
  l.degenerate = !l.curves.degenerate.empty();
  size_glyphs(m, out, l, b, warnings);
  measure(l, b);
  place_marker(l, b);
  // The centre of an arc may lie far off: marked only inside the picture.
  l.centre = picture({in.CX, in.CY});
  l.centre_shown = in.iCi_cnt > 0 && !l.degenerate && b.holds(l.centre);
  l.legend = legend_lines(in, out, m, l.curves);
  place_legend(l, b);
  return l;
}

std::string stroke_width(const Layout& l) {
  return "stroke-width=\"" + num(l.extent * stroke_share) + "\"";
}

void write_head(std::string& s, const Layout& l) {
  const std::string x = num(l.view_x), y = num(l.view_y), w = num(l.view_w), h = num(l.view_h);
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(picture_px) + "\" height=\"" +
       num(picture_px * l.view_h / l.view_w) + "\" viewBox=\"" + x + " " + y + " " + w + " " + h +
       "\">\n";
  s += "<title>curvetext preview</title>\n";
  s += "<rect x=\"" + x + "\" y=\"" + y + "\" width=\"" + w + "\" height=\"" + h + "\" fill=\"" +
       paper_colour + "\"/>\n";
}

// The curve, its inner curve dashed, and the centre's cross.
void write_curves(std::string& s, const Layout& l) {
  const std::string stroke = stroke_width(l);
  if (!l.curves.outer.empty()) {
    s += "<path class=\"curve\" d=\"" + l.curves.outer + "\" fill=\"none\" stroke=\"" + ink_colour +
         "\" " + stroke + "/>\n";
  }
  if (!l.curves.inner.empty()) {
    s += "<path class=\"inner-curve\" d=\"" + l.curves.inner + "\" fill=\"none\" stroke=\"" +
         guide_colour + "\" " + stroke + " stroke-dasharray=\"" + num(l.extent * dash_share) +
         "\"/>\n";
  }
  if (l.centre_shown) {
    const Point c = l.centre;
    const double r = l.extent * centre_share;
    s += "<path class=\"centre\" d=\"M" + num(c.x - r) + " " + num(c.y) + " L" + num(c.x + r) +
         " " + num(c.y) + " M" + num(c.x) + " " + num(c.y - r) + " L" + num(c.x) + " " +
         num(c.y + r) + "\" stroke=\"" + guide_colour + "\" " + stroke + "/>\n";
  }
}

// A crossed circle where the curve would be, and why there is none.
void write_marker(std::string& s, const Layout& l) {
  if (!l.degenerate) return;
  const std::string stroke = stroke_width(l);
  const Point m = l.marker;
  const double r = l.marker_r, d = l.marker_r * marker_cross;
  s += "<g class=\"degenerate\" fill=\"" + std::string(message_colour) + "\">\n";
  s += "<circle cx=\"" + num(m.x) + "\" cy=\"" + num(m.y) + "\" r=\"" + num(r) +
       "\" fill=\"none\" stroke=\"" + message_colour + "\" " + stroke + "/>\n";
  s += "<path d=\"M" + num(m.x - d) + " " + num(m.y - d) + " L" + num(m.x + d) + " " +
       num(m.y + d) + " M" + num(m.x - d) + " " + num(m.y + d) + " L" + num(m.x + d) + " " +
       num(m.y - d) + "\" stroke=\"" + message_colour + "\" " + stroke + "/>\n";
  s += std::string("<text font-family=\"") + label_font + "\" font-size=\"" + num(l.label_size) +
       "\">";
  double y = m.y + l.label_size * centred_em;
  for (const std::string& row : l.marker_rows) {
    s += "<tspan x=\"" + num(l.marker_text_x) + "\" y=\"" + num(y) + "\">" + xml_escape(row) +
         "</tspan>";
    y += l.line_step;
  }
  s += "</text>\n</g>\n";
}

// A glyph's point is the middle of its lower edge in the outer pass and of
// its upper edge in the inner pass: the inner curve lies one text height
// inside, so the feet of both texts stand on the curve itself. Along the
// text the point is the glyph's middle, as the layouts centre the text.
void write_glyphs(std::string& s, const Layout& l, const std::vector<Glyph>& glyphs) {
  const double size = l.glyph_size;
  s += std::string("<g font-family=\"") + glyph_font + "\" text-anchor=\"middle\">\n";
  for (const Glyph& g : glyphs) {
    const Point p = picture({g.x, g.y});
    const bool outer = g.pass == Pass::outer;
    const double turn = -std::atan2(g.dy, g.dx) * 180.0 / pi;
    std::string transform = "rotate(" + num(turn) + " " + num(p.x) + " " + num(p.y) + ")";
    if (l.stretch != 1.0) {
      transform += " translate(" + num(p.x) + " " + num(p.y) + ") scale(" + num(l.stretch) +
                   " 1) translate(" + num(-p.x) + " " + num(-p.y) + ")";
    }
    s += std::string("<text class=\"glyph ") + (outer ? "outer" : "inner") + "\" x=\"" + num(p.x) +
         "\" y=\"" + num(p.y) + "\" dy=\"" + num(outer ? -em_descent * size : em_ascent * size) +
         "\" font-size=\"" + num(size) + "\" fill=\"" + (outer ? outer_colour : inner_colour) +
         "\" transform=\"" + transform + "\">" + xml_escape(sjis_to_utf8(g.bytes)) + "</text>\n";
  }
  s += "</g>\n";
}

// The scale bar, in the drawing's own units.
void write_scale(std::string& s, const Layout& l) {
  if (!l.scale_shown) return;
  const double fs = l.label_size, y = l.scale_y;
  const double len = round_length(l.content_w * scale_share);
  const double x0 = l.content_x, x1 = l.content_x + len, t = fs * scale_tick_em;
  s += "<g class=\"scale\">\n<path d=\"M" + num(x0) + " " + num(y - t) + " L" + num(x0) + " " +
       num(y) + " L" + num(x1) + " " + num(y) + " L" + num(x1) + " " + num(y - t) +
       "\" fill=\"none\" stroke=\"" + ink_colour + "\" " + stroke_width(l) + "/>\n";
  s += "<text x=\"" + num(x1 + fs * scale_gap_em) + "\" y=\"" + num(y + fs * centred_em) +
       "\" font-family=\"" + label_font + "\" font-size=\"" + num(fs) + "\">" + short_num(len) +
       " units</text>\n</g>\n";
}

// The legend's lines, a wrapped line going on indented so that each line's
// start stands out.
void write_legend(std::string& s, const Layout& l) {
  const double fs = l.label_size;
  s += std::string("<g font-family=\"") + label_font + "\" font-size=\"" + num(fs) + "\">\n";
  double y = l.legend_top + fs * row_top_em;
  for (const LegendLine& line : l.legend) {
    s += "<text class=\"" + line.css_class + "\" fill=\"" + line.colour + "\">";
    for (std::size_t r = 0; r < line.rows.size(); ++r) {
      s += "<tspan x=\"" + num(l.content_x + (r == 0 ? 0.0 : indent_em * fs)) + "\" y=\"" + num(y) +
           "\">" + xml_escape(line.rows[r]) + "</tspan>";
      y += l.line_step;
    }
    s += "</text>\n";
  }
  s += "</g>\n";
}

} // namespace

std::string render_svg(const InterfaceData& in, const RunOutput& out,
                       std::vector<std::string>& warnings) {
  const Layout l = lay_out(in, out, warnings);
  std::string s;
  write_head(s, l);
  write_curves(s, l);
  write_marker(s, l);
  write_glyphs(s, l, out.glyphs);
  write_scale(s, l);
  write_legend(s, l);
  s += "</svg>\n";
  return s;
}

} // namespace curvetext::preview
