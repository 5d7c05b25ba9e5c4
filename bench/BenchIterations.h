// BenchIterations -- the run length of a benchmark that fixes its own, cut to one for the suite's smoke run.
#pragma once

#include <cstdint>
#include <cstdlib>

// The suite's smoke run ("EMBERLODE_BENCH_SMOKE" set) proves that every benchmark starts and
// ends; Google Benchmark's least time does not shorten a benchmark whose iterations are fixed.
inline int64_t BenchIterations(int64_t count)
{
    return std::getenv("EMBERLODE_BENCH_SMOKE") ? 1 : count;
}
