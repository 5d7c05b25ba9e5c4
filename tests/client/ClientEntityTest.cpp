// ClientEntityTest -- the entity mirror: what its record gives it by kind, its state record (health, effects, owners, non-finite values, the tooltip's placement flag), turning toward its facing, and what one name seed gives.
#include "client/ClientWorld.h"

#include "client/EntityScene.h"
#include "client/GameClient.h"
#include "client/StatusEffectClient.h"
#include "core/NameGenerator.h"
#include "rules/monsters/MonsterArchetype.h"
#include "support/GameFolderFiles.h"
#include "support/ShippedGame.h"

#include <cmath>
#include <set>
#include <tuple>

namespace {

constexpr const char* kClientEntityRecords = R"(
ArchetypeFolk
{
    Type MonsterArchetype
    Class ClassWanderer
    NameList "folk"
    Radius 14
    SelectRadius 22
    SkinSurface 0
    SkinTexture "skins/a.tga"
    SkinTexture "skins/b.tga"
    SkinTexture "skins/c.tga"
    RandomSize 1
    MinSize 0.5
    MaxSize 1.5
}
ActorFolk
{
    Type Actor
    Npc 1
    GivesQuests 1
}
MonsterFolk
{
    Type MonsterType
    Archetype ArchetypeFolk
    Definition ActorFolk
    Name "Villager"
    Vendor 1
}
MonsterLost
{
    Type MonsterType
    Archetype ArchetypeNowhere
    Name "Lost"
}
Blade
{
    Type Item
    ItemType Weapon
}
StashChest
{
    Type Object
    Stash 1
    ToggleUsableObject 1
    LifeStone 1
    Radius 30
    NoBlip 1
    TurnSpeed 1
}
Plain
{
    Type Object
}
Ward
{
    Type StatusEffect
    Untargetable 1
}
Haste
{
    Type StatusEffect
}
)";

// Counts the effects it lost, as the lost-effect sound will.
class CountingEntity : public EntityClient {
public:
    void OnStatusEffectLost(StatusEffectClient& effect) override { lost.push_back(effect.GetInstanceId()); }
    std::vector<int32_t> lost;
};

class ClientEntity : public ClientWorld {
protected:
    ClientEntity()
    {
        folder.Write("Assets/Names/folk.txt", "Aldera\nBrannoc\nCorwen\nDelphine\nEsmer\nFaradoc\nGwendel\nHollin\n");
        gNameGenerator = &names;
        LoadRecords(std::string(kClientEntityRecords) + kAdventure);
    }
    ~ClientEntity() override
    {
        for (EntityClient* entity : placed)
            delete entity;
        gNameGenerator = nullptr;
    }

    const DatabaseEntry* Record(const char* name) const { return database.FindEntryByName(name); }

    NetEntityHeader HeaderOf(const char* name, int32_t number = 1) const
    {
        NetEntityHeader header;
        header.number = number;
        header.definition = Record(name) ? Record(name)->GetId() : -1;
        header.position = At(100.0f, 200.0f);
        header.moveTarget = header.position;
        header.health = 10;
        header.maxHealth = 20;
        return header;
    }

    // Into the game client's table, as an update would put it.
    EntityClient* Place(int32_t number, const NetEntityHeader& header, const NetEntityState& state = {})
    {
        auto* entity = new CountingEntity();
        entity->entityNumber = number;
        entity->ApplyState(header, state, &app->GetResources());
        placed.push_back(entity);
        return entity;
    }

    NameGenerator names;
    std::vector<EntityClient*> placed;
};

TEST_F(ClientEntity, ACreatureTakesItsArchetypeAndDefinitionAndAMissingArchetypeOnlyResetsTheLevel)
{
    CountingEntity folk;
    folk.Load(Record("MonsterFolk"));
    EXPECT_EQ(folk.classIndex, gameData.FindCharacterClassIndex("ClassWanderer"));
    EXPECT_TRUE(folk.isNpc);
    EXPECT_TRUE(folk.givesQuests);
    EXPECT_TRUE(folk.isVendor);
    EXPECT_EQ(folk.nameListName, "folk");
    EXPECT_EQ(folk.radius, 14.0f);
    EXPECT_EQ(folk.selectRadius, 22.0f);
    EXPECT_EQ(folk.displayName, "Villager");

    // The actor definition names the same creature.
    CountingEntity byDefinition;
    byDefinition.Load(Record("ActorFolk"));
    EXPECT_EQ(byDefinition.archetype, folk.archetype);
    EXPECT_EQ(NetEntityStates::KindOf(Record("ActorFolk")), NetStateKind::Creature);

    folk.level = 9;
    folk.Load(Record("MonsterLost"));
    EXPECT_EQ(folk.displayName, "Villager");
    EXPECT_TRUE(folk.isVendor);
    EXPECT_EQ(folk.level, 0);
}

