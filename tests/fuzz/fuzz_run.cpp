// Fuzz target over a whole run: the first byte chooses the debug level, the
// rest is the interface file. The run goes through the driver, the reader,
// the chosen layout and the trailer in a scratch directory, and its output
// is checked for what must always hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

#include "driver/driver.h"
#include "driver/run_state.h"
#include "output_check.h"

namespace {

std::string slurp(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void enter_scratch_directory() {
  static bool done = false;
  if (done) return;
  done = true;
  char pattern[] = "/tmp/curvetext-fuzz.XXXXXX";
  if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0) std::abort();
  // Trace lines are not what we check; keep the fuzzer's output readable.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enter_scratch_directory();
  if (size == 0) return 0;
  static const char* const levels[] = {"/t0", "/t1", "/t2", "/t3", "/t4", "/t5", "/t6", "/t0"};
  const int level = data[0] & 7;
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

  std::remove("QVC_TEMP.104");
  std::ofstream("QVC_TEMP.TXT", std::ios::binary) << input;

  auto st = std::make_unique<curvetext::RunState>();
  char prog[] = "curvetext";
  char arg[4];
  std::snprintf(arg, sizeof arg, "%s", levels[level]);
  char* argv[] = {prog, arg, nullptr};
  const int status = curvetext::run(*st, argv);
  if (status != 0) {
    std::fprintf(stderr, "run ended with status %d\n", status);
    std::abort();
  }
  const std::string output = slurp(level % 7 == 0 ? "QVC_TEMP.TXT" : "QVC_TEMP.104");
  const std::string fault = curvetext::testing::check_output(input, output);
  if (!fault.empty()) {
    std::fprintf(stderr, "unsound output: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
