// TextSourcePlayerTest -- the player's pieces of the text sources: over a fake game the hover names, the timed action, the version, the level with its quest mark, a skill's name and the tomes on the shelf, each empty without what it reads; over a joined game the client's own answers as the world host left them.
#include "ui/RelationsWorld.h"
#include "ui/UiWorld.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/Database.h"
#include "client/GameClient.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBag.h"
#include "world/World.h"

#include <map>
#include <tuple>

namespace {

class PlayerSourceView : public FakeGameView {
public:
    std::string GetEntityHoverName(int32_t entity, bool nameOnly, bool forAnyEntity, bool withOwnTag) const override
    {
        auto found = hoverNames.find(entity);
        if (found == hoverNames.end())
            return {};
        return found->second + (nameOnly ? "|name" : "") + (forAnyEntity ? "|any" : "") + (withOwnTag ? "|tag" : "");
    }
    int32_t GetEntityTimedAction(int32_t entity) const override { return entity == timedEntity ? timedAction : 0; }
    std::string GetPlayerLevelName() const override { return levelName; }
    bool IsQuestTargetHere() const override { return questHere; }
    std::string GetSkillName(int32_t tree, int32_t index) const override
    {
        auto found = skills.find({tree, index});
        return found == skills.end() ? std::string() : found->second;
    }

    std::map<int32_t, std::string> hoverNames;
    int32_t timedEntity = -1;
    int32_t timedAction = 0;
    std::string levelName;
    bool questHere = false;
    std::map<std::pair<int32_t, int32_t>, std::string> skills;
};

// Both halves joined, with texts over the client's own view of the player.
class TextSourcePlayerClient : public RelationsWorld {
protected:
    std::string Shown(const char* widget) const
    {
        const UIWidget& shown = *ui->FindWidgetByPath(std::string("Mine::") + widget);
        return shown.BuildText(shown.textSource);
    }
    // A town NPC named after its calling, as the shipped warmaster is, and one with a name of its own.
    static constexpr const char* kTownRecords = R"(
ActorTestWarmaster
{
    Type Actor
    Class ClassVillager
    Npc 1
    NpcType Warmaster
}
MonsterTestWarmaster
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorTestWarmaster
    Name "$$NpcTypeWarmaster$$"
}
MonsterTestSteward
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorTestWarmaster
    Name "Hild"
}
)";

    // The creature of that type stands by the host player; the client's player chooses it.
    int32_t ChooseTownNpc(const char* type)
    {
        auto* npc = new Actor();
        npc->SetUpFromMonsterType(gGameData->FindMonsterType(type), 5, false);
        npc->SetPosition(hostPlayer->position);
        int32_t number = game->AddEntity(npc);
        Sync();
        EntityClient* mirrored = gameClient->GetEntity(number);
        if (mirrored)
            player->SelectTargetAndMode(mirrored, false);
        return mirrored ? number : -1;
    }
    void WriteTexts()
    {
        folder.Write("Assets/UI/mine.mnu", "name Mine\nvisible 1\nsize 640 480\n"
                                           "Widget { internalName Full\ntextSource SelectedFullName\n}\n"
                                           "Widget { internalName Named\ntextSource SelectedName\n}\n"
                                           "Widget { internalName Titled\ntextSource SelectedTitle\n}\n"
                                           "Widget { internalName Name entityType PlayerClient\ntextSource EntityNameSimple\n}\n"
                                           "Widget { internalName Busy entityType PlayerClient\ntextSource TimedEventType\n}\n"
                                           "Widget { internalName Area\ntextSource AreaName\n}\n"
                                           "Widget { internalName Tomes\ntextSource TomesOnBookshelf\n}\n");
    }
    // A tome put straight onto the host player's shelf, as reading one would leave it.
    void ShelveTome(int32_t slot)
    {
        std::unique_ptr<ItemBase> tome = hostPlayer->inventory->CreateItem();
        tome->Load(gDatabase->FindEntryByName("TomeOfTests"));
        ASSERT_TRUE(hostPlayer->inventory->PlaceItem(tome, InventoryGroupIndex::Bookshelf, slot, 0)) << slot;
    }
};

class TextSourcePlayer : public UiWorld {
protected:
    void SetUp() override
    {
        ui->SetGameView(&game);
        WriteMenu("p.mnu", "name P\nvisible 1\nsize 640 480\n"
                           "Widget { internalName Own entityType Selected\ntextSource EntityName\n}\n");
        ui->RegisterCommands();
    }
    std::string Build(const char* source, int32_t param = -1) const
    {
        return ui->FindWidgetByPath("P::Own")->BuildText({{EnumTable::LookupIn("UITextSource", source, true), param, ""}});
    }

    PlayerSourceView game;
};

} // namespace

TEST_F(TextSourcePlayer, HoverNamesAskTheirOptionsOfTheSelectedAndTheWidgetsEntity)
{
    game.player = true;
    for (const char* source : {"SelectedFullName", "SelectedName", "SelectedTitle", "EntityName", "EntityNameSimple"})
        EXPECT_EQ(Build(source), "") << source << " with nothing selected";
    game.selectedEntity = 4;
    game.entities[4] = UiEntityFacts{};
    game.hoverNames[4] = "Goblin";
    EXPECT_EQ(Build("SelectedFullName"), "Goblin|name|any|tag");
    EXPECT_EQ(Build("SelectedName"), "Goblin|name|any");
    EXPECT_EQ(Build("SelectedTitle"), "Goblin|name|tag");
    EXPECT_EQ(Build("EntityName"), "Goblin|any|tag") << "the widget's entity: the selected one here";
    EXPECT_EQ(Build("EntityNameSimple"), "Goblin|name|any|tag");
}

