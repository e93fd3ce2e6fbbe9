// Text files as the host's platform sees them, with the same bytes everywhere.
//
// The host writes and reads its files in Windows text mode. We read and write
// in binary and do the translation ourselves, so that the Linux and Windows
// builds produce identical bytes:
//  - reading, a CR LF pair arrives as one LF; a lone CR or LF stays as it is;
//  - writing, every LF becomes the line end of the interface file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace curvetext {

enum class LineEnd { lf, crlf };

// CR LF on Windows, LF elsewhere: the line end of a file that has none.
LineEnd platform_line_end();

class TextIn {
public:
  TextIn() = default;
  TextIn(const TextIn&) = delete;
  TextIn& operator=(const TextIn&) = delete;
  ~TextIn();

  bool open(const char* path);

  // Reads one piece as the C library's line read does into a buffer of
  // `size` bytes: at most size - 1 bytes, up to and including an LF, then a
  // NUL. Returns the number of bytes read (NUL bytes of the file included);
  // 0 at the end of the file or after a read error.
  std::size_t read_piece(char* buf, std::size_t size);

  // Copies what read_piece would deliver, piece after piece, into `out`
  // without cutting it into pieces first: at most `max_pieces` pieces.
  // Returns how many it copied.
  std::uint32_t copy_pieces(class TextOut& out, std::uint32_t max_pieces);

  // The line end of the file as far as it has been read: CR LF when its first
  // LF has a CR right before it, LF when not, the platform's own before any LF.
  LineEnd line_end() const { return line_end_; }

  bool failed() const { return error_; }
  bool close();

private:
  bool fill();
  void note_line_end();
  bool take_line_end();
  // The bytes from pos_ on, at most `want`, before the next LF or CR: what
  // text mode delivers as it stands.
  std::size_t ordinary_run(std::size_t want);
  // Where the next byte c is at or after pos_ (len_ when there is none).
  // A line holds one LF and seldom a CR: each is searched for once, when
  // the read has passed the last one, and not once per piece.
  std::size_t next(unsigned char c, std::size_t& cached);

  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

  std::FILE* file_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
  bool error_ = false;
  std::size_t next_lf_ = kUnknown;
  std::size_t next_cr_ = kUnknown;
  bool line_end_found_ = false;
  LineEnd line_end_ = LineEnd::lf;
  char last_byte_ = '\0';
  // Not zeroed: a byte is read only after fread has put it there, and zeroing
  // 64 KiB costs a small run a tenth of its time.
  unsigned char buf_[1 << 16];
};

class TextOut {
public:
  TextOut() = default;
  TextOut(const TextOut&) = delete;
  TextOut& operator=(const TextOut&) = delete;
  ~TextOut();

  // Opens the file again, emptied and following no link; `afresh` removes
  // whatever has the name and creates a new file in its place.
  bool open(const char* path, LineEnd line_end, bool afresh = false);

  void write(const char* data, std::size_t n);
  void print(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Flushes and closes; false when any write, the flush or the close failed.
  bool close();

private:
  void put(const char* data, std::size_t n);
  void flush();

  std::FILE* file_ = nullptr;
  LineEnd line_end_ = LineEnd::lf;
  bool error_ = false;
  std::size_t len_ = 0;
  // Not zeroed: a byte is written out only after put has put it there.
  char buf_[1 << 16];
};

} // namespace curvetext
