// RecruitsAlongEndToEndTest -- the shipped game offscreen, driven by SDL clicks and keys: the recruits window's "Come along" and the relations screen's raid page, one table of clicks, each with what the world host must do and what the screen must say, clear of the open windows.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIRelationsMenu.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// The recruits window's list and buttons, and the raid page's list and buttons, in interface units.
constexpr int32_t kRecruitRowX = 100;
constexpr int32_t kRecruitRowTop = 68;
constexpr std::array<int32_t, 2> kComeAlong = {95, 272};
// The recruits window within its frame, whose edge a notice may stand on as on the window's face.
constexpr std::array<int32_t, 4> kRecruitsWindow = {24, 32, 308, 346};
constexpr std::array<int32_t, 4> kWholeScreen = {0, 0, 640, 480};
constexpr int32_t kRaidRowX = 320;
constexpr int32_t kRaidRowTop = 140;
constexpr std::array<int32_t, 2> kRideOut = {86, 451};
constexpr std::array<int32_t, 2> kBack = {574, 451};
constexpr std::array<int32_t, 4> kRaidList = {160, 140, 480, 340};
constexpr int32_t kRowHeight = 20;

class RecruitsAlongEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("RecruitsAlongEndToEnd"); }

    static UIRelationsMenu* Relations()
    {
        return dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
    }

    static std::array<int32_t, 2> CardCentre(int32_t covenant)
    {
        const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(covenant)].card;
        return {static_cast<int32_t>(std::lround(card.position[0] + 32.0f)),
                static_cast<int32_t>(std::lround(card.position[1] + 32.0f))};
    }

    // The newest notice shown whose text is the key (with or without its arguments); null for
    // none. The log's copy of a line is no notice.
    static const TextEvents::Record* Notice(const std::string& key)
    {
        const TextEvents::Record* found = nullptr;
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.active && record.kind != TextEvents::kLogKind && record.text.rfind("$$" + key, 0) == 0)
                found = &record;
        return found;
    }

    // A would-be recruit of the shipped kind made on the host and taken into the covenant where it
    // stands, on a free spot about the point, as a finished recruit quest leaves one.
    static Actor* QuestRecruit(PlayerCovenant& covenant, const WorldPos& about)
    {
        const DatabaseEntry* type = gDatabase->FindEntryByName("MonsterRecruitSellsword");
        auto* actor = dynamic_cast<Actor*>(gGame->MakeMonster(nullptr, type, 1, 0));
        if (!actor)
            return nullptr;
        SpawnSearch search;
        search.entity = actor;
        WorldPos spot = about;
        gGameServices->FindSpawnPosition(about, 4, search, true, spot);
        actor->SetPosition(spot);
        if (gGame->AddEntity(actor) == -1) {
            delete actor;
            return nullptr;
        }
        covenant.AddRecruit(*actor);
        return actor;
    }

    static float Distance(const Entity& a, const Entity& b) { return a.position.Distance2D(b.position); }
};

// One step of the table: what the hand does, what the host must then hold, and the notice the
// screen must then show (none for nullptr), written clear of the words and pictures of the window
// that is open, whose box follows.
struct AlongStep {
    const char* what;
    std::function<void()> act;
    std::function<bool()> done;
    const char* notice;
    std::array<int32_t, 4> window;
};

} // namespace

