#include "util/sjis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace curvetext {
namespace {

using namespace std::string_literals;

const unsigned char* bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.c_str());
}

TEST(Sjis, SpcntAndCappedLengthLookAtNoMoreThan257Bytes) {
  const struct {
    std::string text;
    int blanks, length;
  } cases[] = {{"", 0, 0},           {" a  b ", 4, 6},
               {"a\tb", 0, 3},       {" 10 20 5\n", 3, 9},
               {"10  20 5\n", 3, 9}, // a count of blanks, not of fields
               {"a\n b\r", 1, 5},    // line ends neither count nor stop
               {" a\0 b"s, 1, 2},    {std::string(300, ' '), 257, 257}};
  for (const auto& c : cases) {
    EXPECT_EQ(SPCNT(c.text.c_str()), c.blanks) << c.text;
    EXPECT_EQ(capped_length(bytes(c.text)), c.length) << c.text;
  }
  // 257 blanks and no NUL: the cap stops both right at the end.
  const auto block = std::make_unique<unsigned char[]>(257);
  std::memset(block.get(), ' ', 257);
  EXPECT_EQ(SPCNT(reinterpret_cast<const char*>(block.get())), 257);
  EXPECT_EQ(capped_length(block.get()), 257);
}

TEST(Sjis, ShiftjisClassifiesOneByteAlone) {
  const struct {
    unsigned char byte;
    int kind;
  } cases[] = {{0x00, 0}, {0x41, 0}, {0x7F, 0}, {0x80, 0}, {0x81, 1}, {0x9F, 1}, {0xA0, 0},
               {0xDF, 0}, {0xE0, 1}, {0xEA, 1}, {0xEB, 2}, {0xFC, 2}, {0xFD, 0}, {0xFF, 0}};
  for (const auto& c : cases) {
    const unsigned char after_lead[] = {0x82, c.byte, 0x82};
    EXPECT_EQ(SHIFTJIS(after_lead, 1), c.kind) << int(c.byte);
    EXPECT_EQ(SHIFTJIS(&c.byte, 0), c.kind) << int(c.byte);
  }
}

TEST(Sjis, CopyLineCappedCopiesOneLineOfAtMost250Bytes) {
  const struct {
    std::string src, before, after;
  } cases[] = {{"AB\r\n", "old text", "AB"},
               {"A\nB", "old", "A"},
               {"A\rB", "old", "A"},
               {"A\0B"s, "old", "A"},
               {"\x82\xA0\x82\xA2", "", "\x82\xA0\x82\xA2"},
               {std::string(300, 'x'), "", std::string(250, 'x')},
               {std::string(249, 'z'), "", std::string(249, 'z')},
               {"", "kept", "kept"},
               {"\n", "kept", "kept"},
               {"\rx", "kept", "kept"}}; // empty: nothing written
  for (const auto& c : cases) {
    unsigned char dst[260];
    std::memset(dst, '#', sizeof dst);
    std::memcpy(dst, c.before.c_str(), c.before.size() + 1);
    copy_line_capped(dst, bytes(c.src));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dst)), c.after);
  }
  // No more than 251 bytes written.
  const auto dst = std::make_unique<unsigned char[]>(251);
  copy_line_capped(dst.get(), bytes(std::string(400, 'q')));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.get())), std::string(250, 'q'));
}

} // namespace
} // namespace curvetext
