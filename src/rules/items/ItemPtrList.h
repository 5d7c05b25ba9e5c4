// ItemPtrList -- a character's saved list of keyed records with a flag each (the world gates it has activated), and its saved forms.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <vector>

class MessageBuffer;

struct ItemPtrEntry {
    // The first key (a level index) and the second (a difficulty value).
    int32_t number = 0;
    int32_t value = 0;
    bool flag = false;
};

// A list is either plain or a flag list. Reading into a list that has been made ready (filled
// from its definitions) only sets flags: a flag list by position, a plain list by entry number;
// reading into a list that is not ready makes its entries from what is read, and makes it ready.
class ItemPtrList : public BaseClass {
public:
    // Far more than a world has gates and difficulties; a saved list claiming more is refused.
    static constexpr int32_t kMaxEntries = 4096;
    // Files before this version hold no entry value.
    static constexpr int32_t kFirstVersionWithValues = 14;

    explicit ItemPtrList(bool flagList = false) : flagList(flagList) {}

    // Appends an entry, unflagged.
    void Add(int32_t number, int32_t value);
    // The entry whose two keys match; none when there is no such entry.
    ItemPtrEntry* Find(int32_t number, int32_t value);
    // Null outside the list.
    ItemPtrEntry* Get(int32_t index);
    int32_t GetCount() const { return static_cast<int32_t>(entries.size()); }
    bool IsLoaded() const { return loaded; }
    bool IsFlagList() const { return flagList; }

    // Unless the list is ready: its entries become the source's, every flag clear, and the list
    // is ready.
    void EnsureLoaded(const ItemPtrList& source);
    // Deletes every entry; the list is no longer ready.
    void DeleteAll();
    void Clear() { DeleteAll(); }

    // The count, then per entry its number, its value and a raw flag word.
    void Write(MessageBuffer& buffer) const;
    // Reads what Write wrote (without the values before kFirstVersionWithValues). A count that
    // is negative, beyond the bytes left or above kMaxEntries, or a cut list, is refused: false,
    // the list unchanged.
    bool Read(MessageBuffer& buffer, int32_t version);
    // One int32 per entry: its flag (non-zero is set).
    void WriteFlags(MessageBuffer& buffer) const;
    // As many words as the list has entries; false, no flag changed, when they are not all there.
    bool ReadFlags(MessageBuffer& buffer);

private:
    std::vector<ItemPtrEntry> entries;
    bool flagList = false;
    bool loaded = false;
};
