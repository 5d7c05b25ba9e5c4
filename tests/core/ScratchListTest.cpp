// ScratchListTest -- lists lent for a call: nested loans apart, a list given back comes again empty with its room.
#include "core/ScratchList.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A type of its own, so that no other test's loans share this stack.
struct ScratchTestItem {
    int32_t value = 0;
};

} // namespace

TEST(ScratchList, NestedLoansAreApartAndAListGivenBackComesAgainEmptyWithItsRoom)
{
    const ScratchTestItem* outerStorage = nullptr;
    {
        ScratchList<ScratchTestItem> outer;
        outer->assign(100, ScratchTestItem{7});
        outerStorage = outer->data();
        {
            ScratchList<ScratchTestItem> inner;
            EXPECT_TRUE(inner->empty());
            inner->push_back(ScratchTestItem{1});
            EXPECT_NE(&*inner, &*outer);
        }
        ASSERT_EQ(outer->size(), 100u) << "the inner loan left the outer list alone";
        EXPECT_EQ(outer->back().value, 7);
    }
    // The outer list went back last, so it is lent first: emptied, its storage kept.
    ScratchList<ScratchTestItem> again;
    EXPECT_TRUE(again->empty());
    EXPECT_GE(again->capacity(), 100u);
    EXPECT_EQ(again->data(), outerStorage);
    ScratchList<ScratchTestItem> second;
    EXPECT_TRUE(second->empty());
    EXPECT_NE(&*second, &*again);
}
