// TextSourceClientTest -- the text sources over the client's own view of a joined game: an entity's class from its record and the player's from its class stat, the chosen class's description, the game clock, the player's bags and the story files (a creature's from its actor record), as the world host's updates left them.
#include "ui/RelationsWorld.h"

#include "core/EnumTable.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBag.h"
#include "rules/items/InventoryBase.h"

namespace {

class TextSourceClient : public RelationsWorld {
protected:
    std::string Shown(const char* widget) const
    {
        const UIWidget& shown = *ui->FindWidgetByPath(std::string("Texts::") + widget);
        return shown.BuildText(shown.textSource);
    }
    std::string Build(const char* source) const
    {
        const UIWidget& any = *ui->FindWidgetByPath("Texts::Power");
        return any.BuildSourceText(EnumTable::LookupIn("UITextSource", source, true), -1, "");
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
