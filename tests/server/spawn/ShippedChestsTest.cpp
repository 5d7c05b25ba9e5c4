// ShippedChestsTest -- the chests the shipped world's areas spawn: now and then one opens the way into the next secret level, never one inside a secret level.
#include "server/WorldSaveWorld.h"

#include "entities/Chest.h"
#include "entities/Gate.h"
#include "server/spawn/LevelFiller.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int32_t kChestsPerLevel = 40;

class ShippedChests : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartShippedWorldWithAPlayer(firstSecret));
    }

    // The chests a level's area spawns, as the level filler makes them; counts those that link.
    int32_t CountLinking(int32_t level, int32_t& made, std::unique_ptr<Chest>& kept)
    {
        int32_t links = 0;
        for (int32_t i = 0; i < kChestsPerLevel; ++i) {
            std::unique_ptr<Chest> chest(spawn.GetLevelFiller().CreateChest(nullptr, level, 0));
            if (!chest)
                continue;
            ++made;
            if (!chest->secretLink)
                continue;
            ++links;
            if (!kept)
                kept = std::move(chest);
        }
        return links;
    }

    int32_t firstSecret = -1;
};

TEST_F(ShippedChests, SomeOpenTheWayIntoTheNextSecretLevelButNoneInsideOne)
{
    int32_t made = 0;
    int32_t links = 0;
    std::unique_ptr<Chest> linking;
    for (int32_t level = 0; level < firstSecret; ++level)
        links += CountLinking(level, made, linking);
    ASSERT_GT(made, 0) << "the areas spawn chests";
    EXPECT_GT(links, 0) << "no chest of the world's areas ever opens a secret level";
    EXPECT_LT(links * 10, made) << "a way into a secret level is a find, not every chest";

    int32_t madeInside = 0;
    std::unique_ptr<Chest> none;
    for (int32_t level = firstSecret; level < gWorld->GetLevelCount(); ++level)
        EXPECT_EQ(CountLinking(level, madeInside, none), 0) << "a chest in secret level " << level << " links onward";
    EXPECT_GT(madeInside, 0) << "the secret levels have chests of their own";

    // Opened, the spawned chest leads into the first secret level with a pair of secret gates.
    ASSERT_NE(linking, nullptr);
    Chest* chest = linking.release();
    chest->SetPosition(At(640, 640, 1));
    ASSERT_NE(game->AddEntity(chest), -1);
    chest->Use(player);
    EXPECT_FALSE(chest->IsClosed());
    EXPECT_EQ(game->PeekSecretLevel(), firstSecret + 1) << "the chest handed out the first secret level";
    int32_t intoSecret = 0;
    for (int32_t number = 0; number < Game::kMaxEntities; ++number)
        if (const auto* gate = dynamic_cast<const Gate*>(game->GetEntity(number)); gate && gate->kind == GateKind::Secret)
            intoSecret += gate->position.level == firstSecret ? 1 : 0;
    EXPECT_EQ(intoSecret, 1) << "one gate of the pair stands in the secret level";
}

} // namespace
