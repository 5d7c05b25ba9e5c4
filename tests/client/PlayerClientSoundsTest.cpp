// PlayerClientSoundsTest -- the player's own sounds on the recording driver, and the name of the level it enters (a level first reached by a warp is discovered): what the body is busy with (the host's timed actions) is heard while it lasts, the end of identifying after it, a gate once; a timed quest's last minute ticks once a whole second; the low-health warning starts once while the body's health is at least 1 and below "LowHealthSoundWarningLevel", stops at the level and at death, and starts again on the next fall; the target's ring is asked for only while "ShowSelectedEntityIcon" is set and the target shows.
#include "client/ClientServicesWorld.h"

#include "client/EntityScene.h"
#include "core/StringUtil.h"
#include "render/TextEvents.h"
#include "world/Level.h"
#include "world/World.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/Quest.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

// Writes down the ground marks the player's draw asks for.
class MarkRecordingScene : public EntityScene {
public:
    void AddModel(const ModelSurfacesDesc&) override {}
    void AddSprite(const SpriteDesc&) override {}
    void AddShadow(const WorldPos3&, float) override {}
    void AddProjectedShadow(const ModelSurfacesDesc&, const WorldPos3&) override {}
    void AddIcon(const WorldPos3&, float, float, int32_t) override {}
    void AddGroundMark(const WorldPos3& position, float size, const Color&, int32_t texture) override
    {
        marks.push_back({position, size, texture});
    }
    void AddTagAxes(const WorldPos3&, const Matrix3&) override {}
    int32_t GetOutlineTexture(int32_t) const override { return -1; }
    int32_t GetGlowTexture(int32_t) const override { return -1; }
    int32_t GetShadowMode() const override { return 0; }

    struct Mark {
        WorldPos3 position;
        float size = 0.0f;
        int32_t texture = -1;
    };
    std::vector<Mark> marks;
};

// The ring's texture, only passed through.
constexpr int32_t kRing = 5;

// A hunt the player has ten game seconds for.
constexpr const char* kPlayerClientSoundsQuests = R"(
QuestQuickHunt
{
    Type Quest
    QuestType KillMonsters
    Count 3
    MinTime 10
    MaxTime 10
}
)";

class PlayerClientSounds : public ClientServices<PlayerClientWorld> {
protected:
    void Start(const std::string& tuning)
    {
        WriteSound("Sounds/low.wav");
        WriteSound("Sounds/tick.wav");
        StartWorldOnly("SoundNameLowHealth \"Sounds/low.wav\"\nLowHealthSoundWarningLevel 50\n"
                       "SoundNameTimeTick \"Sounds/tick.wav\"\n" + tuning,
                       kPlayerClientSoundsQuests);
        // The game client reads the record's sounds, as at start-up.
        gameClient->GetMusic().LoadGameSystem(database);
        Join();
    }

    // How many channels play the sound at the player's body.
    int32_t Playing(const char* name)
    {
        int32_t count = 0;
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = sound->GetChannel(i);
            count += channel->IsActive() && channel->GetOwner() == player->GetEntityNumber() &&
                     manager->GetName(channel->GetResource()) == name;
        }
        return count;
    }
    int32_t Warnings() { return Playing("Sounds/low.wav"); }

    // The body at that health, then one frame of the player.
    void HealthThenFrame(int32_t health)
    {
        player->GetBody()->maxHealth = 100;
        player->GetBody()->health = health;
        player->Update(0.05f);
    }
};

} // namespace

TEST_F(PlayerClientSounds, TheLowHealthWarningStartsOnceBelowItsLevelAndStopsAtItAndAtDeath)
{
    Start("");
    HealthThenFrame(50);
    EXPECT_EQ(Warnings(), 0) << "at the level exactly: silent";
    HealthThenFrame(49);
    EXPECT_EQ(Warnings(), 1);
    HealthThenFrame(30);
    EXPECT_EQ(Warnings(), 1) << "started once, not once a frame";
    HealthThenFrame(0);
    EXPECT_EQ(Warnings(), 0) << "the dead hear no warning";
    HealthThenFrame(1);
    EXPECT_EQ(Warnings(), 1) << "health 1 is still alive";
    HealthThenFrame(80);
    EXPECT_EQ(Warnings(), 0);

    // This game leaves "ShowSelectedEntityIcon" off: a target gets no ring.
    MarkRecordingScene scene;
    player->SetTarget(player->GetBody(), false);
    player->DrawSelectedTarget(scene, kRing);
    EXPECT_TRUE(scene.marks.empty());
}

