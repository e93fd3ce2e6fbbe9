// Times the ellipse layout, whose walks make 20 steps per byte advance, on
// ellipses large against the advance. Each run writes its records into a
// scratch file, as the tool does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <unistd.h>

#include "driver/run_state.h"
#include "layout/layouts.h"

namespace {

using curvetext::RunState;

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
void run(benchmark::State& state, double cr, double hp, double height) {
  Scratch scratch;
  const std::string out = scratch.file();
  auto st = std::make_unique<RunState>();
  st->CR = cr;
  st->HP = hp;
  st->MOJIS = 1;
  st->MOJI_W[1] = 1.0;
  st->MOJI_D[1] = 1.0;
  st->MOJI_H[1] = height;
  std::memset(st->ChSTR, 'W', 250);
  std::size_t bytes = 0;
  for (auto _ : state) {
    if (!st->fpw.open(out.c_str(), curvetext::LineEnd::lf)) {
      state.SkipWithError("cannot write the scratch file");
      break;
    }
    curvetext::STR_ALONG_CEL(*st, 10, 1);
    st->fpw.close();
    bytes = std::filesystem::file_size(out);
  }
  state.counters["output_bytes"] = static_cast<double>(bytes);
}

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
