// ShippedWorldObjectsTest -- the shipped torches, traps and triggers: the content lint with the trap checks, planted trap faults reported, every record made into its object without a warning, the models naming their records, and a shipped gust against the shipped torches.
#include "entities/ShippedEntityWorld.h"
#include "entities/Skill.h"
#include "entities/Torch.h"
#include "entities/Trap.h"
#include "entities/TrapGround.h"
#include "entities/Trigger.h"
#include "entities/WorldObjectLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "rules/PlantedGame.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

bool WorldObjectReported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

std::vector<std::string> WorldObjectLint(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English", WorldObjectLintChecks());
}

// The text after "ObjectType" in a model file; empty when it has none.
std::string WorldObjectModelRecord(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("ObjectType ", 0) == 0)
            return line.substr(11);
    return {};
}

} // namespace

TEST(WorldObjectContent, ShippedRecordsHaveNoProblems)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    for (const std::string& problem : WorldObjectLint(ShippedGameFolder()))
        ADD_FAILURE() << problem;
}

TEST(WorldObjectContent, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName G\n Version V\n}\n"
                             "Needle\n{\n Type Trap\n Skill SkillNobodyWrote\n TrapEffect effects/absent.mdl\n}\n");
    std::vector<std::string> problems = WorldObjectLint(folder.Path());
    for (const char* part : {"Skill names no skill SkillNobodyWrote", "TrapEffect names the missing model"})
        EXPECT_TRUE(WorldObjectReported(problems, part)) << part;
}

// The shipped database and game data over the shipped folder, with the fake game around them.
class ShippedWorldObjects : public ShippedEntityWorld {
protected:
    ShippedWorldObjects() { Trap::RegisterEventClass(events, types); }

    void SetUp() override
    {
        ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
        database.Load();
        gameData.Load(database);
        linesBefore = shipped.debug.GetConsoleLines().size();
    }

    template <class T>
    T* Place(const DatabaseEntry* record, float x, float y)
    {
        auto* entity = new T();
        entity->SetEntry(record);
        WorldPos where;
        where.level = 0;
        where.x = x;
        where.y = y;
        entity->SetPosition(where);
        EXPECT_NE(game.AddEntity(entity), -1);
        return entity;
    }

    // Every listed record, of every sub-database, in load order.
    std::vector<const DatabaseEntry*> Records() const
    {
        std::vector<const DatabaseEntry*> records;
        // An entry's id is its file's number in the high half and its place in the file below.
        for (int32_t file = 0; database.GetEntryByIndex(file << 16); ++file)
            for (int32_t index = 0; const DatabaseEntry* entry = database.GetEntryByIndex((file << 16) | index); ++index)
                if (!entry->IsBaseOnly())
                    records.push_back(entry);
        return records;
    }

    size_t linesBefore = 0;
};

TEST_F(ShippedWorldObjects, EveryTorchTrapAndTriggerIsMadeWithoutAWarning)
{
    auto* chest = Place<CombatDummy>(nullptr, 0.0f, 0.0f);
    chest->statValues[TrapGround::kLevelStat] = 5;
    std::map<std::string, int32_t> made;
    for (const DatabaseEntry* record : Records()) {
        std::string kind = record->GetString("ObjectType");
        std::string name(record->GetName());
        if (record->GetType() == DatabaseEntryType::Trap) {
            Trap trap;
            trap.SetOwner(chest);
            trap.Load(record);
            EXPECT_EQ(trap.GetSkill() != nullptr, !record->GetString("Skill").empty()) << name;
            if (trap.GetSkill()) {
                EXPECT_EQ(trap.GetSkill()->GetLevel(), 5) << name << ": the skill is at the object's level";
            }
            ++made["trap"];
        }
        if (StringEqualsNoCase(kind, "Torch")) {
            auto* torch = Place<Torch>(record, 100.0f, 100.0f);
            EXPECT_TRUE(torch->IsLit()) << name;
            EXPECT_GT(torch->lightFalloff, 0.0f) << name;
            ++made["torch"];
        } else if (StringEqualsNoCase(kind, "Trap")) {
            auto* plate = Place<TrapGround>(record, 100.0f, 100.0f);
            plate->ArmTrap();
            EXPECT_GT(record->GetFloat("TriggerDistance", 0.0f), 0.0f) << name;
            ++made["plate"];
        } else if (StringEqualsNoCase(kind, "Trigger")) {
            Place<Trigger>(record, 100.0f, 100.0f);
            ++made["trigger"];
        }
    }
    EXPECT_GE(made["trap"], 4);
    EXPECT_GE(made["torch"], 3);
    EXPECT_GE(made["plate"], 1);
    EXPECT_GE(made["trigger"], 3);
    const auto& lines = shipped.debug.GetConsoleLines();
    for (size_t i = linesBefore; i < lines.size(); ++i)
        ADD_FAILURE() << lines[i];
}

TEST_F(ShippedWorldObjects, TheObjectModelsNameRecordsOfTheirKind)
{
    std::map<std::string, std::string> expected{
        {"torch.mdl", "Torch"},     {"torch_sheltered.mdl", "Torch"}, {"torch_red.mdl", "Torch"},
        {"trapplate.mdl", "Trap"},  {"lever.mdl", "Trigger"},         {"hiddenstone.mdl", "Trigger"},
        {"vaultplate.mdl", "Trigger"},
    };
    std::filesystem::path props = std::filesystem::path(ShippedGameFolder()) / "Assets" / "Models" / "Props";
    for (const auto& [file, kind] : expected) {
        std::string recordName = WorldObjectModelRecord(props / file);
        const DatabaseEntry* record = database.FindEntryByName(recordName);
        ASSERT_NE(record, nullptr) << file << " names " << recordName;
        EXPECT_TRUE(StringEqualsNoCase(record->GetString("ObjectType"), kind)) << file;
    }
}

TEST_F(ShippedWorldObjects, TheShippedGustPutsOutOnlyTheTorchesWindCanReach)
{
    auto* common = Place<Torch>(database.FindEntryByName("Torch"), 200.0f, 0.0f);
    auto* sheltered = Place<Torch>(database.FindEntryByName("TorchSheltered"), 0.0f, 200.0f);
    auto* red = Place<Torch>(database.FindEntryByName("TorchRed"), 100.0f, 100.0f);
    auto* chest = Place<CombatDummy>(nullptr, 0.0f, 0.0f);
    auto* victim = Place<CombatDummy>(nullptr, 20.0f, 0.0f);
    // A trap may miss its chance or be a dud: new ones are armed until one blows.
    auto blew = [&] {
        return std::any_of(game.hooks.begin(), game.hooks.end(),
                           [](const std::string& hook) { return hook.rfind("wind ", 0) == 0; });
    };
    for (int32_t attempt = 0; attempt < 50 && !blew(); ++attempt) {
        Trap trap;
        trap.SetOwner(chest);
        trap.Load(database.FindEntryByName("TrapGustVent"));
        trap.TryTrigger(victim, 0.0f);
        game.StepFor(4.0f);
    }
    ASSERT_TRUE(blew());
    EXPECT_FALSE(common->IsLit());
    EXPECT_TRUE(sheltered->IsLit());
    EXPECT_TRUE(red->IsLit());
}
