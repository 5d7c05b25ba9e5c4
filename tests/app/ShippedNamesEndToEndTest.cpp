// ShippedNamesEndToEndTest -- the shipped game offscreen, the cursor moved over the world's people and the house's furniture through SDL: the tooltip names a townsperson, a quest's figure and a would-be recruit as the world host and the quest's words do, each title on a line of its own ending in words, and the house's chests and shelf by a name above their description, with no localisation key left over.
#include "app/OffscreenShots.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/ColorCode.h"
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/Stash.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The tooltip's lines as the player reads them: translated, colour codes taken out.
std::vector<std::string> ReadLines(const std::string& tooltip)
{
    std::string text = gLocSystem->Translate(tooltip);
    StripColorCodes(text);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

class ShippedNamesEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }

    // The cursor rested on the entity where the client's own pick finds it, and the tooltip the
    // interface then shows; empty when no point of the entity could be picked.
    std::string TooltipOver(const EntityClient& entity)
    {
        int32_t x = 0;
        int32_t y = 0;
        if (!FindPickPoint(entity, x, y))
            return std::string();
        PushMotion(x, y);
        Frames(3);
        return ReadTooltip().text;
    }

    // The host's name for the actor, as the player reads it.
    static std::string HostName(Actor& actor) { return gLocSystem->Translate(actor.GetName()); }

    // A title stands on the line under the name and ends in a word: a level with no words after
    // it ("5th ") is the title of a class that has none.
    static void ExpectTitleLine(const std::vector<std::string>& lines, const std::string& who)
    {
        ASSERT_GE(lines.size(), 2u) << who;
        EXPECT_FALSE(lines[1].empty()) << who;
        EXPECT_NE(lines[1].back(), ' ') << who << ": \"" << lines[1] << "\"";
    }
};

// Each of the town's people is called by the name the host gives it (the name its messages and
// quests use), never by its calling, and its calling stands under the name.
TEST_F(ShippedNamesEndToEnd, TheTownsPeopleAreCalledByTheHostsNamesWithTheirCallingBeneath)
{
    float side = 60.0f;
    for (int32_t type : {NpcType::Warmaster, NpcType::Recruit, NpcType::VendorWeapon}) {
        auto* npc = dynamic_cast<Actor*>(gGame->GetTownNpc(type));
        ASSERT_NE(npc, nullptr) << type;
        // Each on a side of its own, so that none stands in front of the next.
        npc->SetPosition(HostPlayer()->position.Offset(Vector2{side, 0.0f}));
        side = side > 0.0f ? -side : -side + 60.0f;
        Frames(4);
        EntityClient* shown = gGameClient->GetEntity(npc->entityNumber);
        ASSERT_NE(shown, nullptr) << type;
        std::string tooltip = TooltipOver(*shown);
        ASSERT_FALSE(tooltip.empty()) << "no tooltip over the townsperson of kind " << type;
        std::vector<std::string> lines = ReadLines(tooltip);
        std::string calling = gLocSystem->Translate("$$NpcType" + GetNameByIndex(type) + "$$");
        EXPECT_EQ(lines[0], HostName(*npc)) << tooltip;
        EXPECT_NE(lines[0], calling) << "named by its calling: " << tooltip;
        ExpectTitleLine(lines, tooltip);
        if (type != NpcType::Recruit) {
            EXPECT_EQ(lines[1], calling) << tooltip;
        }
        EXPECT_EQ(gLocSystem->Translate(tooltip).find("$$"), std::string::npos) << tooltip;
    }
}

// The would-be recruit of a recruit quest is the one the quest's words name, on the host, in the
// tooltip and in the quest's text; so is the traveller a rescue sends the player to.
TEST_F(ShippedNamesEndToEnd, AQuestsFigureBearsTheNameTheQuestsWordsGiveIt)
{
    for (const char* record : {"QuestRecruit", "QuestRescueNpc"}) {
        Quest* quest = nullptr;
        Actor* figure = StartQuestWithFigure(record, quest);
        ASSERT_NE(figure, nullptr) << record;
        ASSERT_FALSE(quest->npcName.empty()) << record;
        EXPECT_EQ(figure->GetName(), quest->npcName) << record;
        EXPECT_NE(gLocSystem->Translate(quest->BuildText(1, TimeStamp{}, "Me")).find(quest->npcName),
                  std::string::npos)
            << record;
        EntityClient* shown = BesideThePlayer(*figure);
        ASSERT_NE(shown, nullptr) << record;
        std::string tooltip = TooltipOver(*shown);
        ASSERT_FALSE(tooltip.empty()) << record;
        std::vector<std::string> lines = ReadLines(tooltip);
        EXPECT_EQ(lines[0], quest->npcName) << record << ": " << tooltip;
        ExpectTitleLine(lines, tooltip);
        gGame->RemoveEntity(figure);
        delete figure;
        Frames(2);
    }
}

