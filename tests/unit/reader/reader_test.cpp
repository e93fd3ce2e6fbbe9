#include "reader/reader.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using namespace std::string_literals;

// A field's value as the lists show it; an array's up to its last that is not 0.
template <class T> std::string text(const T& v) {
  std::ostringstream out;
  if constexpr (std::is_array_v<T> && !std::is_same_v<std::remove_extent_t<T>, char>) {
    std::size_t n = std::size(v);
    while (n > 0 && v[n - 1] == 0)
      --n;
    for (std::size_t i = 0; i < n; ++i)
      out << (i > 0 ? "," : "") << v[i];
  } else {
    out << v;
  }
  return out.str();
}

// Every field the reader writes that reaches the output, the trailer, a
// layout or a trace line, as name=value.
std::vector<std::string> fields(const RunState& s) {
  std::vector<std::string> f;
#define F(x) f.push_back(#x "=" + text(s.x))
  F(stepcnt), F(COLORi), F(TYPEi), F(LAYERi), F(GROUPi), F(TENSi), F(MOJIS), F(MOJISi), F(MOJIWi);
  F(MOJIHi), F(MOJIDi), F(MOJICi), F(CX), F(CY), F(CR), F(SK), F(EK), F(HP), F(JK), F(iCi_cnt);
  F(ChSTR), F(iPOINT), F(MOJI_W), F(MOJI_H), F(MOJI_D), F(PX), F(PY);
#undef F
  return f;
}

struct Case {
  std::string input;
  std::string copy;    // the work copy afterwards: the echoes
  std::string changes; // the fields that differ from a fresh run state
  std::uint32_t limit = 150000;
};

