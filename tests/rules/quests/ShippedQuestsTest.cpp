// ShippedQuestsTest -- The shipped quests: each generates, saves, loads and describes itself in English; the story chain; every quest kind's keys.
#include "QuestTestWorld.h"

#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "rules/RulesEnums.h"
#include "rules/ShippedRulesWorld.h"
#include "rules/monsters/MonsterDefinition.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <regex>
#include <set>

namespace {

// Shipped quests of each family at level 6 from seed 4242, in English: the quest-log title and the body.
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
    {"QuestRescueNpc", "A Traveller Gone Missing",
     "A Traveller Gone Missing\n\n"
     "Elgardin went out gathering herbs and never came back. Find them and bring them home alive. The time left runs on "
     "while you lie dead.\n"
     "Time left:  1:15:06\nQuest level: 6\n\nReward: 156 Experience & ^c02623cp^c145\n"
     "The quest fails if the one you are protecting dies."},
    {"QuestRecruit", "Recruit's Trial: Kill 4 Wolves",
     "A Recruit's Trial\n\n"
     "Elgardin, a 7th-level Warden, will join your covenant once you have proven yourself. Kill 4 Wolves.\n"
     "\nLast seen: ^c002Level 6^c145\nQuest level: 6\n\nReturn to the Recruit for your reward.\n"
     "Reward: 59 Experience & ^c1281sp ^c145^c0262cp^c145\nThe quest fails if the recruit dies."},
    {"QuestBossWarlord", "The End of ^c001Gorrak Cinderjaw^c145",
     "^c001Gorrak Cinderjaw^c145 is the last and greatest of the enemy. End this.\n\n"
     "Location: ^c002Level 12^c145\nQuest level: 6\n\nReturn to the Warmaster for your reward.\n"
     "Reward: 492 Experience & 1,500 Score & ^c02623cp^c145 & a weapon\n"},
};

class ShippedQuests : public ShippedRulesWorld {
protected:
    ShippedQuests()
    {
        gRandomSystem = &random;
        gLocSystem = &loc;
        gNameGenerator = &names;
        for (int32_t level = 1; level <= 12; ++level)
            world.levels.push_back({"Level " + std::to_string(level), level, level % 3 == 0});
        world.bossLevels = {-1, 9, 10, 11, 11};
    }

    ~ShippedQuests() override
    {
        gRandomSystem = nullptr;
        gLocSystem = nullptr;
        gNameGenerator = nullptr;
    }

    void SetUp() override
    {
        ShippedRulesWorld::SetUp();
        EXPECT_TRUE(loc.Load("English"));
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
        for (size_t at = text.find("$$"); at != std::string::npos; at = text.find("$$", at + 2)) {
            size_t end = at + 2;
            while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            bool opensToken = end > at + 2 && (text.compare(end, 2, "$$") == 0 || text.compare(end, 2, "~<") == 0);
            if (!opensToken)
                continue;
            std::string key = text.substr(at + 2, end - at - 2);
            EXPECT_TRUE(loc.HasText(key)) << key << " in " << context;
            at = end - 2;
        }
    }

    RandomSystem random{7u};
    LocSystem loc;
    NameGenerator names;
    FakeQuestWorld world;
};

} // namespace

TEST_F(ShippedQuests, EachGeneratesSavesLoadsAndDescribesItselfInEnglish)
{
    ASSERT_GE(gameData.GetQuestDefinitions().GetCount(), 10);
    size_t goldensSeen = 0;
    for (const auto& definition : gameData.GetQuestDefinitions()) {
        std::string name(definition->GetEntry()->GetName());
        FakeQuest quest{&world};
        Start(quest, *definition, 6, 4242u);
        EXPECT_GE(quest.count, 1) << name;
        // What the town hands out, gives a player or takes back pays; the world's own events are
        // set to no one, and a treasure map's reward is its chest.
        if (definition->returnNpcType != NpcType::None || definition->autoGiveToPlayer ||
            definition->randomQuestChance > 0.0f) {
            EXPECT_GT(quest.xpReward, 0) << name;
        }
        std::string title = quest.BuildTitle(-1, false);
        std::string text = quest.BuildText(6, TimeStamp{}, "Ada");
        ExpectKnownKeys(title + text, name);
        auto golden = std::find_if(std::begin(kGoldens), std::end(kGoldens),
                                   [&](const Golden& candidate) { return name == candidate.name; });
        if (golden != std::end(kGoldens)) {
            EXPECT_EQ(loc.Translate(title), golden->title);
            EXPECT_EQ(loc.Translate(text), golden->body);
            ++goldensSeen;
        }

        MessageBuffer buffer;
        quest.progress = quest.count > 1 ? 1 : 0;
        quest.Write(buffer, true);
        FakeQuest copy{&world};
        ASSERT_TRUE(copy.Read(buffer, true, true, QuestBase::kNamedReferencesVersion)) << name;
        EXPECT_EQ(copy.BuildText(6, TimeStamp{}, "Ada"), quest.BuildText(6, TimeStamp{}, "Ada")) << name;
        EXPECT_EQ(copy.progress, quest.progress) << name;
    }
    EXPECT_EQ(goldensSeen, std::size(kGoldens));
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
    // A world's bits start at its difficulty (0 to 3) and character flag 0 is the tutorial's, so
    // the story's bits lie four apart from 4 on.
    EXPECT_EQ(bits, (std::vector<int32_t>{4, 8, 12}));
}