TEST_F(ClientEntity, ItemsObjectsAndTheRecordKeysLoadByKind)
{
    CountingEntity blade;
    blade.Load(Record("Blade"));
    EXPECT_TRUE(blade.isItem);
    EXPECT_EQ(blade.itemType, GetItemTypeByName("Weapon"));
    EXPECT_TRUE(blade.castsShadow);  // no "NoShadow": it casts one
    EXPECT_TRUE(blade.drawsBlip);

    CountingEntity stash;
    stash.radius = 5.0f;
    stash.Load(Record("StashChest"));
    EXPECT_TRUE(stash.isStash && stash.isToggleUsableObject && stash.isLifeStone);
    EXPECT_FALSE(stash.isGate || stash.isBookshelf);
    // A radius already given is kept over the record's.
    EXPECT_EQ(stash.radius, 5.0f);
    EXPECT_FALSE(stash.drawsBlip);
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    EXPECT_FALSE(stash.GetMapColour(3, red, green, blue));
    blade.Load(Record("Blade"));
    EXPECT_FALSE(blade.GetMapColour(EntityClient::kNoMapColour, red, green, blue));
    EXPECT_TRUE(blade.GetMapColour(500, red, green, blue));
    float firstRed = 0.0f, firstGreen = 0.0f, firstBlue = 0.0f;
    ASSERT_TRUE(blade.GetMapColour(0, firstRed, firstGreen, firstBlue));
    EXPECT_EQ(red, firstRed);
    EXPECT_EQ(blue, firstBlue);
}

TEST_F(ClientEntity, TheStateRecordHoldsHealthToTheMaximumAndKeepsEffectsByInstance)
{
    NetEntityHeader header = HeaderOf("Plain");
    header.health = 50;
    header.shownEffects = {{Record("Ward")->GetId(), 7}, {Record("Haste")->GetId(), 8}, {Record("Blade")->GetId(), 9}};
    auto* entity = static_cast<CountingEntity*>(Place(3, header));
    EXPECT_EQ(entity->health, 20);
    // A record that is no status effect makes none.
    ASSERT_EQ(entity->GetStatusEffectList().size(), 2u);
    EXPECT_TRUE(entity->GetStatusEffectList()[0]->BlocksTargeting()) << "the ward's no-target flag is read";
    EXPECT_FALSE(entity->IsTargetable()) << "the ward forbids targeting its bearer";
    EXPECT_FALSE(entity->IsSelectableByRay()) << "picked by its screen box alone";
    const StatusEffectClient* haste = entity->GetStatusEffectList()[1].get();

    header.shownEffects = {{Record("Haste")->GetId(), 8}};
    entity->ApplyState(header, {}, nullptr);
    ASSERT_EQ(entity->GetStatusEffectList().size(), 1u);
    EXPECT_EQ(entity->GetStatusEffectList()[0].get(), haste);
    EXPECT_EQ(entity->lost, std::vector<int32_t>{7});
    EXPECT_FALSE(entity->GetStatusEffectList()[0]->BlocksTargeting());
    EXPECT_TRUE(entity->IsTargetable());
    // Its state animation running with a state set: it cannot be targeted either.
    for (auto [state, priority, targetable] : {std::tuple{1u, EntityClient::kStatePriority, false},
                                               {0u, EntityClient::kStatePriority, true}, {1u, 3, true}}) {
        entity->entityState = state;
        entity->priority = priority;
        EXPECT_EQ(entity->IsTargetable(), targetable) << state << " " << priority;
    }

    header.shownEffects.clear();
    entity->ApplyState(header, {}, nullptr);
    EXPECT_TRUE(entity->GetStatusEffectList().empty());
    EXPECT_EQ(entity->lost, (std::vector<int32_t>{7, 8}));
}

