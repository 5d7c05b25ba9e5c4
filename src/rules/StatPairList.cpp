// StatPairList -- a list of keyed float ranges {a, b}, such as a damage list by damage type.
#include "rules/StatPairList.h"

#include "core/DebugSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"

#include <algorithm>

namespace {

// Toward zero, saturating; NaN gives 0.
int32_t TruncToInt(float x)
{
    return x < 0.0f ? CeilToInt(x) : FloorToInt(x);
}

void OrderedRange(const StatPair& pair, int32_t& low, int32_t& high)
{
    low = TruncToInt(std::min(pair.a, pair.b));
    high = TruncToInt(std::max(pair.a, pair.b));
}

} // namespace

StatPair* StatPairList::Find(int32_t key, bool create)
{
    for (StatPair& pair : pairs) {
        if (pair.key == key)
            return &pair;
    }
    if (!create)
        return nullptr;
    pairs.push_back(StatPair{0.0f, 0.0f, key});
    return &pairs.back();
}

void StatPairList::Add(int32_t key, float a, float b)
{
    StatPair* pair = Find(key, true);
    pair->a += a;
    pair->b += b;
}

void StatPairList::Append(const StatPairList& other)
{
    // A copy first: other may be this list, whose entries Add can move.
    std::vector<StatPair> added = other.pairs;
    for (const StatPair& pair : added)
        Add(pair.key, pair.a, pair.b);
}

void StatPairList::Multiply(float factor)
{
    if (factor == 1.0f)
        return;
    for (StatPair& pair : pairs) {
        pair.a *= factor;
        pair.b *= factor;
    }
}

const StatPair* StatPairList::At(int32_t index) const
{
    if (index >= 0 && index < GetCount())
        return &pairs[static_cast<size_t>(index)];
    DebugSystem::Print(kPrintError, "StatPairList index %d outside 0..%d\n", index, GetCount() - 1);
    return nullptr;
}

void StatPairList::GetIntRange(int32_t index, int32_t& low, int32_t& high) const
{
    low = high = 0;
    if (const StatPair* pair = At(index))
        OrderedRange(*pair, low, high);
}

int32_t StatPairList::RollAt(int32_t index, int32_t& key) const
{
    key = 0;
    const StatPair* pair = At(index);
    if (!pair)
        return 0;
    key = pair->key;
    int32_t low = 0, high = 0;
    OrderedRange(*pair, low, high);
    return DrawRandomIndex(RandomStream::GameData, low, high);
}

void StatPairList::SumRange(int32_t& low, int32_t& high) const
{
    int64_t lowSum = 0, highSum = 0;
    for (const StatPair& pair : pairs) {
        int32_t pairLow = 0, pairHigh = 0;
        OrderedRange(pair, pairLow, pairHigh);
        lowSum += pairLow;
        highSum += pairHigh;
    }
    low = static_cast<int32_t>(std::clamp<int64_t>(lowSum, INT32_MIN, INT32_MAX));
    high = static_cast<int32_t>(std::clamp<int64_t>(highSum, INT32_MIN, INT32_MAX));
}
