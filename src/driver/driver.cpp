#include "driver/driver.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "driver/options.h"
#include "driver/usage.h"
#include "layout/layouts.h"
#include "reader/reader.h"
#include "state/trailer.h"
#include "util/debug.h"
#include "util/disk.h"
#include "util/text_file.h"

namespace curvetext {

namespace {

constexpr const char* kInterfaceFile = "QVC_TEMP.TXT";
constexpr const char* kWorkCopy = "QVC_TEMP.104";

// A run that must end at once, with this process exit status. Thrown after
// the message has been written to standard error; only run() catches it.
struct RunAbort {
  int status;
};

[[noreturn]] void abort_run(const char* message, const char* name, int status) {
  std::fprintf(stderr, message, name);
  throw RunAbort{status};
}

// Tcopy, the line-limited copy: copies the text file `from` into `to` piece
// by piece, at most one piece over the line limit, and returns how many it
// copied; `line_end` receives the line end of `from` as the copy read it.
// Ends the run with status -1 when either file cannot be opened, `from`
// cannot be read or `to` cannot be written.
std::uint32_t Tcopy(const char* from, const char* to, LineEnd& line_end) {
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
  line_end = in.line_end();
  in.close();
  return count;
}

// The host may have written the name in another letter case, and a run
// killed in an earlier version's rename chain may have left the file under
// an intermediate name.
constexpr InterfaceNames kNames{"qvc_temp.txt", "QVC_x2x2.10", "QVC_x2x2.104", kInterfaceFile};

// The one layout the curve takes, or the word that none does.
void choose_layout(const InterfaceData& in, TextOut& fpw, Trace& trace) {
  switch (curve_kind_of(in)) {
  case CurveKind::circle:
    STR_ALONG_C(in, fpw, trace);
    break;
  case CurveKind::arc:
    STR_ALONG_CIE(in, fpw, trace);
    break;
  case CurveKind::ellipse:
    STR_ALONG_CEL(in, fpw, trace);
    break;
  case CurveKind::none:
    NO_LAYOUT(in, fpw);
    break;
  }
}

// The options, from left to right, into the trace: the debug level they
// leave.
void read_options(char** argv, Trace& trace) {
  if (argv[0] == nullptr) return;
  for (char** a = argv + 1; *a != nullptr; ++a) {
    const char c = (*a)[0];
    if (c == '-' || c == '/' || c == '$') opt(trace, *a);
  }
}

// The work copy, emptied: it has served to count the lines and to prove
// that both files can be opened. The over-limit record alone when the
// interface file has too many lines.
bool reopen_work_copy(TextOut& fpw, LineEnd line_end, std::uint32_t qd_xmax) {
  if (!fpw.open(kWorkCopy, line_end)) abort_run("Cannot open file: %s \n", kWorkCopy, 1);
  if (qd_xmax <= kLineLimit) return true;
  // "he  <number of elements over>    MAX=150000" in Shift_JIS.
  fpw.print("he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=%u\n",
            static_cast<unsigned>(kLineLimit));
  if (!fpw.close()) abort_run("Cannot write file: %s \n", kWorkCopy, 1);
  return false;
}

// The output: the reader's echoes, the layout's records, the closing trace
// lines and the trailer.
void write_output(TextIn& fp, TextOut& fpw, Trace& trace) {
  const InterfaceData in = QV_PATTERN(fp, fpw, trace, kLineLimit);
  choose_layout(in, fpw, trace);
  if (trace.at(DebugLevel::points)) {
    const int lines = static_cast<int>(trace.qd_xmax); // at most the line limit here
    trace.print("# ------------------ main() Pattern1 end file closing ------------------ \n");
    trace.print("# qd_xmax= %d stepcnt= %d Error(%d)\n", lines, trace.stepcnt, 0);
    fpw.print("# ------------------ main() Pattern1 end file closing ------------------ \n");
    fpw.print("#    qd_xmax= %d stepcnt= %d \n", lines, trace.stepcnt);
  }
  IniZokusei(in.captures, fpw);
}

// The run, with the two files it reads and writes.
int run_steps(TextIn& fp, TextOut& fpw, char** argv) {
  if (answer_query(argv)) return 0;
  Trace trace; // on standard output
  read_options(argv, trace);
  if (trace.at(DebugLevel::trace)) trace.print("\n\n#### debug #### Cmd-Option read\n");

  DirectoryLock lock;
  switch (lock.take()) {
  case LockResult::taken:
    break;
  case LockResult::held:
    abort_run("Cannot lock file: %s \n", kInterfaceFile, 1);
  case LockResult::no_new_file: // the work copy could not be made either
    abort_run("Cannot open file: %s \n", kWorkCopy, -1);
  }
  if (!take_over_name(kNames)) abort_run("Cannot open file: %s \n", kInterfaceFile, -1);
  LineEnd line_end = platform_line_end();
  const std::uint32_t qd_xmax = Tcopy(kInterfaceFile, kWorkCopy, line_end);
  trace.qd_xmax = qd_xmax;
  if (trace.at(DebugLevel::trace)) trace.print("#  copyed to QVC_TEMP.104 \n");
  if (!reopen_work_copy(fpw, line_end, qd_xmax)) return 1;
  if (!fp.open(kInterfaceFile)) {
    fpw.close();
    abort_run("Cannot open file: %s \n", kInterfaceFile, 1);
  }

  write_output(fp, fpw, trace);
  fp.close();
  if (!fpw.close()) abort_run("Cannot write file: %s \n", kWorkCopy, 1);

  // The complete output replaces the interface file in one step.
  if (trace.at(DebugLevel::off) && !replace_file(kWorkCopy, kInterfaceFile)) {
    abort_run("Cannot open file: %s \n", kInterfaceFile, -1);
  }
  return 0;
}

} // namespace

int run(char** argv) {
  // The two files' buffers are large: off the stack.
  struct Files {
    TextIn fp;   // the interface file, for the reader
    TextOut fpw; // the work copy: every output record goes here
  };
  const auto files = std::make_unique<Files>();
  try {
    return run_steps(files->fp, files->fpw, argv);
  } catch (const RunAbort& abort) {
    return abort.status;
  }
}

} // namespace curvetext
