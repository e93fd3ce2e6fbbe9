// curvetext: lays a text string out along a circle, arc or ellipse for the
// host CAD, through the interface file QVC_TEMP.TXT in the current directory.
#include "driver/driver.h"
#include "util/disk.h"

int main(int, char** argv) {
  curvetext::prepare_process();
  return curvetext::run(argv);
}
