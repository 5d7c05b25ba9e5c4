// ClientServicesEndToEndTest -- the shipped game joined through "start both" in an offscreen window, sound on the null device: the level's track takes over from the theme, a message of the world host shows among the text events, and a rain front over the player plays a rain loop and darkens the ambient light.
#include "app/OffscreenGame.h"
#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/WeatherClient.h"
#include "core/MessageBuffer.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"
#include "server/Game.h"
#include "server/Weather.h"
#include "server/WeatherFront.h"
#include "world/World.h"

#include <gtest/gtest.h>

namespace {

class ClientServicesEndToEnd : public OffscreenGame {
protected:
    std::string PlayingTrack() const
    {
        SoundInstance* channel = gSoundSystem->GetChannel(gSoundSystem->GetMusicChannel());
        return channel && channel->IsActive() ? gResourceManager->GetName(channel->GetResource()) : std::string();
    }

    // A front of full rain standing over the place, as a saved world would bring it back.
    static void RainOver(const WorldPos& place)
    {
        Weather& weather = gGame->GetWeather();
        WeatherFront front(weather.GetTuning());
        front.intensity = 1.0f;
        front.lifeTimer.running = 1;
        front.lifeTimer.total = 1000.0f;
        front.lifeTimer.remaining = 1000.0f;
        front.position = place;
        front.innerRadius = 2000.0f;
        front.outerRadius = 4000.0f;
        MessageBuffer block;
        block.WriteInt(1);
        front.Write(block);
        block.SetReadPos(0);
        ASSERT_TRUE(weather.Read(block));
    }
};

TEST_F(ClientServicesEndToEnd, AJoinedGamePlaysTheLevelsTrackShowsTheHostsMessageAndHearsTheRain)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    Frame();
    EXPECT_EQ(PlayingTrack(), "Music/theme.ogg");
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("start both");
    Tap(SDL_SCANCODE_GRAVE);
    for (int i = 0; i < 40 && !(gClientApp->IsActive() && gClientApp->GetLocalPlayer()->GetBody()); ++i)
        Frame();
    PlayerClient* player = gClientApp->GetLocalPlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_NE(player->GetBody(), nullptr);

    // The level's track follows the theme on the music channel.
    std::string track = gWorld->GetLevelMusicName(player->GetPosition().level);
    ASSERT_FALSE(track.empty());
    EXPECT_NE(track, "Music/theme.ogg");
    EXPECT_EQ(PlayingTrack(), track);

    // A message of the world host arrives with the next update and shows in the log.
    gGame->SendMessage("$$LeadingCovenantInPowerIsNow$$", 3);
    bool shown = false;
    for (int i = 0; i < 4 && !shown; ++i) {
        Frame();
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            shown = shown || record.text == "$$LeadingCovenantInPowerIsNow$$";
    }
    EXPECT_TRUE(shown);

    // Rain over the player: a loop in one of the rain slots, and a darker ambient light.
    ASSERT_GT(WeatherClient::GetPlayerAreaWeatherMult(), 0.0f) << "the start level has no weather";
    RainOver(player->GetPosition());
    for (int i = 0; i < 4; ++i)
        Frame();
    int32_t owner = player->GetEntityNumber();
    SoundInstance* rain = gSoundSystem->FindOwnerChannel(owner, WeatherClient::kRainSlotA);
    if (!rain)
        rain = gSoundSystem->FindOwnerChannel(owner, WeatherClient::kRainSlotB);
    ASSERT_NE(rain, nullptr);
    EXPECT_TRUE(rain->IsLooping());
    EXPECT_EQ(gResourceManager->GetName(rain->GetResource()).rfind("Sounds/Weather/rain", 0), 0u);
    Color clear = gGameClient->GetAmbientColour();
    Color lit = gGameClient->GetWeatheredAmbient();
    EXPECT_GT(clear.r + clear.g + clear.b, 0.0f);
    EXPECT_LT(lit.r + lit.g + lit.b, clear.r + clear.g + clear.b);
    // The listener is the player, and the loop lives with the player's mirror.
    EXPECT_EQ(gSoundSystem->GetWorld().GetLocalPlayerEntity(), owner);
    EXPECT_EQ(gSoundSystem->GetWorld().GetListenerReference().level, player->GetPosition().level);
}

} // namespace
