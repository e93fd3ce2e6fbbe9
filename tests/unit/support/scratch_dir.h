// A fresh directory for tests that touch files, entered for the test's
// lifetime and removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace curvetext::testing {

class ScratchDir {
public:
  ScratchDir() {
    static int serial = 0;
    std::filesystem::create_directories(path_ /= "curvetext-unit-" + std::to_string(::getpid()) +
                                                 "-" + std::to_string(serial++));
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

private:
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::filesystem::path path_ = std::filesystem::temp_directory_path();
};

inline void write_file(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string read_file(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace curvetext::testing
