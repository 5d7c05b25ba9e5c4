// HostGoneEndToEndTest -- the shipped game joined as a client ("start client") to a world host that then ends its world: the joined player's game ends, the character file is written, the notice says why in the shipped words, and its button leads back to the title.
#include "app/OffscreenShots.h"
#include "client/ClientApp.h"
#include "core/UserVarSystem.h"
#include "server/WorldHost.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class HostGoneEndToEnd : public OffscreenShotGame {};

TEST_F(HostGoneEndToEnd, AJoinedPlayerWhoseHostEndsItsWorldKeepsTheCharacterAndIsToldWhy)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_NO_FATAL_FAILURE(StartShippedGame());
    // This process's world host stands for the other machine's: the client only joins it, over
    // the datagrams, as it would join one elsewhere.
    gWorldHost->SetUpServer(false, 0, 1, 1, 0, "Hostess");
    gUserVarSystem->SetStringByName("PlayerName", "Wayfarer");
    TypeOnConsole("start client");
    ASSERT_TRUE(WaitForTheGame());
    ASSERT_TRUE(Shown("InGame"));
    std::filesystem::path character = folder.Path() / "User" / "chars" / "wayfarer.chr";
    ASSERT_FALSE(std::filesystem::exists(character));

    // The hosting player leaves: the joined client hears so and leaves the world at once.
    gWorldHost->EndServer();
    Frames(2);
    EXPECT_FALSE(gClientApp->IsActive());
    EXPECT_FALSE(gClientApp->IsConnected());
    EXPECT_FALSE(Shown("InGame"));
    ASSERT_TRUE(Shown("HostGone"));
    EXPECT_TRUE(std::filesystem::exists(character)) << "the character is kept as the autosave keeps it";
    TargaImage notice = Screenshot();
    // The notice sits at (150, 140); its reason box holds the shipped words, not an empty line.
    EXPECT_GT(BrightPixels(notice, 170, 194, 470, 264, 150), 150) << "the reason is written out";

    ClickAt(150 + 170, 140 + 152);
    EXPECT_FALSE(Shown("HostGone"));
    EXPECT_TRUE(Shown("Main"));
    // The player may join again: "start client" is not refused as a game in progress.
    gWorldHost->SetUpServer(false, 0, 1, 1, 0, "Hostess");
    TypeOnConsole("start client");
    EXPECT_TRUE(WaitForTheGame()) << "a second join after the host came back";
}

} // namespace
