// AnimatedLevelObjectsTest -- doors and chests over real model files: a door's move lasts its animation and it blocks until then, a chest fades once its "open" animation starts.
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/FakeGameServices.h"
#include "resources/models/ModelWorld.h"

#include <gtest/gtest.h>

namespace {

class AnimatedLevelObjects : public ModelWorld {
protected:
    // Sprite models: each move 4 frames at 10 fps (0.4 seconds), each pose one frame.
    void SetUp() override
    {
        gEventSystem = &events;
        gTypeRegistry = &types;
        gRandomSystem = &random;
        gGameServices = &game;
        Entity::RegisterEventClass(events, types);
        auto clip = [](const char* name, int frames) {
            return std::string(" ") + name + " {\n  baseTexture p.tga\n  frames " + std::to_string(frames) +
                   "\n  fps 10\n  directions 1\n }\n";
        };
        WriteAsset("Models/door.mdl", "type 2d\nanimations\n{\n" + clip("closed", 1) + clip("opening", 4) +
                                          clip("open", 1) + clip("closing", 4) + "}\n");
        WriteAsset("Models/chest.mdl", "type 2d\nanimations\n{\n" + clip("closed", 1) + clip("opening", 4) +
                                           clip("open", 1) + "}\n");
    }

    void TearDown() override
    {
        game.DestroyAll();
        gGameServices = nullptr;
        gRandomSystem = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
        ModelWorld::TearDown();
    }

    template <class T>
    T* Make(const char* model)
    {
        auto* entity = new T();
        entity->LoadModels(model);
        manager->Get(entity->model);
        WorldPos where;
        where.level = 0;
        where.x = 500.0f;
        where.y = 500.0f;
        entity->SetPosition(where);
        EXPECT_NE(game.AddEntity(entity), -1);
        return entity;
    }

    // Steps of 0.05 seconds (the entity's and the game's) until the test holds; the seconds it
    // took, or -1 after ten seconds.
    template <class Test>
    float StepUntil(Entity& entity, Test done)
    {
        for (int32_t step = 1; step <= 200; ++step) {
            entity.Update(FakeGameServices::kStep);
            game.Step();
            if (done())
                return static_cast<float>(step) * FakeGameServices::kStep;
        }
        return -1.0f;
    }

    EventSystem events;
    TypeRegistry types;
    RandomSystem random{0x5eed};
    FakeGameServices game;
};

} // namespace

TEST_F(AnimatedLevelObjects, ADoorBlocksUntilItsOpeningHasPlayedAndAgainFromItsClosing)
{
    auto* door = Make<Door>("door.mdl");
    ASSERT_NE(door->GetLoadedModel(), nullptr);
    EXPECT_FLOAT_EQ(door->AnimationDuration("opening"), 0.4f);
    door->Update(FakeGameServices::kStep);
    door->Use(nullptr);
    ASSERT_EQ(door->GetState(), DoorState::Opening);
    float opened = StepUntil(*door, [door] { return door->GetState() == DoorState::Open; });
    EXPECT_GE(opened, 0.35f);
    EXPECT_LE(opened, 0.5f);
    EXPECT_FALSE(door->alwaysBlocks);
    door->Use(nullptr);
    EXPECT_TRUE(door->alwaysBlocks) << "solid from the moment it starts closing";
    float closed = StepUntil(*door, [door] { return door->GetState() == DoorState::Closed; });
    EXPECT_GE(closed, 0.35f);
    EXPECT_LE(closed, 0.5f);
}

TEST_F(AnimatedLevelObjects, AChestWithAFadeTimeGoesOnceItStandsOpen)
{
    auto* chest = Make<Chest>("chest.mdl");
    chest->fadeTime = 1.0f;
    int32_t number = chest->entityNumber;
    chest->Update(FakeGameServices::kStep);
    Entity opener;
    chest->Use(&opener);
    EXPECT_FALSE(chest->IsClosed());
    float gone = StepUntil(*chest, [this, number] { return game.GetEntity(number) == nullptr; });
    EXPECT_GE(gone, 1.3f) << "the opening plays out before the fade begins";
    EXPECT_LE(gone, 1.6f);
}
