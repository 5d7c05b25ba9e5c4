// GameClientTest -- the game client's tables and frame: one client however often it is made, covenants made in index order, the entity table's bounds, and the ambient light fading over the area's time or taking its colour at once, the two timers and the autosave's pace.
#include "client/ClientWorld.h"

#include "world/AreaDefinition.h"
#include "world/Level.h"

namespace {

class GameClientFrame : public ClientWorld {
protected:
    // Both sun colours of the start level's area, and its fade time.
    void SetSun(const Color& colour, float fadeSeconds)
    {
        AreaDefinition* area = gWorld->GetLevel(link->position.level)->area;
        area->daySunColor = colour;
        area->nightSunColor = colour;
        area->colorTransitionTime = fadeSeconds;
    }
};

TEST_F(GameClientFrame, ASecondInitKeepsTheGameClientThatExists)
{
    GameClient::Init();
    EXPECT_EQ(gGameClient, gameClient.get());
}

TEST_F(GameClientFrame, CovenantsAreMadeOnlyWhenAskedAndAlwaysAtTheEnd)
{
    EXPECT_EQ(gameClient->GetCovenant(3, false), nullptr);
    EXPECT_EQ(gameClient->GetCovenant(0, false), nullptr);
    CovenantClient* made = gameClient->GetCovenant(5, true);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->index, 0);
    EXPECT_EQ(gameClient->GetCovenant(0, false), made);
    EXPECT_EQ(gameClient->GetCovenant(1, true)->index, 1);
    // No covenant counted yet: there is no last one.
    EXPECT_EQ(gameClient->GetLastCovenant(), nullptr);
}

TEST_F(GameClientFrame, TheTableHoldsNumbersBelow1500AndTheFrameSkipsEmptySlots)
{
    StartAndJoin();
    ClientFrame(0);
    for (int32_t number : {-2, -1, 1500, 0x7FFFFFFF})
        EXPECT_EQ(gameClient->GetEntity(number), nullptr) << number;
    EntityClient* mirror = gameClient->GetEntity(link->player->entityNumber);
    ASSERT_NE(mirror, nullptr);
    mirror->timerDuration = 1.0f;
    gameClient->Update(0.25f);
    EXPECT_FLOAT_EQ(mirror->timerElapsed, 0.25f);
}

TEST_F(GameClientFrame, TheAmbientLightFadesOverTheAreasTimeStepByStep)
{
    StartAndJoin();
    SetSun(Color{0.2f, 0.4f, 1.0f}, 2.0f);
    // The first colour is taken at once: there is no earlier fade.
    gameClient->Update(0.1f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().b, 1.0f);

    SetSun(Color{1.0f, 0.4f, 0.0f}, 2.0f);
    gameClient->Update(0.5f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 0.45f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().g, 0.4f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().b, 0.75f);
    for (int i = 0; i < 3; ++i)
        gameClient->Update(0.5f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 1.0f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().b, 0.0f);
    // Reached exactly: no step past the target.
    gameClient->Update(0.5f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 1.0f);
}

TEST_F(GameClientFrame, WithoutAFadeTimeTheAmbientLightChangesAtOnce)
{
    StartAndJoin();
    SetSun(Color{0.2f, 0.4f, 1.0f}, 0.0f);
    gameClient->Update(0.1f);
    SetSun(Color{1.0f, 0.0f, 0.0f}, 0.0f);
    gameClient->Update(0.1f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 1.0f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().b, 0.0f);
    // While the area editor is open no level lights the piece: black, and the level's sun again
    // once it closes.
    bool editorOpen = true;
    app->GetHooks().editorOpen = [&editorOpen] { return editorOpen; };
    gameClient->Update(0.1f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 0.0f);
    editorOpen = false;
    gameClient->Update(0.1f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 1.0f);
    // Off the game: no level, black.
    app->EndGame();
    gameClient->Update(0.1f);
    EXPECT_FLOAT_EQ(gameClient->GetAmbientColour().r, 0.0f);
    app->GetHooks().editorOpen = nullptr;
}

} // namespace

TEST_F(GameClientFrame, TheTimersCountDownAndStopAtZero)
{
    gameClient->announceTimer.running = 1;
    gameClient->announceTimer.remaining = 1.0f;
    gameClient->autosaveTimer.remaining = 3.0f;
    gameClient->Update(0.25f);
    EXPECT_FLOAT_EQ(gameClient->announceTimer.remaining, 0.75f);
    // A timer that does not run keeps its time.
    EXPECT_FLOAT_EQ(gameClient->autosaveTimer.remaining, 3.0f);
    gameClient->Update(5.0f);
    EXPECT_FLOAT_EQ(gameClient->announceTimer.remaining, 0.0f);
}

TEST_F(GameClientFrame, TheAutosaveKeepsItsTimeAndAZeroTimeSwitchesItOff)
{
    StartAndJoin("", "UsesSaveGames 1\n");
    gameClient->RegisterVars();
    vars.SetStringByName("autoSaveTime", "0");
    ClientFrame(0);
    ASSERT_TRUE(gameClient->IsStarted());
    gameClient->Update(1000.0f);
    EXPECT_FALSE(gameClient->autosaveTimer.running);
    EXPECT_EQ(link->saves, 0);

    // Raised later: the timer starts on the next frame.
    vars.SetStringByName("autoSaveTime", "2.0");
    gameClient->Update(0.0f);
    EXPECT_TRUE(gameClient->autosaveTimer.running);
    gameClient->Update(1.5f);
    EXPECT_EQ(link->saves, 0);
    gameClient->Update(0.5f);
    EXPECT_EQ(link->saves, 1);
    EXPECT_FLOAT_EQ(gameClient->autosaveTimer.remaining, 2.0f);

    // Switched off while running: the save that is due still happens, then nothing more.
    vars.SetStringByName("autoSaveTime", "0");
    gameClient->Update(2.0f);
    EXPECT_EQ(link->saves, 2);
    EXPECT_FALSE(gameClient->autosaveTimer.running);
    gameClient->Update(100.0f);
    EXPECT_EQ(link->saves, 2);
}

TEST_F(GameClientFrame, NoAutosaveBeforeTheGameStartsOrWhenTheGameKeepsNoSaves)
{
    gameClient->RegisterVars();
    vars.SetStringByName("autoSaveTime", "1.0");
    gameClient->Update(5.0f);
    EXPECT_FALSE(gameClient->autosaveTimer.running);

    StartAndJoin();
    ClientFrame(0);
    ASSERT_TRUE(gameClient->IsStarted());
    gameClient->Update(0.0f);
    EXPECT_TRUE(gameClient->autosaveTimer.running);
    gameClient->Update(1.0f);
    // The timer runs its rounds, but this game keeps no saves.
    EXPECT_EQ(link->saves, 0);
    EXPECT_FLOAT_EQ(gameClient->autosaveTimer.remaining, 1.0f);
}
