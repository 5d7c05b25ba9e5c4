// ClassChoiceEndToEndTest -- the shipped new-character screen offscreen, driven by clicks: each playable class's button puts its own hero in the frame and sets out with that class's trees, power and look; Random sets out with one of the playable classes, never with itself.
#include "OffscreenShots.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/UserVarSystem.h"
#include "entities/Player.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "client/ClassChoice.h"
#include "rules/skills/SkillTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

struct ClassButton {
    const char* record;
    int x;
    const char* model;
    const char* firstTree;
};

class ClassChoiceEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // From the title: New game, the class's button, the covenant named, Start.
    void SetOutAs(int classX)
    {
        ClickAt(320, 196);
        ASSERT_TRUE(Shown("NewCharacter"));
        ClickAt(classX, 171);
        ClickAt(330, 133);
        TypeKeys("Ashguard");
        ClickAt(440, 408);
        for (int i = 0; i < 80 && !(HostPlayer() && gClientApp->IsActive() && Shown("InGame")); ++i)
            Frames(1);
        ASSERT_NE(HostPlayer(), nullptr);
        ASSERT_NE(HostPlayer()->GetClass(), nullptr);
    }

    static std::string ClassRecordOf(const Player& player)
    {
        return std::string(player.GetClass()->GetEntry()->GetName());
    }
};

class ClassButtonEndToEnd : public ClassChoiceEndToEnd, public testing::WithParamInterface<ClassButton> {};

} // namespace

TEST_P(ClassButtonEndToEnd, EachPlayableClassSetsOutWithItsOwnHeroTreesAndPower)
{
    const ClassButton& button = GetParam();
    ASSERT_NO_FATAL_FAILURE(SetOutAs(button.x));
    EXPECT_EQ(gUserVarSystem->GetStringByName("PlayerClass"), button.record);
    EXPECT_EQ(gUserVarSystem->GetStringByName("NewCharModel"), button.model) << "the frame shows the chosen hero";
    const Player& player = *HostPlayer();
    EXPECT_EQ(ClassRecordOf(player), button.record);
    EXPECT_EQ(player.modelName, button.model);
    const CharacterClass& chosen = *player.GetClass();
    ASSERT_EQ(chosen.GetSkillTreeCount(), 3);
    EXPECT_EQ(chosen.GetSkillTree(0)->name, button.firstTree);
    EXPECT_NE(chosen.powerName, "$$Resolve$$") << "each class names its own power";
}

INSTANTIATE_TEST_SUITE_P(Shipped, ClassButtonEndToEnd,
                         testing::Values(ClassButton{"ClassEmberwright", 300, "models/emberwright.mdl",
                                                     "$$SkillTreeEmberwrightFlame$$"},
                                         ClassButton{"ClassOutrider", 430, "models/outrider.mdl",
                                                     "$$SkillTreeOutriderHunt$$"}),
                         [](const testing::TestParamInfo<ClassButton>& info) { return std::string(info.param.record); });

TEST_F(ClassChoiceEndToEnd, RandomSetsOutWithAPlayableClassAndNeverItself)
{
    ASSERT_NO_FATAL_FAILURE(SetOutAs(530));
    EXPECT_EQ(gUserVarSystem->GetStringByName("PlayerClass"), "ClassRandom");
    const std::set<std::string> playable = {"ClassWarden", "ClassEmberwright", "ClassOutrider"};
    EXPECT_EQ(playable.count(ClassRecordOf(*HostPlayer())), 1u) << ClassRecordOf(*HostPlayer());
    // The draw itself reaches every playable class.
    std::set<std::string> drawn;
    for (int i = 0; i < 60; ++i)
        if (const DatabaseEntry* entry = ClassChoice::PickRandomOfficialClass(*gDatabase, {}))
            drawn.insert(std::string(entry->GetName()));
    EXPECT_EQ(drawn, playable);
}