// One pass over an interface file of these bytes.
TEST(Reader, Records) {
  const Case cases[] = {
      {"", "", ""},
      {"ci 10 20 5\n", "", "CX=10 CY=20 CR=5 HP=-2 iCi_cnt=1"},
      {"ci 10 20 5 \n", "", "CX=10 CY=20 CR=5 iCi_cnt=1"}, // a trailing blank: the seven-value form
      {"ci 10  20 5\n", "", "CX=10 CY=20 CR=5 iCi_cnt=1"}, // so does a doubled one
      {"ci10  20 5\n", "", "CX=10 CY=20 CR=5 HP=-2 iCi_cnt=1"}, // three blanks, none leading
      {"ci 0 0 10 0 90 1 0\n", "", "CR=10 EK=90 HP=1 iCi_cnt=1"},
      {"ci 1 2 3 4 5\n", "", "CX=1 CY=2 CR=3 SK=4 EK=5 iCi_cnt=1"},
      {"ci 1 2\n", "", "CX=1 CY=2 iCi_cnt=1"},
      {"ci 1 2 3 10 80 0.5 30\nci 4 5 6\n", "", "CX=4 CY=5 CR=6 SK=10 EK=80 HP=-2 JK=30 iCi_cnt=2"},
      {"ci 1 x 3 4 5 6 7\n", "", "CX=1 iCi_cnt=1"},
      {"ch 1 2 3 4 \"AB\n", "", "ChSTR=AB"},
      // The last text decides, a shorter one without line end included.
      {"ch 0 0 1 0 \"LONGER\ncx 5 6 7 8\"ab", "", "ChSTR=ab"},
      // Blanks behind the quote, a closing quote and bytes of any value belong to the text.
      {"ch 0 0 1 0   \"  A\x82\xA0\"\r\n", "", "ChSTR=  A\x82\xA0\""},
      {"ch 0 0 1 0 \"ab\rcd\n", "", "ChSTR=ab"},
      {"ch 0 0 1 0 \"AB\nch 1 1 1 1 CD\n", "", "ChSTR=AB"}, // no quote: the text stays
      {"ch 0 0 1 0 \"AB\nch 1 2 x \"CD\n", "", "ChSTR=AB"},
      {"ch 0 0 1 0 \"AB\nch 9 0 1 0 \"", "", "ChSTR=AB"},
      {"ch 0 0 1 0 \"AB\nch 0 0 1 0 \"\n", "", ""},
      {"c", "", ""},
      {"cn3\ncn0 2 3 0.5 1\n", "cn3\ncn0 2 3 0.5 1\n",
       "MOJIS=0 MOJISi=3 MOJI_W=2 MOJI_H=3 MOJI_D=0.5"},
      {"cn0 2 3 0.5 1\ncn3\n", "cn0 2 3 0.5 1\ncn3\n",
       "MOJIS=3 MOJISi=0 MOJIWi=2 MOJIHi=3 MOJIDi=0.5 MOJICi=1 MOJI_W=2 MOJI_H=3 MOJI_D=0.5"},
      {"cn0 2, 3, 0.5, 1\n", "cn0 2, 3, 0.5, 1\n",
       "MOJIS=0 MOJISi=0 MOJIWi=2 MOJIHi=0 MOJIDi=0 MOJICi=0 MOJI_W=2"},
      {"cn3\ncn5\n", "cn3\ncn5\n", "MOJIS=5 MOJISi=3"},
      {"cn20\ncn4\n", "cn20\ncn4\n", "MOJIS=4 MOJISi=4"},
      {"cn-3\ncn11\n", "cn-3\ncn11\n", "MOJIS=11 MOJISi=-3"},
      {"cnx\n", "cnx\n", "MOJISi=1"},
      {"cn\"abc\n", "cn\"abc\n", ""},
      {"cn3\ncn0\n", "cn3\ncn0\n", "MOJIS=0 MOJISi=3"},
      {"lc3\nlc5\n", "", "COLORi=3"},
      {"lg1a\nly1A\nlt12\n", "", "TYPEi=12 LAYERi=26 GROUPi=26"},
      {"lgffffffff\nly100000000\n", "", "LAYERi=-1 GROUPi=-1"},
      {"lc99999999999\nlt-99999999999\n", "", "COLORi=2147483647 TYPEi=-2147483648"},
      {"lcx\n", "", "COLORi=1"},
      {"pn2\npn1f\ncc7\ncc8\n", "", "TENSi=2"},
      {"hp1 100 200\n", "", "iPOINT=1 PX=0,100 PY=0,200"},
      {"hp0+1 2\nhp2/3 4\nhp3-5 6\n", "", "iPOINT=3 PX=1,0,3,5 PY=2,0,4,6"},
      {"hp7 1 2\nhp  -1 5 6\n", "", "iPOINT=-1"},
      {"hp2 1 1\nhpx 7 8\n", "", "iPOINT=2 PX=0,0,7 PY=0,0,8"},
      {"hp2ln 5 6\n", "", "stepcnt=2 iPOINT=2"},
      {"hp9ch 1 2\n", "", "stepcnt=2 iPOINT=9"},
      {"hq\n 0 0 10 0\n", "", "stepcnt=3"},
      {" 0 0 1 1\nhq\n", "", "stepcnt=1"},
      {"# one\nbz 1 2\n#\n", "# one\nbz 1 2\n#\n", ""},
      {"pl\n# x\n", "# x\n", ""},
      {"hcw 1 2 3 4 5 6 7 8 9 10\nhch 2\nhcd 0.5 0.25\nhcc 1 2 3 4 5 6 7 8 9 10 11\n", "",
       "MOJI_W=0,1,2,3,4,5,6,7,8,9,10 MOJI_H=0,2 MOJI_D=0,0.5,0.25"},
      {"hcwX4 5\nhcx 9\n", "", "MOJI_W=0,4,5"}, // the byte behind the name is not looked at
      // Records that do nothing; a line of equal points is no line.
      {"CI 0 0 10\nlx5\npq\nbx\nhx\nhp1x 1 2\nhp1lx 1 2\n 0 0 0 0\n\n\nQQ\n1 2\n\x82\xA0\nhp1", "",
       ""},
      // A line longer than 254 bytes: its further pieces are no records, and are
      // echoed exactly when its first piece is.
      {std::string(254, 'x') + "# tail\n", "", ""},
      {std::string(254, 'x') + "\n#b\n", "#b\n", ""},
      {"bz" + std::string(600, 'z') + "\nlc4\n", "bz" + std::string(600, 'z') + "\n", "COLORi=4"},
      {"cn2" + std::string(300, ' '), "cn2" + std::string(300, ' ') + "\n", "MOJIS=2 MOJISi=2"},
      {"# first\nlc2", "# first\n", "COLORi=2"},
      {"#" + std::string(252, 'c') + "\r\nlc6\r\n", "#" + std::string(252, 'c') + "\r\n",
       "COLORi=6"},
      // A record ends at its first NUL.
      {"ch 0 0 1 0 \"ab\0cd\n"s, "", "ChSTR=ab"},
      {"ci 1 2 3\0 \n"s, "", "CX=1 CY=2 CR=3 HP=-2 iCi_cnt=1"},
      {"\0#x\n"s, "", ""},
      // A short last line: no read starts behind it.
      {"hs", "", ""},
      {"hcw", "", ""},
      {"hcc", "", ""},
      {"hp1 ", "", "iPOINT=1"},
      {"hp1ln", "", "stepcnt=2 iPOINT=1"},
      {"cn0", "cn0\n", "MOJIS=0 MOJISi=0 MOJIWi=0 MOJIHi=0 MOJIDi=0 MOJICi=0"},
      {"z", "", ""},
      // The limit counts every piece.
      {"lc5\n#a\nlc6\n#b\n", "#a\n", "COLORi=5", 2},
      {"lc5\n#a\n", "", "", 0},
      {"#" + std::string(300, 'x') + "\nlc5\n", "#" + std::string(300, 'x') + "\n", "", 2},
  };
  const std::vector<std::string> fresh = fields(RunState{});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    testing::ScratchDir dir;
    testing::write_file("QVC_TEMP.TXT", c.input);
    RunState st;
    ASSERT_TRUE(st.fp.open("QVC_TEMP.TXT"));
    const std::size_t lf = c.input.find('\n');
    const bool crlf = lf != std::string::npos && lf > 0 && c.input[lf - 1] == '\r';
    ASSERT_TRUE(st.fpw.open("QVC_TEMP.104", crlf ? LineEnd::crlf : LineEnd::lf));
    QV_PATTERN(st, 7, c.limit);
    EXPECT_TRUE(st.fpw.close());
    EXPECT_EQ(testing::read_file("QVC_TEMP.104"), c.copy);
    std::string changes;
    const std::vector<std::string> now = fields(st);
    for (std::size_t i = 0; i < now.size(); ++i) {
      if (now[i] != fresh[i]) changes += (changes.empty() ? "" : " ") + now[i];
    }
    EXPECT_EQ(changes, c.changes);
  }
}

} // namespace
} // namespace curvetext
