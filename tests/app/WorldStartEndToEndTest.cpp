// WorldStartEndToEndTest -- the shipped game offscreen as a world starts and runs: the first update of a game and of each new world rains on the player, shows the whole town on the world map and forgets what the last game unlocked; the numbers over the player hidden while its covenant is raided, with "ui_hideNumbersDuringRaids" set; chests on every side of the player opened by a click and then named as opened; each chest the areas lay opened by a click, its hover name readable; every shipped quest that starts fills each place of its title, text and news.
#include "app/OffscreenShots.h"

#include "client/ClientProfiles.h"
#include "client/EntityOverlays.h"
#include "client/PlayerClient.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/ScreenConversion.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "covenants/Covenant.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "entities/Chest.h"
#include "core/LocSystem.h"
#include "rules/GameData.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "render/WorldMap.h"
#include "resources/effects/EffectSystem.h"
#include "ui/UISystem.h"
#include "server/Game.h"
#include "server/spawn/LevelFiller.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

class WorldStartEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }
    void TearDown() override { KeepFailedFrame("WorldStartEndToEnd"); }

    // The live effect of the name hung on the entity, or null.
    static EffectInstance* EffectOn(EntityClient& entity, const std::string& name)
    {
        for (EffectInstance* effect : gEffectSystem->GetLiveEffects())
            if (effect->GetOwner() == &entity.GetEffectHost() && effect->definitionName == name)
                return effect;
        return nullptr;
    }
};

} // namespace

TEST_F(WorldStartEndToEnd, TheFirstUpdateRainsOnThePlayerShowsTheWholeTownAndForgetsTheLastGamesUnlocks)
{
    TypeOnConsole("setUserVar NewUserName Tess");
    TypeOnConsole("newUser");
    TypeOnConsole("unlock EmberTrophy");
    UserProfile* profile = gGameClient->GetProfiles().GetCurrent();
    ASSERT_NE(profile, nullptr);
    ASSERT_FALSE(profile->GetNewUnlocks().empty()) << "the unlock is new until a game starts";

    EnterTheWorld();
    ASSERT_TRUE(gGameClient->IsStarted());
    EntityClient* body = gClientApp->GetLocalPlayerEntity();
    ASSERT_NE(body, nullptr);
    EffectInstance* rain = EffectOn(*body, EffectSystem::kWorldEffect);
    ASSERT_NE(rain, nullptr) << "the weather's effect follows the player";
    EXPECT_TRUE(rain->emitting);

    // The town's area asks for its map: every tile of level 0, its far corners too, is known.
    int32_t side = gWorldMap->GetMapSide();
    for (auto [x, y] : {std::pair{0, 0}, {side - 1, 0}, {0, side - 1}, {side - 1, side - 1}, {side / 2, side / 3}})
        EXPECT_EQ(gWorldMap->GetExplored(0, x, y, true), 1.0f) << x << " " << y;
    EXPECT_TRUE(profile->GetNewUnlocks().empty());
    EXPECT_TRUE(profile->HasUnlock("EmberTrophy")) << "only its newness goes";
}

// "newWorld" runs the first update's start steps again for the world it makes: the rain follows the
// player's new body, the new town is shown whole on the world map and the unlocks are no longer new.
TEST_F(WorldStartEndToEnd, EachNewWorldRainsOnTheNewBodyShowsItsTownAndForgetsTheNewUnlocks)
{
    TypeOnConsole("setUserVar NewUserName Tess");
    TypeOnConsole("newUser");
    EnterTheWorld();
    UserProfile* profile = gGameClient->GetProfiles().GetCurrent();
    ASSERT_NE(profile, nullptr);
    for (const char* unlock : {"EmberTrophy", "AshTrophy"}) {
        TypeOnConsole(std::string("unlock ") + unlock);
        ASSERT_FALSE(profile->GetNewUnlocks().empty());
        uint32_t lastSeed = gWorld->GetLayoutSeed();
        TypeOnConsole("newWorld 0 Average Normal 0");
        FramesUntil([&] { return gGameClient->IsStarted() && gClientApp->GetLocalPlayerEntity(); });
        ASSERT_NE(gWorld->GetLayoutSeed(), lastSeed) << "a world of its own";
        EntityClient* body = gClientApp->GetLocalPlayerEntity();
        ASSERT_NE(body, nullptr);
        EffectInstance* rain = EffectOn(*body, EffectSystem::kWorldEffect);
        ASSERT_NE(rain, nullptr) << "the weather's effect follows the new body";
        EXPECT_TRUE(rain->emitting);
        int32_t side = gWorldMap->GetMapSide();
        for (auto [x, y] : {std::pair{0, 0}, {side - 1, 0}, {0, side - 1}, {side - 1, side - 1}})
            EXPECT_EQ(gWorldMap->GetExplored(0, x, y, true), 1.0f) << unlock << " " << x << " " << y;
        EXPECT_TRUE(profile->GetNewUnlocks().empty()) << unlock;
        EXPECT_TRUE(profile->HasUnlock(unlock));
    }
}

