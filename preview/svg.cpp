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
constexpr const char* outer_colour = "#c0392b";
constexpr const char* inner_colour = "#1f6fb2";
constexpr const char* message_colour = "#b35900";
// Where a glyph's em box lies against its baseline in the CJK fonts we name:
// 0.88 em above, 0.12 em below.
constexpr double em_ascent = 0.88;
constexpr double em_descent = 0.12;
constexpr double picture_px = 800.0;

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
// counter-clockwise, at most one degree apart. A negative radius puts the
// points on the opposite side, as the layouts' formulas do.
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
  constexpr int n = 720;
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
  if (!kind_in_tables(in)) return {};
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

Curves draw_curves(const InterfaceData& in, double h, Bounds& b, std::vector<std::string>& w) {
  Curves c;
  const CurveKind kind = curve_kind(in);
  const Point centre{in.CX, in.CY};
  const std::string at = "centre (" + short_num(in.CX) + ", " + short_num(in.CY) + ")";
  if (in.iCi_cnt == 0) {
    w.push_back("the interface file holds no curve record");
    c.legend = "curve: none (no curve record)";
    return c;
  }
  if (!(std::isfinite(in.CX) && std::isfinite(in.CY) && std::isfinite(in.CR) &&
        std::isfinite(in.SK) && std::isfinite(in.EK) && std::isfinite(in.HP) &&
        std::isfinite(in.JK))) {
    w.push_back("the curve record holds a number that is not finite");
    c.legend = "curve: not drawn (a number is not finite)";
    c.degenerate = "a number of the curve is not finite: no curve to draw";
    if (std::isfinite(in.CX) && std::isfinite(in.CY)) c.marker = centre;
    return c;
  }
  // A zero radius is a single point; drawn at full size, its inner curve
  // would pass for a real curve.
  if (in.CR == 0.0 && kind != CurveKind::none) {
    c.legend = "curve: radius 0, " + at;
    c.degenerate = "radius 0: no curve to draw";
    c.marker = centre;
    return c;
  }
  const bool inner = std::isfinite(h) && h != 0.0;
  switch (kind) {
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

// A code point's advance in em in the monospaced CJK fonts the legend
// names: half an em for ASCII, a full em for the rest; a little more for
// ASCII in case a proportional font stands in.
double em_of(unsigned char lead) { return lead < 0x80 ? 0.6 : 1.0; }

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
};

} // namespace

