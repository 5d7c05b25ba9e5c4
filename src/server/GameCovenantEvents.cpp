// Game -- what the players hear when characters die and covenants fall or refuse peace, the world's kill event, and whether an allied victory can be offered.
#include "server/Game.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "server/quests/GameQuests.h"
#include "server/spawn/SpawnSystem.h"

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

// Killers of these rarities are named with their rarity's title.
bool GameCovenantEventsIsTitled(int32_t rarity)
{
    return rarity == MonsterRarity::Unique || rarity == MonsterRarity::Legend || rarity == MonsterRarity::Boss;
}

constexpr const char* kGameCovenantEventsNameColour = "^c145";

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
    int32_t gained = destroyer->GainInfluenceForDestroying(
        destroyed, destroyer->GetFloatStat(Covenant::kInfluenceDestroyingMultiplier));
    std::string victor = GetCovenantText(destroyer->index);
    SendMessage(MakeLocToken("XDestroysYGainsZInfluence", "%s %s %s", victor.c_str(), fallen.c_str(),
                             FormatThousands(gained).c_str()),
                kMessageNewsKind);
    const auto* leader = dynamic_cast<const Sentient*>(destroyed.GetLeader());
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

// ---- Deaths and kills ----------------------------------------------------------------------------------

void Game::AnnounceDeath(Entity* victim, Entity* killer, bool silent)
{
    if (!victim)
        return;
    std::string fallen = GetEntityDisplayName(*victim);
    auto* slayer = dynamic_cast<Actor*>(killer);
    bool titled = slayer && GameCovenantEventsIsTitled(slayer->monsterRarity);
    // The title runs into the colour code: its blank keeps it apart from the name.
    std::string title =
        titled ? MakeLocKey("EnhancementRarity", SpawnSystem::MonsterRarityName(slayer->monsterRarity)) + " " : "";
    std::string slayerName = slayer ? slayer->GetName() : std::string();
    const auto* actor = dynamic_cast<const Actor*>(victim);
    if (!silent) {
        std::string news;
        if (!(actor && actor->npc) && victim->covenantIndex < 0)
            news = MakeLocToken("XWanderingRecruitHasDied", "%s", fallen.c_str());
        else if (!slayer || slayer->DefBool("HideKills"))
            news = MakeLocToken("XHasDied", "%s", fallen.c_str());
        else if (titled)
            news = MakeLocToken("XWasKilledByY", "%s %s%s%s", fallen.c_str(), title.c_str(),
                                kGameCovenantEventsNameColour, slayerName.c_str());
        else
            news = MakeLocToken("XWaskilledByAY", "%s %s", fallen.c_str(), slayerName.c_str());
        SendMessage(news, kMessageNewsKind);
    }
    if (!slayer)
        return;
    if (titled)
        AddDynamicNpcChat(ChatDialogType::NpcKilledByUniqueMonster,
                          GameCovenantEventsArguments({title + kGameCovenantEventsNameColour + slayerName, fallen}), 0);
    else
        AddDynamicNpcChat(ChatDialogType::NpcKilledByNormalMonster, GameCovenantEventsArguments({slayerName, fallen}), 0);
}

void Game::OnCovenantEvent(const Entity* first, const Entity* second, int32_t value)
{
    bool concerned = (first && first->GetCovenant()) || (second && second->GetCovenant());
    for (size_t i = 0; concerned && i < covenants.size(); ++i)
        if (covenants[i])
            covenants[i]->OnCovenantHook(value);
}

// The quests hear of a kill before the covenants once the game keeps its quest list.
void Game::OnEntityKilled(Entity& victim, Entity* killer)
{
    quests->OnEntityKilled(victim, killer);
    for (size_t i = 0; i < covenants.size(); ++i)
        if (covenants[i] && covenants[i]->IsActorCovenant())
            covenants[i]->OnMemberKilled(victim, killer);
}