TEST_F(WorldStartEndToEnd, ARaidOnThePlayersCovenantHidesTheNumbersOverThePlayerWhileTheSwitchIsSet)
{
    EnterTheWorld();
    int32_t own = gClientApp->GetPlayerCovenantIndex();
    Covenant* rival = nullptr;
    for (int32_t i = 0; i < gGame->GetCovenantCount() && !rival; ++i)
        if (i != own)
            rival = gGame->GetCovenant(i);
    ASSERT_NE(rival, nullptr);
    PlayerCovenantClient* mirror = gClientApp->GetLocalPlayer()->GetCovenant();
    // What the overlays draw this frame, as the client's own overlays gather it.
    auto shown = [] {
        OverlayFrame frame = EntityOverlays().GatherFrame();
        return std::pair{frame.showDamage, frame.showExperience};
    };
    // The host's raid on the player's covenant, on or off, and the switch: whether numbers show.
    for (auto [raidCase, hide, numbers] : {std::tuple{false, true, true}, {true, true, false}, {true, false, true},
                                           {false, true, true}}) {
        // A copy the lambdas below can capture: not every compiler captures a structured binding.
        bool raid = raidCase;
        rival->targetCovenant = raid ? own : -1;
        if (raid)
            gGame->StartRaid(rival->index, own);
        else
            gGame->StopRaid(rival->index, own);
        gUserVarSystem->SetStringByName("ui_hideNumbersDuringRaids", hide ? "1" : "0");
        FramesUntil([&] { return mirror->GetAlertFlag(0) == raid; });
        ASSERT_EQ(mirror->GetAlertFlag(0), raid) << "the client hears of the raid";
        EXPECT_EQ(shown(), std::pair(numbers, numbers)) << "raid " << raid << " switch " << hide;
    }
}

TEST_F(WorldStartEndToEnd, AChestClickedOnAnySideOfThePlayerOpensAndIsThenNamedAsOpened)
{
    EnterTheWorld();
    ClearTheStage();
    Frames(5);
    // One chest after another, east, north, south-west and west of the player, a step or two away.
    for (Vector2 offset : {Vector2{70.0f, 0.0f}, Vector2{0.0f, 80.0f}, Vector2{-60.0f, -60.0f}, Vector2{-90.0f, 10.0f}}) {
        auto* chest = new Chest();
        chest->SetEntry(gDatabase->FindEntryByName("Chest"));
        chest->level = 1;
        chest->SetPosition(HostPlayer()->position.Offset(offset));
        ASSERT_NE(gGame->AddEntity(chest), -1);
        EntityClient* shown = MirrorOf(*chest);
        ASSERT_NE(shown, nullptr);
        Frames(2);
        EXPECT_EQ(shown->GetHoverText(true, true, true).find("$$ChestOpened$$"), std::string::npos);
        ASSERT_EQ(shown->GetClickAction(true, false), 19) << "a closed chest in reach is used";
        ClickOn(*shown);
        FramesUntil([chest] { return !chest->IsClosed(); }, 300);
        ASSERT_FALSE(chest->IsClosed()) << "the chest at " << offset.x << " " << offset.y << " opens";
        Frames(3);
        std::string named = shown->GetHoverText(false, true, true);
        EXPECT_NE(named.find("$$ObjectChest$$ $$ChestOpened$$"), std::string::npos) << named;
        EXPECT_EQ(shown->GetClickAction(true, false), 0) << "nothing more to do with it";
        gGame->RemoveEntity(chest);
        delete chest;
        Frames(3);
    }
}

