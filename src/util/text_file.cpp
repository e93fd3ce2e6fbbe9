#include "util/text_file.h"

#include <cstdarg>
#include <cstring>
#include <vector>

#include "util/disk.h"

namespace curvetext {

LineEnd platform_line_end() {
#if defined(_WIN32)
  return LineEnd::crlf;
#else
  return LineEnd::lf;
#endif
}

// ---------------------------------------------------------------- TextIn

TextIn::~TextIn() { close(); }

bool TextIn::open(const char* path) {
  close();
  file_ = open_regular(path);
  pos_ = len_ = 0;
  line_end_found_ = false;
  line_end_ = platform_line_end();
  last_byte_ = '\0';
  next_lf_ = next_cr_ = kUnknown;
  eof_ = error_ = false;
  if (file_ == nullptr) return false;
  // Read ahead once, so that a file that opens but cannot be read (a
  // directory, on POSIX) fails here, as it fails to open on Windows.
  fill();
  if (error_) {
    close();
    return false;
  }
  return true;
}

bool TextIn::fill() {
  if (eof_) return false;
  len_ = std::fread(buf_, 1, sizeof buf_, file_);
  pos_ = 0;
  note_line_end();
  next_lf_ = next_cr_ = kUnknown;
  if (len_ < sizeof buf_) {
    eof_ = true;
    if (std::ferror(file_)) error_ = true;
  }
  return len_ > 0;
}

// The first LF read settles the file's line end: found in passing, so the
// file is never read a second time for it.
void TextIn::note_line_end() {
  if (line_end_found_ || len_ == 0) return;
  if (const void* hit = std::memchr(buf_, '\n', len_)) {
    const unsigned char* lf = static_cast<const unsigned char*>(hit);
    line_end_ = (lf == buf_ ? last_byte_ : lf[-1]) == '\r' ? LineEnd::crlf : LineEnd::lf;
    line_end_found_ = true;
  }
  last_byte_ = static_cast<char>(buf_[len_ - 1]);
}

std::size_t TextIn::next(unsigned char c, std::size_t& cached) {
  if (cached == kUnknown || cached < pos_) {
    const void* hit = std::memchr(buf_ + pos_, c, len_ - pos_);
    cached = hit != nullptr
                 ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - buf_)
                 : len_;
  }
  return cached;
}

std::size_t TextIn::ordinary_run(std::size_t want) {
  const std::size_t lf = next('\n', next_lf_);
  const std::size_t cr = next('\r', next_cr_);
  const std::size_t k = (lf < cr ? lf : cr) - pos_;
  return k < want ? k : want;
}

// Takes the LF or CR at pos_. True for a line end: an LF, or a CR with the
// LF behind it (taken too); false for a lone CR, an ordinary byte.
bool TextIn::take_line_end() {
  if (buf_[pos_++] == '\n') return true;
  if ((pos_ < len_ || fill()) && buf_[pos_] == '\n') {
    ++pos_;
    return true;
  }
  return false;
}

std::size_t TextIn::read_piece(char* buf, std::size_t size) {
  if (file_ == nullptr || size == 0) return 0;
  const std::size_t max = size - 1;
  std::size_t n = 0;
  while (n < max) {
    if (pos_ == len_ && !fill()) break;
    // Copy the run of ordinary bytes in one go; stop at a line end or a CR.
    std::size_t want = len_ - pos_;
    if (want > max - n) want = max - n;
    const std::size_t k = ordinary_run(want);
    std::memcpy(buf + n, buf_ + pos_, k);
    n += k;
    pos_ += k;
    if (k == want) continue;
    if (take_line_end()) {
      buf[n++] = '\n';
      break;
    }
    buf[n++] = '\r';
  }
  buf[n] = '\0';
  // A read error ends the file as the C library's line read does: what it
  // delivers is not to be trusted.
  if (error_) return 0;
  return n;
}

