// The shipped quests: each generates, saves, loads and describes itself in English; the story chain; every quest kind's keys.
#include "QuestTestWorld.h"

#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "platform/PosixFileSystem.h"
#include "rules/RulesEnums.h"

#include <algorithm>
#include <cstdlib>
#include <regex>

namespace {

// Each shipped quest at level 6 from seed 4242, in English: its quest-log title and its body.
struct Golden {
    const char* name;
    const char* title;
    const char* body;
};
const Golden kGoldens[] = {
    {"QuestKillMonsters", "Kill 9 Wolves",
     "Kill 9 Wolves\n\n"
     "Wolves have been raiding the outlying farms. Thin their numbers: slay 9 of them.\n"
     "Last seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 223 Experience & 90 Score & ^c1282sp ^c145^c02630cp^c145\n"},
    {"QuestKillMonsterGroup", "Break the Band of Wolf",
     "Break the Band of Wolf\n\n"
     "A war band led by Wolf is gathering nearby. Break it before it is ready:\nKill Wolf\n"
     "Kill ^c057Ashfang^c145 (Terror of the Smoking Hills)\n\nLast seen: ^c002Level 6^c145\n"
     "Quest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 432 Experience & ^c02644cp^c145\n"},
    {"QuestMonsterQuestItem", "Collect 3 Beast Pelts",
     "Collect 3 Beast Pelts\n\n"
     "I need 3 Beast Pelts for my remedies. Every Wolf you slay may carry one.\n"
     "Last seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Apothecary for your reward.\n"
     "Reward: 89 Experience & ^c02676cp^c145\n"},
    {"QuestLevelQuestItem", "Recover 3 Ledger Pages",
     "Recover 3 Ledger Pages\n\n"
     "A courier lost the town's accounts on the road. Recover 3 Ledger Pages before the rain ruins them.\n"
     "^c002Level 6^c145\nQuest level: 6\n\nReturn to the Steward for your reward.\n"
     "Reward: 134 Experience & ^c02676cp^c145\n"},
    {"QuestClearLevel", "Clear 13 Foes from Level 6",
     "Clear 13 Foes from Level 6\n\n"
     "^c002Level 6^c145 is crawling with monsters. Clear 13 of them out so that honest folk can pass.\n"
     "^c002Level 6^c145\nQuest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 193 Experience & ^c1283sp ^c145^c02633cp^c145 & a piece of armour\n"},
    {"QuestRescueNpc", "A Traveller Gone Missing",
     "A Traveller Gone Missing\n\n"
     "Elgardin went out gathering herbs and never came back. Find them and bring them home alive.\n"
     "Time left:  1:15:06\nQuest level: 6\n\nReward: 156 Experience & ^c02623cp^c145\n"
     "The quest fails if the one you are protecting dies."},
    {"QuestDelivery", "A Letter for Elgardin",
     "A Sealed Letter\n\nTake this sealed letter to Elgardin, and let no one else read it.\n"
     "Time left: 21:41\nLast seen: ^c002Level 6^c145\nQuest level: 6\n\n"
     "Bring word to Elgardin at ^c002Level 6^c145.\nReward: 85 Experience & ^c02623cp^c145\n"
     "The quest fails if the letter does not arrive in time."},
    {"QuestRecruit", "Recruit's Trial: Kill 4 Wolves",
     "A Recruit's Trial\n\n"
     "Elgardin, a 7th-level Warden, will join your covenant once you have proven yourself. Kill 4 Wolves.\n"
     "\nLast seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Recruit for your reward.\n"
     "Reward: 59 Experience & ^c1281sp ^c145^c0262cp^c145\nThe quest fails if the recruit dies."},
    {"QuestUniqueMonster", "Slay ^c057Ashfang^c145",
     "Slay ^c057Ashfang^c145\n\n"
     "Hunters have seen ^c057Ashfang^c145, a Terror of the Smoking Hills, beyond the walls. "
     "Nothing that dangerous should live so close to town.\n"
     "Last seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 205 Experience & 500 Score & ^c02623cp^c145\n"},
    {"QuestBossWarlord", "The End of ^c001Gorrak Cinderjaw^c145",
     "^c001Gorrak Cinderjaw^c145 is the last and greatest of the enemy. End this.\n\n"
     "Location: ^c002Level 12^c145\nQuest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 492 Experience & 1,500 Score & ^c02623cp^c145 & a weapon\n"},
    {"QuestStoryScout", "Silence Goblin Raider",
     "Silence Goblin Raider\n\n"
     "Goblin Raider has been spying on the town for the Ashen Host. "
     "Hunt down Goblin Raider before the scout reports back, Ada.\n"
     "Last seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Steward for your reward.\n"
     "Reward: 155 Experience & ^c02623cp^c145\n"},
    {"QuestStoryHost", "The Risen Skeleton Host",
     "The Risen Skeleton Host\n\n"
     "The Ashen Host has woken the dead, and Skeleton after Skeleton crawls from the barrows. "
     "Destroy 8 Skeletons before they reach the town.\n"
     "Last seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Steward for your reward.\n"
     "Reward: 158 Experience & ^c1282sp ^c145^c0264cp^c145\n"},
    {"QuestStoryUrns", "Gather 3 Cinder Urns",
     "Gather 3 Cinder Urns\n\n"
     "The dead rise from cinder urns the Host buried in the barrows. "
     "Find 3 Cinder Urns and bring them to the Steward to be sealed.\n"
     "^c002Level 6^c145\nQuest level: 6\n\nReturn to the Steward for your reward.\n"
     "Reward: 208 Experience & ^c02676cp^c145 & a piece of armour\n"},
};

class ShippedQuests : public ::testing::Test {
protected:
    ShippedQuests() : files(std::getenv("EMBERLODE_GAME_DIR") ? std::getenv("EMBERLODE_GAME_DIR") : "."), random(7u)
    {
        files.SetRootFolders("Assets");
        gDebugSystem = &debug;
        gFileSystem = &files;
        gDatabase = &database;
        gGameData = &gameData;
        gRandomSystem = &random;
        gLocSystem = &loc;
        gNameGenerator = &names;
        EXPECT_TRUE(loc.Load("English"));
        database.Load();
        gameData.Load(database);
        for (int32_t level = 1; level <= 12; ++level)
            world.levels.push_back({"Level " + std::to_string(level), level, level % 3 == 0});
        world.bossLevels = {-1, 9, 10, 11, 11};
    }

