// Memory -- the engine allocator's byte and block counts per category, and the threshold flag.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

enum MemoryCategory : int { kMemTotal = 0, kMemGeneral = 1, kMemSound = 2, kMemGraphics = 3, kMemMusic = 4 };
constexpr int kMemCategoryCount = 5;

void* MemAlloc(size_t bytes, MemoryCategory category);
void MemFree(void* block);
void* MemAllocArray(size_t bytes, MemoryCategory category);
void MemFreeArray(void* block);

int64_t MemBytesInUse(MemoryCategory category);
int64_t MemBlocksInUse(MemoryCategory category);
// 0 means never exceeded; set by the client from "m_maxThreshold".
void SetMemoryThreshold(int64_t bytes);
int64_t GetMemoryThreshold();
// Read by the loader thread without a lock.
bool MemoryOverThreshold();
// The "printmem" lines, also printed at shut-down.
void PrintMemoryStatistics();