// A renegade, a wronged ghost or a vengeful townsman is a person the quest names: its title and
// its words carry that name ("The Renegade " named none).
TEST_F(ShippedNamesEndToEnd, AQuestAboutAPersonNamesThePerson)
{
    Quest* quest = nullptr;
    ASSERT_NE(StartQuestWithFigure("QuestRenegade", quest), nullptr);
    ASSERT_FALSE(quest->npcName.empty());
    std::string title = gLocSystem->Translate(quest->BuildTitle(-1, true));
    EXPECT_NE(title.find(quest->npcName), std::string::npos) << title;
    EXPECT_NE(title.back(), ' ') << title;
    EXPECT_NE(gLocSystem->Translate(quest->BuildText(1, TimeStamp{}, "Me")).find(quest->npcName), std::string::npos);
    for (const char* record : {"QuestRenegadeAttack", "QuestGhostRevenge", "QuestRevenge"}) {
        const QuestDefinition* definition = gGameData->GetQuestDefinitions().FindByName(record);
        ASSERT_NE(definition, nullptr) << record;
        EXPECT_TRUE(definition->needRandomNpcName) << record;
    }
}

// A quest's renegade and a road trader are creatures, not townsfolk, yet each is a person with a
// name: the quest's words, the host's messages and the tooltip all call it by that name, its kind
// on the line beneath ("Renegade Warden" and "Wandering Trader" were all the player saw).
TEST_F(ShippedNamesEndToEnd, ACreatureThatIsAPersonIsCalledByItsNameWithItsKindBeneath)
{
    for (const char* record : {"QuestRenegade", "QuestWanderingVendor"}) {
        Quest* quest = nullptr;
        Actor* figure = StartQuestWithFigure(record, quest);
        ASSERT_NE(figure, nullptr) << record;
        std::string name = HostName(*figure);
        std::string kind = gLocSystem->Translate(figure->GetMonsterType()->name);
        EXPECT_NE(name, kind) << record << ": the host calls it by its kind";
        if (!quest->npcName.empty()) {
            EXPECT_EQ(name, quest->npcName) << record << ": the host and the quest's words call it alike";
        }
        EntityClient* shown = BesideThePlayer(*figure);
        ASSERT_NE(shown, nullptr) << record;
        std::string tooltip = TooltipOver(*shown);
        ASSERT_FALSE(tooltip.empty()) << record;
        std::vector<std::string> lines = ReadLines(tooltip);
        ASSERT_GE(lines.size(), 3u) << tooltip;
        EXPECT_EQ(lines[0], name) << record << ": " << tooltip;
        EXPECT_EQ(lines[1], kind) << record << ": " << tooltip;
        EXPECT_EQ(lines[2].rfind(gLocSystem->Translate("$$LevelAbrev$$"), 0), 0u) << record << ": " << tooltip;
        gGame->RemoveEntity(figure);
        delete figure;
        Frames(2);
    }
}

// The house's two chests and its shelf are named, and their description starts a line of its own.
TEST_F(ShippedNamesEndToEnd, TheHousesChestsAndShelfShowANameAboveTheirDescription)
{
    int32_t found = 0;
    for (int32_t number = 0; number < 1500; ++number) {
        auto* stash = dynamic_cast<Stash*>(gGame->GetEntity(number));
        if (!stash || !stash->GetEntry())
            continue;
        ++found;
        std::string record(stash->GetEntry()->GetName());
        Local()->Teleport(stash->position.Offset(Vector2{60.0f, 60.0f}));
        Frames(8);
        const EntityClient* shown = gGameClient->GetEntity(number);
        ASSERT_NE(shown, nullptr) << record;
        std::string tooltip = TooltipOver(*shown);
        ASSERT_FALSE(tooltip.empty()) << record;
        std::vector<std::string> lines = ReadLines(tooltip);
        ASSERT_GE(lines.size(), 2u) << tooltip;
        EXPECT_EQ(lines[0], gLocSystem->Translate(stash->GetEntry()->GetString("Name"))) << tooltip;
        EXPECT_FALSE(lines[0].empty()) << record << " has no name: " << tooltip;
        std::string description =
            shown->isBookshelf ? "$$BookshelfDesc$$" : shown->isPlayerStash ? "$$PlayerStashDesc$$" : "$$SharedStashDesc$$";
        EXPECT_EQ("\n" + lines[1], gLocSystem->Translate(description)) << tooltip;
        EXPECT_EQ(gLocSystem->Translate(tooltip).find("$$"), std::string::npos) << tooltip;
    }
    EXPECT_EQ(found, 3) << "the house holds two chests and a shelf";
}

} // namespace
