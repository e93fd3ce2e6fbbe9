#include "util/sjis.h"

namespace curvetext {

int __SPCNT(const char*) { return 0; }
int __STRLEN(const unsigned char* s) {
  int n = 0;
  while (n < 257 && s[n] != 0)
    ++n;
  return n;
}
int __SHIFTJIS(const unsigned char*, int) { return 0; }
void __STRCPY(unsigned char*, const unsigned char*) {}

} // namespace curvetext
