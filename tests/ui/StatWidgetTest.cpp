// StatWidgetTest -- stat values, bars and moving stat widgets loaded from a menu file over a fake game: the stat keyword's tables, value texts with their colours and conversions, the attribute tests, tooltips, the bar's filled rectangle and the widget's place along its line.
#include "ui/UiWorld.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/EnumTable.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "ui/widgets/UIStatBar.h"
#include "ui/widgets/UIStatValue.h"
#include "ui/widgets/UIStatWidget.h"

namespace {

const char kStatMenu[] =
    "name V\nvisible 1\nsize 640 480\n"
    "StatValue { internalName Level entityType PlayerClient stat Normal Level\n}\n"
    "StatValue { internalName Pair entityType PlayerClient stat Normal Level Strength\n}\n"
    "StatValue { internalName Slash entityType PlayerClient stat Normal Level Strength\ndivider / }\n"
    "StatValue { internalName Life entityType PlayerClient stat Other Health MaxHealth\nmaxedColor Red }\n"
    "StatValue { internalName Float entityType PlayerClient stat Normal Level\nconversionType Float }\n"
    "StatValue { internalName Share entityType PlayerClient stat Other Health MaxHealth\nconversionType Percent }\n"
    "StatValue { internalName Wrong entityType PlayerClient stat Normal Health\n}\n"
    "StatValue { internalName Str entityType PlayerClient stat Normal Strength\nincreasedColor Green "
    "decreasedColor Red }\n"
    "StatValue { internalName Named entityType PlayerClient stat Normal Strength\nshowName 1 showStat 1 }\n"
    "StatValue { internalName Hidden entityType PlayerClient stat Normal Level\nshowStat 0 }\n"
    "StatBar { internalName Bar entityType PlayerServer stat Other Health MaxHealth\nposition 100 100 size 200 20 }\n"
    "StatBar { internalName Back entityType PlayerServer stat Other Health MaxHealth\nposition 100 200 size 200 20 "
    "reversed 1 }\n"
    "StatBar { internalName Up entityType PlayerServer stat Other Power MaxPower\nposition 400 100 size 20 100 "
    "vertical 1 reversed 1 }\n"
    "StatWidget { internalName Pointer entityType PlayerClient stat Normal Level\nstatControlsPosition 1 "
    "startPosition 100 50 endPosition 300 50 statMultiplier 100 size 10 10 }\n"
    "StatWidget { internalName Wraps entityType PlayerClient stat Normal Level\nstatControlsPosition 1 "
    "startPosition 100 50 endPosition 300 50 statMultiplier 100 statWraps 1 dontDrawValue 0 }\n"
    "StatWidget { internalName Still entityType PlayerClient stat Normal Level\nstatControlsPosition 1 "
    "startPosition 100 50 endPosition 300 50 }\n";

class StatWorld : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("v.mnu", kStatMenu);
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 3;
        view.entities[3] = UiEntityFacts{};
        SetStat("Level", 5);
        SetStat("Strength", 7);
    }

    static int32_t StatIndex(const char* name) { return EnumTable::LookupIn("CharacterStat", name, true); }
    void SetStat(const char* name, int32_t value) { view.stats[StatIndex(name)] = value; }
    void SetHealth(int32_t health, int32_t maxHealth)
    {
        view.entities[3].health = health;
        view.entities[3].maxHealth = maxHealth;
    }
    template <typename Kind> Kind* Get(const std::string& name) const
    {
        return dynamic_cast<Kind*>(ui->FindWidgetByPath("V::" + name));
    }
    // The text as the frame builds it.
    std::string Shown(const std::string& name)
    {
        ui->UpdateAndDraw(0.0f);
        return ui->FindWidgetByPath("V::" + name)->text;
    }
};

class StatValue : public StatWorld {};

TEST_F(StatValue, TheStatKeywordLooksItsNamesUpInTheTypesTable)
{
    auto* level = Get<UIStatValue>("Level");
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->statType, StatType::Normal);
    EXPECT_EQ(level->statIndex, StatIndex("Level"));
    EXPECT_EQ(level->secondStatIndex, -1);
    auto* life = Get<UIStatValue>("Life");
    EXPECT_EQ(life->statType, StatType::Other);
    EXPECT_EQ(life->statIndex, StatOtherIndex::Health);
    EXPECT_EQ(life->secondStatIndex, StatOtherIndex::MaxHealth);
    // Health is no character stat: the table's default stands in, with the table's line.
    EXPECT_EQ(Get<UIStatValue>("Wrong")->statIndex, StatIndex("None"));
    EXPECT_EQ(Logged("Unknown CharacterStat name Health"), 1);
}

