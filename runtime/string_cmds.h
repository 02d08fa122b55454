#pragma once
// The dialect's string commands. Positions are 0-based byte offsets, "not
// found" is -1, case conversion is ASCII only; inputs are never changed
// unless a command says so.
#include "runtime/arrays.h"
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

int LEN(const DGStr& text);
// Length of the number's text (LEN(-12) is 3, LEN(0.25) is 3).
int LEN(int n);
int LEN(double n);

// count bytes from start (count < 0: to the end); "" when start lies
// outside 0 .. length or nothing remains.
DGStr MID_Str(const DGStr& text, int start, int count);
DGStr LCASE_Str(const DGStr& text);
DGStr UCASE_Str(const DGStr& text);
// The first byte as 0..255; 0 for "".
int ASC(const DGStr& text);
// One byte, code AND 255; "" when that is 0.
DGStr CHR_Str(int code);

// Position of find at or after start, or -1. A start other than 0 must lie
// within 0 .. length of a non-empty text; an empty find is found at start.
int INSTR(CGStr text, CGStr find, int start);
int INSTR(CGStr text, const DGStr& find, int start);
int INSTR(const DGStr& text, CGStr find, int start);
int INSTR(const DGStr& text, const DGStr& find, int start);
int INSTR(const char* text, const char* find, int start);

// Every occurrence of find replaced, left to right; the search goes on
// behind each replacement, so inserted text is never searched again. An
// empty find leaves the text unchanged.
DGStr REPLACE_Str(DGStr text, const DGStr& find, const DGStr& replacement);

// Cuts text at every byte of separators (a set; runs count as one, no empty
// pieces) into array, which is emptied first. Returns the number of pieces.
int SPLITSTR(const DGStr& text, DGArray<DGStr>& array, const DGStr& separators);

// Bounds of FORMAT$: a width beyond +-kFormatMaxChars counts as that, more
// than kFormatMaxDecimals decimals count as that many (enough to show every
// digit of any double exactly), so a text never exceeds kFormatMaxChars.
constexpr int kFormatMaxChars = 4096;
constexpr int kFormatMaxDecimals = 1074;

// value as fixed point: at least width characters (a negative width
// left-justifies) and decimals digits after the point (a negative count as
// 0), within the bounds above; a NaN width or count is 0.
DGStr FORMAT_Str(double width, double decimals, double value);

// First byte of text that is (not) one of set's bytes; null when none.
char* __findOneOf(char* text, const char* set);
char* __findOneNotOf(char* text, const char* set);

// 2 x count upper-case hex digits, high nibble first; "" when count <= 0.
DGStr __Bytes2Hex(const unsigned char* bytes, int count);

// Every backslash becomes a slash, in place.
void ReverseSlashes(DGStr& text);

} // namespace __VELTRIC__