std::string render_svg(const InterfaceData& in, const RunOutput& out,
                       std::vector<std::string>& warnings) {
  const Metrics m = metrics_of(in);
  if (!m.known)
    warnings.push_back("text kind " + std::to_string(in.MOJIS) + " is not in the tables");

  Bounds b;
  const Curves curves = draw_curves(in, m.height, b, warnings);
  const bool degenerate = !curves.degenerate.empty();

  // Glyphs in the run's text height; without a usable one, in a size that
  // still lets them be read.
  double size = m.height;
  const double pitch = m.width + m.spacing;
  if (!(std::isfinite(size) && size > 0.0)) {
    size = std::isfinite(pitch) && pitch > 0.0 ? pitch : 0.0;
    if (!out.glyphs.empty()) warnings.push_back("the text height is not positive");
  }
  const double sx =
      std::isfinite(m.width) && m.width > 0.0 && m.height > 0.0 && std::isfinite(m.width / m.height)
          ? m.width / m.height
          : 1.0;
  for (const Glyph& g : out.glyphs)
    b.add(picture({g.x, g.y}), 1.2 * size * std::max(sx, 1.0));
  // The scale bar only means something next to a drawn curve or glyph.
  const bool drawn = !b.empty();
  const Point marker = picture(curves.marker);
  // With nothing drawn the picture's size is arbitrary; it is kept well
  // above a unit, as renderers draw text of a tiny size badly.
  constexpr double empty_pad = 50.0;
  if (degenerate) b.add(marker, drawn ? 0.0 : empty_pad);
  if (b.empty()) b.add({0.0, 0.0}, empty_pad);
  double extent = std::max(b.x1 - b.x0, b.y1 - b.y0);
  if (!(std::isfinite(extent) && extent > 0.0)) extent = 1.0;
  if (!(size > 0.0)) size = extent / 30.0;
  const double margin = extent * 0.05;
  const double fs = extent * 0.025;
  const double line_step = fs * 1.4;

  // The marker of a degenerate curve, with its message beside it; the
  // message is wrapped and the picture grown so that it is never cut off.
  const double marker_r = extent * 0.02;
  std::vector<std::string> marker_rows;
  const double marker_x = marker.x + 1.5 * marker_r;
  if (degenerate) {
    b.add(marker, marker_r);
    marker_rows = wrap(curves.degenerate, std::max(b.x1 - marker_x, extent * 0.5) / fs);
    double y = marker.y + fs * 0.35;
    b.add({marker_x, y - fs});
    for (const std::string& row : marker_rows) {
      double em = 0.0;
      for (char ch : row)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
          em += em_of(static_cast<unsigned char>(ch));
      b.add({marker_x + em * fs, y + fs * 0.3});
      y += line_step;
    }
  }

  // The legend spans the drawing's width but at least its extent, so that a
  // narrow drawing still leaves the legend room; it wraps within that width
  // and the picture's height holds all of it.
  const double content_w = std::max(b.x1 - b.x0, extent);
  const double content_x = (b.x0 + b.x1) / 2.0 - content_w / 2.0;

  std::vector<LegendLine> legend;
  legend.push_back({curves.legend, "legend", "#000"});
  if (!curves.inner.empty()) {
    legend.push_back(
        {"inner curve: one text height (" + short_num(m.height) + ") inside", "legend", "#777"});
  }
  if (m.known) {
    legend.push_back({"text kind " + std::to_string(in.MOJIS) + ": width " + short_num(m.width) +
                          ", height " + short_num(m.height) + ", spacing " + short_num(m.spacing),
                      "legend", "#000"});
  } else {
    legend.push_back(
        {"text kind " + std::to_string(in.MOJIS) + ": not in the tables", "legend", "#000"});
  }
  legend.push_back(
      {"text: " + (in.ChSTR[0] == '\0' ? std::string("(none)") : sjis_to_utf8(in.ChSTR)), "legend",
       "#000"});
  const auto count = [&](Pass p) {
    return std::to_string(std::count_if(out.glyphs.begin(), out.glyphs.end(),
                                        [p](const Glyph& g) { return g.pass == p; }));
  };
  legend.push_back(
      {"\u25A0 outer pass (cc1): " + count(Pass::outer) + " glyphs", "legend", outer_colour});
  legend.push_back(
      {"\u25A0 inner pass (cc7): " + count(Pass::inner) + " glyphs", "legend", inner_colour});
  for (const std::string& msg : out.messages) {
    legend.push_back({"h# " + sjis_to_utf8(msg), "message", message_colour});
  }
  // A wrapped line goes on indented, so that each line's start stands out.
  const double indent_em = 1.2;
  std::vector<std::vector<std::string>> rows;
  std::size_t row_count = 0;
  for (const LegendLine& l : legend) {
    rows.push_back(wrap(l.text, content_w / fs - indent_em));
    row_count += rows.back().size();
  }

  const double scale_y = b.y1 + margin + fs * 0.5;
  const double legend_top = drawn ? scale_y + fs : b.y1 + margin;
  const double vx = content_x - margin;
  const double vy = b.y0 - margin;
  const double vw = content_w + 2.0 * margin;
  const double vh = legend_top - vy + line_step * static_cast<double>(row_count) + margin;

  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(picture_px) + "\" height=\"" +
       num(picture_px * vh / vw) + "\" viewBox=\"" + num(vx) + " " + num(vy) + " " + num(vw) + " " +
       num(vh) + "\">\n";
  s += "<title>curvetext preview</title>\n";
  s += "<rect x=\"" + num(vx) + "\" y=\"" + num(vy) + "\" width=\"" + num(vw) + "\" height=\"" +
       num(vh) + "\" fill=\"#fff\"/>\n";
  const std::string stroke = num(extent * 0.002);
  if (!curves.outer.empty()) {
    s += "<path class=\"curve\" d=\"" + curves.outer + "\" fill=\"none\" stroke=\"#000\" " +
         "stroke-width=\"" + stroke + "\"/>\n";
  }
  if (!curves.inner.empty()) {
    s += "<path class=\"inner-curve\" d=\"" + curves.inner + "\" fill=\"none\" stroke=\"#777\" " +
         "stroke-width=\"" + stroke + "\" stroke-dasharray=\"" + num(extent * 0.01) + "\"/>\n";
  }
  // The centre of an arc may lie far off: marked only inside the picture.
  const Point c = picture({in.CX, in.CY});
  if (in.iCi_cnt > 0 && !degenerate && c.x >= b.x0 && c.x <= b.x1 && c.y >= b.y0 && c.y <= b.y1) {
    const double r = extent * 0.01;
    s += "<path class=\"centre\" d=\"M" + num(c.x - r) + " " + num(c.y) + " L" + num(c.x + r) +
         " " + num(c.y) + " M" + num(c.x) + " " + num(c.y - r) + " L" + num(c.x) + " " +
         num(c.y + r) + "\" stroke=\"#777\" stroke-width=\"" + stroke + "\"/>\n";
  }
  if (degenerate) {
    const double r = marker_r, d = marker_r * 0.7;
    s += "<g class=\"degenerate\" fill=\"" + std::string(message_colour) + "\">\n";
    s += "<circle cx=\"" + num(marker.x) + "\" cy=\"" + num(marker.y) + "\" r=\"" + num(r) +
         "\" fill=\"none\" stroke=\"" + message_colour + "\" stroke-width=\"" + stroke + "\"/>\n";
    s += "<path d=\"M" + num(marker.x - d) + " " + num(marker.y - d) + " L" + num(marker.x + d) +
         " " + num(marker.y + d) + " M" + num(marker.x - d) + " " + num(marker.y + d) + " L" +
         num(marker.x + d) + " " + num(marker.y - d) + "\" stroke=\"" + message_colour +
         "\" stroke-width=\"" + stroke + "\"/>\n";
    s += "<text font-family=\"'Noto Sans Mono CJK JP', 'IPAGothic', monospace\" font-size=\"" +
         num(fs) + "\">";
    double y = marker.y + fs * 0.35;
    for (const std::string& row : marker_rows) {
      s +=
          "<tspan x=\"" + num(marker_x) + "\" y=\"" + num(y) + "\">" + xml_escape(row) + "</tspan>";
      y += line_step;
    }
    s += "</text>\n</g>\n";
  }

  // A glyph's point is the middle of its lower edge in the outer pass and of
  // its upper edge in the inner pass: the inner curve lies one text height
  // inside, so the feet of both texts stand on the curve itself. Along the
  // text the point is the glyph's middle, as the layouts centre the text.
  s += "<g font-family=\"'Noto Sans Mono CJK JP', 'Noto Sans CJK JP', 'IPAGothic', "
       "'MS Gothic', monospace\" text-anchor=\"middle\">\n";
  for (const Glyph& g : out.glyphs) {
    const Point p = picture({g.x, g.y});
    const bool outer = g.pass == Pass::outer;
    const double turn = -std::atan2(g.dy, g.dx) * 180.0 / pi;
    std::string transform = "rotate(" + num(turn) + " " + num(p.x) + " " + num(p.y) + ")";
    if (sx != 1.0) {
      transform += " translate(" + num(p.x) + " " + num(p.y) + ") scale(" + num(sx) +
                   " 1) translate(" + num(-p.x) + " " + num(-p.y) + ")";
    }
    s += std::string("<text class=\"glyph ") + (outer ? "outer" : "inner") + "\" x=\"" + num(p.x) +
         "\" y=\"" + num(p.y) + "\" dy=\"" + num(outer ? -em_descent * size : em_ascent * size) +
         "\" font-size=\"" + num(size) + "\" fill=\"" + (outer ? outer_colour : inner_colour) +
         "\" transform=\"" + transform + "\">" + xml_escape(sjis_to_utf8(g.bytes)) + "</text>\n";
  }
  s += "</g>\n";

  // The scale bar, in the drawing's own units.
  if (drawn) {
    const double len = round_length(content_w * 0.25);
    const double x0 = content_x, x1 = content_x + len, t = fs * 0.3;
    s += "<g class=\"scale\">\n<path d=\"M" + num(x0) + " " + num(scale_y - t) + " L" + num(x0) +
         " " + num(scale_y) + " L" + num(x1) + " " + num(scale_y) + " L" + num(x1) + " " +
         num(scale_y - t) + "\" fill=\"none\" stroke=\"#000\" stroke-width=\"" + stroke + "\"/>\n";
    s += "<text x=\"" + num(x1 + fs * 0.5) + "\" y=\"" + num(scale_y + fs * 0.35) +
         "\" font-family=\"'Noto Sans Mono CJK JP', 'IPAGothic', monospace\" font-size=\"" +
         num(fs) + "\">" + short_num(len) + " units</text>\n</g>\n";
  }

  s += "<g font-family=\"'Noto Sans Mono CJK JP', 'IPAGothic', monospace\" font-size=\"" + num(fs) +
       "\">\n";
  double y = legend_top + fs;
  for (std::size_t i = 0; i < legend.size(); ++i) {
    const LegendLine& l = legend[i];
    s += "<text class=\"" + l.css_class + "\" fill=\"" + l.colour + "\">";
    for (std::size_t r = 0; r < rows[i].size(); ++r) {
      s += "<tspan x=\"" + num(content_x + (r == 0 ? 0.0 : indent_em * fs)) + "\" y=\"" + num(y) +
           "\">" + xml_escape(rows[i][r]) + "</tspan>";
      y += line_step;
    }
    s += "</text>\n";
  }
  s += "</g>\n</svg>\n";
  return s;
}

} // namespace curvetext::preview
