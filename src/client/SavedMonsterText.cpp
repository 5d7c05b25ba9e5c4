// SavedMonsterText -- the words for a monster a character's statistics remember (the strongest defeated, the toughest battle, the strongest and weakest killers): its kind, rank and level.
#include "client/SavedMonsterText.h"

#include "core/ColorSystem.h"
#include "core/ColorCode.h"
#include "core/StringUtil.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"

namespace {

// Ranks 1 and 2 are champions, 3 and 4 elites.
std::string SavedMonsterTextName(const MonsterType& type, int32_t rank)
{
    if (type.renegade)
        return "$$SavedMonsterTextRenegade$$";
    if (type.thief)
        return "$$SavedMonsterTextThief$$";
    std::string text;
    if (rank > 0 && gGameData)
        text += gGameData->GetMonsterRarityColorCode(rank);
    if (rank == 3 || rank == 4)
        text += "$$Elite$$ ";
    text += type.name;
    if (rank == 1 || rank == 2)
        text += " $$Champion$$";
    return text;
}

} // namespace

std::string SavedMonsterText(int32_t kind, int32_t packed, bool withFurtherLevel)
{
    const MonsterType* type = kind != -1 && gGameData ? gGameData->GetMonsterType(kind) : nullptr;
    if (!type)
        return "$$SavedMonsterTextNone$$";
    auto word = static_cast<uint32_t>(packed);
    int32_t level = static_cast<int32_t>(word & 0xFF);
    int32_t rank = static_cast<int32_t>(word >> 8 & 0xFF);
    int32_t furtherLevel = static_cast<int32_t>(word >> 16 & 0xFF);
    std::string text = SavedMonsterTextName(*type, rank);
    if (rank > 0)
        text += MakeColorCode(ColorType::Pop);
    text += StringFormat(" ($$SavedMonsterTextLevel$$ %d)", level);
    if (withFurtherLevel)
        text += StringFormat(" $$SavedMonsterTextAtLevel$$ %d", furtherLevel);
    return text;
}
