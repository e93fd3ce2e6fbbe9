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

// The first `max` pieces of the file "in" into "out", either as
// copy_pieces copies them or piece by piece as read_piece delivers them.
std::pair<std::uint32_t, std::string> copy(std::uint32_t max, LineEnd le, bool bulk) {
  TextIn in;
  TextOut out;
  EXPECT_TRUE(in.open("in") && out.open("out", le));
  std::uint32_t count = 0;
  char piece[255];
  for (std::size_t n; !bulk && count < max && (n = in.read_piece(piece, sizeof piece)) > 0; ++count)
    out.write(piece, n);
  if (bulk) count = in.copy_pieces(out, max);
  EXPECT_TRUE(out.close());
  return {count, read_file("out")};
}

// Lines of every length around the piece size, CR and CR LF where they
// straddle a piece or a read buffer, NUL bytes, with and without a last
// line end: the bulk copy must cut exactly where the piece reads cut.
TEST(TextIn, CopyPiecesEqualsReadingPieceByPiece) {
  ScratchDir dir;
  // First a CR as the last byte of the 64 KiB read buffer, its LF the first
  // of the next, and CR LF pairs on either side of a piece boundary.
  const std::string a(65535, 'a'), c(253, 'c');
  const std::string edges[] = {
      a + "\r\nb\n", a + "\rb\n", c + "\r\n" + c + "\r\r\n", std::string(254, 'd') + "\r\n",
      "\r",          "\r\r\n\r"};
  std::mt19937 rng(20261206);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\0', ' '};
  for (int round = 0; round < 306; ++round) {
    std::string data = round < 6 ? edges[round] : "";
    for (int l = round < 6 ? 0 : static_cast<int>(rng() % 40); l > 0; --l) {
      const int kind = static_cast<int>(rng() % 4);
      std::size_t len = kind == 0 ? rng() % 8 : kind == 1 ? 250 + rng() % 10 : rng() % 600;
      for (std::size_t i = 0; i < len; ++i) {
        const unsigned r = static_cast<unsigned>(rng() % 40);
        data += r < 34 ? 'x' : alphabet[r - 34];
      }
      data += rng() % 3 == 0 ? "\r\n" : "\n";
    }
    if (round % 7 == 0 && round >= 6) data += std::string(70000 + rng() % 1000, 'y');
    if (round % 2 == 0 && round >= 6 && !data.empty()) data.pop_back();
    write_file("in", data);
    for (std::uint32_t max : {0u, 1u, 2u, 3u, 50u, 150001u}) {
      for (LineEnd le : {LineEnd::lf, LineEnd::crlf})
        EXPECT_EQ(copy(max, le, true), copy(max, le, false)) << "round " << round << " max " << max;
    }
  }
}

} // namespace
} // namespace curvetext