TEST_F(StatValue, TextsShowTheValuesTheirDividerAndConversions)
{
    EXPECT_EQ(Shown("Level"), "5");
    EXPECT_EQ(Shown("Pair"), "5  7") << "an empty divider leaves two blanks";
    EXPECT_EQ(Shown("Slash"), "5 / 7");
    SetStat("Level", 1234);
    EXPECT_EQ(Shown("Float"), "12.3");
    SetHealth(1, 3);
    EXPECT_EQ(Shown("Share"), "33%");
    SetHealth(1, 0);
    EXPECT_EQ(Shown("Share"), "0%") << "no maximum, no share";
    EXPECT_EQ(Shown("Hidden"), "");
    EXPECT_EQ(Shown("Named"), "$$Strength$$");
}

TEST_F(StatValue, AMaxedValueIsColouredAndClosedWithThePopCode)
{
    SetHealth(40, 50);
    EXPECT_EQ(Shown("Life"), "40  50");
    SetHealth(50, 50);
    EXPECT_EQ(Shown("Life"), "^c00150  50^c145");
    auto* life = Get<UIStatValue>("Life");
    EXPECT_EQ(life->BuildValueText(true), "^c00150  50 (maxed)^c145");
    EXPECT_TRUE(life->IsMaxed());
    EXPECT_FALSE(Get<UIStatValue>("Level")->IsMaxed()) << "a single stat is never maxed";
}

TEST_F(StatValue, AttributesCompareWithTheirBasePlusTheSkillsBonus)
{
    SetStat("BaseStrength", 10);
    view.attributeBonus[0] = 2;
    SetStat("Strength", 13);
    EXPECT_EQ(Shown("Str"), "^c00213^c145");
    SetStat("Strength", 12);
    EXPECT_EQ(Shown("Str"), "12");
    SetStat("Strength", 11);
    EXPECT_EQ(Shown("Str"), "^c00111^c145");
    EXPECT_EQ(Get<UIStatValue>("Str")->BuildBaseValueText(), "10");
}

TEST_F(StatValue, MissingOwnersAndStatsPastTheListReadZero)
{
    auto* level = Get<UIStatValue>("Level");
    EXPECT_EQ(level->GetValue(1), 0) << "the stat after the level is not in the fake's list";
    view.player = false;
    view.playerEntity = -1;
    EXPECT_EQ(Get<UIStatValue>("Life")->GetValue(), 0);
    level->statIndex = -1;
    EXPECT_EQ(level->GetValue(), 0);
}

TEST_F(StatValue, TheTooltipNeedsThePlayerAndForAttributesItsClass)
{
    std::string text;
    std::string title;
    auto* strength = Get<UIStatValue>("Str");
    SetStat("BaseStrength", 10);
    SetStat("Strength", 10);
    EXPECT_FALSE(strength->GetHelpText(0, 0, text, title)) << "no class, no attribute tooltip";
    view.entities[3].hasClass = true;
    ASSERT_TRUE(strength->GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "$$Strength$$\n\n$$BaseAmount$$: 10\n$$CurrentAmount$$: 10\n");
    auto* life = Get<UIStatValue>("Life");
    SetHealth(20, 50);
    ASSERT_TRUE(life->GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "$$Health$$\n20  50");
    view.player = false;
    EXPECT_FALSE(life->GetHelpText(0, 0, text, title));
}

class StatBar : public StatWorld {};

