// NetEntityState -- the class-specific state after each entity header of the game update: which kind a record's entity writes, and the reader of every kind.
#include "world/NetEntityState.h"

#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"

namespace {

// A count-prefixed list of words read into out, keeping its capacity.
template <class T, class ReadOne>
bool NetEntityStateReadList(MessageBuffer& buffer, std::vector<T>& out, ReadOne readOne)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, 4))
        return false;
    out.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        out[static_cast<size_t>(i)] = readOne();
    return !buffer.Overrun();
}

} // namespace

int32_t NetEntityStates::KindOf(const DatabaseEntry* record)
{
    if (!record)
        return NetStateKind::None;
    switch (record->GetType()) {
    case DatabaseEntryType::MonsterType:
    case DatabaseEntryType::Actor: return NetStateKind::Creature;
    case DatabaseEntryType::Class: return NetStateKind::Equipment;
    case DatabaseEntryType::Item: return NetStateKind::Item;
    case DatabaseEntryType::Money: return NetStateKind::Money;
    case DatabaseEntryType::QuestItem: return NetStateKind::QuestItem;
    case DatabaseEntryType::Projectile: return NetStateKind::Projectile;
    // The spawn system's chests are records of their own type, not objects naming their kind.
    case DatabaseEntryType::Chest: return NetStateKind::Chest;
    default: break;
    }
    if (record->GetInt("Vendor") != 0)
        return NetStateKind::Creature;
    std::string objectType = record->GetString("ObjectType");
    if (StringEqualsNoCase(objectType, "Chest"))
        return NetStateKind::Chest;
    if (StringEqualsNoCase(objectType, "Gate") || record->GetInt("Gate") != 0)
        return NetStateKind::Gate;
    return NetStateKind::None;
}

bool NetEntityStates::ReadState(MessageBuffer& buffer, int32_t kind, NetEntityState& out)
{
    out.kind = kind;
    if (kind == NetStateKind::Equipment || kind == NetStateKind::Creature)
        for (int32_t& record : out.equipment)
            record = buffer.ReadInt();
    switch (kind) {
    case NetStateKind::Creature:
        out.power = buffer.ReadInt();
        out.maxPower = buffer.ReadInt();
        out.movement = buffer.ReadInt();
        out.summoned = buffer.ReadBool();
        out.rank = buffer.ReadInt();
        if (buffer.Overrun() || !NetEntityStateReadList(buffer, out.questOffers, [&] { return buffer.ReadInt(); }))
            return false;
        out.nameSeed = buffer.ReadUInt();
        out.level = buffer.ReadInt();
        break;
    case NetStateKind::Item:
    case NetStateKind::Money:
    case NetStateKind::QuestItem: out.value = buffer.ReadInt(); break;
    case NetStateKind::Chest: out.chestClosed = buffer.ReadBool(); break;
    case NetStateKind::Projectile:
        out.beam = buffer.ReadBool();
        out.lobbed = false;
        if (out.beam) {
            for (int32_t& word : out.beamWords)
                word = buffer.ReadInt();
        } else {
            out.lobbed = buffer.ReadBool();
            if (out.lobbed)
                out.height = buffer.ReadFloat();
        }
        break;
    case NetStateKind::Gate: NetMessages::ReadRawPosition(buffer, out.gateDestination); break;
    default: break;
    }
    return !buffer.Overrun();
}