TEST_F(RecruitsAlongEndToEnd, ComeAlongAndRideOutDoWhatTheySayOrSayWhyNot)
{
    EnterTheWorld();
    Player* hero = HostPlayer();
    ASSERT_NE(hero, nullptr);
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    const GameSystemTuning& tuning = gGameData->GetTuning();
    ASSERT_EQ(tuning.maxAdventureGroupSize, 4) << "the hero and three more walk together";
    ASSERT_EQ(tuning.maxRaidGroupSize, 6) << "the hero and five more ride out";

    // The town's recruit joins the house by its own screen; five more stand about the town.
    Actor* townRecruit = FindActorOfKind(NpcType::Recruit);
    ASSERT_NE(townRecruit, nullptr);
    EntityClient* shown = BesideThePlayer(*townRecruit);
    ASSERT_NE(shown, nullptr);
    ClickOn(*shown);
    ASSERT_TRUE(Shown("NpcMenu"));
    ClickAt(320, 90 + 168 + 13);
    FramesUntil([&] { return covenant->IsMember(*townRecruit); });
    ASSERT_TRUE(covenant->IsMember(*townRecruit));
    ASSERT_FALSE(hero->IsInParty(townRecruit)) << "at the house, not in the party";
    std::vector<Actor*> recruits = {townRecruit};
    for (int i = 0; i < 5; ++i) {
        recruits.push_back(QuestRecruit(*covenant, hero->position.Offset(Vector2{-240.0f + 120.0f * i, 240.0f})));
        ASSERT_NE(recruits.back(), nullptr);
    }
    FramesUntil([] { return gClientApp->GetLocalPlayer()->GetCovenant()->GetRecruitCount() == 6; });
    ASSERT_EQ(gClientApp->GetLocalPlayer()->GetCovenant()->GetRecruitCount(), 6);
    ASSERT_EQ(covenant->GetRecruitActor(0), townRecruit) << "the first row";

    auto chooseAndComeAlong = [&](int32_t row) {
        ClickAt(kRecruitRowX, kRecruitRowTop + row * kRowHeight + kRowHeight / 2);
        Frames(1);
        ClickAt(kComeAlong[0], kComeAlong[1]);
    };
    auto tickRaider = [&](int32_t row) { ClickAt(kRaidRowX, kRaidRowTop + row * kRowHeight + kRowHeight / 2); };
    int32_t own = covenant->index;
    int32_t rival = own == 1 ? 2 : 1;
    // The relations screen by its key, the rival's card, and its raid page by Ride out.
    auto openRivalsRaidPage = [&] {
        Tap(SDL_SCANCODE_R);
        Frames(2);
        ClickAt(CardCentre(rival)[0], CardCentre(rival)[1]);
        ClickAt(kRideOut[0], kRideOut[1]);
        ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsRaid"));
    };
    int32_t fallen = rival + 1 == own ? rival + 2 : rival + 1;
    ASSERT_LT(fallen, gGame->GetCovenantCount());
    WorldPos start = hero->position;

    const std::vector<AlongStep> steps = {
        {"Come along for the town's recruit at the house: it joins, and the window says so",
         [&] {
             Tap(SDL_SCANCODE_P);
             chooseAndComeAlong(0);
         },
         [&] { return hero->IsInParty(townRecruit); }, "RecruitComesAlong", kRecruitsWindow},
        {"Come along again: it is with the hero already",
         [&] { ClickAt(kComeAlong[0], kComeAlong[1]); }, [&] { return hero->CountCompanions() == 1; },
         "RecruitAlreadyInParty", kRecruitsWindow},
        {"two more come along: the party holds the hero and three",
         [&] {
             chooseAndComeAlong(1);
             Frames(4);
             chooseAndComeAlong(2);
         },
         [&] { return hero->CountCompanions() == 3; }, "RecruitComesAlong", kRecruitsWindow},
        {"a fourth is turned away: the party is full",
         [&] { chooseAndComeAlong(3); }, [&] { return hero->CountCompanions() == 3 && !hero->IsInParty(recruits[3]); },
         "AlreadyHaveMaxPartySize", kRecruitsWindow},
        {"the window closed, the hero walks off and the party follows",
         [&] {
             Tap(SDL_SCANCODE_ESCAPE);
             for (int walk = 0; walk < 3; ++walk) {
                 ClickAt(440, 140);
                 Frames(30);
             }
         },
         [&] {
             // Past the reach at which a follower sets off after its leader.
             return hero->position.Distance2D(start) > 400.0f && Distance(*townRecruit, *hero) < 240.0f &&
                    Distance(*recruits[1], *hero) < 240.0f;
         },
         nullptr, {}},
        {"the raid page on a rival, Ride out with nobody ticked: the hero leaves the party behind and rides "
         "alone to its house, where the raid begins",
         [&] {
             openRivalsRaidPage();
             ClickAt(kRideOut[0], kRideOut[1]);
         },
         [&] {
             return !Relations()->IsShown() && covenant->targetCovenant == rival && hero->CountCompanions() == 0 &&
                    hero->position.Distance2D(gGame->GetCovenant(rival)->GetHomePosition()) < 600.0f &&
                    covenant->raidUnderway;
         },
         nullptr, {}},
        {"the raid called off at the console: the hero is home again",
         [&] { ExecuteCommandLine("serverCommand stopRaid"); },
         [&] {
             return covenant->targetCovenant == -1 && hero->position.Distance2D(covenant->GetHomePosition()) < 600.0f;
         },
         nullptr, {}},
        {"the rival's raid page again, six ticked: more than a raid takes",
         [&] {
             openRivalsRaidPage();
             for (int32_t row = 0; row < 6; ++row)
                 tickRaider(row);
             ClickAt(kRideOut[0], kRideOut[1]);
         },
         [&] { return Relations()->IsShown() && covenant->targetCovenant == -1; }, "RaidGroupFull", kWholeScreen},
        {"another rival's raid page, that rival fallen meanwhile: no one to raid",
         [&] {
             ClickAt(kBack[0], kBack[1]);
             ClickAt(CardCentre(fallen)[0], CardCentre(fallen)[1]);
             ClickAt(kRideOut[0], kRideOut[1]);
             tickRaider(0);
             gGame->GetCovenant(fallen)->Eliminate(nullptr, false, false);
             Frames(4);
             ClickAt(kRideOut[0], kRideOut[1]);
         },
         [&] { return Relations()->IsShown() && covenant->targetCovenant == -1; }, "RaidNoTarget", kWholeScreen},
        {"two ticked on the first rival: the screen gives way, the hero rides to its house and the two "
         "appear beside the hero",
         [&] {
             ClickAt(kBack[0], kBack[1]);
             ClickAt(CardCentre(rival)[0], CardCentre(rival)[1]);
             ClickAt(kRideOut[0], kRideOut[1]);
             tickRaider(4);
             tickRaider(5);
             ClickAt(kRideOut[0], kRideOut[1]);
         },
         [&] {
             Covenant* raided = gGame->GetCovenant(rival);
             return !Relations()->IsShown() && covenant->targetCovenant == rival && hero->CountCompanions() == 2 &&
                    hero->IsInParty(recruits[4]) && hero->IsInParty(recruits[5]) &&
                    hero->position.Distance2D(raided->GetHomePosition()) < 600.0f &&
                    Distance(*recruits[4], *hero) < 300.0f && Distance(*recruits[5], *hero) < 300.0f;
         },
         nullptr, {}},
    };
    for (const AlongStep& step : steps) {
        SCOPED_TRACE(step.what);
        // Only what this step's click says counts.
        gTextEvents->RemoveAll();
        step.act();
        FramesUntil([&] { return step.done() && (!step.notice || Notice(step.notice)); }, 200);
        EXPECT_TRUE(step.done());
        if (!step.notice)
            continue;
        const TextEvents::Record* notice = Notice(step.notice);
        ASSERT_NE(notice, nullptr) << step.notice;
        Frames(1);
        ASSERT_TRUE(notice->placed);
        // What the notice stood on, on its box, once it has faded: the window's dark face only.
        constexpr float margin = 3.0f;
        int32_t x0 = std::max(step.window[0], static_cast<int32_t>(notice->x - margin));
        int32_t y0 = std::max(step.window[1], static_cast<int32_t>(notice->y - margin));
        int32_t x1 = std::min(step.window[2], static_cast<int32_t>(notice->x + notice->width + margin) + 1);
        int32_t y1 = std::min(step.window[3], static_cast<int32_t>(notice->y + notice->height + margin) + 1);
        FramesUntil([&] { return !Notice(step.notice); }, 200);
        ASSERT_EQ(Notice(step.notice), nullptr);
        TargaImage under = Screenshot();
        EXPECT_EQ(x0 < x1 && y0 < y1 ? BrightPixels(under, x0, y0, x1, y1, 150) : 0, 0)
            << "the notice stood on the window's words or pictures at " << x0 << ", " << y0;
    }
}