// The host's placement flag rides first among the sent visual flags; a list too short to hold it
// leaves the tooltip placed, as the host's plain entity is.
TEST_F(ClientEntity, TheTooltipIsPlacedWhileTheFirstVisualFlagIsSetOrMissing)
{
    const std::pair<std::vector<bool>, bool> cases[] = {
        {{true, false, false, false, false, false, false, false}, true},
        {{false, true, true, true, true, true, true, true}, false},
        {{false}, false},
        {{}, true},
    };
    NetEntityHeader header = HeaderOf("Plain");
    EntityClient* entity = Place(3, header);
    for (const auto& [flags, placed] : cases) {
        header.visualFlags = flags;
        entity->ApplyState(header, {}, nullptr);
        EXPECT_EQ(entity->IsTooltipPlaced(), placed) << flags.size() << " flags";
    }
}

TEST_F(ClientEntity, NonFiniteValuesLeaveTheEntityAsItWas)
{
    NetEntityHeader header = HeaderOf("Plain");
    EntityClient* entity = Place(3, header);
    for (float bad : {NAN, INFINITY}) {
        NetEntityHeader broken = header;
        broken.health = 1;
        broken.position.x = bad;
        entity->ApplyState(broken, {}, nullptr);
        broken = header;
        broken.health = 1;
        broken.scale = bad;
        entity->ApplyState(broken, {}, nullptr);
        broken = header;
        broken.health = 1;
        broken.alpha = bad;
        entity->ApplyState(broken, {}, nullptr);
    }
    EXPECT_EQ(entity->health, 10);
    EXPECT_EQ(entity->position.x, 100.0f);
    EXPECT_EQ(entity->scale, 1.0f);
}

TEST_F(ClientEntity, OwnersAreFollowedUpToEightLinksAndALoopIsNoOwner)
{
    // Numbers 10..19 each owned by the next; 20 has no owner.
    // Through a real update, so that the game client's table holds them.
    MessageBuffer buffer;
    for (int32_t number = 10; number <= 20; ++number) {
        buffer.WriteInt(number);
        buffer.WriteInt(Record("Plain")->GetId());
        buffer.WriteUInt(0);
        buffer.WriteBool(false);
        buffer.WriteInt(-1);
        for (int i = 0; i < 2; ++i) {
            buffer.WriteInt(0);
            buffer.WriteFloat(100.0f);
            buffer.WriteFloat(100.0f);
        }
        buffer.WriteInt(number < 20 ? number + 1 : -2);
        buffer.WriteInt(0);
        for (int i = 0; i < 6; ++i)
            buffer.WriteFloat(0.0f);
        buffer.WriteInt(-1);
        for (int32_t value : {1, 1, -1, 0, 0, 0})
            buffer.WriteInt(value);
        buffer.WriteFloat(2.0f);
        buffer.WriteFloat(0.5f);
        buffer.WriteInt(0);
        buffer.WriteBool(false);
        buffer.WriteInt(0);
    }
    buffer.WriteInt(NetMessages::kListEnd);
    game->WriteNetPart(buffer, nullptr);
    buffer.SetReadPos(0);
    ASSERT_TRUE(gameClient->ReadGameUpdate(buffer, nullptr));
    // 12 ends at 20 within eight links; 11 and 10 need nine and ten.
    EXPECT_EQ(gameClient->GetEntity(12)->GetOwner(), gameClient->GetEntity(13));
    EXPECT_EQ(gameClient->GetEntity(11)->GetOwner(), nullptr);
    EXPECT_EQ(gameClient->GetEntity(10)->GetOwner(), nullptr);
    EXPECT_EQ(gameClient->GetEntity(20)->GetOwner(), nullptr);
    // The owned take the owner's scale and opacity.
    EXPECT_FLOAT_EQ(gameClient->GetEntity(19)->GetScale(), 2.0f);
    EXPECT_FLOAT_EQ(gameClient->GetEntity(19)->GetAlpha(), 0.25f);
    gameClient->GetEntity(20)->parentNumber = 15;
    for (int32_t number = 10; number <= 20; ++number)
        EXPECT_EQ(gameClient->GetEntity(number)->GetOwner(), nullptr) << number;
}

// Entities fed through a real update, so that owners are found in the game client's table.
class ClientEntityPlacement : public ClientEntity {
protected:
    struct Fed {
        int32_t number;
        float x;
        float y;
        int32_t owner;
        int32_t facing;
    };

