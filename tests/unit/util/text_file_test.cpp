#include "util/text_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/scratch_dir.h"

namespace curvetext {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

// What the copy must equal: the file read piece by piece as the C library's
// line read delivers it, each piece written out, at most max pieces.
std::pair<std::uint32_t, std::string> piece_by_piece(std::uint32_t max, LineEnd le) {
  TextIn in;
  TextOut out;
  EXPECT_TRUE(in.open("in"));
  EXPECT_TRUE(out.open("expected", le));
  std::uint32_t count = 0;
  char piece[255];
  while (count < max) {
    const std::size_t n = in.read_piece(piece, sizeof piece);
    if (n == 0) break;
    ++count;
    out.write(piece, n);
  }
  EXPECT_TRUE(out.close());
  return {count, read_file("expected")};
}

std::pair<std::uint32_t, std::string> bulk(std::uint32_t max, LineEnd le) {
  TextIn in;
  TextOut out;
  EXPECT_TRUE(in.open("in"));
  EXPECT_TRUE(out.open("actual", le));
  const std::uint32_t count = in.copy_pieces(out, max);
  EXPECT_TRUE(out.close());
  return {count, read_file("actual")};
}

// Lines of every length around the piece size, CR and CR LF where they
// straddle a piece or a read buffer, NUL bytes, with and without a last
// line end: the bulk copy must cut exactly where the piece reads cut.
TEST(TextIn, CopyPiecesEqualsReadingPieceByPiece) {
  ScratchDir dir;
  std::mt19937 rng(20261206);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\0', ' '};
  for (int round = 0; round < 300; ++round) {
    std::string data;
    const int lines = static_cast<int>(rng() % 40);
    for (int l = 0; l < lines; ++l) {
      const int kind = static_cast<int>(rng() % 4);
      std::size_t len = kind == 0 ? rng() % 8 : kind == 1 ? 250 + rng() % 10 : rng() % 600;
      for (std::size_t i = 0; i < len; ++i) {
        const unsigned r = static_cast<unsigned>(rng() % 40);
        data += r < 34 ? 'x' : alphabet[r - 34];
      }
      data += rng() % 3 == 0 ? "\r\n" : "\n";
    }
    if (round % 7 == 0) data += std::string(70000 + rng() % 1000, 'y'); // beyond one buffer
    if (round % 2 == 0 && !data.empty()) data.pop_back();
    write_file("in", data);
    for (std::uint32_t max : {0u, 1u, 3u, 50u, 150001u}) {
      for (LineEnd le : {LineEnd::lf, LineEnd::crlf}) {
        EXPECT_EQ(bulk(max, le), piece_by_piece(max, le)) << "round " << round << " max " << max;
      }
    }
  }
}

TEST(TextIn, CopyPiecesAtBufferEdges) {
  ScratchDir dir;
  // A CR as the last byte of the 64 KiB read buffer, its LF the first of
  // the next; and a CR LF pair on either side of a piece boundary.
  const std::string cases[] = {
      std::string(65535, 'a') + "\r\nb\n",
      std::string(65535, 'a') + "\rb\n",
      std::string(253, 'c') + "\r\n" + std::string(253, 'c') + "\r\r\n",
      std::string(254, 'd') + "\r\n",
      "\r",
      "\r\r\n\r",
  };
  for (const std::string& data : cases) {
    write_file("in", data);
    EXPECT_EQ(bulk(150001, LineEnd::crlf), piece_by_piece(150001, LineEnd::crlf));
    EXPECT_EQ(bulk(2, LineEnd::lf), piece_by_piece(2, LineEnd::lf));
  }
}

TEST(LineEndOf, FirstLineEndDecides) {
  ScratchDir dir;
  const struct {
    const char* data;
    LineEnd expected;
  } cases[] = {{"a\r\nb\n", LineEnd::crlf}, {"a\nb\r\n", LineEnd::lf}, {"\r\n", LineEnd::crlf},
               {"a\r\r\n", LineEnd::crlf},  {"a\rb\n", LineEnd::lf},   {"", platform_line_end()},
               {"abc", platform_line_end()}};
  for (const auto& c : cases) {
    write_file("f", c.data);
    EXPECT_EQ(line_end_of("f"), c.expected) << c.data;
  }
  // The CR ends one read chunk, its LF begins the next.
  write_file("f", std::string((1 << 14) - 1, 'a') + "\r\n");
  EXPECT_EQ(line_end_of("f"), LineEnd::crlf);
  write_file("f", std::string(1 << 14, 'a') + "\n\r\n");
  EXPECT_EQ(line_end_of("f"), LineEnd::lf);
  EXPECT_EQ(line_end_of("absent"), platform_line_end());
}

} // namespace
} // namespace curvetext
