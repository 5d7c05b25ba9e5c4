// TownWindowsEndToEndTest -- the shipped game offscreen, the town's people clicked through SDL: the window each one opens keeps every row of its lists inside the list, in the list's own font, so a quest's title is never cut off before its place.
#include "app/OffscreenShots.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "render/TextMeasure.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/widgets/UIList.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TownWindowsEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }

    void TearDown() override { KeepFailedFrame("TownWindowsEndToEnd"); }

    // Left clicks where the client's own pick finds the entity until the window shows.
    bool ClickUntilShown(const EntityClient& entity, const char* menu)
    {
        for (int click = 0; click < 6 && !Shown(menu); ++click) {
            int32_t x = 0;
            int32_t y = 0;
            if (!FindPickPoint(entity, x, y))
                return false;
            ClickAt(x, y);
            for (int i = 0; i < 40 && !Shown(menu); ++i)
                Frame();
        }
        return Shown(menu);
    }

    // Every row of every list of the shown windows that is wider than its list; counts the rows.
    static std::vector<std::string> RowsPastTheirList(int32_t& rows)
    {
        std::vector<std::string> faults;
        for (const UIMenu* menu : gUISystem->GetMenus()) {
            if (!menu->IsShown())
                continue;
            for (const UIWidget* widget : menu->GetWidgets()) {
                const auto* list = dynamic_cast<const UIList*>(widget);
                if (!list || !list->IsVisible())
                    continue;
                for (int32_t row = 0; row < static_cast<int32_t>(list->rows.size()); ++row) {
                    std::string text = list->RowText(row);
                    TextSize size = MeasureTextW(list->font, gLocSystem->TranslateToWide(text));
                    ++rows;
                    if (size.width > list->size[0] + 1.0f)
                        faults.push_back(menu->name + "::" + list->internalName + " row \"" +
                                         gLocSystem->Translate(text) + "\" is " + std::to_string(size.width) +
                                         " wide in a list of " + std::to_string(list->size[0]));
                }
            }
        }
        return faults;
    }
};

// The titles of the work the town's people offer, as the host's quests title them for the player.
std::vector<std::string> HostTitles(const UIList& list, int32_t level)
{
    std::vector<std::string> titles;
    for (const auto& row : list.rows) {
        Quest* quest = gGame->GetQuests().GetQuest(std::atoi(row->value.c_str()));
        titles.push_back(quest ? gLocSystem->Translate(quest->BuildTitle(level, false)) : std::string());
    }
    return titles;
}

// The warmaster's work, the weaponsmith's work beside its goods and the steward's: each title of
// work on offer names its place as the host's quest does ("Clear 13 Foes from" named none) and is
// read whole in its row.
TEST_F(TownWindowsEndToEnd, TheWorkOnOfferInATownspersonsWindowFitsItsRows)
{
    // Work for a player of some standing names far places: the longest titles.
    HostPlayer()->stats.Set(CharacterStat::Level, 8);
    const std::pair<int32_t, const char*> people[] = {
        {NpcType::Warmaster, "QuestNpcMenu"}, {NpcType::VendorWeapon, "VendorMenuWithQuests"}, {NpcType::Steward, "QuestNpcMenu"}};
    int32_t rows = 0;
    for (const auto& [type, menu] : people) {
        auto* npc = dynamic_cast<Actor*>(gGame->GetTownNpc(type));
        ASSERT_NE(npc, nullptr) << type;
        EntityClient* shown = BesideThePlayer(*npc);
        ASSERT_NE(shown, nullptr) << type;
        ASSERT_TRUE(ClickUntilShown(*shown, menu)) << menu;
        Frames(10);
        Screenshot();
        std::vector<std::string> faults = RowsPastTheirList(rows);
        for (const std::string& fault : faults)
            ADD_FAILURE() << fault;
        const auto* offers = dynamic_cast<const UIList*>(
            gUISystem->FindWidgetByPath((std::string(menu) + "::Offers").c_str()));
        ASSERT_NE(offers, nullptr) << menu;
        std::vector<std::string> titles = HostTitles(*offers, HostPlayer()->stats.Get(CharacterStat::Level));
        for (size_t row = 0; row < offers->rows.size(); ++row)
            EXPECT_EQ(gLocSystem->Translate(offers->rows[row]->name), titles[row]) << menu << " row " << row;
        Tap(SDL_SCANCODE_ESCAPE);
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
        npc->SetPosition(npc->position.Offset(Vector2{0.0f, 400.0f}));
        Frames(2);
    }
    EXPECT_GE(rows, 3) << "the windows list their work";
}

// A would-be recruit's trial and a creature's work are offered in lists of their own windows,
// whose rows ran out of the window over the buttons beside it.
TEST_F(TownWindowsEndToEnd, TheWorkAWouldBeRecruitOrACreatureOffersFitsItsRows)
{
    HostPlayer()->stats.Set(CharacterStat::Level, 6);
    const std::pair<const char*, const char*> offers[] = {{"QuestRecruit", "NpcPotentialRecruitMenu"},
                                                          {"QuestMonsterQuest", "GetQuest"}};
    int32_t rows = 0;
    for (const auto& [record, menu] : offers) {
        Quest* quest = nullptr;
        Actor* figure = StartQuestWithFigure(record, quest);
        ASSERT_NE(figure, nullptr) << record;
        EntityClient* shown = BesideThePlayer(*figure);
        ASSERT_NE(shown, nullptr) << record;
        for (int i = 0; i < 40 && shown->questOffers.empty(); ++i)
            Frame();
        ASSERT_TRUE(ClickUntilShown(*shown, menu)) << menu;
        Frames(10);
        Screenshot();
        int32_t before = rows;
        for (const std::string& fault : RowsPastTheirList(rows))
            ADD_FAILURE() << fault;
        EXPECT_GT(rows, before) << menu << " lists the work";
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
        if (Shown("GameMenu"))
            Tap(SDL_SCANCODE_ESCAPE);
        gGame->RemoveEntity(figure);
        delete figure;
        Frames(2);
    }
}

} // namespace
