#include "reader/reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

struct Result {
  std::unique_ptr<RunState> st;
  std::string copy; // the work copy: echo records and debug lines
  std::string out;  // standard output
};

// Runs the reader over an interface file of these bytes.
Result read(const std::string& input, int level = 0, std::uint32_t limit = 150000) {
  ScratchDir dir;
  write_file("QVC_TEMP.TXT", input);
  Result r{std::make_unique<RunState>(), {}, {}};
  RunState& st = *r.st;
  st.isTest = level;
  EXPECT_TRUE(st.fp.open("QVC_TEMP.TXT"));
  EXPECT_TRUE(st.fpw.open("QVC_TEMP.104", line_end_of("QVC_TEMP.TXT")));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(QV_PATTERN(st, 7, limit), 0);
  r.out = ::testing::internal::GetCapturedStdout();
  st.fp.close();
  EXPECT_TRUE(st.fpw.close());
  r.copy = read_file("QVC_TEMP.104");
  return r;
}

struct Case {
  const char* name;
  std::string input;
  std::string copy; // expected work copy
  std::function<void(const RunState&)> check;
};

void run_cases(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    const Result r = read(c->input);
    EXPECT_EQ(r.copy, c->copy);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.st->iPattern, 1);
    c->check(*r.st);
  }
}

const std::string k254(254, '#');

