// BenchAllocations -- counts the heap allocations a measured section makes, through the program's replaced operator new.
#pragma once

#include <cstdint>

// One replacement of the global allocation operators serves every benchmark of the program.
namespace BenchAllocations {

// Counting applies to the calling thread only.
void SetCounting(bool counting);
void Reset();
// The counted allocations the program made; those the graphics driver made on the counting
// thread (its shader compiler, called from inside the library) are counted apart.
int64_t Count();
int64_t DriverCount();

} // namespace BenchAllocations
