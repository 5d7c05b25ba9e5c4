// ShippedSkillsTest -- the shipped class, skills and status effects load without a warning, and their tooltips read as the player sees them.
#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "rules/CharacterClass.h"
#include "rules/skills/FakeSkillUser.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillListBase.h"
#include "rules/skills/SkillText.h"
#include "rules/skills/SkillTree.h"
#include "rules/skills/SkillWorld.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

class ShippedList : public SkillListBase {
protected:
    std::unique_ptr<SkillBase> CreateSkill() override { return std::make_unique<SkillBase>(); }
};

// The shipped rules, skill and status effect records and the English texts, copied into the
// test's own game folder, so that no other content's faults count here.
class ShippedSkillsTest : public SkillWorld {
protected:
    ShippedSkillsTest()
    {
        const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
        EXPECT_NE(gameDir, nullptr);
        std::string assets = std::string(gameDir ? gameDir : ".") + "/Assets/";
        for (const char* file : {"Loc/English.loc", "Loc/layout.loc", "Loc/keyNames.loc", "Loc/codePageToUnicode.map",
                                 "Database/core.dbr", "Database/rules.dbr", "Database/statuseffects.dbr",
                                 "Database/skills.dbr"})
            folder.Write(std::string("Assets/") + file, ReadFile(assets + file));
        gLocSystem = &loc;
        EXPECT_TRUE(loc.Load("English"));
        LoadWithList("core.dbr\nrules.dbr\nstatuseffects.dbr\nskills.dbr\n");
        gameData.Load(database);
        warden = gameData.FindCharacterClass("ClassWarden");
        // A new level 1 warden, as the class set-up leaves it: the first skills of each tree at level 1.
        for (auto [stat, value] : {std::pair{CharacterStat::Level, 1}, {CharacterStat::Strength, 10},
                                   {CharacterStat::Dexterity, 10}, {CharacterStat::Vitality, 15},
                                   {CharacterStat::AttackSpeed, 1500}, {CharacterStat::Power, 30},
                                   {CharacterStat::SkillPointsLeft, 1}, {CharacterStat::Money, 300},
                                   {CharacterStat::Skill2, 1}, {CharacterStat::Skill16, 1}, {CharacterStat::Skill31, 1}})
            stats.Set(stat, value);
    }
    ~ShippedSkillsTest() override { gLocSystem = nullptr; }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in) << path;
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    // What the player reads: translated, the colour and font codes drawn, not shown.
    std::string AsShown(const std::string& text) const
    {
        std::string shown = loc.Translate(text);
        StripColorCodes(shown);
        return shown;
    }

    std::string SkillTooltip(std::string_view name, int32_t skillStat)
    {
        std::string text;
        GetDescription(Skill(name), stats, warden, skillStat, false, text);
        return AsShown(text);
    }

    // The icon tooltip: the effect's name, then its description at level 1.
    std::string EffectTooltip(std::string_view name)
    {
        const StatusEffectBase* effect = gameData.FindStatusEffect(name);
        EXPECT_NE(effect, nullptr) << name;
        if (!effect)
            return "";
        std::string text;
        effect->BuildDescription(text, nullptr, 1, 0, warden);
        return AsShown(std::string(effect->name) + "\n" + text);
    }

    LocSystem loc;
    IntArray stats = Stats();
    const CharacterClass* warden = nullptr;
};

TEST_F(ShippedSkillsTest, LoadWithoutWarningsIntoFourTreesOfTheWarden)
{
    for (const std::string& line : Logged())
        EXPECT_FALSE(line.starts_with(MakeColorCode(1)) || line.starts_with(MakeColorCode(5))) << line;
    ASSERT_NE(warden, nullptr);
    EXPECT_EQ(warden->GetSkillTreeCount(), 4);
    EXPECT_NE(gameData.GetGenericMonsterClass(), nullptr);
    EXPECT_EQ(gameData.FindCharacterClass("ClassFake")->GetSkillTree(3), warden->GetSkillTree(3));
    EXPECT_TRUE(warden->AllowsSkill(0));
    // The record name builds the recruit archetype's name; the display text keeps its own getter.
    EXPECT_EQ(gameData.GetCharacterClassName(gameData.FindCharacterClassIndex("ClassWarden")), "ClassWarden");
    EXPECT_EQ(gameData.GetCharacterClassDisplayName(gameData.FindCharacterClassIndex("ClassWarden")),
              "$$ClassWarden$$");
    int32_t classCount = 0;
    while (gameData.GetCharacterClass(classCount))
        ++classCount;
    EXPECT_NE(gameData.GetCharacterClassName(classCount - 1), "");
    EXPECT_EQ(gameData.GetCharacterClassName(classCount), "");
    EXPECT_EQ(gameData.GetCharacterClassName(-1), "");
    EXPECT_EQ(warden->startAttributes, (std::array<int32_t, 5>{10, 10, 15, 6, 8}));
    EXPECT_TRUE(warden->AllowsSkill(Skill("SkillWardenFortitude").GetEntry()->GetId()));
    EXPECT_FALSE(warden->AllowsSkill(Skill("SkillWardenFortitudePerLevel").GetEntry()->GetId()));
    for (const char* name : {"StatusEffectBasicRegen", "StatusEffectDeepWound", "StatusEffectStunningBlow",
                             "StatusEffectHamstring"})
        EXPECT_NE(gameData.FindStatusEffect(name), nullptr) << name;

    ShippedList list;
    FakeSkillUser owner;
    list.Update(warden, 0.0f, &owner);
    EXPECT_EQ(list.GetSkills().size(), 20u);
    for (const auto& skill : list.GetSkills())
        EXPECT_FALSE(skill->definition->baseName.empty());
}

