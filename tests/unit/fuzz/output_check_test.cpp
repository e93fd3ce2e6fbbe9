#include "output_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/scratch_dir.h"

namespace curvetext::testing {
namespace {

namespace fs = std::filesystem;

// The regular files of `dir` named `name` in any letter case.
std::vector<std::string> files_named(const fs::path& dir, std::string_view name) {
  std::vector<std::string> files;
  if (!fs::is_directory(dir)) return files;
  for (const auto& f : fs::directory_iterator(dir)) {
    std::string upper = f.path().filename().string();
    for (char& c : upper)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == name && f.is_regular_file()) files.push_back(read_file(f.path().string()));
  }
  return files;
}

// Checks the outputs of one case's complete runs (on any platform): the
// interface file at debug level 0, the work copy at any other. A generated
// input stands in as its own output: echoes go unchecked there. Returns
// how many it checked.
int check_case(const fs::path& dir) {
  const std::vector<std::string> inputs = files_named(dir / "in", "QVC_TEMP.TXT");
  std::istringstream arg_lines(read_file((dir / "args").string()));
  std::vector<std::string> args;
  for (std::string arg; std::getline(arg_lines, arg);)
    args.push_back(arg);
  const int level = debug_level(args);
  int checked = 0;
  for (const auto& out : fs::directory_iterator(dir)) {
    const std::string name = out.path().filename().string();
    if (name != "out" && name.rfind("out.", 0) != 0) continue;
    const fs::path status = dir / ("status" + name.substr(3));
    if (read_file((fs::exists(status) ? status : dir / "status").string()) != "0\n") continue;
    SCOPED_TRACE(out.path().string());
    for (const std::string& output :
         files_named(out.path(), level == 0 ? "QVC_TEMP.TXT" : "QVC_TEMP.104")) {
      if (std::find(inputs.begin(), inputs.end(), output) != inputs.end()) continue; // untouched
      EXPECT_EQ(check_output(inputs.empty() ? output : inputs[0], output, level), "");
      ++checked;
    }
  }
  return checked;
}

TEST(OutputCheck, AcceptsEveryGoldenOutput) {
  int checked = 0;
  for (const auto& c : fs::directory_iterator(CURVETEXT_CASES_DIR))
    checked += check_case(c.path());
  EXPECT_GT(checked, 120);
}

// Outputs that break a rule, each beside the input it came from and the
// debug level of its run.
TEST(OutputCheck, RefusesFaults) {
  using namespace std::string_literals;
  const std::string trailer = "lg0\nly0\nlt1\nlc1\n";
  const std::string closing =
      "# ------------------ main() Pattern1 end file closing ------------------ \n"
      "#    qd_xmax= 1 stepcnt= 0 \n";
  const std::string walk = "# t0(1.0 2.0) t1(3.0 4.0)\n";
  const std::string glyph = "ch 1.0 2.0 3.0 4.0 \"A\n";
  const std::string long_line = "#" + std::string(300, 'x');
  const struct {
    std::string input;
    std::string output;
    int level;
  } cases[] = {
      {"", "lg0\nly0\nlt1\n", 0},                                // a short trailer
      {"", trailer + "cc1 \n", 0},                               // a record behind it
      {"", "cc1 \n" + trailer.substr(0, trailer.size() - 1), 0}, // no line end
      {"", "cc1 \nch nan 0.0000000000 3.0000000000 0.0000000000 \"A\n" + trailer, 0}, // not finite
      {"", "cc1 \nch -inf 0.0 3.0 0.0 \"A\n" + trailer, 0},
      {"", "cc1 \nch 1.0 2.0 3.0 4.0 \"ABC\n" + trailer, 0}, // three bytes for one glyph
      {"", "cc1 \nch 1 2.0 3.0 4.0 \"A\n" + trailer, 0},     // a number without decimals
      {"", glyph + trailer, 0},                              // a glyph before the passes
      {"", "cc7 \n" + trailer, 0},                           // the inner pass without the outer
      {"", "h# NG curve\n" + trailer, 0},                    // the blank of the form missing
      {"", "lx3\n" + trailer, 0},
      {"", "pn1\ncc1 \n" + trailer, 0},          // a trailer record out of place
      {"#a\r\n", "#a\r\n" + trailer, 0},         // the trailer's line ends not the input's
      {"#a\n#b\r\n", "#a\n#b\r\n" + trailer, 0}, // a CR LF kept where LF ends the output's lines
      {"#a\n", "#b\n" + trailer, 0},             // an echo of what the input never said
      {"bz 1\n", "bz 2\n" + trailer, 0},
      {"#abc\n", "#ab\n" + trailer, 0},                                 // a cut echo
      {long_line + "\n", long_line.substr(0, 254) + "\n" + trailer, 0}, // a long line cut
      {"#a\n#b\n", "#b\n#a\n" + trailer, 0},                            // echoes out of order
      {"#a\n", "#a\n#a\n" + trailer, 0},                                // an echo twice
      {"#a\n", "cc1 \n#a\n" + trailer, 0},                              // an echo after the layout
      {"ci 0 0 1\n", "ci 0 0 1\n" + trailer, 0},                    // a record that is not echoed
      {"\0#a\n"s, "\0#a\n"s + trailer, 0},                          // a comment behind a NUL
      {"ch 0 0 1 0 \"A\n", "# CHR_PRO  now \n" + trailer, 0},       // a trace line at level 0
      {"ch 0 0 1 0 \"A\n", "cc1 \n# CHR_PRO  now \n" + trailer, 2}, // ... after the layout
      {"", "# anything\n" + trailer, 2},                            // no trace line of the tool
      {"", "cc1 \ncc7 \n## len(1) mlen(2.0)\n" + trailer, 0},       // the length note at level 0
      {"", "cc1 \ncc7 \n" + glyph + "## len(1) mlen(2.0)\n" + trailer, 1}, // ... not after cc7
      {"", "cc1 \ncc7 \n" + walk + trailer, 0},      // a walk's trace at level 0
      {"", "cc1 \n" + walk + "cc7 \n" + trailer, 2}, // ... in the outer pass
      {"", closing + trailer, 0},                    // closing lines at level 0
      {"", trailer, 3},                              // ... missing at level 3
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    EXPECT_NE(check_output(c.input, c.output, c.level), "");
  }
}

} // namespace
} // namespace curvetext::testing
