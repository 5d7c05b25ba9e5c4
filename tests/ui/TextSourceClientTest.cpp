// TextSourceClientTest -- the text sources over the client's own view of a joined game: an entity's class from its record and the player's from its class stat, the chosen class's description, the game clock, the player's bags and the story files (a creature's from its actor record), as the world host's updates left them.
#include "ui/RelationsWorld.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBag.h"
#include "rules/items/InventoryBase.h"
#include "client/ClientProfiles.h"
#include "client/GameClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"

#include <cmath>

namespace {

class TextSourceClient : public RelationsWorld {
protected:
    std::string Shown(const char* widget) const
    {
        const UIWidget& shown = *ui->FindWidgetByPath(std::string("Texts::") + widget);
        return shown.BuildText(shown.textSource);
    }
    std::string Build(const char* source, int32_t param = -1) const
    {
        const UIWidget& any = *ui->FindWidgetByPath("Texts::Power");
        return any.BuildText({{EnumTable::LookupIn("UITextSource", source, true), param, ""}});
    }
    void WriteTexts()
    {
        folder.Write("Assets/UI/texts.mnu",
                     "name Texts\nvisible 1\nsize 640 480\n"
                     "Widget { internalName Chosen userVar TextsClass \"\"\ntextSource SelectedCharacterClassDescription\n}\n"
                     "Widget { internalName Power entityType PlayerClient\ntextSource PowerName\n}\n");
        // Menus read their user vars once the configuration files are in, as at start-up.
        vars.LoadConfigFiles();
    }
};

} // namespace

TEST_F(TextSourceClient, TheClientsViewGivesClassesClockAndBagsAsTheHostSentThem)
{
    WriteTexts();
    Start(0);
    auto* villager = new Actor();
    villager->SetUpFromMonsterType(gGameData->FindMonsterType("MonsterVillager"), 2, false);
    villager->RecalculateStats(true);
    villager->SetPosition(hostPlayer->position);
    ASSERT_NE(game->AddEntity(villager), -1);
    Sync();

    const CharacterClass* villagers = view.GetEntityClass(villager->entityNumber);
    ASSERT_NE(villagers, nullptr) << "a creature's class comes from its record";
    // Its story files too are its actor record's, though the host names it by its monster type.
    EXPECT_EQ(view.GetEntityHistoryFile(villager->entityNumber), "Texts/villager.txt");
    std::string rescueText;
    std::string rescueSound;
    ASSERT_TRUE(view.GetEntityRescue(villager->entityNumber, rescueText, rescueSound));
    EXPECT_EQ(rescueText, "Texts/villagerRescued.txt");
    EXPECT_EQ(rescueSound, "Sounds/thanks.ogg");
    EXPECT_FALSE(view.GetEntityRescue(-1, rescueText, rescueSound));
    EXPECT_EQ(villagers->powerName, "$$Zeal$$");
    EXPECT_EQ(view.GetEntityClass(view.GetPlayerEntityNumber()), gGameData->FindCharacterClass("ClassWanderer"));
    EXPECT_EQ(view.GetEntityClass(-1), nullptr);
    // The stat tooltips answer only for an entity the view gives a class.
    UiEntityFacts facts;
    ASSERT_TRUE(view.GetEntity(villager->entityNumber, facts));
    EXPECT_TRUE(facts.hasClass);
    EXPECT_EQ(facts.classColor.b, 0.75f) << "a creature wears its class's first colour";
    ASSERT_TRUE(view.GetEntity(view.GetPlayerEntityNumber(), facts));
    EXPECT_TRUE(facts.hasClass);
    EXPECT_EQ(Shown("Power"), "") << "the wanderer names no power";

    vars.SetStringByName("TextsClass", "ClassVillager");
    EXPECT_EQ(Shown("Chosen"), "$$ClassVillagerDesc$$");
    vars.SetStringByName("TextsClass", "NoSuchClass");
    EXPECT_EQ(Shown("Chosen"), "");

    TimeStamp clock;
    ASSERT_TRUE(view.GetGameClock(clock));
    EXPECT_EQ(clock.minutes, gameClient->clock.minutes);
    EXPECT_EQ(clock.seconds, gameClient->clock.seconds);

    // The player's bags hold what the host's inventory holds.
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag) {
        int32_t items = -1;
        int32_t slots = -1;
        ASSERT_TRUE(view.GetBagFill(bag, items, slots)) << bag;
        const InventoryBag* hostBag = hostPlayer->GetBag(bag);
        ASSERT_NE(hostBag, nullptr) << bag;
        EXPECT_EQ(slots, hostBag->GetSlotCount()) << bag;
        EXPECT_EQ(items, hostBag->CountItems()) << bag;
    }
    int32_t items = 0;
    int32_t slots = 0;
    EXPECT_FALSE(view.GetBagFill(InventoryBase::kBagCount, items, slots));
}

