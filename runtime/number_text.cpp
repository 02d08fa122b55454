#include "runtime/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
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

    // "%g" with ten digits chooses the form exactly as the rule does and
    // already drops trailing zeros and a bare point; only the exponent form
    // must keep its zeros ("1.000000000e+20"), so that rarer case is
    // written again in full.
    auto r = std::to_chars(out, out + kNumberTextMax - 1, v, std::chars_format::general, 10);
    std::size_t n = static_cast<std::size_t>(r.ptr - out);
    out[n] = '\0';
    if (std::memchr(out, 'e', n)) {
        r = std::to_chars(out, out + kNumberTextMax - 1, v, std::chars_format::scientific, 9);
        n = static_cast<std::size_t>(r.ptr - out);
        out[n] = '\0';
    }
    return DropLeadingZero(out, n);
}

std::size_t FormatInteger(int v, char* out)
{
    auto r = std::to_chars(out, out + kNumberTextMax - 1, v);
    *r.ptr = '\0';
    return static_cast<std::size_t>(r.ptr - out);
}

int TextToInteger(const char* s)
{
    // long long holds every value of the int range on every build; strtoll
    // gives its own ends on overflow, which clamp the same way.
    long long v = std::strtoll(s, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace __VELTRIC__
