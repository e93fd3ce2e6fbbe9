#include "layout/layouts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "state/run_state.h"
#include "support/scratch_dir.h"

namespace curvetext {
namespace {

// What the layouts write is checked by the golden cases; here, that each way
// out of each layout reports success (the host is never told otherwise).
TEST(Layouts, EveryWayOutReturnsZero) {
  const struct {
    const char* text;
    double cy, cr, h;
    int kind;
  } cases[] = {
      {"", 0, 100, 5, 1},            // empty text
      {"AB", 0, 100, 5, 11},         // unknown text kind
      {"AB", 0, 0, 5, 1},            // refused curve
      {"AB", 0, 100, 5, 1},          // laid out
      {"A\xf0@B", 0, 100, 5, 1},     // a refused byte ends the passes
      {"A", 1.7e308, 1.7e308, 5, 1}, // the outer record overflows
      {"A", 0, 1e308, -1e308, 1},    // the inner record overflows
  };
  const struct {
    int (*layout)(RunState&, int, int);
    double hp;
  } layouts[] = {{STR_ALONG_C, -2.0}, {STR_ALONG_CIE, 1.0}, {STR_ALONG_CEL, 0.5}};
  for (const auto& c : cases) {
    for (const auto& l : layouts) {
      testing::ScratchDir dir;
      auto st = std::make_unique<RunState>();
      std::strcpy(st->ChSTR, c.text);
      st->CY = c.cy;
      st->CR = c.cr;
      st->EK = 180.0;
      st->HP = l.hp;
      st->MOJIS = c.kind;
      st->MOJI_W[1] = st->MOJI_D[1] = 2.0;
      st->MOJI_H[1] = c.h;
      ASSERT_TRUE(st->fpw.open("out", LineEnd::lf));
      EXPECT_EQ(l.layout(*st, 0, 1), 0) << c.text << " on HP " << l.hp;
      EXPECT_TRUE(st->fpw.close());
    }
  }
}

} // namespace
} // namespace curvetext
