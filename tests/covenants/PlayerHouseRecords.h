// PlayerHouseRecords -- the records a player covenant's house is built from, for the tests of the covenant and of joining.
#pragma once

// The player's covenant definition, the house's five objects and the first bag of a new covenant.
constexpr const char* kPlayerHouseRecords = R"(
Human
{
    Type Covenant
    Name "$$CovenantHuman$$"
}
ObjectCovenantStash
{
    Type Object
    ObjectType Stash
}
ObjectBookshelf
{
    Type Object
    ObjectType Stash
}
ObjectPlayerStash
{
    Type Object
    ObjectType Stash
    PlayerStash 1
}
ObjectLifestone
{
    Type Object
}
ObjectGate
{
    Type Object
    ObjectType Gate
}
Bag1
{
    Type Item
    ItemType Bag
    AlwaysIdentified 1
    BagSize 10
}
)";
