// Game -- what the players hear when covenants fall or refuse peace, and whether an allied victory can be offered.
#include "server/Game.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <initializer_list>
#include <memory>
#include <string>

namespace {

// Rings tried around a fallen covenant's house for its reward chest.
constexpr int32_t kGameCovenantEventsChestRings = 4;

const GameSystemTuning& GameCovenantEventsTuning()
{
    static const GameSystemTuning kGameCovenantEventsDefaults;
    return gGameData ? gGameData->GetTuning() : kGameCovenantEventsDefaults;
}

// The arguments of a town NPC's line about an event, as a keyed text carries them.
std::string GameCovenantEventsArguments(std::initializer_list<std::string> values)
{
    std::string out = "~<";
    for (const std::string& value : values)
        out += value + "@@";
    return out + ">~";
}

} // namespace

Covenant* Game::GetStrongestCovenant() const
{
    Covenant* strongest = nullptr;
    int32_t best = 0;
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* covenant = FindLivingCovenant(i);
        if (!covenant)
            continue;
        int32_t strength = covenant->ComputeStrength();
        // On equal strength the earlier covenant stays.
        if (!strongest || strength > best) {
            strongest = covenant;
            best = strength;
        }
    }
    return strongest;
}

bool Game::IsAlliedWithAllLiving(const Covenant& centre) const
{
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        const Covenant* other = FindLivingCovenant(i);
        if (other && other != &centre && centre.GetTreatyState(other->index) != CovenantTreaty::Alliance)
            return false;
    }
    return true;
}

bool Game::IsAlliedVictoryPossible() const
{
    const auto* own = dynamic_cast<const Covenant*>(GetFirstPlayerCovenant());
    if (!own || own->eliminated)
        return false;
    if (IsAlliedWithAllLiving(*own))
        return true;
    const Covenant* strongest = GetStrongestCovenant();
    if (!strongest || strongest == own)
        return false;
    return IsAlliedWithAllLiving(*strongest);
}

void Game::AnnouncePeaceResponse(Covenant& first, Covenant& second, bool accepted)
{
    if (accepted)
        return;
    SendMessage(MakeLocToken("XRejectsPeaceTreatyFromY", "%s %s", GetCovenantText(first.index).c_str(),
                             GetCovenantText(second.index).c_str()),
                kMessageNewsKind);
}

void Game::OnCovenantDestroyed(Covenant& destroyed, Covenant* destroyer)
{
    std::string fallen = GetCovenantText(destroyed.index);
    if (!destroyer) {
        SendMessage(MakeLocToken("XDestroyedByMonsters", "%s", fallen.c_str()), kMessageNewsKind);
        AddDynamicNpcChat(ChatDialogType::MonstersDestroyedCovenant, GameCovenantEventsArguments({fallen}), 0);
        return;
    }
    int32_t gained = destroyer->GainFromDestroyed(destroyed);
    std::string victor = GetCovenantText(destroyer->index);
    SendMessage(MakeLocToken("XDestroysYGainsZInfluence", "%s %s %s", victor.c_str(), fallen.c_str(),
                             FormatThousands(gained).c_str()),
                kMessageNewsKind);
    const auto* leader = dynamic_cast<const Sentient*>(destroyed.GetLeaderEntity());
    int32_t level = (leader ? leader->stats.Get(CharacterStat::Level) : 0) +
                    GameCovenantEventsTuning().rewardChestLevelBonus;
    if (static_cast<const EntityCovenant*>(destroyer) != GetFirstPlayerCovenant()) {
        // Another covenant's spoils never reach the world.
        AddDynamicNpcChat(ChatDialogType::CovenantDestroyedCovenant, GameCovenantEventsArguments({victor, fallen}), 0);
        destroyer->TakeReward(destroyed, level);
        return;
    }
    if (level <= 0)
        return;
    WorldPos house = destroyed.GetHomePosition();
    if (!PlaceRewardChestAt("ChestRewardSmall", level, house, kGameCovenantEventsChestRings))
        return;
    std::string name = destroyed.GetName();
    SendMessage(MakeLocToken("RewardChestAvailableInHouse", "%d %s%s", level, name.c_str(),
                             GetPossessiveSuffix(name).c_str()),
                kMessageNewsKind);
    AddDynamicNpcChat(ChatDialogType::PlayerDestroyedCovenant, GameCovenantEventsArguments({victor}), 0);
}
