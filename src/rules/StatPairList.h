// StatPairList -- a list of keyed float ranges {a, b}, such as a damage list by damage type.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct StatPair {
    float a = 0.0f;
    float b = 0.0f;
    int32_t key = 0;
};

// An entry's bounds need not be ordered; the reads that want a range order them. An index
// outside the list logs at level 3 and gives an empty range.
class StatPairList : public BaseClass {
public:
    // The entry of the key; with create, a new {0, 0} entry is appended when there is none.
    StatPair* Find(int32_t key, bool create);
    void Add(int32_t key, float a, float b);
    // Adds every entry of the other list to this one's entry of the same key.
    void Append(const StatPairList& other);
    // Scales both bounds of every entry; a factor of 1 changes nothing.
    void Multiply(float factor);
    // An integer drawn from the entry's truncated ordered bounds on random stream 0 (the lower
    // bound without a random system), with the entry's key; 0 and key 0 outside the list.
    int32_t RollAt(int32_t index, int32_t& key) const;
    // The entry's bounds truncated and ordered.
    void GetIntRange(int32_t index, int32_t& low, int32_t& high) const;
    // The sums of every entry's truncated lower and upper ends.
    void SumRange(int32_t& low, int32_t& high) const;

    int32_t GetCount() const { return static_cast<int32_t>(pairs.size()); }
    const std::vector<StatPair>& GetPairs() const { return pairs; }
    void Clear() { pairs.clear(); }
    // Room for that many keys, so that filling the list that far allocates nothing.
    void Reserve(size_t count) { pairs.reserve(count); }

private:
    const StatPair* At(int32_t index) const;

    std::vector<StatPair> pairs;
};
