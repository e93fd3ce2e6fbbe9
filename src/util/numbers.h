// Decimal integers as the C library reads them, with a defined result for
// every input: a value beyond the int range saturates at its end.
#pragma once

namespace curvetext {

// Reads optional white space, an optional sign and the longest run of
// decimal digits from [p, end). On success stores the value, saturated at
// the int range, moves p behind the digits and returns true; without a digit
// returns false and leaves value unchanged (p may have moved).
bool read_decimal(const char*& p, const char* end, int& value);

// The standard decimal text-to-integer conversion of a NUL-terminated
// string (0 when it holds no number), saturated at the int range.
int decimal_value(const char* s);

} // namespace curvetext