// Each recruit that may ride has its box on the raid page, ticked once clicked; one that has
// fallen is listed without a box and cannot be ticked.
TEST_F(RecruitsAlongEndToEnd, TheRaidPageGivesEachRecruitThatMayRideItsBox)
{
    EnterTheWorld();
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    std::vector<Actor*> recruits;
    for (int i = 0; i < 3; ++i) {
        recruits.push_back(QuestRecruit(*covenant, HostPlayer()->position.Offset(Vector2{120.0f * i, 240.0f})));
        ASSERT_NE(recruits.back(), nullptr);
    }
    recruits[1]->TakeDamage(recruits[1]->health + 1000, nullptr, false, true);
    FramesUntil([] { return gClientApp->GetLocalPlayer()->GetCovenant()->GetRecruitCount() == 3; });
    int32_t own = covenant->index;
    int32_t rival = own == 1 ? 2 : 1;
    Tap(SDL_SCANCODE_R);
    Frames(2);
    ClickAt(CardCentre(rival)[0], CardCentre(rival)[1]);
    ClickAt(kRideOut[0], kRideOut[1]);
    ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsRaid"));
    auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("RelationsRaid::RaidNpcList"));
    ASSERT_NE(list, nullptr);
    ClickAt(kRaidRowX, kRaidRowTop + kRowHeight / 2);
    ClickAt(kRaidRowX, kRaidRowTop + kRowHeight + kRowHeight / 2);
    Frames(2);
    ASSERT_EQ(list->rows.size(), 3u);
    std::vector<std::string> picked;
    list->GetSelectedValues(picked);
    EXPECT_EQ(picked, std::vector<std::string>{"0"}) << "the fallen second recruit cannot be ticked";

    TargaImage page = Screenshot();
    auto boxPixels = [&](int32_t row) {
        int32_t top = kRaidRowTop + row * kRowHeight;
        return CountPixels(page, kRaidList[0], top, kRaidList[0] + 16, top + kRowHeight, [](const auto& p) {
            return std::max({p[0], p[1], p[2]}) > 90;
        });
    };
    auto tickPixels = [&](int32_t row) {
        int32_t top = kRaidRowTop + row * kRowHeight;
        return CountPixels(page, kRaidList[0], top, kRaidList[0] + 16, top + kRowHeight,
                           [](const auto& p) { return p[1] > 180 && p[1] > p[0] + 60 && p[1] > p[2] + 60; });
    };
    EXPECT_GT(boxPixels(0), 20) << "the first recruit's box";
    EXPECT_GT(tickPixels(0), 8) << "ticked";
    EXPECT_LT(boxPixels(1), 5) << "no box for the fallen";
    EXPECT_GT(boxPixels(2), 20) << "the third recruit's box";
    EXPECT_LT(tickPixels(2), 2) << "not ticked";
    // The names stand right of the boxes.
    EXPECT_GT(BrightPixels(page, kRaidList[0] + 20, kRaidRowTop, kRaidList[0] + 120, kRaidRowTop + kRowHeight, 150),
              20);
}
