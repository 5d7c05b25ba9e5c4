// QuestTestWorld -- a test world for quests: quest and monster records, a fake world of levels, a quest class with fixed town NPCs.
#pragma once

#include "core/LocSystem.h"
#include "core/NameGenerator.h"
#include "rules/monsters/MonsterType.h"
#include "rules/monsters/RecordWorld.h"
#include "rules/quests/QuestBase.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/quests/QuestWorld.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

struct FakeLevel {
    std::string name;
    int32_t questLevel = 1;
    bool below = false;
    int32_t linked = -1;
    const DatabaseEntry* area = nullptr;
    const DatabaseEntry* item = nullptr;
};

class FakeQuestWorld : public QuestWorld {
public:
    bool IsReady() const override { return ready; }
    int32_t GetLevelCount() const override { return static_cast<int32_t>(levels.size()); }
    bool IsLevelFlagSet(int32_t level) const override { return Get(level).below; }
    std::string GetLevelName(int32_t level) const override { return Get(level).name; }
    int32_t GetLinkedLevel(int32_t level) const override { return Get(level).linked; }
    int32_t GetBossLevel(int32_t slot) const override
    {
        return slot >= 1 && slot <= 4 ? bossLevels[static_cast<size_t>(slot)] : -1;
    }
    // The world's own pick, kept small: the levels of exactly that quest level, the one at
    // floor(count x roll).
    int32_t PickQuestLevel(int32_t questLevel, float roll, bool aboveGroundOnly) const override
    {
        std::vector<int32_t> fits;
        for (int32_t i = 0; i < GetLevelCount(); ++i)
            if (levels[static_cast<size_t>(i)].questLevel == questLevel && !(aboveGroundOnly && IsLevelFlagSet(i)))
                fits.push_back(i);
        return fits.empty() ? -1 : fits[static_cast<size_t>(static_cast<float>(fits.size()) * roll)];
    }
    int32_t FindLevelOfArea(const DatabaseEntry* area) const override
    {
        for (int32_t i = 0; i < GetLevelCount(); ++i)
            if (area && levels[static_cast<size_t>(i)].area == area)
                return i;
        return -1;
    }
    const DatabaseEntry* GetLevelAreaEntry(int32_t level) const override { return Get(level).area; }
    const DatabaseEntry* GetLevelItemEntry(int32_t level) const override { return Get(level).item; }

    bool ready = true;
    std::vector<FakeLevel> levels;
    std::array<int32_t, 5> bossLevels{-1, -1, -1, -1, -1};

private:
    // A level outside the list reads as a nameless one above ground, linked to none.
    const FakeLevel& Get(int32_t level) const
    {
        static const FakeLevel kNone;
        return level >= 0 && level < GetLevelCount() ? levels[static_cast<size_t>(level)] : kNone;
    }
};

// Town NPCs by id: a name and an NpcType.
class FakeQuest : public QuestBase {
public:
    explicit FakeQuest(const QuestWorld* world = nullptr) : world(world) {}

    int32_t GetDifficulty() const override { return difficulty; }
    int32_t CountTownNpcs() const override { return static_cast<int32_t>(npcs.size()); }
    std::string GetTownNpcName(int32_t id) const override { return Valid(id) ? npcs[static_cast<size_t>(id)].first : ""; }
    int32_t GetTownNpcType(int32_t id) const override { return Valid(id) ? npcs[static_cast<size_t>(id)].second : 0; }
    const QuestWorld* GetWorld() const override { return world; }

    const QuestWorld* world;
    int32_t difficulty = 0;
    std::vector<std::pair<std::string, int32_t>> npcs{{"Hild", 2}, {"Osric", 0}, {"Wenna", 3}};

private:
    bool Valid(int32_t id) const { return id >= 0 && id < CountTownNpcs(); }
};

class QuestTestWorld : public RecordWorld {
protected:
    QuestTestWorld()
    {
        gLocSystem = &loc;
        gNameGenerator = &names;
        folder.Write("Assets/Names/npcsMale.txt", "Aldric\nBrannoc\nCedric\nDunstan\n");
        folder.Write("Assets/Names/npcsFemale.txt", "Aelis\nBryony\nCatrin\nDervla\n");
    }

    ~QuestTestWorld() override
    {
        gLocSystem = nullptr;
        gNameGenerator = nullptr;
    }

    // The monsters every quest test may name, with the tuning the rewards read, and the
    // test's quest records.
    // firstRecords go before the monsters, to move them along the list.
    void LoadQuests(const std::string& quests, const std::string& firstRecords = "")
    {
        static const std::string kMonsters = Records({
            "Goblins: Type MonsterArchetype; SpawnChance 10; QuestItemName \"$$Totem$$\"",
            "Nobodies: Type MonsterArchetype; SpawnChance 0",
            "Scout: Type MonsterType; Archetype Goblins; Name $$Scout$$; PluralName $$Scouts$$; MinLevel 1; "
                "MaxLevel 9",
            "Raider: Type MonsterType; Archetype Goblins; Name $$Raider$$; BaseType Scout; MinLevel 1; MaxLevel 9",
            "Wolf: Type MonsterType; Archetype Goblins; Name $$Wolf$$; MinLevel 1; MaxLevel 9",
            "Ashfang: Type MonsterType; Archetype Goblins; Name $$Ashfang$$; Title $$Terror$$; Rarity Unique; "
                "MinLevel 1; MaxLevel 9",
            "Ossian: Type MonsterType; Archetype Goblins; Name $$Ossian$$; Title $$Eldking$$; Rarity Legend; "
                "MinLevel 1; MaxLevel 9",
            "Ghostly: Type MonsterType; Archetype Nobodies; Name $$Ghostly$$; MinLevel 1; MaxLevel 9",
            "Warden: Type Class; Name $$Warden$$; Male 1",
            "Page: Type QuestItem; Name $$Page$$; NamePlural $$Pages$$",
            "Urn: Type QuestItem; Name $$Urn$$",
            "Cave: Type Area; QuestItemName $$Shard$$; QuestItemNamePlural $$Shards$$",
        });
        LoadRecords("XpMultMonsterNormal 1\nXpMultMonsterUnique 5\nXpMultMonsterLegend 8\nXpMultMonsterBoss 12\n"
                    "MoneyChance 40\nMinMoneyPerLevel 5\nMaxMoneyPerLevel 15\nDifficultyTimeMultNovice 2\n",
                    firstRecords + kMonsters + quests);
    }

    const DatabaseEntry* QuestEntry(const char* name) const { return database.FindEntryByName(name); }
    const MonsterType* Monster(const char* name) const { return gameData.FindMonsterType(name); }

    // Set up afresh, rolled and generated as the server makes a world quest.
    void Start(FakeQuest& quest, const char* definition, int32_t level, uint32_t seed, const char* target = nullptr,
               std::vector<const char*> goalTargets = {})
    {
        quest.Reset();
        ASSERT_TRUE(quest.Setup(QuestEntry(definition), level, seed, 0, TimeStamp{}));
        quest.target = target ? Monster(target) : nullptr;
        for (const char* name : goalTargets)
            quest.goals.push_back(QuestGoal{0, 0, Monster(name), 0});
        quest.RollParameters(false);
        quest.Generate();
    }

    LocSystem loc;
    NameGenerator names;
    FakeQuestWorld world;
};
