// Covenant -- the recruit list: adding, removing, finding and counting recruits, and the room rule.
#include "covenants/Covenant.h"

#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "rules/GameData.h"

void Covenant::SetRecruitSlots(int32_t count)
{
    recruits.resize(static_cast<size_t>(std::max(0, count)));
}

void Covenant::AddRecruit(Actor& actor)
{
    int32_t slot = FindFreeRecruitSlot();
    if (slot == -1)
        return;
    auto recruit = std::make_unique<Recruit>();
    recruit->covenantIndex = index;
    recruit->SetActor(&actor, false);
    recruits[static_cast<size_t>(slot)] = std::move(recruit);
    ApplyTraitEffects(actor);
    ApplyRelicEffects(actor);
    // A new member strengthens the lifestone at once by what it adds to the maximum.
    int32_t before = GetHomeMaxHealth();
    RecomputeBonuses();
    int32_t rise = GetHomeMaxHealth() - before;
    if (rise > 0)
        SetHomeHealth(std::min(GetHomeMaxHealth(), GetHomeHealth() + rise));
}

int32_t Covenant::FindFreeRecruitSlot() const
{
    for (size_t slot = 0; slot < recruits.size(); ++slot)
        if (!recruits[slot])
            return static_cast<int32_t>(slot);
    return -1;
}

bool Covenant::HasRoomForRecruit() const
{
    return gGameData && CountRecruits() < gGameData->GetTuning().maxRecruits;
}

// The recruit's actor stays in the world: whoever removes a recruit decides what becomes of it.
void Covenant::RemoveRecruit(int32_t slot)
{
    Recruit* recruit = GetRecruitRecord(slot);
    if (!recruit)
        return;
    recruit->SetActor(nullptr, true);
    recruits[static_cast<size_t>(slot)].reset();
}

int32_t Covenant::CountRecruits() const
{
    return static_cast<int32_t>(std::count_if(recruits.begin(), recruits.end(),
                                              [](const std::unique_ptr<Recruit>& recruit) { return recruit != nullptr; }));
}

Recruit* Covenant::FindRecruitByActor(const Entity* actor) const
{
    if (!actor)
        return nullptr;
    for (const auto& recruit : recruits)
        if (recruit && recruit->GetActor() == actor)
            return recruit.get();
    return nullptr;
}

Recruit* Covenant::GetRecruitRecord(int32_t slot) const
{
    return slot >= 0 && slot < GetRecruitSlots() ? recruits[static_cast<size_t>(slot)].get() : nullptr;
}

Actor* Covenant::GetRecruitActor(int32_t slot) const
{
    const Recruit* recruit = GetRecruitRecord(slot);
    return recruit ? recruit->GetActor() : nullptr;
}

bool Covenant::IsMember(const Sentient& sentient) const
{
    return FindRecruitByActor(&sentient) || (GetPlayer() && GetPlayer() == &sentient);
}
