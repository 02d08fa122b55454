#pragma once
// The one rule by which a number becomes text anywhere in the runtime
// (string operators, PRINT of a number, LEN of a number, WRITELINE), and the
// one rule by which a text becomes a whole number.
#include <cstddef>

namespace __VELTRIC__ {

// Room that always suffices for FormatNumber / FormatInteger, terminator included.
constexpr std::size_t kNumberTextMax = 64;

// Ten significant digits, no zero before the point (".25"), no trailing zeros
// or point ("100"), exponent form ("1.000000000e+20") when the decimal
// exponent is below -4 or at least 10. Negative zero is "0"; NaN and the
// infinities read "nan", "-nan", "inf", "-inf". Writes a terminated text into
// out (at least kNumberTextMax bytes) and returns its length.
std::size_t FormatNumber(double v, char* out);

// Plain decimal ("%d").
std::size_t FormatInteger(int v, char* out);

// Leading blanks, a sign and decimal digits, as atoi reads them (a text
// without a number gives 0); a value beyond the int range gives the nearest
// end of it. atoi itself leaves that case undefined, and glibc's gives other
// numbers where long has 32 bits than where it has 64.
int TextToInteger(const char* s);

} // namespace __VELTRIC__
