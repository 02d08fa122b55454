// Number to text: the runtime's FormatNumber against the same rule written
// plainly over std::to_chars, and against the printf form the rule is
// defined by.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/number_text.h"

namespace {

std::vector<double> Inputs()
{
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> m(-1000.0, 1000.0);
    std::uniform_int_distribution<int> small(0, 100000);
    std::vector<double> v;
    for (int i = 0; i < 4096; ++i) {
        switch (i % 4) {
        case 0: v.push_back(small(rng)); break;              // whole numbers
        case 1: v.push_back(small(rng) / 100.0); break;      // short decimals
        case 2: v.push_back(m(rng)); break;                  // ten full digits
        default: v.push_back(m(rng) * 1e15); break;          // exponent form
        }
    }
    return v;
}

// The rule spelled out step by step on std::to_chars output.
std::size_t PlainRule(double v, char* out)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + 63, v, std::chars_format::scientific, 9);
    *r.ptr = '\0';
    int exp10 = std::atoi(std::strchr(buf, 'e') + 1);
    std::string s;
    if (exp10 < -4 || exp10 >= 10) {
        s = buf;
    } else {
        auto f = std::to_chars(buf, buf + 63, v, std::chars_format::fixed, 9 - exp10);
        s.assign(buf, f.ptr);
        if (s.find('.') == std::string::npos) s += '.';
    }
    std::size_t at = s[0] == '-' ? 1 : 0;
    if (s.compare(at, 2, "0.") == 0) s.erase(at, 1);
    if (s.find('e') == std::string::npos)
        while (s.size() >= 3 && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == ".0" || s.empty() || s == "-") s = "0";
    std::memcpy(out, s.c_str(), s.size() + 1);
    return s.size();
}

std::size_t PrintfRule(double v, char* out)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%-#.*g", 10, v);
    std::string s = buf;
    std::size_t at = s[0] == '-' ? 1 : 0;
    if (s.compare(at, 2, "0.") == 0) s.erase(at, 1);
    if (s.find('e') == std::string::npos)
        while (s.size() >= 3 && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == ".0") s = "0";
    std::memcpy(out, s.c_str(), s.size() + 1);
    return s.size();
}

template <std::size_t (*F)(double, char*)> void Run(benchmark::State& state)
{
    static const std::vector<double> in = Inputs();
    char out[64];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(F(in[i++ & 4095], out));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_TEMPLATE(Run, __VELTRIC__::FormatNumber)->Name("FormatNumber");
BENCHMARK_TEMPLATE(Run, PlainRule)->Name("ToCharsPlainRule");
BENCHMARK_TEMPLATE(Run, PrintfRule)->Name("PrintfLiteralRule");

} // namespace

BENCHMARK_MAIN();
