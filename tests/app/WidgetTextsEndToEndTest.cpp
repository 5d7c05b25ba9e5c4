// WidgetTextsEndToEndTest -- the shipped game's menus in an offscreen window show live state through their text sources: the game menu's clock against the adventure's times, the vendor's price for identifying everything carried, and the profile's total score after a won adventure, each read back from the label the frame built.
#include "app/OffscreenShots.h"

#include "client/ClientProfiles.h"
#include "client/GameClient.h"
#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemRecords.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "world/World.h"

#include <memory>
#include <string>

namespace {

class WidgetTextsEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // The label as the last frame built it.
    static std::string Label(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        return widget ? widget->text : std::string("<no widget>");
    }

    static std::string Tooltip(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        std::string text;
        std::string title;
        if (!widget || !widget->GetHelpText(0, 0, text, title))
            return {};
        return text;
    }

    static std::string Build(const char* source)
    {
        return gUISystem->FindWidgetByPath("GameMenu::Time")->BuildText({{EnumTable::LookupIn("UITextSource", source),
                                                                            -1, ""}});
    }

    // An unidentified cap put into the first free cell of the first bag, as loot would come.
    static Item* PutUnidentifiedCap()
    {
        auto cap = std::make_unique<Item>();
        cap->SetEntry(gDatabase->FindEntryByName("PaddedCap"));
        cap->SetLevel(4);
        if (!cap->AddAffix(gGameData->GetItemRecords().FindMagicModifier("AffixSturdy"), 0.5f))
            return nullptr;
        cap->SetIdentified(false);
        Item* kept = cap.get();
        std::unique_ptr<ItemBase> placed = std::move(cap);
        return HostPlayer()->inventory->AddItem(placed, InventoryGroupIndex::Bag1) ? kept : nullptr;
    }
};

TEST_F(WidgetTextsEndToEnd, TheGameMenusClockRunsGreenUnderTheGreatTimeAndItsTooltipNamesTheTimes)
{
    EnterTheWorld();
    ASSERT_NE(Local(), nullptr);
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(2);
    ASSERT_TRUE(Shown("GameMenu"));
    std::string first = Label("GameMenu::Time");
    EXPECT_EQ(first.rfind(ColorSystem::MakeColorCode(2), 0), 0u) << "the shipped great time is an hour and a half: " << first;
    std::string tooltip = Tooltip("GameMenu::Time");
    EXPECT_NE(tooltip.find("$$CurrentTime"), std::string::npos) << tooltip;
    EXPECT_NE(tooltip.find("$$GreatTime"), std::string::npos) << tooltip;
    EXPECT_NE(tooltip.find("$$GoodTime"), std::string::npos) << tooltip;
    // Under the great time the bonus is the world's own great-time multiplier.
    EXPECT_EQ(Build("TimeScoreBonus"), "+50%");

    // The menu pauses nothing on a local game: the host's clock runs on and the label follows it.
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(60);
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(2);
    ASSERT_TRUE(Shown("GameMenu"));
    EXPECT_NE(Label("GameMenu::Time"), first);
}

TEST_F(WidgetTextsEndToEnd, TheVendorsButtonPricesIdentifyingEverythingAndAClickPaysIt)
{
    EnterTheWorld();
    ASSERT_NE(HostPlayer(), nullptr);
    HostPlayer()->stats.Set(CharacterStat::Money, 1000);
    Item* cap = PutUnidentifiedCap();
    ASSERT_NE(cap, nullptr);
    int32_t cost = cap->GetIdentifyCost();
    ASSERT_GT(cost, 0);
    Frames(4);
    TypeOnConsole("showMenu VendorMenu");
    Frames(2);
    ASSERT_TRUE(Shown("VendorMenu"));
    EXPECT_EQ(Label("VendorMenu::IdentifyAllLabel"), "$$IdentifyAllYourItemsFor$$ " + FormatMoney(cost));

    // The button is at (118, 268) of the window at (16, 4), 168 x 38.
    ClickAt(16 + 118 + 84, 4 + 268 + 19);
    Frames(4);
    EXPECT_FALSE(cap->IsUnidentified()) << "the host identified the cap";
    EXPECT_EQ(HostPlayer()->stats.Get(CharacterStat::Money), 1000 - cost);
    EXPECT_EQ(Label("VendorMenu::IdentifyAllLabel"), "$$NothingToIdentifyLabel$$")
        << "nothing is left to identify, and the button says so rather than offer it for nothing";
}

