// curvetext: lays a text string out along a circle, arc or ellipse for the
// host CAD, through the interface file QVC_TEMP.TXT in the current directory.
#include <cstdio>

#include "driver/driver.h"
#include "util/disk.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int, char** argv) {
#if defined(_WIN32)
  // Trace lines and messages end in a bare LF on every platform.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  curvetext::prepare_process();
  return curvetext::run(argv);
}