TEST_F(TextSourceClient, TheEndOfGameBonusesFollowThePlayersDeathsAndKillsAsTheHostCountsThem)
{
    WriteTexts();
    Start(0, {}, "DeathScoreMult 1.0\nDeathScoreMult 1.25\nDeathScoreMult 0.5\nKillAllMonstersScoreMult 1.5\n"
                 "FoundAllSecretsScoreMult 1.2\n");
    EXPECT_EQ(Build("DeathsScoreBonus"), "$$NoScoreBonus$$") << "no death: a multiplier of exactly 1";
    EXPECT_EQ(Build("KillAllMonstersScoreBonus"), "$$NoScoreBonus$$");
    EXPECT_EQ(Build("FoundAllSecretsScoreBonus"), "+20%") << "every one of the world's secrets found";

    hostPlayer->statistics.Set(CharacterFunStat::Deaths, 1);
    hostPlayer->statistics.Set(CharacterFunStat::DestroyedByMonsters, 1);
    Sync();
    EXPECT_EQ(Build("DeathsScoreBonus"), "+25%");
    EXPECT_EQ(Build("KillAllMonstersScoreBonus"), "+50%");
    hostPlayer->statistics.Set(CharacterFunStat::Deaths, 2);
    Sync();
    EXPECT_EQ(Build("DeathsScoreBonus"), "-50%") << "a loss reads as one, not as \"+-50%\"";
    hostPlayer->statistics.Set(CharacterFunStat::Deaths, 3);
    Sync();
    EXPECT_EQ(Build("DeathsScoreBonus"), "$$NoScoreBonus$$") << "past the list the multiplier is 1";
}

TEST_F(TextSourceClient, RumoursArePricedByThePartnersLeaderAndPaidFromTheCovenantsPurse)
{
    WriteTexts();
    Start(1, {}, "RumorCostPerLevelQuick 2.5\nRumorCostPerLevelPlanned 4\nRumorCostPerLevelWellCrafted 10\n");
    int32_t own = view.GetPlayerCovenantIndex();
    ASSERT_GE(own, 0);
    int32_t rival = own == 0 ? 1 : 0;
    game->GetCovenant(rival)->leaderLevel = 3;
    game->GetCovenant(own)->statistics.Set(CovenantStat::Money, 12);
    Sync();
    EXPECT_EQ(Build("RumorText", 0), "") << "no trade partner yet";
    gameClient->selectedCovenant = rival;
    int32_t level = game->GetCovenant(rival)->leaderLevel;
    ASSERT_GT(level, 0);
    auto price = [level](double perLevel) { return static_cast<int32_t>(std::ceil(perLevel * level)); };
    auto phrase = [](int32_t kind, bool red, int32_t cost) {
        std::string code = red ? ColorSystem::MakeColorCode(1) : std::string();
        return StringFormat("$$RumorText%d$$", kind + 1) + MakeLocToken("RumorCost", "%s%d", code.c_str(), cost);
    };
    // A fraction of a coin is a whole coin more: a purse short of the fraction cannot pay it.
    EXPECT_EQ(Build("RumorText", 0), phrase(0, price(2.5) > 12, price(2.5)));
    EXPECT_EQ(Build("RumorText", 1), phrase(1, price(4.0) > 12, price(4.0)));
    EXPECT_EQ(Build("RumorText", 2), phrase(2, price(10.0) > 12, price(10.0)));
    EXPECT_NE(Build("RumorText", 2).find(ColorSystem::MakeColorCode(1)), std::string::npos) << "30 and more is too dear";
}

