#include "output_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace curvetext::testing {
namespace {

namespace fs = std::filesystem;

bool is_interface_file(const fs::path& path) {
  std::string name = path.filename().string();
  for (char& c : name)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name == "QVC_TEMP.TXT";
}

// Every interface file a golden case expects a complete or partial run to
// have written (on any platform) passes the checker the fuzz target applies.
// A generated input stands in as its own output: echoes go unchecked there.
TEST(OutputCheck, AcceptsEveryGoldenOutput) {
  int checked = 0;
  for (const auto& c : fs::directory_iterator(CURVETEXT_CASES_DIR)) {
    std::vector<std::string> inputs;
    if (fs::is_directory(c.path() / "in")) {
      for (const auto& f : fs::directory_iterator(c.path() / "in")) {
        if (is_interface_file(f.path()) && f.is_regular_file())
          inputs.push_back(read_file(f.path().string()));
      }
    }
    for (const auto& out : fs::directory_iterator(c.path())) {
      const std::string dir = out.path().filename().string();
      if (dir != "out" && dir.rfind("out.", 0) != 0) continue;
      const fs::path status = c.path() / ("status" + dir.substr(3));
      if (read_file((fs::exists(status) ? status : c.path() / "status").string()) == "255\n")
        continue;
      for (const auto& f : fs::directory_iterator(out.path())) {
        if (!is_interface_file(f.path()) || !f.is_regular_file()) continue;
        const std::string output = read_file(f.path().string());
        if (std::find(inputs.begin(), inputs.end(), output) != inputs.end()) continue; // untouched
        SCOPED_TRACE(f.path().string());
        EXPECT_EQ(check_output(inputs.empty() ? output : inputs[0], output), "");
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

// Outputs that break a rule, each beside the input it came from.
TEST(OutputCheck, RefusesFaults) {
  const std::string trailer = "lg0\nly0\nlt1\nlc1\n";
  const struct {
    const char* input;
    std::string output;
  } cases[] = {
      {"", "lg0\nly0\nlt1\n"},                                               // a short trailer
      {"", trailer + "cc1 \n"},                                              // a record behind it
      {"", "cc1 " + trailer},                                                // no line end
      {"", "ch nan 0.0000000000 3.0000000000 0.0000000000 \"A\n" + trailer}, // not finite
      {"", "ch -inf 0.0 3.0 0.0 \"A\n" + trailer},
      {"", "ch 1.0 2.0 3.0 4.0 \"ABC\n" + trailer}, // three bytes for one glyph
      {"", "ch 1 2.0 3.0 4.0 \"A\n" + trailer},     // a number without decimals
      {"", "h# NG curve\n" + trailer},              // the blank of the form missing
      {"#a\n", "#b\n" + trailer},                   // an echo of what the input never said
      {"bz 1\n", "bz 2\n" + trailer},
      {"", "lx3\n" + trailer},
      {"", "pn1\ncc1 \n" + trailer}, // a trailer record out of place
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    EXPECT_NE(check_output(c.input, c.output), "");
  }
}

} // namespace
} // namespace curvetext::testing
