#include "driver/options.h"

#include <cctype>
#include <cstdio>

#include "util/debug.h"

namespace curvetext {

void opt(Trace& trace, const char* arg) {
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
  // Read only behind a letter: a prefix alone ends the argument at arg[1].
  const char* value = arg + 2;
  const char* traced = arg + 1; // "z", "s" and the unknown letters trace it all
  switch (letter) {
  case 't':
    trace.isTest = DebugLevel::off;
    if (value[0] >= '1' && value[0] <= '6') trace.isTest = static_cast<DebugLevel>(value[0] - '0');
    traced = value;
    break;
  case 'e': // a colour and kind, a text width and spacing, a pen: their values
  case 'm': // are taken, whatever they are, and change nothing
  case 'l':
  case 'k':
    traced = value;
    break;
  case 'z':
  case 's':
    break;
  default:
    std::fputs("\n illegal Option.\n", stderr);
    break;
  }
  if (traces_options(trace.isTest)) {
    trace.print("# --- command line option ---------------\n");
    trace.print("# --- (/%s)\n", traced);
    trace.print("#      iMode(1) iMode2(20) iMode3(20)\n");
  }
}

} // namespace curvetext