TEST_F(ShippedQuests, EveryQuestKindSpeaksWithKeysEnglishHas)
{
    const auto& definitions = gameData.GetQuestDefinitions();
    auto killing = std::find_if(definitions.begin(), definitions.end(),
                                [](const auto& definition) { return definition->questType == QuestType::KillMonsters; });
    ASSERT_NE(killing, definitions.end());
    const QuestDefinition* base = killing->get();
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

// The spy a monster-scout quest is about is named by its kind alone, so that its title, its news
// and a rival's kill of it read right for every kind a quest may draw: one that is a scout itself
// was a "Goblin Scout Scout", and one whose name begins with a vowel "A Ash Rover".
TEST_F(ShippedQuests, TheSpyReadsRightWhateverItsKind)
{
    const QuestDefinition* spying = gameData.FindQuestDefinition(database.FindEntryByName("QuestMonsterScout"));
    ASSERT_NE(spying, nullptr);
    std::set<const MonsterType*> kinds;
    for (int32_t level = 1; level <= 100; ++level)
        for (int32_t n = 0; n < gameData.CountEligibleMonsterTypes(level); ++n)
            kinds.insert(gameData.GetEligibleMonsterType(level, n));
    ASSERT_TRUE(kinds.count(gameData.FindMonsterType("MonsterGoblinScout")));
    const std::regex clumsy(R"(\b(\w+)\s+\1\b|\ba\s+[aeiou]|\ban\s+[^aeiou\W])", std::regex::icase);
    for (const MonsterType* kind : kinds) {
        FakeQuest quest{&world};
        Start(quest, *spying, 6, 4242u);
        quest.target = kind;
        std::string name = loc.Translate(kind->name);
        for (const std::string& line :
             {loc.Translate(quest.BuildTitle(-1, false)),
              loc.Translate(MakeLocToken("QuestAnnounceMonsterScout", "%s", kind->name.c_str())),
              loc.Translate(MakeLocToken("QuestCovKillMonsterScout", "%s %s", "Ada's House", kind->name.c_str()))}) {
            EXPECT_NE(line.find(name), std::string::npos) << line;
            EXPECT_FALSE(std::regex_search(line, clumsy)) << "a word twice, or \"a\" before a vowel: " << line;
        }
    }
}

// A click on a quest's NPC offers the deed of the first flag it carries, rescue before delivery
// before escort: the rescue, escort and delivery folk of the first class, whose types every
// quest's NPC takes, carry their own role's flag alone, so that each is offered its own.
TEST_F(ShippedQuests, TheQuestFolkCarryOnlyTheirOwnRolesFlag)
{
    std::string className = gameData.GetCharacterClassName(0);
    ASSERT_FALSE(className.empty());
    auto flags = [&](const char* role) {
        const MonsterType* type = gameData.FindMonsterType(std::string("Npc") + role + className);
        EXPECT_NE(type, nullptr) << role << className;
        const MonsterDefinition* actor = type ? type->definition : nullptr;
        return actor ? std::vector<bool>{actor->canBeRescued, actor->canReceiveDelivery, actor->canBeEscorted}
                     : std::vector<bool>{};
    };
    EXPECT_EQ(flags("Rescue"), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(flags("Delivery"), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(flags("Escort"), (std::vector<bool>{false, false, true}));
}

// Each quest the town draws has someone to hand it out: a kind of townsperson offers it (its
// "ReturnNpcType") or it goes to the player outright.
TEST_F(ShippedQuests, EveryQuestTheTownDrawsHasSomeoneToOfferIt)
{
    for (const auto& definition : gameData.GetQuestDefinitions())
        if (definition->randomQuestChance > 0.0f) {
            EXPECT_TRUE(definition->returnNpcType != NpcType::None || definition->autoGiveToPlayer)
                << definition->GetEntry()->GetName();
        }
}

// Every world event a running quest can set off has a shipped quest with a chance of it (the end
// of a quest has its own key); the two overthrow keys are read by no event.
TEST_F(ShippedQuests, EveryWorldEventHasAShippedChanceToHappen)
{
    bool ends = false;
    std::array<bool, QuestEventChance::kCount> fires{};
    for (const auto& definition : gameData.GetQuestDefinitions()) {
        ends = ends || definition->endChance > 0.0f;
        for (int32_t event = 0; event < QuestEventChance::kCount; ++event)
            fires[static_cast<size_t>(event)] =
                fires[static_cast<size_t>(event)] || definition->eventChances[static_cast<size_t>(event)] > 0.0f;
    }
    EXPECT_TRUE(ends);
    for (int32_t event = 0; event < QuestEventChance::kCount; ++event)
        if (event != QuestEventChance::OverthrowAttempt && event != QuestEventChance::OverthrowFailureWar) {
            EXPECT_TRUE(fires[static_cast<size_t>(event)]) << "event chance " << event;
        }
}