TEST_F(PlayerClientSounds, WithTheSwitchOnTheTargetGetsItsRingUnlessItIsHidden)
{
    Start("ShowSelectedEntityIcon 1\n");
    MarkRecordingScene scene;
    player->DrawSelectedTarget(scene, kRing);
    EXPECT_TRUE(scene.marks.empty()) << "no target";
    EntityClient* body = player->GetBody();
    player->SetTarget(body, false);
    player->DrawSelectedTarget(scene, kRing);
    ASSERT_EQ(scene.marks.size(), 1u);
    EXPECT_FLOAT_EQ(scene.marks[0].size, 48.0f);
    EXPECT_EQ(scene.marks[0].texture, kRing);
    EXPECT_EQ(scene.marks[0].position.level, body->position.level);
    EXPECT_FLOAT_EQ(scene.marks[0].position.x, body->position.x);
    EXPECT_FLOAT_EQ(scene.marks[0].position.y, body->position.y);
    body->flags |= EntityBase::kFlagHidden;
    player->DrawSelectedTarget(scene, kRing);
    EXPECT_EQ(scene.marks.size(), 1u) << "a hidden target has no ring";
}

TEST_F(PlayerClientSounds, TheLastMinuteOfATimedQuestTicksOnceAWholeSecond)
{
    Start("");
    EXPECT_EQ(player->GetUrgentQuestSeconds(), -1) << "no quest";
    auto quest = std::make_unique<Quest>(nullptr);
    quest->Setup(database.FindEntryByName("QuestQuickHunt"), 3, 5, 0, gameClient->clock);
    // Three kills to go, none made.
    quest->count = 3;
    quest->progress = 0;
    game->GetWorldQuests().push_back(std::move(quest));
    ASSERT_NE(hostPlayer->AcceptQuest(static_cast<int32_t>(game->GetWorldQuests().size()) - 1), nullptr);
    ClientFrame(50);
    ClientFrame(50);
    const QuestClient* held = player->GetQuestSlot(0);
    ASSERT_NE(held, nullptr);
    for (int32_t slot = 1; slot < PlayerClient::kQuestSlots; ++slot)
        ASSERT_EQ(player->GetQuestSlot(slot), nullptr) << slot;
    ASSERT_NE(held->definition, nullptr);
    EXPECT_FLOAT_EQ(held->definition->maxTime, 10.0f);
    EXPECT_FALSE(held->IsComplete());
    EXPECT_FALSE(held->failed);
    int32_t left = player->GetUrgentQuestSeconds();
    ASSERT_GT(left, 0) << "the host's quest reached the player's slot";
    ASSERT_LE(left, 10);
    EXPECT_EQ(Playing("Sounds/tick.wav"), 1) << "heard as it arrives";
    // Four game seconds in quarters: each later whole second is heard once.
    std::set<int32_t> later;
    for (int i = 0; i < 16; ++i) {
        ClientFrame(250);
        if (int32_t second = player->GetUrgentQuestSeconds(); second != left)
            later.insert(second);
    }
    EXPECT_GE(later.size(), 3u);
    EXPECT_EQ(Playing("Sounds/tick.wav"), 1 + static_cast<int32_t>(later.size()));
}

TEST_F(PlayerClientSounds, ALevelFirstReachedByAWarpIsDiscoveredThoughTheSameUpdateMarksItKnown)
{
    Start("");
    auto shown = [this](const std::string& text) {
        for (const TextEvents::Record& record : textEvents.GetRecords())
            if (record.text == text)
                return true;
        return false;
    };
    int32_t home = player->GetPosition().level;
    std::string start = gWorld->GetLevelName(home);
    ASSERT_FALSE(start.empty());
    EXPECT_TRUE(shown("$$Entering$$ " + start));
    int32_t other = home == 1 ? 2 : 1;
    // Named apart from the start by its monster level: the name changes on arriving.
    gWorld->GetLevel(other)->monsterLevel = 3;
    std::string name = gWorld->GetLevelName(other);
    ASSERT_NE(name, start);
    ASSERT_FALSE(hostPlayer->IsLevelExplored(other));
    ASSERT_FALSE(static_cast<size_t>(other) < player->discoveredLevels.size() &&
                 player->discoveredLevels[static_cast<size_t>(other)]);
    // The host moves its player and marks the level known at once: one update carries both.
    hostPlayer->Warp(WorldPos{other, hostPlayer->position.x, hostPlayer->position.y, true});
    ASSERT_TRUE(hostPlayer->IsLevelExplored(other));
    for (int i = 0; i < 3; ++i)
        ClientFrame(50);
    ASSERT_EQ(player->GetPosition().level, other);
    EXPECT_TRUE(shown("$$Discovered$$ " + name));
    EXPECT_FALSE(shown("$$Entering$$ " + name));

    // Back to the start and out again: the level is known now.
    for (int32_t level : {home, other}) {
        hostPlayer->Warp(WorldPos{level, hostPlayer->position.x, hostPlayer->position.y, true});
        for (int i = 0; i < 3; ++i)
            ClientFrame(50);
    }
    ASSERT_EQ(player->GetPosition().level, other);
    EXPECT_TRUE(shown("$$Entering$$ " + name));
}