    void Feed(std::initializer_list<Fed> entities)
    {
        MessageBuffer buffer;
        for (const Fed& fed : entities) {
            buffer.WriteInt(fed.number);
            buffer.WriteInt(Record("Plain")->GetId());
            buffer.WriteUInt(0);
            buffer.WriteBool(false);
            buffer.WriteInt(-1);
            for (int i = 0; i < 2; ++i) {
                buffer.WriteInt(0);
                buffer.WriteFloat(fed.x);
                buffer.WriteFloat(fed.y);
            }
            buffer.WriteInt(fed.owner);
            buffer.WriteInt(-1);
            for (int i = 0; i < 6; ++i)
                buffer.WriteFloat(0.0f);
            buffer.WriteInt(-1);
            for (int32_t value : {1, 1, -1, 0, 0, fed.facing})
                buffer.WriteInt(value);
            buffer.WriteFloat(1.0f);
            buffer.WriteFloat(1.0f);
            buffer.WriteInt(0);
            buffer.WriteBool(false);
            buffer.WriteInt(0);
        }
        buffer.WriteInt(NetMessages::kListEnd);
        game->WriteNetPart(buffer, nullptr);
        buffer.SetReadPos(0);
        ASSERT_TRUE(gameClient->ReadGameUpdate(buffer, nullptr));
    }

    static Vector3 Facing(const Matrix3& matrix) { return {matrix.m[0][0], matrix.m[0][1], matrix.m[0][2]}; }
};

TEST_F(ClientEntityPlacement, AnAttachedEntityStandsAtItsOwnersPlaceAndTurnsWithItUnlessFakeAttached)
{
    Feed({{30, 100.0f, 120.0f, -2, 2}, {31, 500.0f, 600.0f, 30, 4}});
    EntityClient* owner = gameClient->GetEntity(30);
    EntityClient* hung = gameClient->GetEntity(31);
    ASSERT_NE(hung, nullptr);
    WorldPos3 where;
    Matrix3 matrix;
    hung->GetModelPlacement(where, matrix);
    EXPECT_FLOAT_EQ(where.x, 100.0f);
    EXPECT_FLOAT_EQ(where.y, 120.0f);
    EXPECT_NEAR(Facing(matrix).x, 1.0f, 1e-5f) << "the owner faces east";
    // A tag of -1, or a model not loaded, gives the model's own placement.
    WorldPos3 tagged;
    Matrix3 tagMatrix;
    owner->SetModelTransform(-1, tagged, tagMatrix);
    EXPECT_FLOAT_EQ(tagged.x, 100.0f);
    owner->SetModelTransform(3, tagged, tagMatrix);
    EXPECT_FLOAT_EQ(tagged.y, 120.0f);

    hung->fakeAttach = true;
    hung->GetModelPlacement(where, matrix);
    EXPECT_FLOAT_EQ(where.x, 500.0f);
    EXPECT_NEAR(Facing(matrix).y, -1.0f, 1e-5f) << "its own facing, south";
}

TEST_F(ClientEntityPlacement, ASetRotationOutlastsTheFacingAndAnOwnerLoopIsNoOwner)
{
    Feed({{40, 100.0f, 100.0f, 41, 2}, {41, 300.0f, 300.0f, 40, 2}});
    EntityClient* first = gameClient->GetEntity(40);
    ASSERT_NE(first, nullptr);
    WorldPos3 where;
    Matrix3 matrix;
    first->GetModelPlacement(where, matrix);
    EXPECT_FLOAT_EQ(where.x, 100.0f) << "a loop of owners leaves each on its own";
    Matrix3 turned = MatrixFromEulerDegrees(90.0f, 0.0f, 0.0f);
    first->SetModelRotation(turned);
    first->facing = 6;
    first->GetModelPlacement(where, matrix);
    EXPECT_NEAR(Facing(matrix).y, 1.0f, 1e-5f);
    EXPECT_EQ(first->GetTopOwner(), first);
}

