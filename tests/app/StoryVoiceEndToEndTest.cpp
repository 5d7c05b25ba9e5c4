// StoryVoiceEndToEndTest -- the shipped game offscreen on the null sound device, driven by SDL clicks: the class's story is read aloud on the new-character screen and falls silent as it closes; the interface page's box silences the storyteller and keeps the choice; a forced voice speaks anyway; a won adventure earns the shipped award, which the win screen reports.
#include "app/OffscreenShots.h"

#include "audio/SoundInstance.h"
#include "audio/SoundSystem.h"
#include "client/ClientProfiles.h"
#include "client/GameClient.h"
#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"

#include <string>

namespace {

class StoryVoiceEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
        ASSERT_TRUE(gSoundSystem && gSoundSystem->IsInitialised()) << "the null device stands in for a sound card";
    }

    // The sound the storyteller speaks before a game (no entity owns it); -1 when silent.
    static int32_t StoryVoice()
    {
        SoundInstance* channel = gSoundSystem->FindOwnerChannel(-1, kSoundSlotDialog);
        return channel && channel->IsActive() ? channel->GetResource() : -1;
    }

    static int32_t SoundNamed(const char* path)
    {
        ResourceHandle handle;
        gResourceManager->Load(path, handle);
        return handle;
    }
};

TEST_F(StoryVoiceEndToEnd, TheClassStoryIsReadAloudUntilClosedAndTheInterfacePageSilencesIt)
{
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    ClickAt(530, 300);
    ASSERT_TRUE(Shown("StoryCharacter"));
    int32_t warden = SoundNamed("Sounds/Voices/storywarden.ogg");
    ASSERT_NE(warden, -1) << "the cue is shipped";
    EXPECT_EQ(StoryVoice(), warden);
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("StoryCharacter"));
    EXPECT_EQ(StoryVoice(), -1) << "closing the story stops its voice";

    // Title, Options, Interface: the storyteller silenced by its box, and the choice kept.
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("Options"));
    ClickAt(545, 366);
    ASSERT_TRUE(Shown("OptionsInterface"));
    ClickAt(158, 192);
    EXPECT_EQ(gUserVarSystem->GetStringByName("s_muteVoice"), "1");
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("s_muteVoice 1"), std::string::npos) << settings;
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Options"));
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));

    ClickAt(320, 196);
    ClickAt(530, 300);
    ASSERT_TRUE(Shown("StoryCharacter"));
    EXPECT_EQ(StoryVoice(), -1) << "silenced";
    // A forced voice speaks through the silence, and starting it again replaces, never doubles.
    gCommandSystem->Execute("playStoryVoice PlayerClass 1");
    gCommandSystem->Execute("playStoryVoice PlayerClass 1");
    EXPECT_EQ(StoryVoice(), warden);
    int32_t speaking = 0;
    for (int32_t i = 0; i < SoundSystem::kChannelCount; ++i) {
        SoundInstance* channel = gSoundSystem->GetChannel(i);
        speaking += channel && channel->IsActive() && channel->GetSlot() == kSoundSlotDialog ? 1 : 0;
    }
    EXPECT_EQ(speaking, 1);
    // A record with no voice, and a var naming no record, stop the one speaking and play nothing.
    gUserVarSystem->SetStringByName("StoryProbe", "ClassMonsterGeneric");
    gCommandSystem->Execute("playStoryVoice StoryProbe 1");
    EXPECT_EQ(StoryVoice(), -1);
    gUserVarSystem->SetStringByName("StoryProbe", "NoSuchRecord");
    gCommandSystem->Execute("playStoryVoice StoryProbe 1");
    EXPECT_EQ(StoryVoice(), -1);
}

TEST_F(StoryVoiceEndToEnd, AWonAdventureEarnsTheShippedAwardAndTheWinScreenReportsIt)
{
    TypeOnConsole("setUserVar NewUserName Tamsin");
    TypeOnConsole("newUser");
    ASSERT_EQ(gGameClient->GetProfiles().GetUserName(), "Tamsin");
    EnterTheWorld();
    ASSERT_NE(HostPlayer(), nullptr);
    EXPECT_FALSE(gGameClient->GetProfiles().IsUnlocked("FirstVictoryAward"));

    TypeOnConsole("adventureWon");
    Frames(5);
    EXPECT_TRUE(gGameClient->GetProfiles().IsUnlocked("FirstVictoryAward")) << "the adventure's own award";
    EXPECT_FALSE(gGameClient->GetProfiles().IsUnlocked("HundredKillsAward")) << "no foe was defeated";
    EXPECT_FALSE(gGameClient->GetProfiles().IsUnlocked("ArchetypeGoblin"));
    UIWidget* report = gUISystem->FindWidgetByPath("WinGame::Unlocks");
    ASSERT_NE(report, nullptr);
    std::string text = report->BuildText(report->textSource);
    EXPECT_NE(text.find("$$AwardUnlock"), std::string::npos) << text;
    EXPECT_NE(text.find("FirstVictoryAward"), std::string::npos) << text;
    const UnlockClient* award = gGameClient->GetProfiles().FindUnlock("FirstVictoryAward");
    ASSERT_NE(award, nullptr);
    std::string description;
    award->BuildDescription(description, false);
    EXPECT_EQ(description.rfind("$$FirstVictoryAward$$\n", 0), 0u) << description;
}

} // namespace
