// curvetext-preview INPUT OUTPUT: an SVG picture of a run of curvetext, from
// the interface file the host wrote (INPUT) and the output of the run
// (OUTPUT: the work copy, or the interface file after the copy back),
// written on standard output.
//
// Exit status: 0 for a picture of everything, 1 for a picture drawn in
// spite of problems of the input (each named on standard error), 2 when no
// picture could be made.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interface_file.h"
#include "run_output.h"
#include "svg.h"

namespace {

// Whether the file can be read through, or false with a message on standard
// error naming why not. A directory opens on POSIX but fails on its first
// read, which is caught here too.
bool readable(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    std::fprintf(stderr, "curvetext-preview: cannot open %s: %s\n", path, std::strerror(errno));
    return false;
  }
  char buf[65536];
  while (std::fread(buf, 1, sizeof buf, f) > 0) {
  }
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) {
    std::fprintf(stderr, "curvetext-preview: cannot read %s: %s\n", path, std::strerror(err));
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: curvetext-preview INPUT OUTPUT > picture.svg\n"
                         "  INPUT   the interface file as the host wrote it\n"
                         "  OUTPUT  the output of the run (QVC_TEMP.104, or QVC_TEMP.TXT after "
                         "the copy back)\n");
    return 2;
  }
  if (!readable(argv[1]) || !readable(argv[2])) return 2;

  using namespace curvetext::preview;
  curvetext::InterfaceData in;
  RunOutput out;
  if (!read_interface(argv[1], in) || !read_run_output(argv[2], out)) {
    std::fprintf(stderr, "curvetext-preview: cannot read %s or %s as a regular file\n", argv[1],
                 argv[2]);
    return 2;
  }
  std::vector<std::string> warnings = out.problems;
  const std::string svg = render_svg(in, out, warnings);

  if (std::fwrite(svg.data(), 1, svg.size(), stdout) != svg.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "curvetext-preview: cannot write the picture: %s\n", std::strerror(errno));
    return 2;
  }
  for (const std::string& w : warnings)
    std::fprintf(stderr, "curvetext-preview: %s\n", w.c_str());
  return warnings.empty() ? 0 : 1;
}