TEST_F(ClientEntityPlacement, TheReferencePointStandsOffTheOwnerAndOnlyASecretIsNeverDrawnHovered)
{
    Feed({{42, 10.0f, 20.0f, -1, 2}, {43, 500.0f, 600.0f, 42, 2}});
    EntityClient* owner = gameClient->GetEntity(42);
    EntityClient* hung = gameClient->GetEntity(43);
    ASSERT_NE(hung, nullptr);
    WorldPos3 point;
    hung->GetReferencePoint(point);
    EXPECT_EQ(point.level, owner->position.level);
    EXPECT_FLOAT_EQ(point.x, -90.0f) << "the owner's place, and off the level's edge on the same level";
    EXPECT_FLOAT_EQ(point.y, -80.0f);
    EXPECT_FLOAT_EQ(point.z, 150.0f);
    owner->GetReferencePoint(point);
    EXPECT_FLOAT_EQ(point.x, -90.0f);

    EntityDrawFrame frame;
    EXPECT_FALSE(owner->IsDrawnAsHovered(frame));
    frame.hovered = owner;
    EXPECT_TRUE(owner->IsDrawnAsHovered(frame));
    EXPECT_FALSE(hung->IsDrawnAsHovered(frame)) << "the owner's hover is not its own";
    owner->isSecret = true;
    EXPECT_FALSE(owner->IsDrawnAsHovered(frame));
    hung->isWidgetModel = true;
    EXPECT_TRUE(hung->IsDrawnAsHovered(frame)) << "a model widget's entity is always drawn hovered";
}

// The instance a draw submits stands where the model is placed (an attached entity at its owner's
// place), at the entity's scale under its owner's, as opaque as it is shown.
TEST_F(ClientEntityPlacement, TheModelInstanceTakesThePlacementScaleAndOpacityOfTheEntity)
{
    Feed({{50, 100.0f, 120.0f, -1, 2}, {51, 500.0f, 600.0f, 50, 4}});
    EntityClient* owner = gameClient->GetEntity(50);
    EntityClient* hung = gameClient->GetEntity(51);
    ASSERT_NE(hung, nullptr);
    owner->scale = 2.0f;
    hung->attachScale = 0.5f;
    owner->entityAlpha = 0.5f;
    for (EntityClient* entity : {owner, hung}) {
        ModelSurfacesDesc instance = entity->CreateModelInstance();
        WorldPos3 where;
        Matrix3 matrix;
        entity->GetModelPlacement(where, matrix);
        EXPECT_FLOAT_EQ(instance.position.x, where.x) << entity->entityNumber;
        EXPECT_FLOAT_EQ(instance.position.y, where.y) << entity->entityNumber;
        EXPECT_FLOAT_EQ(instance.position.x, 100.0f) << entity->entityNumber;
        EXPECT_FLOAT_EQ(instance.scale, entity->GetScale()) << entity->entityNumber;
        EXPECT_FLOAT_EQ(instance.alpha, entity->GetAlpha()) << entity->entityNumber;
        EXPECT_EQ(instance.skin, entity->GetDrawSkin());
        EXPECT_EQ(instance.model, entity->model.GetValue());
    }
    EXPECT_FLOAT_EQ(hung->CreateModelInstance().scale, 1.0f) << "half of its owner's twice";
    EXPECT_FLOAT_EQ(hung->CreateModelInstance().alpha, 0.5f) << "as faint as its owner";
}

TEST_F(ClientEntity, TurningSnapsAtFirstThenSwingsTheShortWayAtItsRate)
{
    NetEntityHeader header = HeaderOf("StashChest");
    header.facing = 2;  // east
    EntityClient* entity = Place(3, header);
    entity->Turn(0.0f, true);
    EXPECT_FLOAT_EQ(entity->modelYaw, 0.0f);
    entity->facing = 5;  // south-west: 225, the short way is down through 360
    entity->Turn(0.1f, false);
    EXPECT_FLOAT_EQ(entity->modelYaw, 288.0f);
    entity->Turn(0.1f, false);
    EXPECT_FLOAT_EQ(entity->modelYaw, 225.0f);

    // Without a turn speed the model never turns.
    EntityClient* still = Place(4, HeaderOf("Plain", 4));
    still->facing = 4;
    still->Turn(1.0f, true);
    still->Turn(1.0f, false);
    EXPECT_FLOAT_EQ(still->modelYaw, 0.0f);
}

TEST_F(ClientEntity, ATimerRunsOutAndADeadEntitysTimerStopsUnlessItOutlivesDeath)
{
    EntityClient* entity = Place(3, HeaderOf("Plain"));
    entity->timerDuration = 1.0f;
    entity->timerType = 2;
    entity->Update(0.6f);
    EXPECT_FLOAT_EQ(entity->timerElapsed, 0.6f);
    entity->Update(0.4f);
    EXPECT_EQ(entity->timerDuration, 0.0f);

    NetEntityHeader dead = HeaderOf("Plain");
    dead.health = 0;
    entity->ApplyState(dead, {}, nullptr);
    for (int32_t type : {2, 7}) {
        entity->timerDuration = 5.0f;
        entity->timerElapsed = 0.0f;
        entity->timerType = type;
        entity->Update(0.1f);
        EXPECT_EQ(entity->timerDuration > 0.0f, type == 7) << type;
    }
}

