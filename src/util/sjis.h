// Byte-string routines shared by the reader and the layouts. Text is
// Shift_JIS: single bytes mixed with lead-and-trail byte pairs. Every routine
// reads a bounded number of bytes, whatever the string holds.
#pragma once

namespace curvetext {

// The text field of a text record: the reader takes at most this many raw
// bytes of it, and the text buffers are sized from it.
constexpr int kTextField = 260;
// No routine looks at more than this many bytes, whatever the string holds:
// more than a record holds.
constexpr int kScanCap = 257;
// A copied text never grows beyond this many bytes.
constexpr int kCopyCap = 250;
// A copy, its NUL included, fits a buffer of the text field and is measured
// whole; a capped scan of such a buffer never leaves it.
static_assert(kCopyCap < kScanCap && kScanCap <= kTextField, "the caps fit the text field");

// The host's __SPCNT and __SHIFTJIS keep their names without the double
// underscore, which is reserved to the compiler (some vendor headers define
// such names as macros). Its __STRLEN and __STRCPY are named after what they
// do: unlike the C library's strlen and strcpy they stop at 257 bytes, and at
// a line end and 250 bytes.

// Number of blanks (0x20) up to the first NUL, looking at no more than 257
// bytes.
int SPCNT(const char* s);

// Position of the first NUL, or 257 when none of the first 257 bytes is NUL.
int capped_length(const unsigned char* s);

// The classes of a byte that SHIFTJIS tells apart.
constexpr int kSjisSingle = 0;      // a single-byte character
constexpr int kSjisLead = 1;        // the lead byte of a double-byte character
constexpr int kSjisUnsupported = 2; // a lead byte we do not support

// Class of the byte at position i: kSjisLead, kSjisUnsupported or
// kSjisSingle.
int SHIFTJIS(const unsigned char* s, int i);

// Copies src into dst up to its first NUL, CR or LF, at most 250 bytes,
// leaving dst terminated after every byte copied. Writes nothing at all when
// the first byte of src already ends the line.
void copy_line_capped(unsigned char* dst, const unsigned char* src);

} // namespace curvetext