// The chests the areas lay, each made as the level filler makes it: a click opens it, and its
// name on the hover box reads light on the dark box, never black on black.
TEST_F(WorldStartEndToEnd, EachChestTheAreasLayOpensOnAClickAndItsHoverNameReads)
{
    EnterTheWorld();
    ClearTheStage();
    Frames(5);
    for (const char* name : {"ChestWoodenCoffer", "ChestIronBound", "ChestMossyCoffer"}) {
        Chest* chest = gSpawnSystem->GetLevelFiller().CreateChest(gDatabase->FindEntryByName(name), 0, 1);
        ASSERT_NE(chest, nullptr) << name;
        chest->SetPosition(HostPlayer()->position.Offset(Vector2{70.0f, 0.0f}));
        ASSERT_NE(gGame->AddEntity(chest), -1);
        EntityClient* shown = MirrorOf(*chest);
        ASSERT_NE(shown, nullptr) << name;
        Frames(2);

        // The mouse resting on it: its hover box names it and says how to open it.
        int32_t x = 0;
        int32_t y = 0;
        ASSERT_TRUE(FindPickPoint(*shown, x, y)) << name;
        // The last chest's click put its box away until the mouse moves: it comes from elsewhere.
        PushMotion(0, 0);
        Frames(1);
        PushMotion(x * gGraphicsSystem->GetViewWidth() / 640, y * gGraphicsSystem->GetViewHeight() / 480);
        Frames(3);
        std::string text = ReadTooltip().text;
        EXPECT_NE(text.find("$$LeftClickToOpen$$"), std::string::npos) << name << ": " << text;
        // The hint's line is the box's cyan; the name's line stands right above it, in white. The
        // mini-map's blips in the top right corner are cyan too, and left out.
        TargaImage shot = Screenshot(x, y);
        int hintTop = -1;
        int hintLeft = 640;
        int hintRight = -1;
        for (int row = 0; row < 400; ++row)
            for (int column = 0; column < (row < 130 ? 510 : 640); ++column) {
                std::array<int, 3> p = PixelAt(shot, column, row);
                if (!(p[1] > 200 && p[2] > 200 && p[0] < 80) || (hintTop >= 0 && row > hintTop + 12))
                    continue;
                hintTop = hintTop < 0 ? row : hintTop;
                hintLeft = std::min(hintLeft, column);
                hintRight = std::max(hintRight, column);
            }
        ASSERT_GE(hintTop, 0) << name << ": the hover box's hint line";
        int lit = CountPixels(shot, hintLeft, hintTop - 20, hintRight + 1, hintTop - 2,
                              [](const auto& p) { return std::min({p[0], p[1], p[2]}) > 200; });
        EXPECT_GT(lit, 30) << name << ": the name's line above " << hintLeft << "," << hintTop;

        ClickOn(*shown);
        FramesUntil([chest] { return !chest->IsClosed(); }, 300);
        EXPECT_FALSE(chest->IsClosed()) << name << " opens on a click";
        gGame->RemoveEntity(chest);
        delete chest;
        Frames(3);
    }
}

TEST_F(WorldStartEndToEnd, EveryShippedQuestThatStartsFillsEachPlaceOfItsTitleTextAndNews)
{
    EnterTheWorld();
    GameQuests& quests = gGame->GetQuests();
    const auto& definitions = gGameData->GetQuestDefinitions();
    // What an empty or unfilled place leaves in the shown text.
    auto fault = [](const std::string& shown) -> std::string {
        for (const char* mark : {"  ", " .", " ,", " !", "$$", "~<", "%1", "%2", "%3", "%4", "%s", "%d", "'s ."})
            if (shown.find(mark) != std::string::npos)
                return mark;
        return shown.empty() || shown.back() == ' ' ? "an empty end" : "";
    };
    int32_t started = 0;
    for (int32_t index = 0; index < definitions.GetCount(); ++index) {
        const std::string name(definitions.Get(index)->GetEntry()->GetName());
        // Each draw of a quest's choices is tried: the second supply, the other kinsman...
        for (int32_t draw = 0; draw < 6; ++draw) {
            Quest* quest = quests.StartQuest(index, nullptr, -1);
            if (!quest)
                continue;
            ++started;
            for (const std::string& text : {quest->BuildTitle(5, true), quest->BuildText(5, gGame->GetGameClock(), "Ada"),
                                            quest->BuildAnnouncement()}) {
                if (text.empty())
                    continue;
                std::string shown = gLocSystem->Translate(text);
                EXPECT_EQ(fault(shown), "") << name << ": " << shown << "\n  from " << text;
            }
            quests.DeleteQuest(quest->questId);
        }
    }
    EXPECT_GT(started, 30) << "most of the shipped quests start in a new world";
}
