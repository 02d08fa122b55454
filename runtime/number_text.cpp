#include "runtime/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace __VELTRIC__ {

namespace {

// Drops the zero of "0." / "-0." so that ".25" and "-.5" result.
std::size_t DropLeadingZero(char* s, std::size_t n)
{
    std::size_t at = (s[0] == '-') ? 1 : 0;
    if (n >= at + 2 && s[at] == '0' && s[at + 1] == '.') {
        std::memmove(s + at, s + at + 1, n - at); // moves the terminator too
        --n;
    }
    return n;
}

} // namespace

std::size_t FormatNumber(double v, char* out)
{
    if (!std::isfinite(v)) {
        const char* t = std::isnan(v) ? (std::signbit(v) ? "-nan" : "nan")
                                      : (v < 0 ? "-inf" : "inf");
        std::size_t n = std::strlen(t);
        std::memcpy(out, t, n + 1);
        return n;
    }
    if (v == 0.0) { // both zeros
        out[0] = '0';
        out[1] = '\0';
        return 1;
    }

    // Ten significant digits in scientific form tell the decimal exponent
    // after rounding, which decides between the two forms exactly as "%#.10g".
    char sci[kNumberTextMax];
    auto r = std::to_chars(sci, sci + sizeof sci - 1, v, std::chars_format::scientific, 9);
    *r.ptr = '\0';
    const char* e = std::strchr(sci, 'e');
    int exp10 = std::atoi(e + 1);

    if (exp10 < -4 || exp10 >= 10) {
        // Exponent form keeps its zeros: "1.000000000e+20". to_chars writes at
        // least two exponent digits, as printf does.
        std::size_t n = static_cast<std::size_t>(r.ptr - sci);
        std::memcpy(out, sci, n + 1);
        return DropLeadingZero(out, n);
    }

    auto f = std::to_chars(out, out + kNumberTextMax - 1, v, std::chars_format::fixed, 9 - exp10);
    std::size_t n = static_cast<std::size_t>(f.ptr - out);
    out[n] = '\0';
    n = DropLeadingZero(out, n);
    if (std::memchr(out, '.', n)) {
        while (n > 2 && out[n - 1] == '0')
            out[--n] = '\0';
    }
    if (n > 0 && out[n - 1] == '.')
        out[--n] = '\0';
    if (n == 2 && out[0] == '.' && out[1] == '0') {
        out[0] = '0';
        out[1] = '\0';
        n = 1;
    }
    if (n == 0 || (n == 1 && out[0] == '-')) { // a value that rounds to nothing
        out[0] = '0';
        out[1] = '\0';
        n = 1;
    }
    return n;
}

std::size_t FormatInteger(int v, char* out)
{
    auto r = std::to_chars(out, out + kNumberTextMax - 1, v);
    *r.ptr = '\0';
    return static_cast<std::size_t>(r.ptr - out);
}

} // namespace __VELTRIC__