TEST_F(StatBar, TheFillFollowsTheShareUnclampedFromEitherEdge)
{
    view.entities[3].health = 50;
    view.entities[3].maxHealth = 100;
    float x0, y0, x1, y1;
    ASSERT_TRUE(Get<UIStatBar>("Bar")->GetFillRect(x0, y0, x1, y1));
    EXPECT_FLOAT_EQ(x0, 100.0f);
    EXPECT_FLOAT_EQ(x1, 200.0f);
    EXPECT_FLOAT_EQ(y0, 100.0f);
    EXPECT_FLOAT_EQ(y1, 120.0f);
    ASSERT_TRUE(Get<UIStatBar>("Back")->GetFillRect(x0, y0, x1, y1));
    EXPECT_FLOAT_EQ(x0, 200.0f);
    EXPECT_FLOAT_EQ(x1, 300.0f);
    view.entities[3].health = 150;
    ASSERT_TRUE(Get<UIStatBar>("Bar")->GetFillRect(x0, y0, x1, y1));
    EXPECT_FLOAT_EQ(x1, 400.0f) << "a value past its maximum draws past the widget";
    view.entities[3].power = 25;
    view.entities[3].maxPower = 100;
    ASSERT_TRUE(Get<UIStatBar>("Up")->GetFillRect(x0, y0, x1, y1));
    EXPECT_FLOAT_EQ(y0, 175.0f) << "a reversed upright bar grows from its bottom";
    EXPECT_FLOAT_EQ(y1, 200.0f);
    EXPECT_FLOAT_EQ(x1 - x0, 20.0f);
}

TEST_F(StatBar, NoMaximumDrawsNothingAndTheTooltipShowsBothNumbers)
{
    view.entities[3].health = 5;
    view.entities[3].maxHealth = 0;
    float x0, y0, x1, y1;
    EXPECT_FALSE(Get<UIStatBar>("Bar")->GetFillRect(x0, y0, x1, y1));
    view.entities[3].maxHealth = -4;
    EXPECT_FALSE(Get<UIStatBar>("Bar")->GetFillRect(x0, y0, x1, y1));
    std::string text;
    std::string title;
    view.entities[3].maxHealth = 9;
    EXPECT_TRUE(Get<UIStatBar>("Bar")->GetHelpText(0, 0, text, title));
    EXPECT_EQ(text, "5 / 9");
}

TEST_F(StatBar, TheStatWidgetSlidesAlongItsLineAndWrapsWhenAsked)
{
    SetStat("Level", 50);
    ui->Update(0.0f);
    auto* pointer = Get<UIStatWidget>("Pointer");
    EXPECT_FLOAT_EQ(pointer->position[0], 200.0f - 5.0f);
    EXPECT_FLOAT_EQ(pointer->position[1], 50.0f);
    SetStat("Level", 250);
    ui->Update(0.0f);
    EXPECT_FLOAT_EQ(pointer->GetFraction(), 2.5f);
    EXPECT_FLOAT_EQ(Get<UIStatWidget>("Wraps")->GetFraction(), 0.5f);
    // No multiplier: the widget stays at its start instead of dividing by zero.
    EXPECT_FLOAT_EQ(Get<UIStatWidget>("Still")->GetFraction(), 0.0f);
    EXPECT_FLOAT_EQ(Get<UIStatWidget>("Still")->position[0], 100.0f);
}

TEST_F(StatBar, CopiesKeepTheirStatsAndShape)
{
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(Get<UIStatBar>("Up")));
    auto* bar = dynamic_cast<UIStatBar*>(copy.get());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->vertical);
    EXPECT_TRUE(bar->reversed);
    EXPECT_EQ(bar->statIndex, StatOtherIndex::Power);
    EXPECT_EQ(bar->secondStatIndex, StatOtherIndex::MaxPower);
}

} // namespace

namespace {

// A class with attribute rates from a game database, for the attribute tooltips.
class StatValueTooltip : public UiWorld {
protected:
    StatValueTooltip() { gDatabase = &database; }
    ~StatValueTooltip() override
    {
        gGameData = nullptr;
        gDatabase = nullptr;
    }
    void SetUp() override
    {
        folder.Write("Assets/Database/database.dbl", "ui.dbr\n");
        folder.Write("Assets/Database/ui.dbr", "Warrior\n{\n    Type Class\n    DefensePerDex 1.5\n    AttackPerDex 2\n"
                                               "    DamageMultPerStr 0.01\n    PowerName Fury\n}\n");
        database.Load();
        gameData = std::make_unique<GameData>();
        gameData->Load(database);
        gGameData = gameData.get();
        WriteMenu("v.mnu", "name V\nvisible 1\nsize 640 480\n"
                           "StatValue { internalName Dex entityType PlayerClient stat Normal Dexterity\n}\n"
                           "StatValue { internalName Str entityType PlayerClient stat Normal Strength\n}\n");
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 3;
        view.entities[3].hasClass = true;
        view.classIndex = 0;
    }
    void SetStat(const char* name, int32_t value) { view.stats[EnumTable::LookupIn("CharacterStat", name, true)] = value; }
    std::string Tooltip(const std::string& name)
    {
        std::string text;
        std::string title;
        EXPECT_TRUE(ui->FindWidgetByPath("V::" + name)->GetHelpText(0, 0, text, title));
        return text;
    }

