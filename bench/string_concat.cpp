// String building: DGStr appends and binary concatenation against
// std::string doing the same work.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/dgstr.h"

using namespace __VELTRIC__;

namespace {

void DGStrAppend(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        DGStr s;
        for (int i = 0; i < n; ++i) s += CGStr("word ");
        benchmark::DoNotOptimize(s.c_str());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void StdStringAppend(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "word ";
        benchmark::DoNotOptimize(s.c_str());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// The translated program's typical line: text + number + text.
void DGStrConcatLine(benchmark::State& state)
{
    DGStr name("score: ");
    int i = 0;
    for (auto _ : state) {
        DGStr line = name + (i++ & 1023) + CGStr(" points");
        benchmark::DoNotOptimize(line.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}

void StdStringConcatLine(benchmark::State& state)
{
    std::string name("score: ");
    int i = 0;
    for (auto _ : state) {
        std::string line = name + std::to_string(i++ & 1023) + " points";
        benchmark::DoNotOptimize(line.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}

void DGStrConcatTwoStrings(benchmark::State& state)
{
    DGStr a(std::string(static_cast<std::size_t>(state.range(0)), 'a').c_str());
    DGStr b(std::string(static_cast<std::size_t>(state.range(0)), 'b').c_str());
    for (auto _ : state) {
        DGStr c = a + b;
        benchmark::DoNotOptimize(c.c_str());
    }
}

void StdStringConcatTwoStrings(benchmark::State& state)
{
    std::string a(static_cast<std::size_t>(state.range(0)), 'a');
    std::string b(static_cast<std::size_t>(state.range(0)), 'b');
    for (auto _ : state) {
        std::string c = a + b;
        benchmark::DoNotOptimize(c.c_str());
    }
}

BENCHMARK(DGStrAppend)->Arg(16)->Arg(1000);
BENCHMARK(StdStringAppend)->Arg(16)->Arg(1000);
BENCHMARK(DGStrConcatLine);
BENCHMARK(StdStringConcatLine);
BENCHMARK(DGStrConcatTwoStrings)->Arg(8)->Arg(200);
BENCHMARK(StdStringConcatTwoStrings)->Arg(8)->Arg(200);

} // namespace

BENCHMARK_MAIN();
