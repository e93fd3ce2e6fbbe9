#include "util/sjis.h"

namespace curvetext {

int SPCNT(const char* s) {
  int blanks = 0;
  for (int i = 0; i < kScanCap && s[i] != '\0'; ++i) {
    if (s[i] == ' ') ++blanks;
  }
  return blanks;
}

int capped_length(const unsigned char* s) {
  int n = 0;
  while (n < kScanCap && s[n] != 0)
    ++n;
  return n;
}

int SHIFTJIS(const unsigned char* s, int i) {
  const unsigned char c = s[i];
  if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA)) return kSjisLead;
  if (c >= 0xEB && c <= 0xFC) return kSjisUnsupported;
  return kSjisSingle;
}

void copy_line_capped(unsigned char* dst, const unsigned char* src) {
  // The destination stays terminated after every byte; an empty line leaves
  // it untouched (callers that want an empty result clear it first).
  for (int i = 0; i < kCopyCap; ++i) {
    const unsigned char c = src[i];
    if (c == 0 || c == '\n' || c == '\r') return;
    dst[i] = c;
    dst[i + 1] = 0;
  }
}

} // namespace curvetext
