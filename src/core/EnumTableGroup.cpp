// EnumTableGroup -- one module's enum tables, registered together the first time any of them is wanted.
#include "core/EnumTableGroup.h"

void EnumTableGroup::Register() const
{
    std::call_once(registered, [this] {
        for (const EnumTable::NameList& list : lists)
            EnumTable::RegisterNames(list);
    });
}

const EnumTable* EnumTableGroup::Find(std::string_view tableName) const
{
    Register();
    return EnumTable::Find(tableName);
}
