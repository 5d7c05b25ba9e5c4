// CompareByOperator -- the comparison an unlock condition names by number: greater, at least, equal, less, at most.
#pragma once

#include <cstdint>

// op 0: x > y; 1: x >= y; 2: x == y; 3: x < y; 4: x <= y; any other op is false.
bool CompareByOperator(int32_t x, int32_t y, int32_t op);
