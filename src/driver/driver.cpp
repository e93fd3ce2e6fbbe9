#include "driver/driver.h"

#include <cstdio>

#include "driver/options.h"
#include "driver/usage.h"
#include "layout/layouts.h"
#include "reader/reader.h"
#include "state/run_state.h"
#include "util/disk.h"
#include "util/text_file.h"

namespace curvetext {

namespace {

constexpr const char* kInterfaceFile = "QVC_TEMP.TXT";
constexpr const char* kWorkCopy = "QVC_TEMP.104";
constexpr std::uint32_t kLineLimit = 150000;

[[noreturn]] void abort_run(const char* message, const char* name, int status) {
  std::fprintf(stderr, message, name);
  throw RunAbort{status};
}

// The host may have written the name in another letter case, and a run
// killed in an earlier version's rename chain may have left the file under
// an intermediate name.
constexpr InterfaceNames kNames{"qvc_temp.txt", "QVC_x2x2.10", "QVC_x2x2.104", kInterfaceFile};

void choose_layout(RunState& st, std::uint32_t qd_xmax) {
  const int lines = static_cast<int>(qd_xmax); // at most the line limit here
  if (st.HP == -2.0) {
    STR_ALONG_C(st, lines, 1);
  } else if (st.HP == 1.0 && st.SK != st.EK) { // NaN angles differ too
    STR_ALONG_CIE(st, lines, 1);
  } else if (st.HP < 1.0) {
    STR_ALONG_CEL(st, lines, 1);
  } else {
    NO_LAYOUT(st); // HP above 1.0 or NaN, or an arc without extent
  }
}

int run_steps(RunState& st, char** argv) {
  if (answer_query(argv)) return 0;
  st.PAI = 3.141592653589793;
  if (argv[0] != nullptr) {
    for (char** a = argv + 1; *a != nullptr; ++a) {
      const char c = (*a)[0];
      if (c == '-' || c == '/' || c == '$') opt(st, *a);
    }
  }
  if (st.isTest == 2) std::printf("\n\n#### debug #### Cmd-Option read\n");

  DirectoryLock lock;
  if (!lock.take()) abort_run("Cannot lock file: %s \n", kInterfaceFile, 1);
  if (!take_over_name(kNames)) abort_run("Cannot open file: %s \n", kInterfaceFile, -1);
  LineEnd line_end = platform_line_end();
  const std::uint32_t qd_xmax = Tcopy(kInterfaceFile, kWorkCopy, &line_end);
  if (st.isTest == 2) std::printf("#  copyed to QVC_TEMP.104 \n");

  // Reopening empties the copy: it has served to count the lines and to
  // prove that both files can be opened.
  if (!st.fpw.open(kWorkCopy, line_end)) {
    abort_run("Cannot open file: %s \n", kWorkCopy, 1);
  }
  if (qd_xmax > kLineLimit) {
    // "he  <number of elements over>    MAX=150000" in Shift_JIS.
    st.fpw.print("he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=%u\n",
                 static_cast<unsigned>(kLineLimit));
    if (!st.fpw.close()) abort_run("Cannot write file: %s \n", kWorkCopy, 1);
    return 1;
  }
  if (!st.fp.open(kInterfaceFile)) {
    st.fpw.close();
    abort_run("Cannot open file: %s \n", kInterfaceFile, 1);
  }

  QV_PATTERN(st, qd_xmax, kLineLimit);
  choose_layout(st, qd_xmax);

  if (st.isTest == 3) {
    std::printf("# ------------------ main() Pattern1 end file closing ------------------ \n");
    std::printf("# qd_xmax= %d stepcnt= %d Error(%d)\n", static_cast<int>(qd_xmax), st.stepcnt, 0);
    st.fpw.print("# ------------------ main() Pattern1 end file closing ------------------ \n");
    st.fpw.print("#    qd_xmax= %d stepcnt= %d \n", static_cast<int>(qd_xmax), st.stepcnt);
  }
  IniZokusei(st);

  st.fp.close();
  if (!st.fpw.close()) abort_run("Cannot write file: %s \n", kWorkCopy, 1);

  // The complete output replaces the interface file in one step.
  if (st.isTest == 0 && !replace_file(kWorkCopy, kInterfaceFile)) {
    abort_run("Cannot open file: %s \n", kInterfaceFile, -1);
  }
  return 0;
}

} // namespace

std::uint32_t Tcopy(const char* from, const char* to, LineEnd* line_end) {
  TextIn in;
  if (!in.open(from)) abort_run("Cannot open file: %s \n", from, -1);
  TextOut out;
  // Created afresh, so that a leftover link or FIFO under its name is never
  // written through.
  if (!out.open(to, in.line_end(), true)) abort_run("Cannot open file: %s \n", to, -1);

  // One piece over the limit is how the caller tells an over-long file.
  const std::uint32_t count = in.copy_pieces(out, kLineLimit + 1);
  if (in.failed()) abort_run("Cannot open file: %s \n", from, -1);
  if (!out.close()) abort_run("Cannot write file: %s \n", to, -1);
  if (line_end != nullptr) *line_end = in.line_end();
  in.close();
  return count;
}

int run(RunState& st, char** argv) {
  try {
    return run_steps(st, argv);
  } catch (const RunAbort& abort) {
    return abort.status;
  }
}

} // namespace curvetext
