// TradeOfferEntry -- one term of a deal between two covenants as it travels in request and notice lines: its kinds, its agreement actions, its limits and the " %d %d %d" triples both halves write and read.
#include "world/TradeOfferEntry.h"

#include "core/StringUtil.h"

#include <climits>
#include <cstdlib>

namespace {

// A whole number inside the 32-bit range: a longer one would wrap into another value.
bool TradeOfferWord(const std::string& word, int32_t& out)
{
    if (!IsIntegerText(word))
        return false;
    long long value = std::strtoll(word.c_str(), nullptr, 10);
    if (value < INT32_MIN || value > INT32_MAX)
        return false;
    out = static_cast<int32_t>(value);
    return true;
}

} // namespace

void AppendTradeOfferEntries(std::string& line, const std::vector<TradeOfferEntry>& entries)
{
    for (const TradeOfferEntry& entry : entries)
        StringAppendFormat(line, " %d %d %d", entry.side, entry.kind, entry.value);
}

bool ReadTradeOfferEntries(const std::vector<std::string>& words, size_t first, std::vector<TradeOfferEntry>& out)
{
    if (first > words.size() || (words.size() - first) % 3 != 0 ||
        (words.size() - first) / 3 > static_cast<size_t>(TradeOfferEntry::kMaxEntries))
        return false;
    std::vector<TradeOfferEntry> read;
    for (size_t i = first; i < words.size(); i += 3) {
        TradeOfferEntry entry;
        if (!TradeOfferWord(words[i], entry.side) || !TradeOfferWord(words[i + 1], entry.kind) ||
            !TradeOfferWord(words[i + 2], entry.value))
            return false;
        if (entry.side < 0 || entry.side > TradeOfferEntry::kMaxSide || entry.value < 0)
            return false;
        read.push_back(entry);
    }
    out = std::move(read);
    return true;
}
