#include "driver/options.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "state/run_state.h"
#include "util/numbers.h"

namespace curvetext {

void OPT_STRCPY(char* dst, const char* src) {
  dst[0] = '\0';
  for (int i = 0; i < 255 && src[i] != '\0'; ++i) {
    dst[i] = src[i];
    dst[i + 1] = '\0';
  }
}

void opt(RunState& st, const char* arg) {
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
  // A prefix alone has no value; never look behind its terminating NUL.
  const char* value = letter != '\0' ? arg + 2 : arg + 1;
  const char* traced = arg + 1; // "z", "s" and the unknown letters trace it all
  switch (letter) {
  case 'e': {
    st.exiro = 0;
    st.exsyu = 0;
    if (value[0] != '\0') {
      int n = decimal_value(value);
      st.exiro = n / 10;
      st.exsyu = n % 10;
    }
    traced = value;
    break;
  }
  case 'm':
  case 'l': {
    if (value[0] != '\0') {
      double v = std::strtod(value, nullptr);
      if (v >= 0.5) (letter == 'm' ? st.dMOJI_w : st.dMOJI_d) = v; // NaN fails the test too
    }
    traced = value;
    break;
  }
  case 'k': {
    if (value[0] != '\0') {
      int n = decimal_value(value);
      if (n >= 0 && n <= 9) st.iMOJI_p = n;
    }
    traced = value;
    break;
  }
  case 't':
    st.isTest = 0;
    if (value[0] >= '1' && value[0] <= '6') st.isTest = value[0] - '0';
    traced = value;
    break;
  case 'z':
    OPT_STRCPY(st.ChS001, value);
    break;
  case 's':
    break;
  default:
    std::fputs("\n illegal Option.\n", stderr);
    break;
  }
  if (st.isTest > 2) {
    std::printf("# --- command line option ---------------\n");
    std::printf("# --- (/%s)\n", traced);
    std::printf("#      iMode(%d) iMode2(%d) iMode3(%d)\n", st.iMode, st.iMode2, st.iMode3);
  }
}

} // namespace curvetext
