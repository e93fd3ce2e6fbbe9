// Times the ellipse layout, whose walks make 20 steps per byte advance, on
// ellipses large against the advance. Each run writes its records into a
// scratch file, as the tool does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <unistd.h>

#include "layout/layouts.h"
#include "state/interface_data.h"
#include "util/debug.h"
#include "util/geometry.h"

namespace {

using curvetext::InterfaceData;
using curvetext::PAI;

class Scratch {
public:
  Scratch()
      : dir_(std::filesystem::temp_directory_path() /
             ("curvetext-bench-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string file() const { return (dir_ / "QVC_TEMP.104").string(); }

private:
  std::filesystem::path dir_;
};

// A 250-byte text with byte advance 1 (width 1, spacing 1).
std::unique_ptr<InterfaceData> ellipse(double cr, double hp, double height) {
  auto st = std::make_unique<InterfaceData>();
  st->CR = cr;
  st->HP = hp;
  st->MOJIS = 1;
  st->MOJI_W[1] = 1.0;
  st->MOJI_D[1] = 1.0;
  st->MOJI_H[1] = height;
  std::memset(st->ChSTR, 'W', 250);
  return st;
}

void run(benchmark::State& state, double cr, double hp, double height) {
  Scratch scratch;
  const std::string out = scratch.file();
  const auto st = ellipse(cr, hp, height);
  const auto fpw = std::make_unique<curvetext::TextOut>();
  std::size_t bytes = 0;
  long long steps = 0;
  for ([[maybe_unused]] auto _ : state) {
    if (!fpw->open(out.c_str(), curvetext::LineEnd::lf)) {
      state.SkipWithError("cannot write the scratch file");
      break;
    }
    curvetext::Trace trace; // at debug level 0: no trace lines
    curvetext::STR_ALONG_CEL(*st, *fpw, trace);
    steps = trace.walk_steps;
    fpw->close();
    bytes = std::filesystem::file_size(out);
  }
  state.counters["output_bytes"] = static_cast<double>(bytes);
  state.counters["walk_steps"] = static_cast<double>(steps);
}

// How many steps the layout's walks take on st's ellipse (0 when the scratch
// file cannot be written).
long long walk_steps_of(const InterfaceData& st) {
  Scratch scratch;
  const auto fpw = std::make_unique<curvetext::TextOut>();
  if (!fpw->open(scratch.file().c_str(), curvetext::LineEnd::lf)) return 0;
  curvetext::Trace trace; // at debug level 0: no trace lines
  curvetext::STR_ALONG_CEL(st, *fpw, trace);
  fpw->close();
  return trace.walk_steps;
}

// The floor of the slowest valid ellipse: as many curve points, one sine and
// one cosine each, as the layout's walks take steps on it.
void BM_CurvePointsOfTheSameWalks(benchmark::State& state) {
  const auto st = ellipse(10000.0, 0.999, 10000.0);
  const long long steps = walk_steps_of(*st);
  if (steps == 0) return;
  const double step = ((PAI + PAI) * 1.0) / (st->CR * (PAI + PAI)) * 0.05;
  for ([[maybe_unused]] auto _ : state) {
    double radtb = 0.0;
    for (long long k = 0; k < steps; ++k) {
      double p[2] = {-st->CR * std::sin(radtb), st->CR * std::cos(radtb) * st->HP};
      benchmark::DoNotOptimize(p);
      radtb += step;
    }
  }
  state.counters["walk_steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_CurvePointsOfTheSameWalks)->Unit(benchmark::kMillisecond);

// What no layout of the same bits can go below: the libm calls of the same
// walks. An inner step needs its curve point (a sine and a cosine), its
// chord's direction (an arctangent) and that direction's sine and cosine.
// Taken 16 steps at a time, call by call, as the layout does, so that the
// calls of different steps overlap.
void BM_CallsOfTheSameWalks(benchmark::State& state) {
  const auto st = ellipse(10000.0, 0.999, 10000.0);
  const long long steps = walk_steps_of(*st);
  if (steps == 0) return;
  const double step = ((PAI + PAI) * 1.0) / (st->CR * (PAI + PAI)) * 0.05;
  constexpr int kBatch = 16;
  for ([[maybe_unused]] auto _ : state) {
    double radtb = 0.0;
    double t[kBatch + 1][2] = {{0.0, -st->CR * st->HP}};
    for (long long k = 0; k < steps; k += kBatch) {
      for (int i = 1; i <= kBatch; ++i, radtb += step) {
        t[i][0] = -st->CR * std::sin(radtb);
        t[i][1] = -st->CR * std::cos(radtb) * st->HP;
      }
      double a[kBatch];
      for (int i = 0; i < kBatch; ++i)
        a[i] = std::atan2(t[i][1] - t[i + 1][1], t[i][0] - t[i + 1][0]);
      for (int i = 0; i < kBatch; ++i) {
        double inside[2] = {t[i + 1][0] - st->MOJI_H[1] * std::sin(a[i]),
                            t[i + 1][1] + st->MOJI_H[1] * std::cos(a[i])};
        benchmark::DoNotOptimize(inside);
      }
      t[0][0] = t[kBatch][0];
      t[0][1] = t[kBatch][1];
    }
  }
  state.counters["walk_steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_CallsOfTheSameWalks)->Unit(benchmark::kMillisecond);

// Text height equal to the radius: the inner curve shrinks to almost a
// point and the inner walks go round the ellipse about three times.
void BM_LargeEllipseTextHeightEqualToRadius(benchmark::State& state) {
  run(state, 10000.0, 0.999, 10000.0);
}
BENCHMARK(BM_LargeEllipseTextHeightEqualToRadius)->Unit(benchmark::kMillisecond);

// The same ellipse with an ordinary text height: each walk covers the text.
void BM_LargeEllipseOrdinaryText(benchmark::State& state) { run(state, 10000.0, 0.999, 2.0); }
BENCHMARK(BM_LargeEllipseOrdinaryText)->Unit(benchmark::kMillisecond);

// The slowest run there is: the inner search ends just short of the step
// bound and the inner placement reaches it.
void BM_InnerWalksAtTheStepBound(benchmark::State& state) { run(state, 33370.0, 0.99999, 33370.0); }
BENCHMARK(BM_InnerWalksAtTheStepBound)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
