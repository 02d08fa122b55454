// The value layer against plain standard-library code doing the same work:
// DIMPUSH against std::vector::push_back, REPLACE$ and SPLITSTR on a 1 MB
// text against std::string code.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/arrays.h"
#include "runtime/string_cmds.h"

using namespace __VELTRIC__;

namespace {

constexpr int kNumbers = 1000000;
constexpr int kStrings = 100000;

// Texts longer than a short-string buffer, so both sides allocate per copy.
const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> t = [] {
        std::vector<std::string> v;
        char buf[64];
        for (int i = 0; i < kStrings; ++i) {
            std::snprintf(buf, sizeof buf, "line of text number %06d", i);
            v.emplace_back(buf);
        }
        return v;
    }();
    return t;
}

const std::vector<DGStr>& DGTexts()
{
    static const std::vector<DGStr> t = [] {
        std::vector<DGStr> v;
        for (const std::string& s : Texts())
            v.emplace_back(s.c_str());
        return v;
    }();
    return t;
}

// About 1 MB of words, blanks and commas.
const std::string& Megabyte()
{
    static const std::string t = [] {
        static const char* words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog,"};
        std::string s;
        for (unsigned i = 0; s.size() < (1u << 20); ++i) {
            s += words[(i * 7 + i / 8) % 8];
            s += (i % 5 == 4) ? "  " : " ";
        }
        return s;
    }();
    return t;
}

void DimpushNumbers(benchmark::State& st)
{
    for (auto _ : st) {
        DGArray<double> a;
        for (int i = 0; i < kNumbers; ++i)
            DIMPUSH(a, static_cast<double>(i));
        benchmark::DoNotOptimize(a.Data());
    }
}
BENCHMARK(DimpushNumbers)->Unit(benchmark::kMillisecond);

void VectorPushNumbers(benchmark::State& st)
{
    for (auto _ : st) {
        std::vector<double> v;
        for (int i = 0; i < kNumbers; ++i)
            v.push_back(static_cast<double>(i));
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(VectorPushNumbers)->Unit(benchmark::kMillisecond);

void DimpushStrings(benchmark::State& st)
{
    const std::vector<DGStr>& src = DGTexts();
    for (auto _ : st) {
        DGArray<DGStr> a;
        for (int i = 0; i < kStrings; ++i)
            DIMPUSH(a, src[i]);
        benchmark::DoNotOptimize(a.Data());
    }
}
BENCHMARK(DimpushStrings)->Unit(benchmark::kMillisecond);

void VectorPushStrings(benchmark::State& st)
{
    const std::vector<std::string>& src = Texts();
    for (auto _ : st) {
        std::vector<std::string> v;
        for (int i = 0; i < kStrings; ++i)
            v.push_back(src[i]);
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(VectorPushStrings)->Unit(benchmark::kMillisecond);

std::string StdReplace(const std::string& text, const std::string& find, const std::string& repl)
{
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t m = text.find(find); m != std::string::npos; m = text.find(find, from)) {
        out.append(text, from, m - from);
        out += repl;
        from = m + find.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

// range(0): 0 = same length replacement, 1 = longer replacement
void ReplaceMegabyte(benchmark::State& st)
{
    DGStr text(Megabyte().c_str());
    DGStr find(CGStr("fox")), repl(CGStr(st.range(0) ? "wolves" : "cat"));
    for (auto _ : st) {
        DGStr r = REPLACE_Str(text, find, repl);
        benchmark::DoNotOptimize(r.c_str());
    }
}
BENCHMARK(ReplaceMegabyte)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void StdReplaceMegabyte(benchmark::State& st)
{
    const std::string& text = Megabyte();
    std::string find = "fox", repl = st.range(0) ? "wolves" : "cat";
    for (auto _ : st) {
        std::string r = StdReplace(text, find, repl);
        benchmark::DoNotOptimize(r.data());
    }
}
BENCHMARK(StdReplaceMegabyte)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void SplitMegabyte(benchmark::State& st)
{
    DGStr text(Megabyte().c_str());
    DGStr seps(CGStr(" ,"));
    DGArray<DGStr> a;
    for (auto _ : st) {
        int n = SPLITSTR(text, a, seps);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(SplitMegabyte)->Unit(benchmark::kMillisecond);

void StdSplitMegabyte(benchmark::State& st)
{
    const std::string& text = Megabyte();
    const std::string seps = " ,";
    std::vector<std::string> v;
    for (auto _ : st) {
        v.clear();
        std::size_t p = text.find_first_not_of(seps);
        while (p != std::string::npos) {
            std::size_t q = text.find_first_of(seps, p);
            v.emplace_back(text, p, q == std::string::npos ? std::string::npos : q - p);
            if (q == std::string::npos)
                break;
            p = text.find_first_not_of(seps, q);
        }
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(StdSplitMegabyte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