    ~ShippedQuests() override
    {
        gFileSystem = nullptr;
        gDatabase = nullptr;
        gGameData = nullptr;
        gRandomSystem = nullptr;
        gLocSystem = nullptr;
        gNameGenerator = nullptr;
    }

    // As the server starts a quest: its default monster, else wolves; two goals for the kinds
    // that have them, a unique goal paying as one.
    void Start(FakeQuest& quest, const QuestDefinition& definition, int32_t level, uint32_t seed)
    {
        quest.Reset();
        ASSERT_TRUE(quest.Setup(definition.GetEntry(), level, seed, 0, TimeStamp{}));
        const MonsterType* monster = gameData.FindMonsterType(
            definition.defaultMonster.empty() ? "MonsterWolf" : definition.defaultMonster);
        quest.target = monster;
        if (quest.IsMultiGoal())
            quest.goals = {QuestGoal{0, 0, monster, 0},
                           QuestGoal{0, 0, gameData.FindMonsterType("MonsterAshfang"), MonsterRarity::Unique}};
        quest.RollParameters(false);
        quest.Generate();
    }

    // Every token's key in the text must be a text of the language.
    void ExpectKnownKeys(const std::string& text, const std::string& context)
    {
        static const std::regex kToken(R"(\$\$([A-Za-z0-9_]+)(?:\$\$|~<))");
        for (std::sregex_iterator it(text.begin(), text.end(), kToken), end; it != end; ++it)
            EXPECT_TRUE(loc.HasText((*it)[1].str())) << (*it)[1].str() << " in " << context;
    }

