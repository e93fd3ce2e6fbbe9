#include "util/sjis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace curvetext {
namespace {

// A heap block of exactly these bytes, without a NUL behind them, so that a
// routine reading past its cap shows under AddressSanitizer.
std::unique_ptr<unsigned char[]> block(const std::string& bytes) {
  auto b = std::make_unique<unsigned char[]>(bytes.size());
  std::memcpy(b.get(), bytes.data(), bytes.size());
  return b;
}

TEST(Spcnt, CountsBlanksUpToTheNulOrTheCap) {
  struct Case {
    std::string text;
    int blanks;
  } cases[] = {
      {"", 0},
      {" a  b ", 4},
      {"a\tb", 0},
      {" 10 20 5\n", 3},
      {"10  20 5\n", 3}, // a count of blanks, not of fields
      {"a\n b", 1},      // a line feed neither counts nor stops
      {"\r \r", 1},
      {std::string(" a\0 b", 5), 1},
      {std::string(256, ' ') + "x", 256},
  };
  for (const Case& c : cases)
    EXPECT_EQ(__SPCNT(c.text.c_str()), c.blanks) << c.text;

  // 257 blanks and no NUL: the cap stops the count right at the end.
  const auto b = block(std::string(257, ' '));
  EXPECT_EQ(__SPCNT(reinterpret_cast<const char*>(b.get())), 257);
}

TEST(Strlen, PositionOfTheNulCappedAt257) {
  const auto u = [](const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.c_str());
  };
  EXPECT_EQ(__STRLEN(u("")), 0);
  EXPECT_EQ(__STRLEN(u("ab\n")), 3);
  EXPECT_EQ(__STRLEN(u("a\rb")), 3);
  EXPECT_EQ(__STRLEN(u(std::string(256, 'x'))), 256);
  EXPECT_EQ(__STRLEN(u(std::string(300, 'x'))), 257);
  EXPECT_EQ(__STRLEN(block(std::string(257, '\xff')).get()), 257);
}

TEST(Shiftjis, ClassifiesOneByteAlone) {
  struct Case {
    unsigned char byte;
    int kind;
  } cases[] = {
      {0x00, 0}, {0x41, 0}, {0x7F, 0}, {0x80, 0}, {0x81, 1}, {0x9F, 1}, {0xA0, 0},
      {0xDF, 0}, {0xE0, 1}, {0xEA, 1}, {0xEB, 2}, {0xFC, 2}, {0xFD, 0}, {0xFF, 0},
  };
  for (const Case& c : cases) {
    // The same byte behind a lead byte, behind a single byte and alone.
    const unsigned char after_lead[] = {0x82, c.byte, 0x82};
    const unsigned char after_single[] = {'A', c.byte, 0xEB};
    EXPECT_EQ(__SHIFTJIS(after_lead, 1), c.kind) << int(c.byte);
    EXPECT_EQ(__SHIFTJIS(after_single, 1), c.kind) << int(c.byte);
    EXPECT_EQ(__SHIFTJIS(&c.byte, 0), c.kind) << int(c.byte);
  }
}

std::string copy(const std::string& src, const std::string& dst_before) {
  unsigned char dst[260];
  std::memset(dst, '#', sizeof dst);
  std::memcpy(dst, dst_before.c_str(), dst_before.size() + 1);
  __STRCPY(dst, reinterpret_cast<const unsigned char*>(src.c_str()));
  return std::string(reinterpret_cast<char*>(dst));
}

TEST(Strcpy, CopiesOneLineOfAtMost250Bytes) {
  EXPECT_EQ(copy("AB\r\n", "old text"), "AB");
  EXPECT_EQ(copy("A\nB", "old"), "A");
  EXPECT_EQ(copy("A\rB", "old"), "A");
  EXPECT_EQ(copy(std::string("A\0B", 3), "old"), "A");
  EXPECT_EQ(copy("\x82\xA0\x82\xA2", ""), "\x82\xA0\x82\xA2"); // bytes as they stand
  EXPECT_EQ(copy(std::string(300, 'x'), ""), std::string(250, 'x'));
  EXPECT_EQ(copy(std::string(250, 'y'), ""), std::string(250, 'y'));
  EXPECT_EQ(copy(std::string(249, 'z'), ""), std::string(249, 'z'));
  // A short line over a longer one: terminated right behind the copy.
  EXPECT_EQ(copy("ab", "longer old text"), "ab");
}

TEST(Strcpy, AnEmptyLineWritesNothing) {
  EXPECT_EQ(copy("", "kept"), "kept");
  EXPECT_EQ(copy("\n", "kept"), "kept");
  EXPECT_EQ(copy("\rx", "kept"), "kept");
}

TEST(Strcpy, WritesNoMoreThan251Bytes) {
  const auto dst = block(std::string(251, '#'));
  const std::string src(400, 'q');
  __STRCPY(dst.get(), reinterpret_cast<const unsigned char*>(src.c_str()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.get())), std::string(250, 'q'));
}

} // namespace
} // namespace curvetext
