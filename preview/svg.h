// The SVG picture of a run: the curve and its inner curve, the text kind's
// metrics, every glyph record and the host messages.
#pragma once

#include <string>
#include <vector>

#include "interface_file.h"
#include "run_output.h"

namespace curvetext::preview {

// The picture's y axis points down and the drawing's up, so a point (x, y)
// of the drawing stands at (x, -y) in the picture. A glyph is drawn centred
// on its point (so a double-byte glyph is centred between its two byte
// positions), standing on it in the outer pass and hanging from it in the
// inner pass: both runs touch the curve, the outer one from outside over the
// top, the inner one from inside under the bottom.
//
// What the picture cannot show faithfully is appended to `warnings`.
std::string render_svg(const InterfaceData& in, const RunOutput& out,
                       std::vector<std::string>& warnings);

} // namespace curvetext::preview