    Database database;
    std::unique_ptr<GameData> gameData;
};

TEST_F(StatValueTooltip, DexterityShowsItsDefenseAndAttackNowAndAtTheNextPoint)
{
    SetStat("BaseDexterity", 10);
    SetStat("Dexterity", 10);
    EXPECT_EQ(Tooltip("Dex"), "$$Dexterity$$\n\n$$BaseAmount$$: 10\n$$CurrentAmount$$: 10\n"
                              "  +15 $$Defense$$\n  +20 $$Attack$$\n\n"
                              "$$StatAt$$ 11 $$Dexterity$$:\n  +16 $$Defense$$\n  +22 $$Attack$$\n\n");
}

TEST_F(StatValueTooltip, TheSkillTheAttributeRaisesNextClosesItsTooltip)
{
    SetStat("BaseDexterity", 10);
    SetStat("Dexterity", 10);
    view.bonusAttribute = 1;
    view.bonusSkill = "$$Lunge$$";
    view.bonusLevel = 3;
    view.bonusNeeded = 14;
    std::string tooltip = Tooltip("Dex");
    std::string line = "$$NextBonusSkill$$:\n" +
                       MakeLocToken("SkillLevelXAtYAttribute", "%s %d %d $$%s$$", "$$Lunge$$", 3, 14, "Dexterity");
    ASSERT_GE(tooltip.size(), line.size());
    EXPECT_EQ(tooltip.substr(tooltip.size() - line.size()), line) << tooltip;
    EXPECT_EQ(Tooltip("Str").find("NextBonusSkill"), std::string::npos) << "no skill waits on strength";
}

TEST_F(StatValueTooltip, StrengthShowsItsDamageShare)
{
    SetStat("BaseStrength", 20);
    SetStat("Strength", 25);
    EXPECT_EQ(Tooltip("Str"), "$$Strength$$\n\n$$BaseAmount$$: 20\n$$CurrentAmount$$: 25\n"
                              "  +25.0% $$Damage$$\n\n$$StatAt$$ 26 $$Strength$$:\n  +26.0% $$Damage$$\n\n");
}

// The generic monster and the tuning the figures are measured by: at level 4 the monster has
// dexterity 4 + 4 = 8, so defense 16 and attack 24, and damage (2 + 4 + 6 + 4) / 2 = 8 a blow.
class StatValueFigures : public StatValueTooltip {
protected:
    void SetUp() override
    {
        folder.Write("Assets/Database/database.dbl", "ui.dbr\n");
        folder.Write("Assets/Database/ui.dbr",
                     "GameSystem\n{\n    ArmorAbsorbMultiplier 1\n    ArmorMinAbsorbPercent 0.5\n"
                     "    ResistanceAbsorbMultiplier 1\n    ResistanceMinAbsorbPercent 0.5\n"
                     "    TypicalDamageBase 10\n    TypicalDamagePerLevel 2\n}\n"
                     "Warrior\n{\n    Type Class\n    PowerName Fury\n}\n"
                     "ClassMonsterGeneric\n{\n    Type Class\n    DefensePerDex 2\n    AttackPerDex 3\n"
                     "    StartDexterity 4\n    DexterityPerLevel 1\n    MinDamage 2\n    MinDamagePerLevel 1\n"
                     "    MaxDamage 6\n    MaxDamagePerLevel 1\n}\n");
        database.Load();
        gameData = std::make_unique<GameData>();
        gameData->Load(database);
        gGameData = gameData.get();
        WriteMenu("v.mnu", "name V\nvisible 1\nsize 640 480\n"
                           "StatValue { internalName Attack entityType PlayerClient stat Normal Attack\n}\n"
                           "StatValue { internalName Defense entityType PlayerClient stat Normal Defense\n}\n"
                           "StatValue { internalName Armor entityType PlayerClient stat Normal Armor\n}\n"
                           "StatValue { internalName Fire entityType PlayerClient stat Normal ResistanceFire\n}\n"
                           "StatValue { internalName Physical entityType PlayerClient stat Normal ResistancePhysical\n}\n"
                           "StatValue { internalName Money entityType PlayerClient stat Normal Money\n}\n"
                           "StatValue { internalName Dps entityType PlayerClient stat Other Dps\n}\n");
        ui->RegisterCommands();
        view.player = true;
        view.playerEntity = 3;
        view.entities[3].hasClass = true;
        view.classIndex = 0;
        SetStat("Level", 4);
    }
};

TEST_F(StatValueFigures, AttackDefenseArmorAndResistancesAreMeasuredAgainstAMonsterOfThePlayersLevel)
{
    SetStat("Attack", 20);
    SetStat("Defense", 40);
    SetStat("Armor", 6);
    SetStat("ResistanceFire", 3);
    SetStat("ResistancePhysical", 3);
    // trunc(20 x 1.5) = 30 against 16: 1 - 0.5 x 16 / 30.
    EXPECT_EQ(Tooltip("Attack"), "$$Attack$$\n\n$$CurrentAmount$$: 20\n" +
                                     MakeLocToken("XChanceToHitLevelYMonster", "%.0f%% %d", 73.0, 4));
    // trunc(24 x 1.5) = 36 against 40: 0.5 x 36 / 40.
    EXPECT_EQ(Tooltip("Defense"), "$$Defense$$\n\n$$CurrentAmount$$: 40\n" +
                                      MakeLocToken("XChanceLevelYMonsterWillHitYou", "%.0f%% %d", 45.0, 4));
    // 6 x 1 x 1.5 x 0.5 = 4.5 of a blow of 8.
    EXPECT_EQ(Tooltip("Armor"), "$$Armor$$\n\n$$CurrentAmount$$: 6\n" +
                                    MakeLocToken("AbsorbXDamageFromLevelYMonster", "%.0f%% %d", 56.25, 4));
    // 3 x 1.5 x 0.5 = 2.25 of a typical 10 + 3 x 2 = 16.
    EXPECT_EQ(Tooltip("Fire"), "$$ResistanceFire$$\n\n$$CurrentAmount$$: 3\n" +
                                   MakeLocToken("AbsorbXYDamageFromLevelZMonster", "%.1f%% $$%s$$ %d", 14.0625,
                                                "Fire", 4));
    EXPECT_EQ(Tooltip("Physical"), "$$ResistancePhysical$$\n3") << "the physical one keeps the plain text";

    SetStat("Attack", 0);
    EXPECT_NE(Tooltip("Attack").find(MakeLocToken("XChanceToHitLevelYMonster", "%.0f%% %d", 0.0, 4)),
              std::string::npos)
        << "no attack hits nothing";
    SetStat("Armor", 20);
    EXPECT_NE(Tooltip("Armor").find(MakeLocToken("AbsorbXDamageFromLevelYMonster", "%.0f%% %d", 100.0, 4)),
              std::string::npos)
        << "armour past the blow takes all of it";
}

TEST_F(StatValueFigures, MoneyIsCountedInCoinsAndTheDamageRateInHundredths)
{
    SetStat("Money", 1234567);
    std::string pop = ColorSystem::MakeColorCode(145);
    EXPECT_EQ(Tooltip("Money"), "$$Money$$\n\n" + ColorSystem::MakeColorCode(kGoldColor) + "123 $$GoldPiece$$" + pop +
                                    "\n" + ColorSystem::MakeColorCode(kSilverColor) + "45 $$SilverPiece$$" + pop +
                                    "\n" + ColorSystem::MakeColorCode(kCopperColor) + "67 $$CopperPiece$$" + pop +
                                    "\n\n\n$$CoinExchange$$");
    view.computedValues[StatOtherIndex::Dps] = 1234;
    EXPECT_EQ(Tooltip("Dps"), "$$DPS$$\n\n12.3 $$DamagePerSecond$$");
}

TEST_F(StatValueFigures, WithoutTheGenericMonsterTheFiguresKeepThePlainText)
{
    gameData = std::make_unique<GameData>();
    gGameData = gameData.get();
    SetStat("Attack", 20);
    EXPECT_EQ(Tooltip("Attack"), "$$Attack$$\n20");
}

} // namespace
