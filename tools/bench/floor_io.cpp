// The floor of a typical run: a process that opens one small file, reads it
// and writes it to another, as the tool at least must.
#include <cstdio>

int main() {
  std::FILE* in = std::fopen("QVC_TEMP.TXT", "rb");
  if (in == nullptr) return 1;
  char buf[65536];
  const std::size_t n = std::fread(buf, 1, sizeof buf, in);
  std::fclose(in);
  std::FILE* out = std::fopen("QVC_TEMP.104", "wb");
  if (out == nullptr) return 1;
  const bool ok = std::fwrite(buf, 1, n, out) == n;
  return std::fclose(out) == 0 && ok ? 0 : 1;
}
