// BenchAllocations -- counts the heap allocations a measured section makes, through the program's replaced operator new.
#pragma once

#include <cstdint>

// One replacement of the global allocation operators serves every benchmark of the program.
namespace BenchAllocations {

// Counting applies to the calling thread only.
void SetCounting(bool counting);
void Reset();
int64_t Count();

} // namespace BenchAllocations