namespace {

// Counts the pieces read_piece would deliver: a piece ends when it is full
// (254 bytes, what read_piece delivers into 255) or at a line end.
class PieceCount {
public:
  explicit PieceCount(std::uint32_t max) : max_(max) {}
  void bytes_taken(std::size_t n) {
    col_ += n;
    if (col_ == kPiece) {
      ++count_;
      col_ = 0;
    }
  }
  void line_ended() {
    ++count_;
    col_ = 0;
  }
  // A last line without a line end.
  void file_ended() {
    if (col_ > 0) ++count_;
  }
  // A piece in progress is always finished; a new one begins only below the
  // bound.
  bool more() const { return col_ > 0 || count_ < max_; }
  // Bytes the piece in progress can still take.
  std::size_t room() const { return kPiece - col_; }
  std::uint32_t count() const { return count_; }

private:
  static constexpr std::size_t kPiece = 254;
  const std::uint32_t max_;
  std::uint32_t count_ = 0;
  std::size_t col_ = 0; // bytes of the piece in progress
};

// Counts the pieces of buf[p, stop), a stretch without a CR, as long as the
// bound allows; returns where it stopped.
std::size_t count_stretch(const unsigned char* buf, std::size_t p, std::size_t stop,
                          PieceCount& pieces) {
  while (p < stop && pieces.more()) {
    const std::size_t room = pieces.room();
    const std::size_t span = stop - p < room ? stop - p : room;
    if (const void* lf = std::memchr(buf + p, '\n', span)) {
      p = static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - buf) + 1;
      pieces.line_ended();
    } else {
      p += span;
      pieces.bytes_taken(span);
    }
  }
  return p;
}

} // namespace

std::uint32_t TextIn::copy_pieces(TextOut& out, std::uint32_t max_pieces) {
  PieceCount pieces(max_pieces);
  if (file_ == nullptr) return 0;
  while (pieces.more()) {
    if (pos_ == len_ && !fill()) {
      if (!error_) pieces.file_ended();
      break;
    }
    // The bytes before the next CR stand as they are: copied in one go,
    // their pieces counted line by line.
    const std::size_t p = count_stretch(buf_, pos_, next('\r', next_cr_), pieces);
    if (p > pos_) {
      out.write(reinterpret_cast<const char*>(buf_ + pos_), p - pos_);
      pos_ = p;
      continue;
    }
    // A CR: with the LF behind it a line end, alone an ordinary byte.
    if (take_line_end()) {
      out.write("\n", 1);
      pieces.line_ended();
    } else {
      out.write("\r", 1);
      pieces.bytes_taken(1);
    }
  }
  return pieces.count();
}

bool TextIn::close() {
  if (file_ == nullptr) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

// --------------------------------------------------------------- TextOut

TextOut::~TextOut() {
  if (file_ != nullptr) close();
}

bool TextOut::open(const char* path, LineEnd line_end, bool afresh) {
  if (file_ != nullptr) close();
  file_ = afresh ? create_afresh(path) : reopen_empty(path);
  line_end_ = line_end;
  error_ = false;
  len_ = 0;
  if (file_ == nullptr) return false;
  // Our own buffer is the only one: each flush is one write of it.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

void TextOut::put(const char* data, std::size_t n) {
  while (n > 0) {
    if (len_ == sizeof buf_) flush();
    std::size_t k = sizeof buf_ - len_;
    if (k > n) k = n;
    std::memcpy(buf_ + len_, data, k);
    len_ += k;
    data += k;
    n -= k;
  }
}

void TextOut::flush() {
  if (len_ > 0 && !error_ && std::fwrite(buf_, 1, len_, file_) != len_) error_ = true;
  len_ = 0;
}

void TextOut::write(const char* data, std::size_t n) {
  if (file_ == nullptr) return;
  if (line_end_ == LineEnd::lf) {
    put(data, n);
    return;
  }
  const char* end = data + n;
  while (data < end) {
    const void* hit = std::memchr(data, '\n', static_cast<std::size_t>(end - data));
    const char* lf = hit != nullptr ? static_cast<const char*>(hit) : end;
    put(data, static_cast<std::size_t>(lf - data));
    if (lf == end) break;
    put("\r\n", 2);
    data = lf + 1;
  }
}

void TextOut::print(const char* format, ...) {
  char small[1024];
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    error_ = true;
  } else if (static_cast<std::size_t>(n) < sizeof small) {
    write(small, static_cast<std::size_t>(n));
  } else {
    // Only numbers near the double range get here (%.10f of 1e300).
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    write(big.data(), static_cast<std::size_t>(n));
  }
  va_end(again);
}

bool TextOut::close() {
  if (file_ == nullptr) return !error_;
  flush();
  if (std::fflush(file_) != 0) error_ = true;
  if (std::fclose(file_) != 0) error_ = true;
  file_ = nullptr;
  return !error_;
}

} // namespace curvetext