TEST(Reader, CurveRecords) {
  const Case cases[] = {
      {"three values", "ci 10 20 5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 10.0);
         EXPECT_EQ(st.CY, 20.0);
         EXPECT_EQ(st.CR, 5.0);
         EXPECT_EQ(st.HP, -2.0);
         EXPECT_EQ(st.iCi_cnt, 1);
       }},
      {"a trailing blank makes four: the seven-value form", "ci 10 20 5 \n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 10.0);
         EXPECT_EQ(st.CR, 5.0);
         EXPECT_EQ(st.HP, 0.0);
         EXPECT_EQ(st.SK, 0.0);
         EXPECT_EQ(st.iCi_cnt, 1);
       }},
      {"a doubled blank counts too", "ci 10  20 5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CR, 5.0);
         EXPECT_EQ(st.HP, 0.0);
       }},
      {"three blanks but no leading one", "ci10  20 5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 10.0);
         EXPECT_EQ(st.CR, 5.0);
         EXPECT_EQ(st.HP, -2.0);
       }},
      {"seven values", "ci 0 0 10 0 90 1 0\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CR, 10.0);
         EXPECT_EQ(st.EK, 90.0);
         EXPECT_EQ(st.HP, 1.0);
         EXPECT_EQ(st.JK, 0.0);
       }},
      {"five values", "ci 1 2 3 4 5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CR, 3.0);
         EXPECT_EQ(st.SK, 4.0);
         EXPECT_EQ(st.EK, 5.0);
         EXPECT_EQ(st.HP, 0.0);
         EXPECT_EQ(st.iCi_cnt, 1);
       }},
      {"two values", "ci 1 2\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 1.0);
         EXPECT_EQ(st.CY, 2.0);
         EXPECT_EQ(st.CR, 0.0);
         EXPECT_EQ(st.iCi_cnt, 1);
       }},
      {"seven then three", "ci 1 2 3 10 80 0.5 30\nci 4 5 6\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 4.0);
         EXPECT_EQ(st.CR, 6.0);
         EXPECT_EQ(st.SK, 10.0);
         EXPECT_EQ(st.EK, 80.0);
         EXPECT_EQ(st.JK, 30.0);
         EXPECT_EQ(st.HP, -2.0);
         EXPECT_EQ(st.iCi_cnt, 2);
       }},
      {"a value that fails ends the read", "ci 1 x 3 4 5 6 7\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CX, 1.0);
         EXPECT_EQ(st.CR, 0.0);
         EXPECT_EQ(st.JK, 0.0);
         EXPECT_EQ(st.iCi_cnt, 1);
       }},
      {"upper case is no record", "CI 0 0 10\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.CR, 0.0);
         EXPECT_EQ(st.iCi_cnt, 0);
       }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, TextRecords) {
  const Case cases[] = {
      {"one text", "ch 1 2 3 4 \"AB\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "AB");
         EXPECT_STREQ(st.ChSTR0, "AB\n");
         EXPECT_STREQ(st.MOJI_head, "ch");
         EXPECT_EQ(st.ChX, 1.0);
         EXPECT_EQ(st.ChDY, 4.0);
         EXPECT_EQ(st.iCHR_cnt, 1);
       }},
      {"the last text decides, a shorter one without newline included",
       "ch 0 0 1 0 \"LONGER\ncx 5 6 7 8\"ab", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "ab");
         EXPECT_STREQ(st.ChSTR0, "ab");
         EXPECT_STREQ(st.MOJI_head, "cx");
         EXPECT_EQ(st.ChX, 5.0);
         EXPECT_EQ(st.iCHR_cnt, 2);
       }},
      {"blanks after the quote and a closing quote belong to the text",
       "ch 0 0 1 0   \"  A B\"\r\n", "",
       [](const RunState& st) { EXPECT_STREQ(st.ChSTR, "  A B\""); }},
      {"Shift_JIS bytes pass as they stand", "ch 0 0 1 0 \"\x82\xA0\x88\x9F\n", "",
       [](const RunState& st) { EXPECT_STREQ(st.ChSTR, "\x82\xA0\x88\x9F"); }},
      {"a lone CR ends the text", "ch 0 0 1 0 \"ab\rcd\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "ab");
         EXPECT_STREQ(st.ChSTR0, "ab\rcd\n");
       }},
      {"no quote: the previous text stays", "ch 0 0 1 0 \"AB\nch 1 1 1 1 CD\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "AB");
         EXPECT_EQ(st.ChX, 1.0);
         EXPECT_EQ(st.iCHR_cnt, 2);
       }},
      {"no quote at the start: empty text", "ch 0 0 1 0 AB\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "");
         EXPECT_EQ(st.iCHR_cnt, 1);
       }},
      {"a value missing: the previous text stays", "ch 0 0 1 0 \"AB\nch 1 2 x \"CD\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "AB");
         EXPECT_EQ(st.ChY, 2.0);
         EXPECT_EQ(st.ChDX, 1.0);
       }},
      {"nothing behind the quote at the end of the file: no raw text read",
       "ch 0 0 1 0 \"AB\nch 9 0 1 0 \"", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "AB");
         EXPECT_EQ(st.ChX, 9.0);
       }},
      {"an empty text", "ch 0 0 1 0 \"AB\nch 0 0 1 0 \"\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "");
         EXPECT_STREQ(st.ChSTR0, "\n");
       }},
      {"a lone c at the end of the file is a text record", "c", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.MOJI_head, "ch"); // only the c could be read
         EXPECT_EQ(st.iCHR_cnt, 1);
       }},
      {"c and a newline", "c\n", "",
       [](const RunState& st) {
         EXPECT_STREQ(st.MOJI_head, "c\n");
         EXPECT_EQ(st.iCHR_cnt, 1);
       }},
      {"the longest text a record holds", "ch 0 0 1 0 \"" + std::string(242, 'x') + "\n", "",
       [](const RunState& st) { EXPECT_EQ(std::string(st.ChSTR), std::string(242, 'x')); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, TextSizeRecordsAreEchoedAndCaptured) {
  const Case cases[] = {
      {"cn3 then cn0", "cn3\ncn0 2 3 0.5 1\n", "cn3\ncn0 2 3 0.5 1\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJISi, 3);
         EXPECT_EQ(st.MOJIS, 0);
         EXPECT_EQ(st.MOJI_W[0], 2.0);
         EXPECT_EQ(st.MOJI_H[0], 3.0);
         EXPECT_EQ(st.MOJI_D[0], 0.5);
         EXPECT_EQ(st.MOJI_C[0], 1);
         EXPECT_EQ(st.MOJIWi, -20.0);
         EXPECT_EQ(st.MOJIHi, 20.0);
         EXPECT_EQ(st.MOJIDi, 20.0);
         EXPECT_EQ(st.MOJICi, 20);
       }},
      {"cn0 then cn3", "cn0 2 3 0.5 1\ncn3\n", "cn0 2 3 0.5 1\ncn3\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJISi, 0);
         EXPECT_EQ(st.MOJIWi, 2.0);
         EXPECT_EQ(st.MOJIHi, 3.0);
         EXPECT_EQ(st.MOJIDi, 0.5);
         EXPECT_EQ(st.MOJICi, 1);
         EXPECT_EQ(st.MOJIS, 3);
       }},
      {"commas end the read after the first value", "cn0 2, 3, 0.5, 1\n", "cn0 2, 3, 0.5, 1\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJI_W[0], 2.0);
         EXPECT_EQ(st.MOJI_H[0], 0.0);
         EXPECT_EQ(st.MOJI_C[0], 0);
         EXPECT_EQ(st.MOJIWi, 2.0);
         EXPECT_EQ(st.MOJIHi, 0.0);
       }},
      {"cn3 then cn5", "cn3\ncn5\n", "cn3\ncn5\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJISi, 3);
         EXPECT_EQ(st.MOJIS, 5);
       }},
      {"a first kind of 20 leaves the capture open", "cn20\ncn4\n", "cn20\ncn4\n",
       [](const RunState& st) { EXPECT_EQ(st.MOJISi, 4); }},
      {"kinds outside the tables are stored as read", "cn-3\ncn11\n", "cn-3\ncn11\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJISi, -3);
         EXPECT_EQ(st.MOJIS, 11);
       }},
      {"no number: the current kind is captured", "cnx\n", "cnx\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJIS, 1);
         EXPECT_EQ(st.MOJISi, 1);
       }},
      {"cn and a quote is echoed only", "cn\"abc\n", "cn\"abc\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJIS, 1);
         EXPECT_EQ(st.MOJISi, 20);
       }},
      {"cn0 that reads nothing still selects kind 0", "cn3\ncn0\n", "cn3\ncn0\n",
       [](const RunState& st) { EXPECT_EQ(st.MOJIS, 0); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, AttributeRecords) {
  const Case cases[] = {
      {"lc20 then lc5", "lc20\nlc5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLORi, 5);
         EXPECT_EQ(st.COLOR, 5);
       }},
      {"first value kept", "lc3\nlc5\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLORi, 3);
         EXPECT_EQ(st.COLOR, 5);
       }},
      {"hexadecimal layers, decimal types", "lg1a\nly1A\nlt12\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.GROUP, 26);
         EXPECT_EQ(st.GROUPi, 26);
         EXPECT_EQ(st.LAYER, 26);
         EXPECT_EQ(st.TYPE, 12);
         EXPECT_EQ(st.TYPEi, 12);
       }},
      {"hexadecimal beyond 31 bits", "lgffffffff\nly100000000\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.GROUP, -1);
         EXPECT_EQ(st.LAYER, -1);
       }},
      {"decimal beyond the int range", "lc99999999999\nlt-99999999999\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLOR, 2147483647);
         EXPECT_EQ(st.TYPE, -2147483647 - 1);
       }},
      {"a failed read captures the current value", "lcx\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLOR, 1);
         EXPECT_EQ(st.COLORi, 1);
       }},
      {"pen and text direction", "pn2\npn1f\ncc7\ncc8\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.TENS, 31);
         EXPECT_EQ(st.TENSi, 2);
         EXPECT_EQ(st.MOJIK, 8);
         EXPECT_EQ(st.MOJIKi, 7);
       }},
      {"unknown second bytes are ignored", "lx5\npq\nbx\nhx\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLORi, 20);
         EXPECT_EQ(st.isZUSUN, 0);
         EXPECT_EQ(st.stepcnt, 0);
       }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, PointAndLineRecords) {
  const Case cases[] = {
      {"hp1 and a blank", "hp1 100 200\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINT, 1);
         EXPECT_EQ(st.PX[1], 100.0);
         EXPECT_EQ(st.PY[1], 200.0);
         EXPECT_EQ(st.iPOINTcnt, 1);
       }},
      {"+, / and - read from position 5", "hp0+1 2\nhp2/3 4\nhp3-5 6\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.PX[0], 1.0);
         EXPECT_EQ(st.PY[2], 4.0);
         EXPECT_EQ(st.PX[3], 5.0);
         EXPECT_EQ(st.iPOINT, 3);
         EXPECT_EQ(st.iPOINTcnt, 3);
       }},
      {"point numbers outside 0 to 3 are counted, not stored", "hp7 1 2\nhp  -1 5 6\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINTcnt, 2);
         EXPECT_EQ(st.iPOINT, -1);
         for (int i = 0; i < 4; ++i) {
           EXPECT_EQ(st.PX[i], 0.0);
           EXPECT_EQ(st.PY[i], 0.0);
         }
       }},
      {"no number: the previous point number is used", "hp2 1 1\nhpx 7 8\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINT, 2);
         EXPECT_EQ(st.PX[2], 7.0);
         EXPECT_EQ(st.PY[2], 8.0);
       }},
      {"hp2ln", "hp2ln 5 6\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINT, 2);
         EXPECT_EQ(st.HPOINTx, 5.0);
         EXPECT_EQ(st.HPOINTy, 6.0);
         EXPECT_EQ(st.iPOINTcnt, 1);
         EXPECT_EQ(st.stepcnt, 2);
       }},
      {"hp9ch: no bound on the number", "hp9ch 1 2\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINT, 9);
         EXPECT_EQ(st.HPOINTy, 2.0);
       }},
      {"other forms do nothing", "hp1x 1 2\nhp1lx 1 2\nhp1", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINTcnt, 0);
         EXPECT_EQ(st.iPOINT, 0);
       }},
      {"a line of equal points is no line", " 0 0 0 0\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iLine_cnt, 0);
         EXPECT_EQ(st.stepcnt, 0);
       }},
      {"a line", "hq\n 0 0 10 0\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.ILINEx2, 10.0);
         EXPECT_EQ(st.iLine_cnt, 1);
         EXPECT_EQ(st.stepcnt, 3);
       }},
      {"hq sets step 1", " 0 0 1 1\nhq\n", "",
       [](const RunState& st) { EXPECT_EQ(st.stepcnt, 1); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, OtherRecords) {
  const Case cases[] = {
      {"comments and bz are echoed", "# one\nbz 1 2\n#\n", "# one\nbz 1 2\n#\n",
       [](const RunState& st) { EXPECT_EQ(st.isZUSUN, 1); }},
      {"a polyline and a comment that clears it", "pl\npl\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPL, 1);
         EXPECT_EQ(st.iPLcnt, 2);
       }},
      {"a comment clears the polyline counters", "pl\n# x\n", "# x\n",
       [](const RunState& st) {
         EXPECT_EQ(st.iPL, 0);
         EXPECT_EQ(st.iPLcnt, 1);
       }},
      {"pt, hn and z", "pt 1.5 2.5\nhn 1 2 3 4\nz17\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.KX[1], 1.5);
         EXPECT_EQ(st.KY[1], 2.5);
         EXPECT_EQ(st.PNX1, 1.0);
         EXPECT_EQ(st.PNY2, 4.0);
         EXPECT_EQ(st.ZOKU, 17);
       }},
      {"text-kind tables",
       "hcw 1 2 3 4 5 6 7 8 9 10\nhch 2\nhcd 0.5 0.25\nhcc 1 2 3 4 5 6 7 8 9 10 11\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJI_W[0], 0.0);
         EXPECT_EQ(st.MOJI_W[1], 1.0);
         EXPECT_EQ(st.MOJI_W[10], 10.0);
         EXPECT_EQ(st.MOJI_H[1], 2.0);
         EXPECT_EQ(st.MOJI_H[2], 0.0);
         EXPECT_EQ(st.MOJI_D[2], 0.25);
         EXPECT_EQ(st.MOJI_C[10], 10);
       }},
      {"the byte behind the table name is not looked at", "hcwX4 5\nhcx 9\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJI_W[1], 4.0);
         EXPECT_EQ(st.MOJI_W[2], 5.0);
       }},
      {"scale factors", "hs 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\n", "",
       [](const RunState& st) {
         EXPECT_EQ(st.G_SCALE[0], 1.0);
         EXPECT_EQ(st.G_SCALE[15], 16.0);
       }},
      {"empty lines and unknown records", "\n\nQQ\n1 2\n\x82\xA0\n", "",
       [](const RunState& st) { EXPECT_EQ(st.iCi_cnt, 0); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

// The faults mended over a naive reader.
TEST(Reader, LongLinesArePiecesOfOneRecord) {
  const std::string tail = "lc5 continued\n";
  const Case cases[] = {
      {"a comment of 300 bytes is echoed whole, the next echo on its own line",
       "#" + std::string(253, 'a') + "cn9 " + std::string(42, 'b') + "\n#next\n",
       "#" + std::string(253, 'a') + "cn9 " + std::string(42, 'b') + "\n#next\n",
       [](const RunState& st) {
         EXPECT_EQ(st.MOJIS, 1); // the second piece is no text-size record
         EXPECT_EQ(st.MOJISi, 20);
       }},
      {"the tail of a text record is no record", "ch 0 0 1 0 \"" + std::string(242, 'x') + tail, "",
       [](const RunState& st) {
         EXPECT_EQ(st.COLOR, 1);
         EXPECT_EQ(st.COLORi, 20);
         EXPECT_EQ(std::string(st.ChSTR), std::string(242, 'x'));
       }},
      {"the tail of an ignored line is not echoed even when it looks like a comment",
       std::string(254, 'x') + "# tail\n", "", [](const RunState&) {}},
      {"254 bytes and a newline: the newline alone continues the line", k254 + "\n#b\n",
       k254 + "\n#b\n", [](const RunState&) {}},
      {"the newline after 254 ignored bytes is not echoed", std::string(254, 'x') + "\n#b\n",
       "#b\n", [](const RunState&) {}},
      {"a line of three pieces", "bz" + std::string(600, 'z') + "\nlc4\n",
       "bz" + std::string(600, 'z') + "\n", [](const RunState& st) { EXPECT_EQ(st.COLOR, 4); }},
      {"an echoed long last line without newline gets one", "cn2" + std::string(300, ' '),
       "cn2" + std::string(300, ' ') + "\n", [](const RunState& st) { EXPECT_EQ(st.MOJIS, 2); }},
      {"an echoed short last line without newline gets one", "lc2\n# last", "# last\n",
       [](const RunState& st) { EXPECT_EQ(st.COLOR, 2); }},
      {"an ignored last line without newline gets none", "# first\nlc2", "# first\n",
       [](const RunState& st) { EXPECT_EQ(st.COLOR, 2); }},
      {"253 bytes and CR LF are one piece", "#" + std::string(252, 'c') + "\r\nlc6\r\n",
       "#" + std::string(252, 'c') + "\r\n", [](const RunState& st) { EXPECT_EQ(st.COLOR, 6); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, NulBytesAreEchoedButEndTheRecord) {
  const Case cases[] = {
      {"NUL bytes in a comment", std::string("# a\0b\0\n", 7), std::string("# a\0b\0\n", 7),
       [](const RunState&) {}},
      {"a value behind a NUL is not read",
       std::string("lc1\0"
                   "2\n",
                   6),
       "", [](const RunState& st) { EXPECT_EQ(st.COLOR, 1); }},
      {"the text stops at a NUL", std::string("ch 0 0 1 0 \"ab\0cd\n", 18), "",
       [](const RunState& st) {
         EXPECT_STREQ(st.ChSTR, "ab");
         EXPECT_EQ(std::string(st.ChSTR0, 4), std::string("ab\0\0", 4));
       }},
      {"blanks behind a NUL do not count", std::string("ci 1 2 3\0 \n", 11), "",
       [](const RunState& st) {
         EXPECT_EQ(st.HP, -2.0);
         EXPECT_EQ(st.CR, 3.0);
       }},
      {"a record that begins with NUL is ignored", std::string("\0#x\n", 4), "",
       [](const RunState&) {}},
      {"cn and a NUL: echoed whole, the kind read from nothing",
       std::string("cn\0"
                   "5\n",
                   5),
       std::string("cn\0"
                   "5\n",
                   5),
       [](const RunState& st) {
         EXPECT_EQ(st.MOJIS, 1);
         EXPECT_EQ(st.MOJISi, 1);
       }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, ReadsNeverStartBehindTheRecord) {
  // A short last line without newline: the reads would start behind it.
  const Case cases[] = {
      {"hs", "hs", "", [](const RunState& st) { EXPECT_EQ(st.G_SCALE[0], 1.0); }},
      {"hs and one byte", "hs1", "", [](const RunState& st) { EXPECT_EQ(st.G_SCALE[0], 1.0); }},
      {"hcw", "hcw", "", [](const RunState& st) { EXPECT_EQ(st.MOJI_W[1], 0.0); }},
      {"hcc", "hcc", "", [](const RunState& st) { EXPECT_EQ(st.MOJI_C[1], 0); }},
      {"hp1 and a blank", "hp1 ", "",
       [](const RunState& st) {
         EXPECT_EQ(st.iPOINT, 1);
         EXPECT_EQ(st.iPOINTcnt, 1);
       }},
      {"hp1ln", "hp1ln", "", [](const RunState& st) { EXPECT_EQ(st.HPOINTx, 0.0); }},
      {"cn0", "cn0", "cn0\n", [](const RunState& st) { EXPECT_EQ(st.MOJIWi, 0.0); }},
      {"z", "z", "", [](const RunState& st) { EXPECT_EQ(st.ZOKU, 0); }},
  };
  run_cases(std::begin(cases), std::end(cases));
}

TEST(Reader, ReadsAtMostTheLimit) {
  const Result r = read("lc5\n#a\nlc6\n#b\n", 0, 2);
  EXPECT_EQ(r.st->COLOR, 5);
  EXPECT_EQ(r.copy, "#a\n");
  EXPECT_EQ(r.st->iPattern, 1);

  const Result none = read("lc5\n#a\n", 0, 0);
  EXPECT_EQ(none.st->COLOR, 1);
  EXPECT_EQ(none.copy, "");

  // Pieces of a long line count toward the limit.
  const Result pieces = read("#" + std::string(300, 'x') + "\nlc5\n", 0, 2);
  EXPECT_EQ(pieces.st->COLOR, 1);
  EXPECT_EQ(pieces.copy, "#" + std::string(300, 'x') + "\n");
}

TEST(Reader, AnEmptyFileChangesNothing) {
  const Result r = read("");
  const RunState fresh{};
  EXPECT_EQ(r.copy, "");
  EXPECT_EQ(r.st->HP, 0.0);
  EXPECT_EQ(r.st->iCi_cnt, 0);
  EXPECT_STREQ(r.st->ChSTR, "");
  EXPECT_EQ(r.st->MOJIS, 1);
  EXPECT_EQ(r.st->MOJISi, fresh.MOJISi);
  EXPECT_EQ(r.st->MOJIWi, fresh.MOJIWi);
  EXPECT_EQ(r.st->COLORi, fresh.COLORi);
  EXPECT_EQ(r.st->GROUPi, fresh.GROUPi);
  EXPECT_EQ(r.st->iPattern, 1);
}

TEST(Reader, CrLfFileIsEchoedWithItsLineEnds) {
  const Result r = read("#a\r\nlc5\r\ncn3\r\nbz\rx\r\n");
  EXPECT_EQ(r.copy, "#a\r\ncn3\r\nbz\rx\r\n");
  EXPECT_EQ(r.st->MOJIS, 3);
}

TEST(Reader, Level2WritesTheTextLineAmongTheEchoes) {
  const Result r = read("#1\nch 0 0 1 0 \"A\ncn2\nch 0 0 1 0 \"B\n", 2);
  EXPECT_EQ(r.copy, "#1\n# CHR_PRO  now \ncn2\n# CHR_PRO  now \n");
  EXPECT_EQ(r.out, "");
}

TEST(Reader, Level3TracesStoredPoints) {
  const Result r =
      read("hp1 100 200\nhp2/3.25 -4\nhp3-5 6\nhp0+7 8\nhp7 1 2\nhp  -1 5 6\nhp2ln 5 6\n", 3);
  EXPECT_EQ(r.out, "##  hp1   100.00 200.00 \n"
                   "##  hp2/  3.25 -4.00 \n"
                   "##  hp3-  5.00 6.00 \n");
  EXPECT_EQ(r.copy, "");
  // Other levels print nothing for them.
  EXPECT_EQ(read("hp1 100 200\n", 2).out, "");
}

TEST(Reader, Level5TracesEveryPiece) {
  const std::string line(260, 'y');
  const Result r = read("#a\n" + line + "\nQQ", 5);
  const std::string head = "## ---- QV_PATTERN()  qvc_temp.txt processing --------\n";
  EXPECT_EQ(r.out, head + "##  qd_x=0/7 : qd_x/qd_xmax  qd_limit=150000\n" + "##  buf=(#a\n)\n" +
                       head + "##  qd_x=1/7 : qd_x/qd_xmax  qd_limit=150000\n" + "##  buf=(" +
                       line.substr(0, 254) + ")\n" + head +
                       "##  qd_x=2/7 : qd_x/qd_xmax  qd_limit=150000\n" + "##  buf=(yyyyyy\n)\n" +
                       head + "##  qd_x=3/7 : qd_x/qd_xmax  qd_limit=150000\n" + "##  buf=(QQ)\n");
  EXPECT_EQ(r.copy, "#a\n");
}

} // namespace
} // namespace curvetext
