// CompareByOperator -- the comparison an unlock condition names by number: greater, at least, equal, less, at most.
#include "client/CompareByOperator.h"

bool CompareByOperator(int32_t x, int32_t y, int32_t op)
{
    switch (op) {
    case 0: return x > y;
    case 1: return x >= y;
    case 2: return x == y;
    case 3: return x < y;
    case 4: return x <= y;
    default: return false;
    }
}
