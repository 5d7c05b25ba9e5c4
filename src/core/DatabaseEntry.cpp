// DatabaseEntry -- one record of the game database: its fields and the entries it inherits them from.
#include "core/DatabaseEntry.h"

#include "core/Database.h"
#include "core/StringUtil.h"

#include <cmath>

namespace {

float ParseFiniteFloat(std::string_view text)
{
    float value = ParseFloat(text);
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

std::span<const DatabaseEntry* const> DatabaseEntry::GetFullChain() const
{
    if (chainCount == 0)
        return {};
    return {database->chains.data() + firstChain, chainCount};
}

std::span<const DatabaseEntry* const> DatabaseEntry::GetBaseChain() const
{
    std::span<const DatabaseEntry* const> chain = GetFullChain();
    return chain.empty() ? chain : chain.subspan(1);
}

bool DatabaseEntry::IsDerivedFrom(const DatabaseEntry* base) const
{
    for (const DatabaseEntry* inherited : GetBaseChain()) {
        if (inherited == base)
            return true;
    }
    return false;
}

bool DatabaseEntry::IsDerivedFrom(std::string_view baseName) const
{
    const DatabaseEntry* base = database->FindEntryByName(baseName);
    return base && IsDerivedFrom(base);
}

// Calls visit with every value of the key, chain order then file order; stopAtFirst ends the
// walk after the first entry that has any. visit returns false to end the walk at once.
template <class Visit>
void DatabaseEntry::ForEachValue(std::string_view key, bool stopAtFirst, Visit visit) const
{
    int64_t keyId = database->FindKey(key);
    if (keyId < 0)
        return;
    for (const DatabaseEntry* entry : GetFullChain()) {
        bool found = false;
        const DatabaseField* field = database->fields.data() + entry->firstField;
        for (const DatabaseField* end = field + entry->fieldCount; field != end; ++field) {
            if (field->key != keyId)
                continue;
            found = true;
            if (!visit(*field))
                return;
        }
        if (found && stopAtFirst)
            return;
    }
}

const DatabaseField* DatabaseEntry::FindField(std::string_view key) const
{
    const DatabaseField* result = nullptr;
    ForEachValue(key, true, [&result](const DatabaseField& field) {
        result = &field;
        return false;
    });
    return result;
}

std::string DatabaseEntry::GetString(std::string_view key, std::string_view defaultValue) const
{
    const DatabaseField* field = FindField(key);
    return std::string(field ? field->value : defaultValue);
}

int32_t DatabaseEntry::GetInt(std::string_view key, int32_t defaultValue) const
{
    const DatabaseField* field = FindField(key);
    return field && !field->value.empty() ? ParseInt(field->value) : defaultValue;
}

float DatabaseEntry::GetFloat(std::string_view key, float defaultValue) const
{
    const DatabaseField* field = FindField(key);
    return field && !field->value.empty() ? ParseFiniteFloat(field->value) : defaultValue;
}

void DatabaseEntry::GetStringList(std::string_view key, std::vector<std::string>& out, bool clearFirst,
                                  bool stopAtFirst) const
{
    if (clearFirst)
        out.clear();
    ForEachValue(key, stopAtFirst, [&out](const DatabaseField& field) {
        out.emplace_back(field.value);
        return true;
    });
}

void DatabaseEntry::GetStringViews(std::string_view key, std::vector<std::string_view>& out, bool clearFirst,
                                   bool stopAtFirst) const
{
    if (clearFirst)
        out.clear();
    ForEachValue(key, stopAtFirst, [&out](const DatabaseField& field) {
        out.push_back(field.value);
        return true;
    });
}

void DatabaseEntry::GetIntList(std::string_view key, std::vector<int32_t>& out, bool clearFirst,
                               bool stopAtFirst) const
{
    if (clearFirst)
        out.clear();
    ForEachValue(key, stopAtFirst, [&out](const DatabaseField& field) {
        out.push_back(ParseInt(field.value));
        return true;
    });
}

void DatabaseEntry::GetFloatList(std::string_view key, std::vector<float>& out, bool clearFirst,
                                 bool stopAtFirst) const
{
    if (clearFirst)
        out.clear();
    ForEachValue(key, stopAtFirst, [&out](const DatabaseField& field) {
        out.push_back(ParseFiniteFloat(field.value));
        return true;
    });
}
