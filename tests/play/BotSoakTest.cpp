// BotSoakTest -- the shipped game on a seeded world played for many steps by a bot through SDL input alone: walks toward far edges (and so through the levels), fights, skills from the quick-use bar, loot, the trade window, save and exit with the game resumed; every hundred steps the world must hold (the player on a level, the entity table not full, the mirror on the host's level, memory flat after the warm-up, no error in the log) and at the end the client's mirror must equal the world host's player.
#include "play/PlayThroughGame.h"

#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "rules/PlayerPartLayout.h"
#include "server/Game.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Steps in ./check; EMBERLODE_SOAK_STEPS asks for a longer run.
constexpr int32_t kDefaultSteps = 600;
constexpr int32_t kCheckEvery = 100;
// Memory is measured from the end of the warm-up, the first share of the run.
constexpr double kWarmUpShare = 0.4;
constexpr double kMemoryGrowthAllowed = 0.05;

class BotSoak : public PlayThroughGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        // Each line reaches the file at once, so the checks between steps read all of it.
        gUserVarSystem->SetStringByName("logfile", "2");
        EnterTheWorld();
        ASSERT_TRUE(HostPlayer() && Local()) << "the bot's character entered the world";
        const char* asked = std::getenv("EMBERLODE_SOAK_STEPS");
        steps = asked ? std::max(kCheckEvery, std::atoi(asked)) : kDefaultSteps;
    }

    void TearDown() override { KeepFailedFrame("BotSoak"); }

    // The process's resident size in kilobytes.
    static long ResidentKilobytes()
    {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmRSS:", 0) == 0)
                return std::atol(line.c_str() + 6);
        return 0;
    }

    // The log's lines written as errors since the run began.
    std::vector<std::string> ErrorLines() const
    {
        std::vector<std::string> errors;
        std::istringstream log(folder.Read("User/log.txt"));
        std::string line;
        while (std::getline(log, line))
            if (line.find("^c001") != std::string::npos)
                errors.push_back(line);
        return errors;
    }

    // The middle of one of the level's edges, where the ways out lie, for the bot to walk toward
    // until it crosses into the neighbouring level or stops getting nearer.
    WorldPos PickGoal()
    {
        const WorldPos at = Local()->GetPosition();
        float w = gWorld->GetLevelWidth();
        float h = gWorld->GetLevelHeight();
        const WorldPos edges[] = {{at.level, w / 2.0f, 4.0f, true},
                                  {at.level, w - 4.0f, h / 2.0f, true},
                                  {at.level, w / 2.0f, h - 4.0f, true},
                                  {at.level, 4.0f, h / 2.0f, true}};
        goalBest = 1e9f;
        goalStale = 0;
        return edges[roll(4)];
    }

    void Walk()
    {
        const WorldPos at = Local()->GetPosition();
        if (goal.level != at.level)
            goal = PickGoal();
        float distance = at.Distance2D(goal);
        goalStale = distance < goalBest - 10.0f ? 0 : goalStale + 1;
        goalBest = std::min(goalBest, distance);
        if (goalStale > 6 || !ClickToward(goal))
            goal = PickGoal();
        Frames(6);
    }

    // The nearest creature of the mirror that is drawn and hostile, as the bot sees it.
    static EntityClient* NearestMonster()
    {
        return NearestOnClient([](const EntityClient& entity) {
            return entity.IsMonster() && entity.IsAlive() && entity.position.Distance2D(Local()->GetPosition()) < 300.0f;
        });
    }

    void Fight(bool withSkill)
    {
        EntityClient* monster = NearestMonster();
        int32_t x = 0;
        int32_t y = 0;
        if (!monster || !FindPickPoint(*monster, x, y)) {
            Walk();
            return;
        }
        if (withSkill) {
            PushMotion(x, y);
            Frames(1);
            Tap(SDL_SCANCODE_1);
        } else {
            ClickAt(x, y);
        }
        Frames(6);
    }

    void Loot()
    {
        EntityClient* loot = NearestOnClient([](const EntityClient& entity) {
            return (entity.isItem || entity.moneyAmount > 0) && entity.IsReadyToTake() &&
                   entity.position.Distance2D(Local()->GetPosition()) < 300.0f;
        });
        if (!loot || !ClickEntity(*loot)) {
            Fight(false);
            return;
        }
        Frames(8);
    }

    void OpenAndCloseTrade()
    {
        Tap(SDL_SCANCODE_T);
        Frames(2);
        if (Shown("Trade"))
            Tap(SDL_SCANCODE_ESCAPE);
        Frames(1);
    }

    // A fallen bot presses the death screen's button and waits to rise.
    void RiseIfFallen()
    {
        UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
        if (!rise || !rise->IsVisible())
            return;
        ClickAt(320, 246);
        WaitUntil(240, [rise] { return HostPlayer() && HostPlayer()->health > 0 && !rise->IsVisible(); });
        Frames(4);
        ++deaths;
    }

    // The game menu's save and exit, then the title's resume: the world goes through its files.
    void SaveAndResume()
    {
        TypeOnConsole("saveAndExit");
        Frames(2);
        ASSERT_FALSE(gClientApp->IsActive()) << "save and exit ended the game";
        TypeOnConsole("resumeGame");
        ASSERT_TRUE(WaitForTheGame()) << "the saved game resumed";
        if (Shown("ConfirmWin"))
            Tap(SDL_SCANCODE_ESCAPE);
        ++saves;
    }

    void Step()
    {
        RiseIfFallen();
        // Windows a step opened by chance (a stray key, a click on a townsperson) are closed as a
        // player would.
        for (const char* window : {"GameMenu", "NpcMenu"})
            if (Shown(window))
                Tap(SDL_SCANCODE_ESCAPE);
        switch (roll(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: Walk(); break;
        case 10: case 11: case 12: Fight(false); break;
        case 13: case 14: Fight(true); break;
        case 15: case 16: case 17: Loot(); break;
        default: OpenAndCloseTrade(); break;
        }
    }

    // What must hold every hundred steps; a message for each thing that does not.
    void CheckTheWorld(int32_t step)
    {
        Player* host = HostPlayer();
        ASSERT_NE(host, nullptr) << "step " << step << ": the bot's player is gone";
        ASSERT_NE(Local(), nullptr) << "step " << step << ": the mirror lost its player";
        EXPECT_GE(host->position.level, 0) << "step " << step;
        EXPECT_LT(host->position.level, gWorld->GetLevelCount()) << "step " << step;
        Frames(2);
        EXPECT_EQ(Local()->GetPosition().level, host->position.level) << "step " << step << ": the mirror's level";
        int32_t hostEntities = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            hostEntities += gGame->GetEntity(number) != nullptr;
        int32_t mirrored = 0;
        for (int32_t number = 0; number < GameClient::kMaxEntities; ++number)
            mirrored += gGameClient->GetEntity(number) != nullptr;
        EXPECT_LT(hostEntities, GameServices::kMaxEntities * 9 / 10) << "step " << step << ": the table is nearly full";
        EXPECT_LE(mirrored, hostEntities) << "step " << step << ": the mirror holds more than the host";
        levelsSeen.insert(host->position.level);
        // The most the warm-up reached (at least its first measure) is what later measures keep to.
        long resident = ResidentKilobytes();
        if (step <= steps * kWarmUpShare || baseline == 0)
            baseline = std::max(baseline, resident);
        else
            EXPECT_LE(resident, static_cast<long>(baseline * (1.0 + kMemoryGrowthAllowed)))
                << "step " << step << ": memory grew from " << baseline << " kB after the warm-up";
        peak = std::max(peak, resident);
        ASSERT_FALSE(folder.Read("User/log.txt").empty()) << "the log is written";
        std::vector<std::string> errors = ErrorLines();
        EXPECT_TRUE(errors.empty()) << "step " << step << ": " << errors.size() << " error lines, the first: "
                                    << (errors.empty() ? "" : errors.front());
    }

    // The client's mirror of its player equals the world host's: level and place, the stats the
    // player's part carries, health from the body, the inventory.
    void CheckTheMirror()
    {
        Player& host = *HostPlayer();
        PlayerClient& mirror = *Local();
        WaitUntilArrived();
        Frames(4);
        EXPECT_EQ(mirror.GetPosition().level, host.position.level);
        EXPECT_LT(mirror.GetPosition().Distance2D(host.position), 2.0f);
        for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
            EXPECT_EQ(mirror.GetStat(stat), host.GetStat(stat)) << "attribute " << stat;
        for (int32_t stat : PlayerPartLayout::kStats)
            EXPECT_EQ(mirror.GetStat(stat), host.GetStat(stat)) << "stat " << stat;
        for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
            EXPECT_EQ(mirror.GetStat(stat), host.GetStat(stat)) << "skill " << stat;
        // Health travels with the body's state, not in the player's part.
        ASSERT_NE(mirror.GetBody(), nullptr);
        EXPECT_EQ(mirror.GetBody()->maxHealth, host.maxHealth);
        EXPECT_EQ(mirror.GetBody()->health, host.health);
        MessageBuffer hostItems;
        MessageBuffer mirrorItems;
        host.inventory->Write(hostItems, false);
        mirror.GetInventory().Write(mirrorItems, false);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(hostItems.Data()), hostItems.Size()),
                  std::string(reinterpret_cast<const char*>(mirrorItems.Data()), mirrorItems.Size()))
            << "the inventory";
    }

    int roll(int sides) { return std::uniform_int_distribution<int>(0, sides - 1)(random); }

    int32_t steps = kDefaultSteps;
    std::mt19937 random{67};
    WorldPos goal{-1, 0.0f, 0.0f, true};
    float goalBest = 1e9f;
    int32_t goalStale = 0;
    long baseline = 0;
    long peak = 0;
    int32_t deaths = 0;
    int32_t saves = 0;
    std::set<int32_t> levelsSeen;
};

} // namespace

TEST_F(BotSoak, ABotPlaysOnWhileTheWorldStaysWholeAndTheMirrorTrue)
{
    for (int32_t step = 1; step <= steps && !HasFatalFailure(); ++step) {
        Step();
        if (step == steps / 2)
            SaveAndResume();
        if (step % kCheckEvery == 0)
            CheckTheWorld(step);
    }
    if (HasFatalFailure())
        return;
    RiseIfFallen();
    CheckTheMirror();
    RecordProperty("levels", static_cast<int>(levelsSeen.size()));
    RecordProperty("memory_kB", static_cast<int>(baseline));
    RecordProperty("memory_peak_kB", static_cast<int>(peak));
    RecordProperty("deaths", deaths);
    EXPECT_EQ(saves, 1);
    EXPECT_GT(levelsSeen.size(), 1u) << "the bot walked into another level";
}
