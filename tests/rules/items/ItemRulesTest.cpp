// ItemRulesTest -- equipment slots, requirements, affix rolls and the item arithmetic: stats, value, price, names, tooltip.
#include "core/ColorCode.h"
#include "rules/items/ItemFormulas.h"
#include "ItemWorld.h"

#include <cmath>

namespace {

class ItemRules : public ItemWorld {};

TEST(ItemSlots, BagForSlotTypeCoversEveryItemType)
{
    const int32_t expected[ItemType::kCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 15, 17, 14, 16,
                                                17, 17, 17, 17, 17, 17, 17, 17};
    for (int32_t type = 0; type < ItemType::kCount; ++type)
        EXPECT_EQ(BagForSlotType(type), expected[type]) << type;
    EXPECT_EQ(BagForSlotType(-1), EquipedLocation::None);
    EXPECT_EQ(BagForSlotType(ItemType::kCount), EquipedLocation::None);
}

TEST_F(ItemRules, EachKindFitsExactlyItsEquipmentSlots)
{
    struct Case {
        const char* item;
        std::vector<int32_t> slots;
    };
    const Case cases[] = {
        {"Sword", {EquipedLocation::HandPrimary}},
        {"GreatAxe", {EquipedLocation::HandPrimary}},
        {"Dagger", {EquipedLocation::HandPrimary, EquipedLocation::HandSecondary}},
        {"Buckler", {EquipedLocation::HandSecondary}},
        {"Band", {EquipedLocation::Ring1, EquipedLocation::Ring2}},
        {"Charm", {EquipedLocation::Jewelry1, EquipedLocation::Jewelry2}},
        {"Helm", {EquipedLocation::Head}},
        {"Tonic", {}},
        {"Pack", {}},
    };
    for (const Case& c : cases) {
        auto item = Make(c.item);
        for (int32_t slot = -1; slot <= EquipedLocation::None; ++slot) {
            bool listed = std::find(c.slots.begin(), c.slots.end(), slot) != c.slots.end();
            EXPECT_EQ(item->FitsEquipSlot(slot), listed) << c.item << " in " << slot;
        }
    }
}

TEST_F(ItemRules, SlotTypesMatchTheirOwnKindAndEitherHandsTheOffHand)
{
    EXPECT_TRUE(ItemMatchesSlotType(*Make("Dagger"), ItemSlotType::HandSecondary));
    EXPECT_TRUE(ItemMatchesSlotType(*Make("GreatAxe"), ItemSlotType::HandPrimary));
    EXPECT_FALSE(ItemMatchesSlotType(*Make("GreatAxe"), ItemSlotType::HandSecondary));
    EXPECT_TRUE(ItemMatchesSlotType(*Make("Pack"), ItemSlotType::None));
    EXPECT_FALSE(ItemMatchesSlotType(*Make("Helm"), ItemSlotType::Chest));
}

TEST_F(ItemRules, RequirementsHoldExactlyAtTheirValues)
{
    auto sword = Make("Sword");
    EXPECT_TRUE(sword->MeetsRequirements(Stats(2, 10)));
    EXPECT_FALSE(sword->MeetsRequirements(Stats(1, 10)));
    EXPECT_FALSE(sword->MeetsRequirements(Stats(2, 9)));
}

// Only qualities 1-4 keep affixes in the saved record: a Normal item rises to Common with its
// first affix, and Set, Unique and Artifact items take none.
TEST_F(ItemRules, AffixesRaiseTheLevelRequirementAndOnlyJoinQualitiesThatKeepThem)
{
    auto sword = Make("Sword");
    ASSERT_TRUE(sword->AddAffix(Affix("Keen"), 0.0f));
    // max(2, MinLevel 3, floor(ItemLevel 10 x 0.5)) = 5.
    EXPECT_EQ(sword->GetRequiredLevel(), 5);
    EXPECT_EQ(sword->GetQuality(), ItemRarity::Common);
    sword->SetQuality(ItemRarity::Unique);
    EXPECT_EQ(sword->GetQuality(), ItemRarity::VeryRare);
    sword->SetQuality(ItemRarity::Normal);
    EXPECT_EQ(sword->GetQuality(), ItemRarity::Common);
    EXPECT_FALSE(sword->AddAffix(nullptr, 0.5f));
    for (int32_t quality : {ItemRarity::Set, ItemRarity::Unique, ItemRarity::Artifact}) {
        auto crown = Make("Crown");
        crown->SetQuality(quality);
        EXPECT_FALSE(crown->AddAffix(Affix("Keen"), 0.0f)) << quality;
        EXPECT_TRUE(crown->GetAffixes().empty());
        EXPECT_EQ(crown->GetRequiredLevel(), 0);
    }
}

TEST_F(ItemRules, AffixStrengthPicksWithinTheRange)
{
    StatRange range{CharacterStat::Strength, 2, 6};
    EXPECT_EQ(MagicModifier::ValueAt(range, 0.0f), 2);
    EXPECT_EQ(MagicModifier::ValueAt(range, 1.0f), 6);
    EXPECT_EQ(MagicModifier::ValueAt(range, 0.625f), 5);
    EXPECT_EQ(MagicModifier::ValueAt(range, 7.0f), 6);
    EXPECT_EQ(MagicModifier::ValueAt(range, std::nanf("")), 2);
}

TEST_F(ItemRules, StatsComeFromQualityDefinitionAndAffixes)
{
    auto helm = Make("Helm");
    helm->SetQuality(ItemRarity::Rare);
    helm->AddAffix(Affix("Bear"), 0.5f);
    EXPECT_EQ(helm->GetArmor(), 6 + 3);  // round(4 x 1.5) + the affix's armour at half strength
    EXPECT_EQ(helm->GetDefense(), 3);
    EXPECT_EQ(helm->GetIntAt(CharacterStat::Vitality), 1 + 4);
    EXPECT_EQ(Make("Sword")->GetDamage(DamageType::Physical).max, 7);
}

TEST_F(ItemRules, ValueAndPriceRoundAsDocumented)
{
    auto sword = Make("Sword");
    EXPECT_EQ(sword->GetValue(false), 100);
    sword->SetQuality(ItemRarity::Rare);
    // 1.1 x 100 is 110 exactly, whatever single precision makes of 1.1.
    EXPECT_EQ(sword->GetValue(false), 110);
    sword->AddAffix(Affix("Keen"), 0.3f);
    EXPECT_EQ(sword->GetValue(false), 165);
    EXPECT_EQ(sword->GetPrice(), 248);  // 165 x 1.5 = 247.5, to the nearest
    auto tonics = Make("Tonic", 3);
    EXPECT_EQ(tonics->GetValue(false), 10);
    EXPECT_EQ(tonics->GetValue(true), 30);
    // Value 30 is below the price where the lowest share starts: 0.5 - 0.25 x 30 / 1000 = 0.4925.
    EXPECT_EQ(tonics->GetSellPrice(), 14);
    EXPECT_EQ(Make("Heirloom")->GetSellPrice(), 0);
}

// The effect's worth at the item's level (strength 2 + 1 x 2 for two minutes at 0.5 a point)
// joins the value; the gains grow with the item's level, which counts up to MaxLevel (100).
TEST_F(ItemRules, UseFieldsEffectWorthAndGainsByLevel)
{
    auto elixir = Make("Elixir");
    const ItemDefinition& use = *elixir->GetDefinition();
    ASSERT_NE(use.statusEffect, nullptr);
    EXPECT_EQ(use.statusEffect->level, 3);
    EXPECT_EQ(use.statusEffectRecord, database.FindEntryByName("Vigour"));
    EXPECT_EQ(use.fullBonusStatusEffect, database.FindEntryByName("Vigour"));
    EXPECT_EQ(use.partialBonusStatusEffect, nullptr);
    EXPECT_EQ(use.itemTimer, "Potion");
    EXPECT_EQ(use.itemTimerTime, 30.0f);
    EXPECT_EQ(use.onUseSkill, "Blink");
    EXPECT_EQ(use.pickupText, "PickedUpElixir");
    EXPECT_EQ(use.powerGain.percent, 0.25f);
    EXPECT_TRUE(use.consumable && use.teleportHome && !use.instantUse);
    EXPECT_EQ(use.gambleChance, 0.5f);
    EXPECT_EQ(elixir->GetValue(false), 24);

    struct Case {
        int32_t level;
        DamageRange health;
    };
    for (const Case& c : {Case{1, {6, 11}}, Case{3, {8, 15}}, Case{INT32_MAX, {105, 209}}}) {
        elixir->SetLevel(c.level);
        EXPECT_EQ(elixir->GetHealthGain().min, c.health.min) << c.level;
        EXPECT_EQ(elixir->GetHealthGain().max, c.health.max) << c.level;
        EXPECT_EQ(elixir->GetPowerGain().max, 0);
    }
    std::string text;
    elixir->BuildTooltip({}, text);
    EXPECT_NE(text.find("\n$$Vigour$$\n"), std::string::npos) << text;
    EXPECT_EQ(Make("Sword")->GetDefinition()->statusEffect, nullptr);
}

// Prices are kept once computed and made again after anything that moves the value.
TEST_F(ItemRules, CachedPricesFollowStackQualityAndAffixes)
{
    auto elixir = Make("Elixir");
    EXPECT_EQ(elixir->GetPrice(), 36);  // 24 x 1.5
    elixir->SetStackCount(3);
    EXPECT_EQ(elixir->GetPrice(), 108);
    EXPECT_EQ(elixir->GetSellPrice(), 34);  // 72 x (0.5 - 0.25 x 72 / 1000) = 34.7
    elixir->SetQuality(ItemRarity::Rare);
    EXPECT_EQ(elixir->GetPrice(), 120);  // ceil(1.1 x 24 x 3) = 80, x 1.5
    auto sword = Make("Sword");
    EXPECT_EQ(sword->GetSellPrice(), 47);  // 100 x (0.5 - 0.25 x 0.1)
    sword->AddAffix(Affix("Keen"), 0.0f);
    EXPECT_EQ(sword->GetSellPrice(), 69);  // 150 x (0.5 - 0.25 x 0.15)
}

TEST_F(ItemRules, IdentifyGuardRelicAndGroundFigures)
{
    auto sword = Make("Sword");
    EXPECT_EQ(sword->GetIdentifyCost(), 0);
    sword->AddAffix(Affix("Keen"), 0.0f);
    EXPECT_EQ(sword->GetIdentifyCost(), 50);
    sword->SetIdentified(true);
    EXPECT_EQ(sword->GetIdentifyCost(), 0);

    auto ward = Make("Ward");
    EXPECT_EQ(ward->GetGuardCost(), 10);  // Warden level 4 x 2.5
    ward->SetGuardFallen(true);
    EXPECT_EQ(ward->GetGuardCost(), 0);
    EXPECT_EQ(Make("Helm")->GetGuardCost(), 0);

    auto idol = Make("Idol");
    idol->SetLevel(10);
    EXPECT_FLOAT_EQ(idol->GetRelicFactor(0), 2.0f);
    EXPECT_FLOAT_EQ(idol->GetRelicFactor(1), 1.2f);
    EXPECT_FLOAT_EQ(idol->GetRelicFactor(2), 1.0f);

    auto helm = Make("Helm");
    helm->SetQuality(ItemRarity::Rare);
    EXPECT_FLOAT_EQ(helm->GetTimeOnGround(), 120.0f);
}

TEST_F(ItemRules, DisplayNameShowsAtMostTwoKnownAffixes)
{
    auto sword = Make("Sword");
    sword->AddAffix(Affix("Keen"), 0.5f);
    EXPECT_EQ(sword->GetDisplayName(), "$$ItemSword$$");  // not identified yet
    sword->SetIdentified(true);
    EXPECT_EQ(sword->GetDisplayName(), "$$AffixKeen$$ $$ItemSword$$");
    sword->AddAffix(Affix("Bear"), 0.5f);
    EXPECT_EQ(sword->GetDisplayName(), "$$AffixKeen$$ $$ItemSword$$ $$AffixBear$$");
    sword->AddAffix(Affix("Fox"), 0.5f);
    EXPECT_EQ(sword->GetDisplayName(), "$$ItemSword$$");
}

TEST_F(ItemRules, TooltipMarksUnmetRequirementsAndHidesAffixesWhenGambling)
{
    auto sword = Make("Sword");
    sword->AddAffix(Affix("Keen"), 1.0f);
    sword->SetIdentified(true);
    IntArray weak = Stats(9, 9);
    std::string text;
    sword->BuildTooltip({&weak}, text);
    EXPECT_NE(text.find("$$TooltipStat~<+6@@$$Strength$$@@>~$$"), std::string::npos) << text;
    EXPECT_NE(text.find(MakeColorCode(1) + "$$TooltipRequiredStat~<10@@$$Strength$$@@>~$$"), std::string::npos);
    EXPECT_EQ(text.find(MakeColorCode(1) + "$$TooltipRequiredLevel"), std::string::npos);

    std::string gamble;
    ItemTooltipOptions options;
    options.gamble = true;
    sword->BuildTooltip(options, gamble);
    EXPECT_EQ(gamble.find("TooltipStat~"), std::string::npos);
    EXPECT_NE(gamble.find("$$TooltipPrice$$ "), std::string::npos);
    // Identified or not, a wager says its goods are unknown until bought.
    EXPECT_NE(gamble.find("$$TooltipGambleUnknown$$"), std::string::npos) << gamble;
    EXPECT_EQ(gamble.find("$$TooltipUnidentified$$"), std::string::npos) << gamble;
}

// The item's class is the group it lies in: stash and loot items are taken, bag items worn.
TEST_F(ItemRules, UseAndWearFollowTheGroupTheItemLiesIn)
{
    auto helm = Make("Helm");
    for (int32_t group = 0; group < InventoryGroupIndex::kCount; ++group) {
        helm->SetLocation(group, 0);
        bool wearable = (group >= 2 && group <= 5) || (group >= 7 && group <= 14);
        EXPECT_EQ(helm->IsWearableType(), wearable) << group;
        EXPECT_EQ(helm->IsUsable(), wearable || group == 6 || group == 15) << group;
    }
    auto primer = Make("Primer");
    primer->SetLocation(InventoryGroupIndex::Bag1, 0);
    EXPECT_FALSE(primer->IsWearableType());
    auto tonic = Make("Tonic");
    EXPECT_TRUE(tonic->IsUsable());
}

TEST_F(ItemRules, MagicRequirementsSortItemKinds)
{
    EXPECT_TRUE(Make("Sword")->MeetsMagicRequirement(MagicRequirement::Weapon));
    EXPECT_FALSE(Make("Buckler")->MeetsMagicRequirement(MagicRequirement::Weapon));
    EXPECT_TRUE(Make("Buckler")->MeetsMagicRequirement(MagicRequirement::Shield));
    EXPECT_TRUE(Make("Band")->MeetsMagicRequirement(MagicRequirement::Jewelry));
    EXPECT_FALSE(Make("Tonic")->MeetsMagicRequirement(MagicRequirement::Wearable));
    EXPECT_EQ(GetMagicRequirementByName("jewelry"), MagicRequirement::Jewelry);
}

TEST_F(ItemRules, QuestItemsAreItemsAndStrangersAreNot)
{
    EXPECT_NE(Make("Token")->GetDefinition(), nullptr);
    EXPECT_EQ(Make("Warden")->GetDefinition(), nullptr);
    EXPECT_EQ(CountLogged("^c005Warden is no item definition\n"), 1);
}

} // namespace