TEST_F(PlayerClientSounds, WhatTheBodyIsBusyWithIsHeardWhileItLastsAndTheEndOfIdentifyingToo)
{
    for (const char* name : {"Sounds/chest.wav", "Sounds/ident.wav", "Sounds/done.wav", "Sounds/gate.wav"})
        WriteSound(name);
    Start("SoundNameOpeningChest \"Sounds/chest.wav\"\nSoundNameIdentifying \"Sounds/ident.wav\"\n"
          "SoundNameDoneIdentifying \"Sounds/done.wav\"\nSoundNameCreatingGate \"Sounds/gate.wav\"\n");
    // The host's timed actions reach the client as its "timer" lines.
    auto hostTimer = [this](const char* seconds, int kind) {
        game->QueueClientCommand(StringFormat("timer %d %s %d", hostPlayer->entityNumber, seconds, kind));
        ClientFrame(50);
        ClientFrame(50);
    };
    hostTimer("1.000000", 3);
    ASSERT_EQ(player->GetBody()->timerType, 3);
    EXPECT_EQ(Playing("Sounds/chest.wav"), 1);
    ClientFrame(50);
    EXPECT_EQ(Playing("Sounds/chest.wav"), 1) << "started once, not once a frame";
    // Ran out on the client: the chest's sound stops, and no end of identifying is heard.
    for (int i = 0; i < 24; ++i)
        ClientFrame(50);
    EXPECT_EQ(player->GetBody()->timerType, 0);
    EXPECT_EQ(Playing("Sounds/chest.wav"), 0);
    EXPECT_EQ(Playing("Sounds/done.wav"), 0);

    // Identifying, cancelled by the host: its sound stops and its end is heard.
    hostTimer("10.000000", 2);
    EXPECT_EQ(Playing("Sounds/ident.wav"), 1);
    hostTimer("0.000000", 0);
    EXPECT_EQ(Playing("Sounds/ident.wav"), 0);
    EXPECT_EQ(Playing("Sounds/done.wav"), 1);

    // Making a gate is heard once, and its end is silent.
    hostTimer("0.500000", 6);
    for (int i = 0; i < 20; ++i)
        ClientFrame(50);
    EXPECT_EQ(Playing("Sounds/gate.wav"), 1);
    EXPECT_EQ(Playing("Sounds/done.wav"), 1);
}

// Switching the weapon sets is heard from the first item found in the order the backup's first
// cell, the main hand, the backup's second cell, the off hand; with none of them nothing is heard.
TEST_F(PlayerClientSounds, SwitchingTheWeaponSetsIsHeardFromTheFirstHandItemInItsOrder)
{
    const char* kPlaces[4][2] = {{"BackupOne", "Sounds/b0.wav"}, {"MainHand", "Sounds/e14.wav"},
                                 {"BackupTwo", "Sounds/b1.wav"}, {"OffHand", "Sounds/e15.wav"}};
    std::string records;
    for (const auto& place : kPlaces) {
        WriteSound(place[1]);
        records += std::string(place[0]) + "\n{\n    Type Item\n    ItemType HandEither\n    DropSoundName \"" +
                   place[1] + "\"\n}\n";
    }
    StartWorldOnly("", records);
    gameClient->GetMusic().LoadGameSystem(database);
    Join();
    PlayerClient::RegisterCommands(*app);
    Inventory& inventory = *hostPlayer->inventory;
    ASSERT_TRUE(inventory.ResizeBag(InventoryGroupIndex::Backup, 2));
    const int32_t kCells[4][2] = {{InventoryGroupIndex::Backup, 0},
                                  {InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary},
                                  {InventoryGroupIndex::Backup, 1},
                                  {InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary}};
    struct Case {
        std::array<bool, 4> filled;
        int32_t heard;
    };
    const Case cases[] = {
        {{true, true, true, true}, 0},
        {{false, true, true, true}, 1},
        {{false, false, true, true}, 2},
        {{false, false, false, true}, 3},
        {{true, false, false, true}, 0},
        {{false, false, false, false}, -1},
    };
    auto playing = [this](const char* name) {
        std::vector<std::string> names = PlayingSounds();
        return std::count(names.begin(), names.end(), name);
    };
    for (const Case& c : cases) {
        for (int32_t i = 0; i < 4; ++i) {
            inventory.DeleteAt(kCells[i][0], kCells[i][1]);
            if (!c.filled[static_cast<size_t>(i)])
                continue;
            std::unique_ptr<ItemBase> item = std::make_unique<Item>();
            item->SetEntryByName(kPlaces[i][0]);
            ASSERT_TRUE(inventory.PlaceItem(item, kCells[i][0], kCells[i][1], kPlaceAnyGroup | kPlaceIgnoreOffHand)) << i;
        }
        for (int i = 0; i < 3; ++i)
            ClientFrame(50);
        std::array<long, 4> before{};
        for (int32_t i = 0; i < 4; ++i)
            before[static_cast<size_t>(i)] = playing(kPlaces[i][1]);
        ExecuteCommandLine("switchItemSetClient");
        for (int32_t i = 0; i < 4; ++i)
            EXPECT_EQ(playing(kPlaces[i][1]), before[static_cast<size_t>(i)] + (i == c.heard ? 1 : 0))
                << "heard " << c.heard << ", place " << i;
    }
}