    DebugSystem debug;
    PosixFileSystem files;
    Database database;
    GameData gameData;
    RandomSystem random;
    LocSystem loc;
    NameGenerator names;
    FakeQuestWorld world;
};

} // namespace

TEST_F(ShippedQuests, EachGeneratesSavesLoadsAndDescribesItselfInEnglish)
{
    ASSERT_GE(gameData.GetQuestDefinitions().GetCount(), 10);
    for (const auto& definition : gameData.GetQuestDefinitions()) {
        std::string name(definition->GetEntry()->GetName());
        FakeQuest quest{&world};
        Start(quest, *definition, 6, 4242u);
        EXPECT_GE(quest.count, 1) << name;
        EXPECT_GT(quest.xpReward, 0) << name;
        std::string title = quest.BuildTitle(-1, false);
        std::string text = quest.BuildText(6, TimeStamp{}, "Ada");
        ExpectKnownKeys(title + text, name);
        auto golden = std::find_if(std::begin(kGoldens), std::end(kGoldens),
                                   [&](const Golden& candidate) { return name == candidate.name; });
        ASSERT_NE(golden, std::end(kGoldens)) << name;
        EXPECT_EQ(loc.Translate(title), golden->title);
        EXPECT_EQ(loc.Translate(text), golden->body);

        MessageBuffer buffer;
        quest.progress = quest.count > 1 ? 1 : 0;
        quest.Write(buffer, true);
        FakeQuest copy{&world};
        ASSERT_TRUE(copy.Read(buffer, true, true, QuestBase::kNamedReferencesVersion)) << name;
        EXPECT_EQ(copy.BuildText(6, TimeStamp{}, "Ada"), quest.BuildText(6, TimeStamp{}, "Ada")) << name;
        EXPECT_EQ(copy.progress, quest.progress) << name;
    }
}

TEST_F(ShippedQuests, TheStoryRunsFromTheBeginningQuestThroughThreeSolvedBits)
{
    std::vector<std::string> beginning;
    database.FindEntryByName("GameSystem")->GetStringList("BeginningQuest", beginning, true, false);
    ASSERT_FALSE(beginning.empty());
    std::vector<int32_t> bits;
    for (const DatabaseEntry* entry = database.FindEntryByName(beginning[0]); entry;) {
        const QuestDefinition* definition = gameData.FindQuestDefinition(entry);
        ASSERT_NE(definition, nullptr) << entry->GetName();
        bits.push_back(definition->questSolvedBit);
        entry = database.FindEntryByName(definition->nextQuest);
    }
    EXPECT_EQ(bits, (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(ShippedQuests, EveryQuestKindSpeaksWithKeysEnglishHas)
{
    const QuestDefinition* base = gameData.FindQuestDefinitionByType(QuestType::KillMonsters);
    ASSERT_NE(base, nullptr);
    for (int32_t type = 0; type < QuestType::kCount; ++type) {
        FakeQuest quest{&world};
        Start(quest, *base, 6, 99u);
        quest.type = type;
        quest.goals = {QuestGoal{0, 1, quest.target, 0}, QuestGoal{1, 1, quest.target, 0}};
        quest.RollParameters(false);
        quest.Generate();
        std::string text = quest.BuildTitle(-1, true) + quest.BuildTitle(6, false) + quest.BuildText(6, TimeStamp{}, "Ada") +
                           quest.GetProgressText(true) + quest.GetProgressText(false);
        quest.SetFailed();
        text += quest.BuildTitle(-1, false) + quest.BuildText(6, TimeStamp{}, "Ada");
        ExpectKnownKeys(text, "QuestType " + std::to_string(type));
    }
}
