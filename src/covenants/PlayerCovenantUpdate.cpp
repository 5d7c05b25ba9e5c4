// PlayerCovenant -- the player's covenant each step (the raid's arrival, the recruit candidate) and its record in its client's game update.
#include "covenants/PlayerCovenant.h"

#include "core/MessageBuffer.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/items/InventoryBase.h"

#include <cmath>

namespace {

// The town NPC kind that recruits, the one quest-giver that may be recruited.
constexpr int32_t kPlayerCovenantRecruiterNpcType = NpcType::Recruit;

// The NPC the player targets could join: alone, alive, a friendly NPC that is on no errand.
bool PlayerCovenantIsCandidate(const Actor& actor, const Player& player)
{
    bool alive = actor.maxHealth < 1 || actor.health > 0;
    if (actor.covenantIndex != -1 || !alive || !actor.npc || actor.IsHostile(&player))
        return false;
    if (actor.DefBool("CanBeRescued") || actor.DefBool("CanReceiveDelivery") || actor.DefBool("CanBeEscorted"))
        return false;
    return !actor.DefBool("GivesQuests") || actor.GetNpcType() == kPlayerCovenantRecruiterNpcType;
}

} // namespace

void PlayerCovenant::Update(float seconds)
{
    Covenant::Update(seconds);
    Covenant* target = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    Player* player = GetPlayer();
    if (target && target != this && !raidUnderway && player) {
        WorldPos home = target->GetHomePosition();
        float dx = player->position.x - home.x;
        float dy = player->position.y - home.y;
        if (std::sqrt(dx * dx + dy * dy) < kRaidArrivalRange) {
            gCovenantHost->AnnounceDiplomacy(index, target->index, CovenantTreaty::War, false);
            gCovenantHost->StartRaid(index, target->index);
            raidUnderway = true;
        }
    }
    candidate->SetActor(nullptr, true);
    auto* targeted = player ? dynamic_cast<Actor*>(player->GetCurrentTarget()) : nullptr;
    if (targeted && PlayerCovenantIsCandidate(*targeted, *player))
        candidate->SetActor(targeted, true);
}

void PlayerCovenant::WriteUpdate(MessageBuffer& buffer)
{
    buffer.WriteString(name.empty() ? GetDefinitionName() : name);
    buffer.WriteInt(homeLevel);
    buffer.WriteFloat(homeX);
    buffer.WriteFloat(homeY);
    buffer.WriteInt(index);
    inventory->Write(buffer, false);
    buffer.WriteInt(CountRecruits());
    for (int32_t i = 0; i < GetRecruitSlots(); ++i) {
        if (Recruit* recruit = GetRecruitRecord(i)) {
            buffer.WriteInt(i);
            recruit->WriteUpdate(buffer);
        }
    }
    worldResults.WriteValues(buffer);
    buffer.WriteInt(statistics.Get(CovenantStat::MaxNPCs));
    buffer.WriteInt(statistics.Get(CovenantStat::MaxLifeStone));
    buffer.WriteInt(statistics.Get(CovenantStat::Money));
    buffer.WriteBool(eliminated);
    buffer.WriteBool(IsBeingRaided());
    TimeStamp clock = gCovenantHost ? gCovenantHost->GetGameClock() : TimeStamp{};
    buffer.WriteBool(TimeLess(clock, nextThinkTime));
    buffer.WriteBool(targetCovenant != -1);
    buffer.WriteInt(targetCovenant);
    buffer.WriteInt(GetHomeHealth());
    buffer.WriteInt(GetHomeMaxHealth());
    buffer.WriteBool(candidate->GetActor() != nullptr);
    if (candidate->GetActor())
        candidate->WriteUpdate(buffer);
}