TEST_F(TextSourcePlayer, TheTimedActionTheVersionTheLevelAndASkillAreNamed)
{
    game.player = true;
    game.selectedEntity = 4;
    game.entities[4] = UiEntityFacts{};
    EXPECT_EQ(Build("TimedEventType"), "") << "no action running";
    game.timedEntity = 4;
    game.timedAction = TimedAction::OpeningChest;
    EXPECT_EQ(Build("TimedEventType"), "$$OpeningChest$$");
    game.timedAction = TimedAction::kCount;
    EXPECT_EQ(Build("TimedEventType"), "") << "an action outside the table names nothing";

    vars.RegisterVar("version", "");
    vars.SetStringByName("version", "Emberlode 1.2");
    EXPECT_EQ(Build("Version"), "Emberlode 1.2");

    EXPECT_EQ(Build("AreaName"), "") << "no level";
    game.levelName = "$$Level3$$";
    EXPECT_EQ(Build("AreaName"), "$$Level3$$");
    game.questHere = true;
    EXPECT_EQ(Build("AreaName"), ColorSystem::MakeColorCode(2) + "$$Level3$$") << "green where a quest waits";

    game.skills[{0, 2}] = "$$SkillCleave$$";
    game.skills[{1, 0}] = "$$SkillOther$$";
    EXPECT_EQ(Build("SkillName", 2), "$$SkillCleave$$");
    EXPECT_EQ(Build("SkillName", 0), "") << "only the first tree's skills";
    EXPECT_EQ(Build("SkillName", 9), "");
}

TEST_F(TextSourcePlayerClient, TheClientNamesThePlayerItsLevelItsTimedActionAndItsTomesAsTheHostLeftThem)
{
    WriteTexts();
    Start(0, {}, "BookshelfSize 12\n", "TomeOfTests\n{\n    Type Item\n    ItemType Tome\n    AlwaysIdentified 1\n}\n");
    EXPECT_NE(Shown("Name").find("Ada"), std::string::npos) << Shown("Name");
    EXPECT_EQ(Shown("Busy"), "") << "nothing under way";
    std::string level = gWorld->GetLevelName(hostPlayer->position.level);
    ASSERT_FALSE(level.empty());
    EXPECT_EQ(Shown("Area"), level) << "no quest of the player's waits there";

    // The host's own line for an identifying player, through the connection.
    gGameServices->QueueClientCommand("timer " + std::to_string(hostPlayer->entityNumber) + " 3.0 2");
    Sync();
    EXPECT_EQ(Shown("Busy"), MakeLocToken("IdentifyingItem", "%d", 3)) << "the phrase with the seconds to go";

    InventoryBag* shelf = hostPlayer->GetBag(InventoryGroupIndex::Bookshelf);
    ASSERT_NE(shelf, nullptr);
    int32_t slots = shelf->GetSlotCount();
    ASSERT_GE(slots, 3) << "the shelf holds tomes";
    EXPECT_EQ(Shown("Tomes"), MakeLocToken("TomesXOfY", "%d %d", 0, 12));
    ShelveTome(0);
    ShelveTome(slots - 1);
    Sync();
    EXPECT_EQ(Shown("Tomes"), MakeLocToken("TomesXOfY", "%d %d", 2, 12));
    EXPECT_EQ(view.CountFilledSlots(InventoryGroupIndex::Bookshelf, slots + 500), 2)
        << "a size past the shelf's own slots counts up to its end and no further";
    EXPECT_EQ(view.CountFilledSlots(InventoryGroupIndex::Bookshelf, 1), 1) << "only the first slots asked for";
    EXPECT_EQ(view.CountFilledSlots(InventoryGroupIndex::Bookshelf, -5), 0);
    EXPECT_EQ(view.CountFilledSlots(InventoryBase::kBagCount, 40), 0) << "no such bag";
}

TEST_F(TextSourcePlayerClient, AChosenTownNpcIsNamedOnceAndItsTitleStandsApartFromItsName)
{
    WriteTexts();
    Start(0, {}, "", kTownRecords);
    ASSERT_NE(ChooseTownNpc("MonsterTestWarmaster"), -1);
    EXPECT_EQ(Shown("Named"), "$$NpcTypeWarmaster$$") << "the name alone, without the title";
    EXPECT_EQ(Shown("Titled"), "$$NpcTypeWarmaster$$") << "the title alone";
    EXPECT_EQ(Shown("Full"), "$$NpcTypeWarmaster$$") << "a name that is the title is not said twice";

    ASSERT_NE(ChooseTownNpc("MonsterTestSteward"), -1);
    EXPECT_EQ(Shown("Named"), "Hild");
    EXPECT_EQ(Shown("Titled"), "$$NpcTypeWarmaster$$");
    EXPECT_EQ(Shown("Full"), "Hild\n$$NpcTypeWarmaster$$") << "never run together into one word";
    // The tooltip and the map pins ask the same names.
    const EntityClient* shown = player->GetInteractionTarget();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetHoverText(true, true, false), "Hild");
    EXPECT_EQ(shown->GetHoverText(false, true, true).rfind("Hild\n$$NpcTypeWarmaster$$", 0), 0u)
        << shown->GetHoverText(false, true, true);
}
