// CompareByOperatorTest -- each operator number against equal, smaller and larger values; an unknown number is false.
#include "client/CompareByOperator.h"

#include <gtest/gtest.h>

TEST(CompareByOperator, EachOperatorAnswersForSmallerEqualAndLarger)
{
    // For (1, 2), (2, 2) and (3, 2).
    const bool expected[5][3] = {{false, false, true},
                                 {false, true, true},
                                 {false, true, false},
                                 {true, false, false},
                                 {true, true, false}};
    for (int32_t op = 0; op < 5; ++op)
        for (int32_t x = 1; x <= 3; ++x)
            EXPECT_EQ(CompareByOperator(x, 2, op), expected[op][x - 1]) << op << " " << x;
    for (int32_t op : {-1, 5, 7})
        for (int32_t x = 1; x <= 3; ++x)
            EXPECT_FALSE(CompareByOperator(x, 2, op)) << op;
}
