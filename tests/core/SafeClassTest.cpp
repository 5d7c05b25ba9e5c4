// SafeClassTest -- safe pointers cleared by their target's death, re-pointing, copies; list helpers.
#include "core/SafeClass.h"

#include "core/ListUtil.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <vector>

namespace {

class Target : public SafeClass {};
class OtherTarget : public SafeClass {};

struct Counted {
    explicit Counted(int& deaths) : deaths(deaths) {}
    ~Counted() { ++deaths; }
    int& deaths;
};

} // namespace

TEST(SafePointerLife, EveryPointerIsClearedWhenItsTargetDies)
{
    auto target = std::make_unique<Target>();
    SafePointer first(target.get());
    SafePointer second;
    second.Set(target.get());
    SafePointer copy = first;
    EXPECT_EQ(copy.Get(), target.get());
    target.reset();
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), nullptr);
    EXPECT_FALSE(copy);
}

TEST(SafePointerLife, RePointedPointerIsLeftAloneByItsOldTarget)
{
    auto old = std::make_unique<Target>();
    Target current;
    SafePointer pointer(old.get());
    pointer.Set(&current);
    old.reset();
    EXPECT_EQ(pointer.Get(), &current);
    pointer.Clear();
    EXPECT_EQ(pointer.Get(), nullptr);
}

TEST(SafePointerLife, PointerThatDiesFirstIsForgottenByItsTarget)
{
    // Under the address sanitizer a stale entry would be a use after scope here.
    Target target;
    {
        SafePointer brief(&target);
        std::vector<SafePointer> many(20, brief);
        many.resize(200, brief);
    }
    SafePointer survivor(&target);
    Target copyOfTarget = target;
    SafePointer other(&copyOfTarget);
    EXPECT_EQ(survivor.Get(), &target);
    EXPECT_EQ(other.Get(), &copyOfTarget);
}

TEST(SafePointerLife, PointersLeavingFromTheFrontMiddleAndBackKeepTheRestCleared)
{
    auto target = std::make_unique<Target>();
    Target other;
    std::vector<std::unique_ptr<SafePointer>> pointers;
    for (int i = 0; i < 6; ++i)
        pointers.push_back(std::make_unique<SafePointer>(target.get()));
    // The newest joined first: leave from both ends and the middle, by death and by re-aiming.
    pointers[5].reset();
    pointers[0]->Set(&other);
    pointers[3].reset();
    pointers[2]->Clear();
    pointers[2]->Set(target.get());
    target.reset();
    EXPECT_EQ(pointers[0]->Get(), &other);
    EXPECT_EQ(pointers[1]->Get(), nullptr);
    EXPECT_EQ(pointers[2]->Get(), nullptr);
    EXPECT_EQ(pointers[4]->Get(), nullptr);
    // Aimed again after their target died, they join a live one cleanly.
    pointers[1]->Set(&other);
    pointers[4]->Set(&other);
    pointers[0].reset();
    EXPECT_EQ(pointers[1]->Get(), &other);
    EXPECT_EQ(pointers[4]->Get(), &other);
}

TEST(SafePointerLife, TypedReadRefusesAnotherClass)
{
    Target target;
    SafePointer pointer(&target);
    EXPECT_EQ(pointer.GetAs<Target>(), &target);
    EXPECT_EQ(pointer.GetAs<OtherTarget>(), nullptr);
}

TEST(ListHelpers, RemoveFirstTakesOnlyTheFirstEqualNode)
{
    int a = 0, b = 0;
    std::list<int*> list = {&a, &b, &a};
    EXPECT_TRUE(ListRemoveFirst(list, &a));
    EXPECT_EQ(list, (std::list<int*>{&b, &a}));
    int c = 0;
    EXPECT_FALSE(ListRemoveFirst(list, &c));
    EXPECT_EQ(list.size(), 2u);
}

TEST(ListHelpers, DeleteAllAndClearDestroysEachOwnedObject)
{
    int deaths = 0;
    std::vector<Counted*> owned = {new Counted(deaths), new Counted(deaths), nullptr};
    DeleteAllAndClear(owned);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(owned.empty());
}

TEST(ListHelpers, UniqueStringsAndTheirIndices)
{
    std::vector<std::string> list;
    EXPECT_TRUE(AddUniqueString(list, "a"));
    EXPECT_TRUE(AddUniqueString(list, "A"));
    EXPECT_FALSE(AddUniqueString(list, "a"));
    EXPECT_EQ(FindStringIndex(list, "A"), 1);
    EXPECT_EQ(FindStringIndex(list, "b"), -1);
}
