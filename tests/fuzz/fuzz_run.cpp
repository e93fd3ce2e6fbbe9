// Fuzz target over a whole run in a scratch directory: the first byte chooses the debug level
// (and whether option arguments follow), the rest is the interface file; the output is checked
// for what must always hold.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../unit/support/scratch_dir.h"
#include "driver/driver.h"
#include "driver/usage.h"
#include "output_check.h"

namespace {

void expect(bool holds, const std::string& fault) {
  if (holds) return;
  std::fprintf(stderr, "%s\n", fault.c_str());
  std::abort();
}

// Every run in one scratch directory, entered at the first (the fuzzer
// reads its corpus directories after that: they need absolute paths) and
// removed at the end. Trace lines are not what we check: standard output
// goes nowhere, which keeps the fuzzer's output readable.
void enter_scratch_directory() {
  static const curvetext::testing::ScratchDir dir;
  static FILE* const null_out = std::freopen("/dev/null", "w", stdout);
  if (null_out == nullptr) std::abort();
}

// The arguments of the run: the first byte's debug level (low three bits);
// with its high bit set, the bytes of `rest` up to the first LF are more
// arguments, parted by NUL bytes (a "t" among them sets another level), and
// are taken off it.
std::vector<std::string> arguments(std::uint8_t first, std::string_view& rest) {
  static const char* const levels[] = {"/t0", "/t1", "/t2", "/t3", "/t4", "/t5", "/t6", "/t0"};
  std::vector<std::string> args{"curvetext", levels[first & 7]};
  if ((first & 0x80) == 0) return args;
  const std::size_t lf = rest.find('\n');
  std::string_view list = rest.substr(0, lf);
  rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  while (!list.empty()) {
    const std::size_t nul = list.find('\0');
    args.emplace_back(list.substr(0, nul));
    list = nul == std::string_view::npos ? std::string_view() : list.substr(nul + 1);
  }
  return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enter_scratch_directory();
  if (size == 0) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> args = arguments(data[0], rest);
  const std::string input(rest);
  std::remove("QVC_TEMP.104");
  std::ofstream("QVC_TEMP.TXT", std::ios::binary) << input;
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const int status = curvetext::run(argv.data());
  expect(status == 0, "run ended with status " + std::to_string(status));
  // A question for a person at the console touches no file (the golden cases show it).
  if (std::any_of(args.begin(), args.end(), [](auto& a) { return curvetext::is_query(a.c_str()); }))
    return 0;
  // At debug level 0 the output has replaced the interface file; at any
  // other the work copy holds it (which files stay, the golden cases show).
  const int level = curvetext::testing::debug_level(std::span(args).subspan(1));
  const std::string output =
      curvetext::testing::read_file(level == 0 ? "QVC_TEMP.TXT" : "QVC_TEMP.104");
  const std::string fault = curvetext::testing::check_output(input, output, level);
  expect(fault.empty(), "unsound output: " + fault);
  return 0;
}