TEST_F(ShippedSkillsTest, EveryTooltipIsPlainEnglish)
{
    ShippedList list;
    FakeSkillUser owner;
    list.Update(warden, 0.0f, &owner);
    for (const auto& skill : list.GetSkills()) {
        std::string shown = SkillTooltip(skill->definition->GetEntry()->GetName(), skill->GetSlotNumber());
        EXPECT_EQ(shown.find("$$"), std::string::npos) << shown;
    }
    for (const DatabaseEntry* entry = database.GetNextEntryOfType(DatabaseEntryType::StatusEffect); entry;
         entry = database.GetNextEntryOfType(DatabaseEntryType::StatusEffect, entry)) {
        std::string shown = EffectTooltip(entry->GetName());
        EXPECT_EQ(shown.find("$$"), std::string::npos) << shown;
    }
    // Items and effects that raise a skill slot name it by its stat.
    for (int32_t stat = kFirstSkillStat; stat < kFirstSkillStat + kMaxSkillTrees * kSkillsPerTree; ++stat)
        EXPECT_TRUE(loc.HasText(GetCharacterStatName(stat, false))) << stat;
}

// A skill bought with points says something new at each level it can be raised to.
TEST_F(ShippedSkillsTest, EveryRaisableSkillReadsDifferentlyAtEachLevel)
{
    ShippedList list;
    FakeSkillUser owner;
    list.Update(warden, 0.0f, &owner);
    for (const auto& skill : list.GetSkills()) {
        const SkillDefinition& definition = *skill->definition;
        if (definition.basicSkill || definition.statReq != CharacterStat::None)
            continue;
        for (int32_t level = 1; level < definition.GetMaxLevel(); ++level) {
            std::string now, next;
            AppendEffectText(definition, level, stats, warden, now);
            AppendEffectText(definition, level + 1, stats, warden, next);
            EXPECT_NE(AsShown(now), AsShown(next)) << definition.GetEntry()->GetName() << " " << level;
        }
    }
}

TEST_F(ShippedSkillsTest, GoldenTooltips)
{
    EXPECT_EQ(SkillTooltip("SkillWardenCleave", CharacterStat::Skill2),
              "Cleave - level 1\n\nA wide swing that bites into the foes beside your target.\n\n"
              "Hits your current foe\nRange: 0 to 4 feet\n\nAlso hits 2 foes nearby\n"
              "At the current skill level (1)\nCosts 12 Resolve\n6 to 10 Physical damage\nReuse time: 5 seconds\n"
              "\nAt the next skill level (2)\nCosts 13 Resolve\n8 to 13 Physical damage\nReuse time: 5 seconds\n"
              "Highest skill level: 10\nCost of the next point: \n  Skill points: 2\n  Money: 20cp");
    EXPECT_EQ(SkillTooltip("SkillWardenShieldBash", CharacterStat::Skill3),
              "Shield Bash\n\nSlam your shield into a foe and leave it reeling.\n\n"
              "Hits your current foe\nRange: 0 to 3 feet\n\nInterrupts spells\nYou have not learned this skill yet\n"
              "\nAt the next skill level (1)\nCosts 15 Resolve\nReuse time: 12 seconds\n"
              "Duration: 2.8 seconds (against a level 1 foe)\n\nReeling from a heavy blow.\n"
              "Holds the target helpless\nCauses: Major Distraction\nHighest skill level: 5\n"
              "Cost of the next point: \n  Skill points: 2\n  Money: 20cp");
    std::string decrease;
    AppendCostToDecrease(Skill("SkillWardenCleave"), stats, CharacterStat::Skill2, decrease);
    EXPECT_EQ(AsShown(decrease), "Cost to lower this skill:\n  Money: 30cp\n  Skill points regained: 1");
    EXPECT_EQ(EffectTooltip("StatusEffectVenom"),
              "Venom\nDuration: 8 seconds\n\nPoison burns in the blood.\n3.0 damage every 1 second\n");
    EXPECT_EQ(EffectTooltip("StatusEffectStoneSkin"),
              "Stone Skin\nDuration: 1 minute\n\nSkin hard as granite.\n+25 Armor\n+10% Armor\n");
}

} // namespace