TEST_F(TextSourceClient, ATopicReadThroughTheMenusIsTheCharactersAndComesBackWithIt)
{
    Start(0, {}, "",
          "HelpTopics\n{\n    HelpTopic Walking\n    HelpTopic Fighting\n    StartHelpTopic Walking\n"
          "    NextHelpTopicWalking Fighting\n}\n");
    ui->LoadHelpTopics();
    ASSERT_EQ(ui->IndexOfHelpTopic("Fighting"), 1);
    // The player's hints go to the interface the menus run in, as in the game.
    app->SetUi(ui.get());
    vars.SetStringByName("helpTopic", "Walking");
    commands.Execute("readHelpTopic");
    EXPECT_TRUE(player->HasHintBeenSeen(0)) << "the character, not the menus, keeps what was read";
    EXPECT_FALSE(player->HasHintBeenSeen(1));
    EXPECT_NE(ui->FindMenu("FightingButton"), nullptr) << "the follower is offered";
    // The client's own hints skip a topic read in the menus.
    player->TriggerHint("Walking");
    EXPECT_EQ(ui->FindMenu("WalkingButton"), nullptr);

    ASSERT_TRUE(player->SaveCharacter());
    PlayerClient reader;
    ASSERT_TRUE(reader.LoadCharacter("Ada", nullptr));
    EXPECT_TRUE(reader.HasHintBeenSeen(0)) << "the file keeps the topic read";
    EXPECT_FALSE(reader.HasHintBeenSeen(1));

    commands.Execute("readAllHelpTopics");
    EXPECT_TRUE(player->HasHintBeenSeen(1));
    EXPECT_TRUE(ui->IsHelpTopicRead(1));
    commands.Execute("resetAllHelpTopics");
    EXPECT_FALSE(player->HasHintBeenSeen(0));
    EXPECT_FALSE(ui->IsHelpTopicRead(1));
    EXPECT_NE(ui->FindMenu("WalkingButton"), nullptr) << "the start topic is offered again";
    app->SetUi(&this->ClientWorld::ui);
}

namespace {

constexpr const char* kProfileSourceRecords = R"(
AdvCaves
{
    Type Adventure
    OfficialAdventure 1
    AwardTrophy 1
    BronzeTrophyMinScore 100
    SilverTrophyMinScore 500
    GoldTrophyMinScore 1000
}
AdvPeaks
{
    Type Adventure
    OfficialAdventure 1
    AwardTrophy 1
    BronzeTrophyMinScore 100
    SilverTrophyMinScore 500
    GoldTrophyMinScore 1000
}
UnlockVeteran
{
    Type Unlock
    UnlockName "Veteran"
    UnlockDesc "VeteranDesc"
    TotalScore 5000
}
)";

// A win of the adventure with the player's score, level and kills as given.
void WinWith(UserProfile& profile, PlayerClient& player, const char* adventure, int32_t score, int32_t level,
             int32_t kills)
{
    player.stats.Set(CharacterStat::Score, score);
    player.stats.Set(CharacterStat::Level, level);
    player.funStats.Set(CharacterFunStat::Kills, kills);
    profile.RecordAdventureWin(player, adventure);
}

} // namespace

