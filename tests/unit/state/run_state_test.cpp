#include "state/run_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;

// Writes the trailer of a state set up by `setup` and returns its bytes.
template <typename Setup> std::string trailer(Setup setup) {
  ScratchDir dir;
  RunState st;
  setup(st);
  EXPECT_TRUE(st.fpw.open("out", LineEnd::lf));
  IniZokusei(st);
  EXPECT_TRUE(st.fpw.close());
  return read_file("out");
}

TEST(Trailer, CapturedValuesComeBack) {
  struct Case {
    const char* name;
    void (*setup)(RunState&);
    const char* expected;
  } cases[] = {
      {"nothing captured: the markers", [](RunState&) {}, "lg14\nly14\nlt20\nlc20\n"},
      {"kind 0 sizes",
       [](RunState& st) {
         st.MOJISi = 0;
         st.MOJIWi = 2.5;
         st.MOJIHi = 3;
         st.MOJIDi = 0.5;
         st.MOJICi = 2;
       },
       "cn0 2.50, 3.00, 0.50, 2\nlg14\nly14\nlt20\nlc20\n"},
      {"kind 0 with width 0",
       [](RunState& st) {
         st.MOJISi = 0;
         st.MOJIWi = 0.0;
       },
       "lg14\nly14\nlt20\nlc20\n"},
      {"kind 0 with NaN width",
       [](RunState& st) {
         st.MOJISi = 0;
         st.MOJIWi = std::nan("");
       },
       "lg14\nly14\nlt20\nlc20\n"},
      {"kind 3", [](RunState& st) { st.MOJISi = 3; }, "cn3\nlg14\nly14\nlt20\nlc20\n"},
      {"kind 10", [](RunState& st) { st.MOJISi = 10; }, "cn10\nlg14\nly14\nlt20\nlc20\n"},
      {"negative kind", [](RunState& st) { st.MOJISi = -3; }, "cn-3\nlg14\nly14\nlt20\nlc20\n"},
      {"kind 11", [](RunState& st) { st.MOJISi = 11; }, "lg14\nly14\nlt20\nlc20\n"},
      {"pen 9", [](RunState& st) { st.TENSi = 9; }, "lg14\nly14\nlt20\nlc20\npn9\n"},
      {"pen 0", [](RunState& st) { st.TENSi = 0; }, "lg14\nly14\nlt20\nlc20\npn0\n"},
      {"pen -1", [](RunState& st) { st.TENSi = -1; }, "lg14\nly14\nlt20\nlc20\npn-1\n"},
      {"pen 10", [](RunState& st) { st.TENSi = 10; }, "lg14\nly14\nlt20\nlc20\n"},
      {"hexadecimal layers",
       [](RunState& st) {
         st.GROUPi = 26;
         st.LAYERi = 255;
         st.TYPEi = 12;
         st.COLORi = 5;
       },
       "lg1a\nlyff\nlt12\nlc5\n"},
      {"negative layer as two's complement", [](RunState& st) { st.LAYERi = -1; },
       "lg14\nlyffffffff\nlt20\nlc20\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(trailer(c.setup), c.expected) << c.name;
}

TEST(RunStateTest, PolylineResetClearsOnlyTheCounters) {
  RunState st;
  st.iPL = 4;
  st.iPLcounter = 7;
  st.iKtensu = 2;
  st.KYleng = 3.5;
  st.iPLcnt = 9;
  PLreset(st);
  EXPECT_EQ(st.iPL + st.iPLcounter + st.iKtensu, 0);
  EXPECT_EQ(st.KYleng, 0.0);
  EXPECT_EQ(st.iPLcnt, 9);
}

} // namespace
} // namespace curvetext
