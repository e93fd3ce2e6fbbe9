#include "scan.h"

#include <climits>
#include <cstdlib>

namespace curvetext::preview {

std::vector<Line> split_lines(std::string_view file) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < file.size()) {
    const std::size_t lf = file.find('\n', start);
    Line line;
    if (lf == std::string_view::npos) {
      line.bytes.assign(file.substr(start));
      start = file.size();
    } else {
      std::size_t end = lf;
      if (end > start && file[end - 1] == '\r') --end;
      line.bytes.assign(file.substr(start, end - start));
      line.ended = true;
      start = lf + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

namespace {
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
} // namespace

void Scanner::skip_space() {
  while (pos_ < s_.size() && is_space(s_[pos_]))
    ++pos_;
}

bool Scanner::read(double& value) {
  if (!ok_ || pos_ >= s_.size()) return ok_ = false;
  // The record is a std::string, so its bytes end in a NUL that stops strtod.
  const char* begin = s_.c_str() + pos_;
  char* end = nullptr;
  const double v = std::strtod(begin, &end);
  if (end == begin) return ok_ = false;
  value = v;
  pos_ += static_cast<std::size_t>(end - begin);
  return true;
}

bool Scanner::read(int& value) {
  if (!ok_ || pos_ >= s_.size()) return ok_ = false;
  const char* begin = s_.c_str() + pos_;
  char* end = nullptr;
  const long long v = std::strtoll(begin, &end, 10);
  if (end == begin) return ok_ = false;
  value = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
  pos_ += static_cast<std::size_t>(end - begin);
  return true;
}

bool Scanner::expect(char c) {
  if (!ok_) return false;
  skip_space();
  if (pos_ < s_.size() && s_[pos_] == c) {
    ++pos_;
    return true;
  }
  return ok_ = false;
}

std::string Scanner::rest() const { return pos_ < s_.size() ? s_.substr(pos_) : std::string(); }

} // namespace curvetext::preview
