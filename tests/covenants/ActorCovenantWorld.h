// ActorCovenantWorld -- the computer-run covenant's test world: a rival's records and tuning, a row of levels with areas, scripted draws and rivals owned by the test.
#pragma once

#include "covenants/ActorCovenant.h"
#include "covenants/CovenantWorld.h"
#include "world/AreaDefinition.h"
#include "world/World.h"

#include <memory>
#include <string>
#include <vector>

class ActorCovenantWorld : public CovenantWorld {
protected:
    static constexpr const char* kRivalTuning = R"(
    MaxRecruits 4
    MaxMoney 100000
    MoneyChance 50
    MinMoneyPerLevel 10
    MaxMoneyPerLevel 30
    SecretDiscoveryXpMult 1
)";
    static constexpr const char* kRivalRecords = R"(
ObjectLifestone
{
    Type Object
}
CovenantRival
{
    Type Covenant
    Name "$$CovenantRival$$"
    LifestoneHealthMult 2
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    StartNumRecruitsPerLevel 0.5
    StartRecruitMinLevelPercent 0.5
    StartRecruitMaxLevelPercent 1
    StartMoneyDropsBase 2
    StartMoneyDropsPerLevel 1
    StartingItem Trinket
    StartNumRandomItems 1
    StartRandomItemMinSpread -2
    StartRandomItemMaxSpread 1
    StartNumRelicsPerLevel 0.2
    TimeBetweenSimilatedBattlesAverage 100
    TimePerAdventure 100
    TimeBetweenAdventures 100
    TimeBetweenRandomRelationChanges 100
    AdventureTypeTime 100
    StopRaidTime 100
    TimeBetweenGuardChanges 100
}
CovenantLazy
{
    Type Covenant
    Name "$$CovenantLazy$$"
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    TimePerAdventure 0
}
Relic1
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    Value 100
}
Relic2
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    Value 200
}
Relic3
{
    Type Item
    ItemType Relic
    AlwaysIdentified 1
    Value 300
}
Trinket
{
    Type Item
    ItemType Ring
    AlwaysIdentified 1
    Value 40
}
)";

    ActorCovenantWorld()
    {
        LoadRivalRecords("");
        game.makesItems = true;
        game.levelCount = kLevels;
        area.monsterChancePerBlock = 1.0f;
        world.SetLevelSize(4096.0f, 4096.0f);
        // Level i holds monsters of level i + 1; the town is never a target.
        for (int32_t i = 0; i < kLevels; ++i) {
            auto level = std::make_unique<Level>();
            level->column = i;
            level->monsterLevel = i + 1;
            level->area = i == 0 ? nullptr : &area;
            world.AddLevel(std::move(level));
        }
        gWorld = &world;
    }

    ~ActorCovenantWorld() override
    {
        // The rivals' records let their creatures go while the game still stands.
        rivals.clear();
        gWorld = nullptr;
    }

    // The actor, covenant and rival records with the extra tuning lines and the rivals' tuning (the
    // extra lines first, as the first line of a key is the one read), and the extra records. A
    // reload frees the old monster types, so the host's recruit type is taken again from the new ones.
    void LoadRivalRecords(const std::string& extra, const std::string& tuning = "")
    {
        std::string records = kActorRecords;
        const std::string head = "GameSystem\n{\n";
        records.insert(records.find(head) + head.size(), tuning + kRivalTuning);
        LoadRecords(records + kCovenantRecords + kRivalRecords + extra);
        host.recruitType = Type("MonsterTester");
    }

    ActorCovenant& AddRival(const char* definition = "CovenantRival")
    {
        auto rival = std::make_unique<ActorCovenant>();
        rival->SetDefinitionByName(definition);
        ActorCovenant& made = *rival;
        host.Add(made);
        game.covenants.push_back(&made);
        rivals.push_back(std::move(rival));
        return made;
    }

    // The next draw of stream 0 gives the value (to 1/32768).
    void ScriptDraw(float value)
    {
        constexpr uint32_t kMultiplier = 0x8B1D5;
        constexpr uint32_t kIncrement = 0x8B1D3F;
        uint32_t inverse = kMultiplier;
        for (int i = 0; i < 5; ++i)
            inverse *= 2u - kMultiplier * inverse;
        uint32_t wanted = (static_cast<uint32_t>(value * 32768.0f) & 0x7FFFu) << 16;
        random.SetState(RandomStream::GameData, (wanted - kIncrement) * inverse);
    }

    static int32_t CountItems(const ActorCovenant& rival, int32_t bag)
    {
        return rival.inventory->CountItems(bag);
    }

    static constexpr int32_t kLevels = 6;
    AreaDefinition area;
    World world;
    std::vector<std::unique_ptr<ActorCovenant>> rivals;
};
