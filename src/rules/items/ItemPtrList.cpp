// ItemPtrList -- a character's saved list of keyed records with a flag each (the world gates it has activated), and its saved forms.
#include "rules/items/ItemPtrList.h"

#include "core/MessageBuffer.h"

#include <algorithm>

void ItemPtrList::Add(int32_t number, int32_t value)
{
    entries.push_back({number, value, false});
}

ItemPtrEntry* ItemPtrList::Find(int32_t number, int32_t value)
{
    auto found = std::find_if(entries.begin(), entries.end(), [&](const ItemPtrEntry& entry) {
        return entry.number == number && entry.value == value;
    });
    return found == entries.end() ? nullptr : &*found;
}

ItemPtrEntry* ItemPtrList::Get(int32_t index)
{
    return index >= 0 && index < GetCount() ? &entries[static_cast<size_t>(index)] : nullptr;
}

void ItemPtrList::EnsureLoaded(const ItemPtrList& source)
{
    if (loaded)
        return;
    entries = source.entries;
    for (ItemPtrEntry& entry : entries)
        entry.flag = false;
    loaded = true;
}

void ItemPtrList::DeleteAll()
{
    entries.clear();
    loaded = false;
}

void ItemPtrList::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(GetCount());
    for (const ItemPtrEntry& entry : entries) {
        buffer.WriteInt(entry.number);
        buffer.WriteInt(entry.value);
        buffer.WriteRaw32(entry.flag ? 1 : 0);
    }
}

bool ItemPtrList::Read(MessageBuffer& buffer, int32_t version)
{
    bool withValues = version >= kFirstVersionWithValues;
    int32_t count = 0;
    if (!buffer.ReadCount(count, withValues ? 12 : 8) || count > kMaxEntries)
        return false;
    std::vector<ItemPtrEntry> read(static_cast<size_t>(count));
    for (ItemPtrEntry& entry : read) {
        entry.number = buffer.ReadInt();
        entry.value = withValues ? buffer.ReadInt() : 0;
        entry.flag = buffer.ReadRaw32() != 0;
    }
    if (buffer.Overrun())
        return false;
    if (!loaded) {
        // What was read is the list now: a later EnsureLoaded must not wipe it.
        entries = std::move(read);
        loaded = true;
        return true;
    }
    for (size_t i = 0; i < read.size(); ++i) {
        auto byNumber = std::find_if(entries.begin(), entries.end(),
                                     [&](const ItemPtrEntry& entry) { return entry.number == read[i].number; });
        ItemPtrEntry* target = flagList ? Get(static_cast<int32_t>(i)) : (byNumber == entries.end() ? nullptr : &*byNumber);
        if (target)
            target->flag = read[i].flag;
    }
    return true;
}

void ItemPtrList::WriteFlags(MessageBuffer& buffer) const
{
    for (const ItemPtrEntry& entry : entries)
        buffer.WriteInt(entry.flag ? 1 : 0);
}

bool ItemPtrList::ReadFlags(MessageBuffer& buffer)
{
    std::vector<bool> flags;
    for (size_t i = 0; i < entries.size() && !buffer.Overrun(); ++i)
        flags.push_back(buffer.ReadInt() != 0);
    if (buffer.Overrun())
        return false;
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].flag = flags[i];
    return true;
}
