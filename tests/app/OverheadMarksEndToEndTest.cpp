// OverheadMarksEndToEndTest -- the shipped game offscreen: the marks over a townsperson's head read back from the window's pixels (a golden "!" while a quest is on offer there, none while the player holds it, a green "?" once it is done), and the help topics' button in a look of its own.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/QuestClient.h"
#include "client/ScreenConversion.h"
#include "entities/Actor.h"
#include "entities/EntityQuest.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

bool OverheadGolden(const std::array<int, 3>& p)
{
    return p[0] > 110 && p[1] > 80 && p[2] < 60 && p[0] - p[2] > 80 && p[1] - p[2] > 60;
}

bool OverheadGreen(const std::array<int, 3>& p)
{
    return p[1] > 90 && p[1] - p[0] > 40 && p[1] - p[2] > 40;
}

bool OverheadBlue(const std::array<int, 3>& p)
{
    return p[2] > 100 && p[2] - p[0] > 50;
}

class OverheadMarksEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_NO_FATAL_FAILURE(StartInANewWorld());
    }

    // The townsperson held still a step east of the player, so that its mark stands where the
    // test looks for it.
    EntityClient* Stand(Actor& npc)
    {
        npc.SetPosition(HostPlayer()->position.Offset(Vector2{70.0f, 0.0f}));
        npc.SetGridPosition(npc.position);
        npc.SetMoveTarget(npc.position);
        Frames(6);
        return gGameClient->GetEntity(npc.entityNumber);
    }

    // Pixels passing the test in the square above the creature's head where its mark floats.
    int CountOverHead(const EntityClient& npc, bool (*test)(const std::array<int, 3>&))
    {
        Vector2 top = Client::WorldToScreenRaised(npc.position, npc.iconHeight);
        TargaImage shot = Screenshot();
        auto x = static_cast<int>(top.x);
        auto y = static_cast<int>(top.y);
        return CountPixels(shot, x - 14, y - 30, x + 14, y + 8, test);
    }
};

TEST_F(OverheadMarksEndToEnd, ATownspersonsQuestShowsAGoldenMarkNoneWhileHeldAndAGreenOneWhenDone)
{
    Actor* steward = FindActorOfKind(NpcType::Steward);
    ASSERT_NE(steward, nullptr);
    EntityClient* mirror = Stand(*steward);
    ASSERT_NE(mirror, nullptr);
    FramesUntil([&] { return !mirror->questOffers.empty(); }, 60);
    ASSERT_FALSE(mirror->questOffers.empty()) << "the steward has a quest on offer";

    int offered = CountOverHead(*mirror, OverheadGolden);
    KeepFailedFrame("OverheadMarks-offered");
    EXPECT_GT(offered, 40) << "a golden mark over the steward's head";

    // Taken through the request lines the quest window sends, once the player talks to it: the
    // mark goes while the player holds every quest it offers.
    ClickOn(*mirror);
    Frames(20);
    std::vector<int32_t> offers = mirror->questOffers;
    for (int32_t quest : offers)
        TypeOnConsole("acceptQuest " + std::to_string(quest));
    int32_t quest = offers.front();
    int32_t slot = -1;
    FramesUntil([&] {
        for (int32_t s = 0; s < PlayerClient::kQuestSlots && slot < 0; ++s)
            if (const QuestClient* held = Local()->GetQuestSlot(s); held && held->questId == quest)
                slot = s;
        return slot >= 0;
    });
    ASSERT_GE(slot, 0) << "the player holds the quest";
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(2);
    if (Shown("GameMenu"))
        Tap(SDL_SCANCODE_ESCAPE);
    Stand(*steward);
    int held = CountOverHead(*mirror, OverheadGolden);
    int heldGreen = CountOverHead(*mirror, OverheadGreen);
    KeepFailedFrame("OverheadMarks-held");
    EXPECT_LT(held, offered / 4) << "no mark while the player holds what the steward offers";

    // Done on the host as a slain monster or a found item would do it: the steward wants it back.
    HostPlayer()->GetQuestSlot(slot)->SetComplete();
    if (Quest* running = gGame->GetQuests().GetWorldQuest(quest))
        running->SetComplete();
    FramesUntil([&] { return Local()->FindQuestForNpc(*mirror) != -1; });
    ASSERT_EQ(Local()->FindQuestForNpc(*mirror), slot);
    // The "Quest completed!" notice stands on its box in the middle of the screen, over the
    // steward's head: it is put away to see the mark.
    gTextEvents->RemoveAll();
    Stand(*steward);
    int done = CountOverHead(*mirror, OverheadGreen);
    KeepFailedFrame("OverheadMarks-done");
    EXPECT_GT(done, heldGreen + 40) << "a green mark over the steward's head";
    EXPECT_LT(CountOverHead(*mirror, OverheadGolden), offered / 4);
}

TEST_F(OverheadMarksEndToEnd, TheHelpTopicsButtonIsBlueNotTheGoldenQuestMark)
{
    TypeOnConsole("addHelpTopic Fighting");
    UIMenu* button = gUISystem->FindMenu("FightingButton");
    FramesUntil([&] { return button = gUISystem->FindMenu("FightingButton"), button && button->IsShown(); });
    ASSERT_TRUE(button && button->IsShown());
    TargaImage shot = Screenshot();
    auto x = static_cast<int>(button->position[0]);
    auto y = static_cast<int>(button->position[1]);
    int side = 24;
    int blue = CountPixels(shot, x, y, x + side, y + side, OverheadBlue);
    int golden = CountPixels(shot, x, y, x + side, y + side, OverheadGolden);
    KeepFailedFrame("OverheadMarks-help");
    EXPECT_GT(blue, side * side / 3) << "the button at " << x << "," << y;
    EXPECT_EQ(golden, 0);
}

} // namespace