TEST_F(WidgetTextsEndToEnd, TheProfilesScreenTotalsTheScoreOfTheWonAdventure)
{
    TypeOnConsole("setUserVar NewUserName Tamsin");
    TypeOnConsole("newUser");
    ASSERT_EQ(gGameClient->GetProfiles().GetUserName(), "Tamsin");
    // The title's Profiles button.
    ClickAt(320, 322);
    Frames(2);
    ASSERT_TRUE(Shown("Profiles"));
    EXPECT_EQ(Label("Profiles::Current"), "Tamsin");
    EXPECT_EQ(Label("Profiles::Records"), "0") << "no adventure won yet";
    const EnumTable* difficulties = EnumTable::Find("WorldDifficultyLevel");
    ASSERT_NE(difficulties, nullptr);
    int32_t difficulty = gGameClient->GetProfiles().GetCurrent()->GetDifficulty();
    EXPECT_EQ(Tooltip("Profiles::Records"), "$$" + difficulties->GetName(difficulty) + "Diff$$");
    // Its Back button.
    ClickAt(320, 410);
    Frames(2);
    ASSERT_TRUE(Shown("Main"));

    EnterTheWorld();
    ASSERT_NE(HostPlayer(), nullptr);
    HostPlayer()->stats.Set(CharacterStat::Score, 12345);
    Frames(4);
    TypeOnConsole("adventureWon");
    Frames(5);
    TypeOnConsole("showMenu Profiles");
    Frames(2);
    EXPECT_EQ(Label("Profiles::Records"), FormatThousands(12345));
    // The shipped warden is an official class: its win is noted in the adventure's record.
    UIWidget* records = gUISystem->FindWidgetByPath("Profiles::Records");
    int32_t classWins = EnumTable::LookupIn("UITextSource", "NumAdventuresClassWon");
    EXPECT_EQ(records->BuildText({{classWins, -1, ""}}), "1") << gUserVarSystem->GetStringByName("PlayerClass");
    // The conditions ask the same profile: the class won the adventure the choice names.
    int32_t classWon = EnumTable::LookupIn("UICondition", "ClassWonAdventure");
    EXPECT_FALSE(records->EvaluateCondition(classWon)) << "no adventure chosen";
    gUserVarSystem->SetStringByName("WorldName", gWorld->GetAdventureName());
    EXPECT_TRUE(records->EvaluateCondition(classWon)) << gWorld->GetAdventureName();
    gUserVarSystem->SetStringByName("PlayerClass", "ClassMonsterGeneric");
    EXPECT_EQ(records->BuildText({{classWins, -1, ""}}), "0");
    EXPECT_FALSE(records->EvaluateCondition(classWon));
}

TEST_F(WidgetTextsEndToEnd, TheCharacterSheetsTooltipsMeasureTheFiguresAgainstAMonsterOfThePlayersLevel)
{
    EnterTheWorld();
    ASSERT_NE(Local(), nullptr);
    HostPlayer()->stats.Set(CharacterStat::Money, 1234567);
    Frames(4);
    Tap(SDL_SCANCODE_C);
    Frames(2);
    ASSERT_TRUE(Shown("Character"));
    std::string level = StringFormat("%d", Local()->GetStat(CharacterStat::Level));
    for (const char* figure : {"Attack", "Defense", "Armor"}) {
        std::string tooltip = Tooltip((std::string("Character::") + figure).c_str());
        EXPECT_EQ(tooltip.rfind(std::string("$$") + figure + "$$\n\n$$CurrentAmount$$: ", 0), 0u) << tooltip;
        EXPECT_NE(tooltip.find("LevelYMonster"), std::string::npos) << tooltip;
        EXPECT_NE(tooltip.find(level), std::string::npos) << "measured at the player's level: " << tooltip;
    }
    std::string money = Tooltip("Character::Money");
    EXPECT_NE(money.find("123 $$GoldPiece$$"), std::string::npos) << money;
    EXPECT_NE(money.find("45 $$SilverPiece$$"), std::string::npos) << money;
    EXPECT_NE(money.find("67 $$CopperPiece$$"), std::string::npos) << money;
    EXPECT_EQ(Tooltip("Character::Dps").rfind("$$DPS$$\n\n", 0), 0u);
    // The warden's toughness grows with vitality: the sheet names the base vitality its next level needs.
    std::string vitality = Tooltip("Character::Vitality");
    EXPECT_NE(vitality.find("$$NextBonusSkill$$"), std::string::npos) << vitality;
    EXPECT_NE(vitality.find("$$SkillWardenToughness$$"), std::string::npos) << vitality;
    // What each point of intelligence and spirit gives, by the warden's rates, reads as English.
    HostPlayer()->stats.Set(CharacterStat::BaseIntelligence,
                           gGameData->GetAttributeCap(CharacterStat::BaseIntelligence - CharacterStat::BaseStrength));
    Frames(4);
    std::string intelligence = gLocSystem->Translate(Tooltip("Character::Intelligence"));
    std::string spirit = gLocSystem->Translate(Tooltip("Character::Spirit"));
    EXPECT_NE(intelligence.find(" (maxed)"), std::string::npos) << "its base at the cap: " << intelligence;
    EXPECT_NE(intelligence.find("% chance of a critical spell hit\n"), std::string::npos) << intelligence;
    EXPECT_NE(intelligence.find(" Resolve regained each second\n"), std::string::npos) << intelligence;
    EXPECT_NE(spirit.find(" Resolve regained each second\n"), std::string::npos) << spirit;
    EXPECT_NE(spirit.find(" to elemental resistances\n"), std::string::npos) << spirit;
}

} // namespace