TEST_F(TextSourceClient, TheProfilesRecordsAreSummedBestedBoundedAndBandedByTrophy)
{
    folder.Write("Assets/UI/profiletexts.mnu",
                 "name ProfileTexts\nvisible 1\nsize 640 480\n"
                 "Widget { internalName Adventure userVar ProfileAdventure \"\"\n}\n"
                 "Widget { internalName Unlock unlockName Veteran\n}\n");
    vars.LoadConfigFiles();
    Start(0, {}, "", kProfileSourceRecords);
    const UIWidget& adventure = *ui->FindWidgetByPath("ProfileTexts::Adventure");
    auto build = [&adventure](const char* source, const std::string& argument = "") {
        return adventure.BuildText({{EnumTable::LookupIn("UITextSource", source, true), -1, argument}});
    };
    EXPECT_EQ(build("UserTotalScore"), "") << "no profile";
    EXPECT_EQ(build("NumTrophies", "Gold"), "0");

    vars.SetStringByName("NewUserName", "Bo");
    vars.SetStringByName("UserDifficultyLevel", "Elite");
    ClientProfiles& profiles = gameClient->GetProfiles();
    profiles.NewUser();
    profiles.BuildUnlockList();
    UserProfile* profile = profiles.GetCurrent();
    ASSERT_NE(profile, nullptr);
    WinWith(*profile, *player, "AdvCaves", 700, 4, 3);
    WinWith(*profile, *player, "AdvPeaks", 1200, 9, 1);
    WinWith(*profile, *player, "AdvCaves", 300, 2, 0);
    int32_t villager = database.FindEntryByName("MonsterVillager")->GetId();
    profiles.Count(villager, false);
    profiles.Count(villager, false);
    profiles.Count(villager, true);

    EXPECT_EQ(build("UserDifficulty"), "$$EliteDiff$$");
    // Totals add each adventure's best; bests take the best of those.
    EXPECT_EQ(build("UserTotalScore"), "1,900");
    EXPECT_EQ(build("UserTotalStat", "Level"), "13");
    EXPECT_EQ(build("UserTotalFunStat", "Kills"), "4");
    EXPECT_EQ(build("UserBestStat", "Level"), "9");
    EXPECT_EQ(build("UserBestFunStat", "Kills"), "3");
    // The adventure the widget's var names: its record's highest and lowest.
    vars.SetStringByName("ProfileAdventure", "AdvCaves");
    EXPECT_EQ(build("AdventureHighestStat", "Level"), "4");
    EXPECT_EQ(build("AdventureLowestStat", "Level"), "2");
    EXPECT_EQ(build("AdventureHighestFunStat", "Kills"), "3");
    EXPECT_EQ(build("AdventureLowestFunStat", "Kills"), "0");
    vars.SetStringByName("ProfileAdventure", "AdvNowhere");
    EXPECT_EQ(build("AdventureHighestStat", "Level"), "") << "no record of an adventure never won";
    vars.SetStringByName("ProfileAdventure", "AdvCaves");

    // The caves' best score 700 is silver (500 to 999), the peaks' 1,200 gold (no upper bound).
    EXPECT_EQ(build("NumTrophies", "bronze"), "0");
    EXPECT_EQ(build("NumTrophies", "Silver"), "1");
    EXPECT_EQ(build("NumTrophies", "GOLD"), "1");
    EXPECT_EQ(build("TrophyScores"), MakeLocToken("ScoreForBronzeTrophy", "%s", "100") +
                                         MakeLocToken("ScoreForSilverTrophy", "%s", "500") +
                                         MakeLocToken("ScoreForGoldTrophy", "%s", "1,000"));

    // Kills and deaths are counted under the monster's archetype.
    vars.SetStringByName("ProbeMonster", "ArchetypeTown");
    EXPECT_EQ(build("UserMonsterStatKills", "ProbeMonster"), "2");
    EXPECT_EQ(build("UserMonsterStatDeaths", "ProbeMonster"), "1");

    const UIWidget& unlock = *ui->FindWidgetByPath("ProfileTexts::Unlock");
    std::string described = MakeLocToken("VeteranDesc", "%s", "5,000");
    EXPECT_EQ(unlock.BuildText({{EnumTable::LookupIn("UITextSource", "UnlockText"), -1, ""}}),
              "$$Veteran$$\n" + described);
    EXPECT_EQ(unlock.BuildText({{EnumTable::LookupIn("UITextSource", "UnlockTextSimple"), -1, ""}}), described);
}

TEST_F(TextSourceClient, AStatusEffectsIconTellsItsNameAndTheDescriptionItsDefinitionBuilds)
{
    Start(0, {}, "",
          "StatusEffectWarmth\n{\n    Type StatusEffect\n    Name \"$$Warmth$$\"\n    Desc \"$$WarmthDesc$$\"\n"
          "    TextureName \"Textures/warmth.tga\"\n    Forever 1\n    Public 1\n}\n");
    // The host lays the effect on its player; the update carries it to the mirror.
    hostPlayer->AddStatusEffectByName("StatusEffectWarmth", nullptr, 1);
    Sync();
    std::vector<UiStatusEffectFacts> effects;
    ASSERT_TRUE(view.GetStatusEffects(view.GetPlayerEntityNumber(), effects, true));
    const UiStatusEffectFacts* warmth = nullptr;
    for (const UiStatusEffectFacts& effect : effects)
        if (effect.displayName == "$$Warmth$$")
            warmth = &effect;
    ASSERT_NE(warmth, nullptr) << "a public effect is sent to the client";
    EXPECT_EQ(warmth->iconName, "Textures/warmth.tga");
    EXPECT_NE(warmth->description.find("$$WarmthDesc$$"), std::string::npos) << warmth->description;
    // The row drawn each frame asks without texts: the same effects, the old texts written over.
    int32_t record = warmth->record;
    size_t count = effects.size();
    ASSERT_TRUE(view.GetStatusEffects(view.GetPlayerEntityNumber(), effects, false));
    ASSERT_EQ(effects.size(), count);
    bool found = false;
    for (const UiStatusEffectFacts& effect : effects) {
        EXPECT_TRUE(effect.displayName.empty() && effect.description.empty()) << effect.displayName;
        found = found || (effect.record == record && effect.iconName == "Textures/warmth.tga");
    }
    EXPECT_TRUE(found);
}