TEST_F(ClientEntity, AGroundItemIsReadyToTakeOnlyWhenFullyShown)
{
    NetEntityHeader header = HeaderOf("Blade");
    NetEntityState state;
    state.kind = NetStateKind::Item;
    state.value = 3;
    EntityClient* blade = Place(3, header, state);
    EXPECT_EQ(blade->itemQuality, 3);
    EXPECT_EQ(blade->groundRecord, Record("Blade"));
    EXPECT_TRUE(blade->IsReadyToTake());
    header.alpha = 0.99f;
    blade->ApplyState(header, state, nullptr);
    EXPECT_FALSE(blade->IsReadyToTake());
}

TEST_F(ClientEntity, OneSeedGivesOneNameTexturePickAndSize)
{
    NetEntityState state;
    state.kind = NetStateKind::Creature;
    state.nameSeed = 1234;
    EntityClient* first = Place(3, HeaderOf("MonsterFolk", 3), state);
    random.Next(RandomStream::Quest);
    EntityClient* second = Place(4, HeaderOf("MonsterFolk", 4), state);
    EXPECT_FALSE(first->GetPersonalName().empty());
    EXPECT_EQ(first->GetPersonalName(), second->GetPersonalName());
    EXPECT_EQ(first->skinTexturePick, second->skinTexturePick);
    EXPECT_GE(first->skinTexturePick, 0);
    EXPECT_LT(first->skinTexturePick, 3);
    EXPECT_FLOAT_EQ(first->attachScale, second->attachScale);
    EXPECT_GE(first->attachScale, 0.5f);
    EXPECT_LE(first->attachScale, 1.5f);

    // Across seeds the three vary.
    std::set<std::string> names;
    std::set<int32_t> picks;
    std::set<float> sizes;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        state.nameSeed = seed * 7919u;
        second->ApplyState(HeaderOf("MonsterFolk", 4), state, nullptr);
        names.insert(second->GetPersonalName());
        picks.insert(second->skinTexturePick);
        sizes.insert(second->attachScale);
    }
    EXPECT_GT(names.size(), 3u);
    EXPECT_EQ(picks.size(), 3u);
    EXPECT_GT(sizes.size(), 10u);
}

} // namespace

namespace {

TEST(ClientEntityShipped, TheQuestMarksACreatureLoadsAreShipped)
{
    ASSERT_FALSE(ShippedGameFolder().empty());
    GameFolderFiles shipped(ShippedGameFolder());
    ASSERT_TRUE(shipped.files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
    for (const char* icon : {"Textures/Icons/questAvailable.tga", "Textures/Icons/questCompleted.tga"})
        EXPECT_TRUE(gFileSystem->FileExists(icon)) << icon;
}

} // namespace

// The name an NPC's seed gives it is the one its hover text and name line show, the host's name
// for it; the type's words ("Villager") only name an NPC without a list to draw from.
TEST_F(ClientEntity, AnNpcIsCalledByTheNameItsSeedGivesItNotByItsTypesWords)
{
    NetEntityState state;
    state.kind = NetStateKind::Creature;
    state.nameSeed = 4321;
    EntityClient* folk = Place(3, HeaderOf("MonsterFolk", 3), state);
    ASSERT_TRUE(folk->isNpc);
    const std::string name = folk->GetPersonalName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name, names.Generate("folk", 4321));
    std::string shown;
    GameClient::GetNpcDisplayName(*folk, shown, true, false);
    EXPECT_EQ(shown, name);
    EXPECT_EQ(folk->GetHoverText(true, true, false), name);
    EXPECT_EQ(folk->GetHoverText(true, true, false).find("Villager"), std::string::npos);
    state.nameSeed = 4321u * 7919u;
    folk->ApplyState(HeaderOf("MonsterFolk", 3), state, nullptr);
    ASSERT_NE(folk->GetPersonalName(), name) << "a new seed, a new name";
    EXPECT_EQ(folk->GetHoverText(true, true, false), folk->GetPersonalName());
}
