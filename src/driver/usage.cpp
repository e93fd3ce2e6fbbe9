#include "driver/usage.h"

#include <cstdio>
#include <cstring>

#include "util/platform.h"

#ifndef CURVETEXT_VERSION
#define CURVETEXT_VERSION "0.0.0"
#endif

namespace curvetext {

namespace {

constexpr const char* kUsage =
    "Usage: curvetext [OPTION]...\n"
    "\n"
    "Lays the text of the interface file QVC_TEMP.TXT in the current directory\n"
    "along its curve (circle, arc or ellipse): once over the top of the curve,\n"
    "once one text height inside it. The glyph records, the echoed records and\n"
    "the restored attributes replace the interface file. The host CAD starts\n"
    "the tool in the directory of the exchange; docs/interface-file.md tells\n"
    "the format.\n"
    "\n"
    "Options begin with -, / or $; the letter may be either case:\n"
    "  /tN       debug level N, 1 to 6: the output stays in QVC_TEMP.104 and\n"
    "            the interface file is kept; 2 and up trace on standard output\n"
    "  /eN /mX /lX /kN /zTEXT /s\n"
    "            accepted for the host; they do not change the output\n"
    "  --help, /?  this text      --version  the version\n"
    "\n"
    "Exit status: 0 done; 1 another run holds the directory, the file is over\n"
    "150000 lines, or the output could not be written whole; 255 (-1) the\n"
    "interface file is missing or cannot be read or replaced.\n";

} // namespace

bool is_query(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "/?") == 0 ||
         std::strcmp(arg, "--version") == 0;
}

bool answer_query(char** argv) {
  if (argv[0] == nullptr) return false;
  for (char** a = argv + 1; *a != nullptr; ++a) {
    if (!is_query(*a)) continue;
    if (std::strcmp(*a, "--version") == 0) {
      std::printf("curvetext %s (%s)\n", CURVETEXT_VERSION, kPlatform);
    } else {
      std::fputs(kUsage, stdout);
    }
    return true;
  }
  return false;
}

} // namespace curvetext
