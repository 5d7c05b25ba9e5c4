// EntityTest -- the host entity: record keys, damage and healing, fading and deletion, attachments, warps, the header and placement bytes.
#include "entities/EntityWorld.h"
#include "entities/ActorWorld.h"
#include "entities/Attachments.h"
#include "entities/EntityCovenant.h"
#include "entities/Gate.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "entities/Sentient.h"
#include "entities/Stash.h"

#include "core/MessageBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

class EntityRules : public EntityWorld {};
class EntityTraits : public ActorWorld {};

// The header bytes as words: ints and floats both as their 32-bit patterns.
class HeaderWords {
public:
    HeaderWords& Int(int32_t value)
    {
        uint32_t word;
        std::memcpy(&word, &value, 4);
        words.push_back(word);
        return *this;
    }
    HeaderWords& Float(float value)
    {
        uint32_t word;
        std::memcpy(&word, &value, 4);
        words.push_back(word);
        return *this;
    }
    std::vector<uint32_t> words;
};

std::vector<uint32_t> WordsOf(const MessageBuffer& buffer)
{
    std::vector<uint32_t> words(buffer.Size() / 4);
    std::memcpy(words.data(), buffer.Data(), words.size() * 4);
    return words;
}

} // namespace

TEST_F(EntityRules, LoadReadsTheKeysAndKeepsDefaultsWhereTheyAreAbsent)
{
    LoadRecords("Rock\n{\n InitDirection East\n Radius 12.5\n SolidType Transparent\n LightFalloff 3\n"
                " BlocksSight 1\n Hidden 1\n HideModel 1\n UseStatusEffect Boost\n}\n"
                "Flat\n{\n Scale 0\n}\nBoost\n{\n Type StatusEffect\n}\n");
    Entity rock;
    rock.SetEntry(database.FindEntryByName("Rock"));
    EXPECT_EQ(rock.facing, 2);
    EXPECT_FLOAT_EQ(rock.radius, 12.5f);
    EXPECT_EQ(rock.solidType, 2);
    EXPECT_FLOAT_EQ(rock.lightFalloff, 3.0f);
    EXPECT_TRUE(rock.blocksSight);
    EXPECT_EQ(rock.flags, EntityFlag::Hidden | EntityFlag::HideModel);
    EXPECT_EQ(rock.useStatusEffect, database.FindEntryByName("Boost"));
    Entity flat;
    flat.SetEntry(database.FindEntryByName("Flat"));
    EXPECT_FLOAT_EQ(flat.scale, 1.0f) << "a Scale of 0 keeps the default";
    EXPECT_EQ(flat.facing, 6);
}

TEST_F(EntityRules, DamageMatrix)
{
    struct Case {
        int32_t maxHealth, health;
        uint32_t flags;
        int32_t amount, expected;
    };
    const Case cases[] = {
        {100, 50, 0, 20, 30},    {100, 50, 0, 80, 0},      {100, 0, 0, 10, 0},
        {100, 50, 0x2, 20, 50},  {100, 50, 0x20, 80, 100}, {100, 50, 0x20, 20, 30},
        {0, 0, 0, 5, 0},         {0, 7, 0, 5, 2},          {100, 90, 0, -30, 100},
        {100, 50, 0, -30, 80},   {0, 0, 0, -5, 0},
    };
    for (const Case& c : cases) {
        Entity entity;
        entity.maxHealth = c.maxHealth;
        entity.health = c.health;
        entity.flags = c.flags;
        entity.TakeDamage(c.amount, nullptr, false, false);
        EXPECT_EQ(entity.health, c.expected) << c.maxHealth << "/" << c.health << " flags " << c.flags << " amount "
                                             << c.amount;
    }
}

TEST_F(EntityRules, HealReturnsTheGainAndShowsTheAmountAskedFor)
{
    Entity* entity = Spawn();
    entity->maxHealth = 100;
    entity->health = 90;
    EXPECT_EQ(entity->Heal(30, nullptr, true), 10);
    EXPECT_EQ(entity->health, 100);
    ASSERT_EQ(game.lines.size(), 1u);
    EXPECT_EQ(game.lines[0], "dmg 0 +30");
    EXPECT_EQ(entity->Heal(5, nullptr, true), 0);
    EXPECT_EQ(game.lines.size(), 1u) << "a heal at full health shows nothing";
    entity->health = 0;
    EXPECT_EQ(entity->Heal(5, nullptr, true), 0) << "the dead do not heal";
    Entity healthless;
    healthless.Heal(5, nullptr, false);
    EXPECT_EQ(healthless.health, 0);
}

TEST_F(EntityRules, FadeToZeroSecondsIsImmediateAndToTheSameAlphaSchedulesNothing)
{
    Entity* entity = Spawn();
    entity->FadeTo(0.25f, 0.0f);
    EXPECT_FLOAT_EQ(entity->alpha, 0.25f);
    entity->FadeTo(0.25f, 5.0f);
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(EntityRules, FadeArrivesAtItsTargetOnTime)
{
    Entity* entity = Spawn();
    entity->FadeTo(0.0f, 1.0f);
    game.StepFor(0.5f);
    EXPECT_NEAR(entity->alpha, 0.5f, 0.06f);
    game.StepFor(0.5f);
    EXPECT_FLOAT_EQ(entity->alpha, 0.0f);
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(EntityRules, FadeWhoseStepRoundsAwayStillEnds)
{
    Entity* entity = Spawn();
    entity->alpha = 1.0f;
    entity->FadeTo(1.0f - 1e-9f + 1e-7f, 0.2f);
    entity->FadeTo(0.9999999f, 0.2f);
    game.StepFor(0.2f);
    EXPECT_FLOAT_EQ(entity->alpha, 0.9999999f);
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(EntityRules, FadeOutAndDeleteRemovesTheEntityAfterItsSeconds)
{
    Entity* entity = Spawn();
    int32_t number = entity->entityNumber;
    entity->FadeOutAndDelete(2.0f);
    game.StepFor(1.95f);
    ASSERT_EQ(game.GetEntity(number), entity);
    game.Step();
    EXPECT_EQ(game.GetEntity(number), nullptr);
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(EntityRules, AttachmentsGoWithTheirParent)
{
    Entity* parent = Spawn();
    Entity* child = Entity::CreateAttachment(nullptr, parent, "", "tag_hand", 2.0f);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parentNumber, parent->entityNumber);
    EXPECT_EQ(child->parentTag, -1) << "a parent without a model has no tags";
    EXPECT_FLOAT_EQ(child->scale, 2.0f);
    EXPECT_FALSE(child->IsFree());
    EXPECT_EQ(CountAttachedTo(game, *parent), 1);
    int32_t childNumber = child->entityNumber;
    game.RemoveEntity(parent);
    delete parent;
    EXPECT_EQ(game.GetEntity(childNumber), nullptr);
}

TEST_F(EntityRules, EachAttachmentDefinitionHangsOneModelAndAnUnknownNameNone)
{
    LoadRecords("Glow\n{\n Type Attachment\n Alternative Effects/glow.mdl tag_head 0.5\n}\n"
                "Brand\n{\n Type Attachment\n Alternative props/torch.mdl weapon 2\n}\n"
                "Bearer\n{\n Attachment Glow\n Attachment Nothing\n Attachment Brand\n}\n");
    Entity* listed = Spawn();
    listed->AddAttachments({gameData.FindAttachment("Glow"), nullptr, gameData.FindAttachment("Brand")});
    Entity* recorded = Spawn();
    recorded->AddAttachmentsFromRecord(database.FindEntryByName("Bearer"));
    for (const Entity* parent : {listed, recorded}) {
        std::vector<float> scales;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (const Entity* child = game.GetEntity(number); child && child->parentNumber == parent->entityNumber)
                scales.push_back(child->scale);
        EXPECT_EQ(scales, (std::vector<float>{0.5f, 2.0f}));
    }
}

TEST_F(EntityRules, DetachedChildOutlivesItsFormerParent)
{
    Entity* parent = Spawn();
    Entity* child = Entity::CreateAttachment(nullptr, parent, "", "", 1.0f);
    child->DetachFromParent();
    EXPECT_EQ(CountAttachedTo(game, *parent), 0);
    EXPECT_TRUE(child->IsFree());
    game.RemoveEntity(parent);
    delete parent;
    EXPECT_EQ(game.GetEntity(child->entityNumber), child);
}

TEST_F(EntityRules, RemovingAnAttachmentMatchesTagAndModel)
{
    Entity* parent = Spawn();
    Entity* child = Entity::CreateAttachment(nullptr, parent, "", "tag_head", 1.0f);
    EXPECT_FALSE(parent->RemoveAttachment("tag_head", "Effects/glow.mdl"));
    EXPECT_TRUE(parent->RemoveAttachment("tag_missing", ""))
        << "both tags are missing on a model-less parent, so both are -1";
    EXPECT_FALSE(parent->RemoveAttachment("tag_missing", "")) << "the one removed no longer hangs there";
    int32_t number = child->entityNumber;
    game.Step();
    EXPECT_EQ(game.GetEntity(number), nullptr);
    EXPECT_EQ(CountAttachedTo(game, *parent), 0);
}

TEST_F(EntityRules, TemporaryAttachmentIsShownAndGoesAfterItsTime)
{
    Entity* parent = Spawn();
    Entity::AttachTemporary(parent, "Effects/levelup.mdl", "tag_helmet", 0.5f);
    ASSERT_EQ(CountAttachedTo(game, *parent), 1);
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
        const Entity* child = game.GetEntity(i);
        if (child && child->parentNumber == parent->entityNumber) {
            EXPECT_EQ(child->flags & EntityFlag::HideModel, 0u) << "a client draws nothing of a HideModel entity";
        }
    }
    Entity::AttachTemporary(parent, "", "tag_helmet", 0.5f);
    EXPECT_EQ(CountAttachedTo(game, *parent), 1) << "no model, no attachment";
    game.StepFor(0.5f);
    EXPECT_EQ(CountAttachedTo(game, *parent), 0);
}

TEST_F(EntityRules, WarpNeverLandsOnLevelMinusOne)
{
    Entity* entity = Spawn(100, 100);
    WorldPos bad = At(50, 50, -1);
    entity->Warp(bad);
    EXPECT_EQ(entity->position.level, 0);
    entity->Warp(At(50, 50, 7));
    EXPECT_EQ(entity->position.level, 0) << "a level the world does not know";
    entity->Warp(At(std::nanf(""), 50));
    EXPECT_FLOAT_EQ(entity->position.x, 100.0f);
    game.bodyBlocked = [](const WorldPos&) { return true; };
    entity->Warp(At(300, 400));
    EXPECT_EQ(entity->position.level, 0) << "no free spot: the requested position";
    EXPECT_FLOAT_EQ(entity->position.x, 300.0f);
    EXPECT_FLOAT_EQ(entity->moveTarget.y, 400.0f);
}

TEST_F(EntityRules, WarpNearTakesTheFirstFreeRing)
{
    Entity* entity = Spawn(100, 100);
    entity->radius = 5.0f;
    game.bodyBlocked = [](const WorldPos& where) { return where.y > 1000.0f - 1.0f; };
    Entity::WarpEntityNear(*entity, At(1000, 1000));
    float g = Tuning().gridSize.y;
    EXPECT_FLOAT_EQ(entity->position.y, 1000.0f - g);
    EXPECT_FLOAT_EQ(entity->position.x, 1000.0f - g);
}

TEST_F(EntityRules, HeaderBytesOfAPlainEntity)
{
    LoadRecords("Crate\n{\n Radius 4\n}\n");
    Entity* crate = Spawn(10.5f, 20.25f);
    crate->SetEntry(database.FindEntryByName("Crate"));
    crate->maxHealth = 30;
    crate->health = 12;
    crate->covenantIndex = 2;
    crate->flags = 0x401;
    crate->facing = 3;
    crate->alpha = 0.5f;
    crate->visualFlags[1] = true;
    MessageBuffer buffer;
    crate->WriteNetHeader(buffer);
    HeaderWords expected;
    expected.Int(crate->entityNumber).Int(database.FindEntryByName("Crate")->GetId()).Int(0x401).Int(1).Int(2);
    expected.Int(0).Float(10.5f).Float(20.25f).Int(-1).Float(0).Float(0);
    expected.Int(-1).Int(-1);
    Color defaultLight = crate->lightColor;
    expected.Float(defaultLight.r).Float(defaultLight.g).Float(defaultLight.b).Float(0).Float(0).Float(0);
    expected.Int(-1).Int(12).Int(30).Int(-1).Int(0).Int(0).Int(3).Float(1.0f).Float(0.5f);
    // The first visual flag is the placement flag, set on a plain entity.
    expected.Int(8).Int(1).Int(1).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
    expected.Int(0).Int(0);
    EXPECT_EQ(WordsOf(buffer), expected.words);
}

TEST_F(EntityRules, PlacementReadRefusesEveryCut)
{
    MessageBuffer whole;
    whole.WriteInt(3);
    whole.WriteFloat(1.5f);
    whole.WriteFloat(2.5f);
    whole.WriteInt(77);
    whole.WriteString("ObjectTorch");
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        WorldPos where = At(9, 9);
        int32_t number = -5;
        std::string name = "kept";
        EXPECT_FALSE(Entity::ReadEntityPlacement(part, where, number, name)) << cut;
        EXPECT_EQ(number, -5);
        EXPECT_EQ(name, "kept");
        EXPECT_FLOAT_EQ(where.x, 9.0f);
    }
    WorldPos where;
    int32_t number = 0;
    std::string name;
    ASSERT_TRUE(Entity::ReadEntityPlacement(whole, where, number, name));
    EXPECT_EQ(where.level, 3);
    EXPECT_FLOAT_EQ(where.y, 2.5f);
    EXPECT_EQ(number, 77);
    EXPECT_EQ(name, "ObjectTorch");
}

TEST_F(EntityRules, RelativeDirectionCountsFromTheFacing)
{
    Entity* looker = Spawn(100, 100);
    Entity* other = Spawn(100, 200);
    looker->facing = 0;  // north
    EXPECT_EQ(looker->RelativeDirectionTo(*other), 2) << "straight ahead is East";
    looker->facing = 4;
    EXPECT_EQ(looker->RelativeDirectionTo(*other), 6) << "straight behind is West";
}

TEST_F(EntityRules, HealthFractionOfAnEntityWithoutHealthIsOne)
{
    Entity entity;
    EXPECT_FLOAT_EQ(entity.GetHealthFraction(), 1.0f);
    entity.maxHealth = 40;
    entity.health = 10;
    EXPECT_FLOAT_EQ(entity.GetHealthFraction(), 0.25f);
    EXPECT_FALSE(entity.IsDead());
    entity.health = 0;
    EXPECT_TRUE(entity.IsDead());
}

TEST_F(EntityRules, ModelEntityIsAddedAndGoesAfterItsSeconds)
{
    Entity* shown = game.SpawnModelEntity("Effects/fireExplosion.mdl", At(40, 60), 2.0f);
    ASSERT_NE(shown, nullptr);
    int32_t number = shown->entityNumber;
    EXPECT_EQ(game.GetEntity(number), shown);
    EXPECT_FLOAT_EQ(shown->position.y, 60.0f);
    EXPECT_EQ(shown->flags & EntityFlag::HideModel, 0u) << "a client draws nothing of a HideModel entity";
    game.StepFor(1.95f);
    EXPECT_EQ(game.GetEntity(number), shown);
    game.Step();
    EXPECT_EQ(game.GetEntity(number), nullptr);
}

TEST_F(EntityRules, AGoneModelEntityComesBackForTheNextEffectAsANewOne)
{
    Entity* first = game.SpawnModelEntity("Effects/fireExplosion.mdl", At(40, 60), 1.0f);
    ASSERT_NE(first, nullptr);
    SafePointer watcher(first);
    first->visualFlags[2] = true;
    first->alpha = 0.5f;
    first->facing = 3;
    Entity* alongside = game.SpawnModelEntity("Effects/miss.mdl", At(1, 1), 5.0f);
    EXPECT_NE(alongside, first) << "a living effect is never handed out again";
    game.StepFor(1.05f);
    EXPECT_EQ(watcher.Get(), nullptr) << "what aimed at the gone effect reads nothing";
    Entity* second = game.SpawnModelEntity("Effects/miss.mdl", At(5, 6), 1.0f);
    ASSERT_EQ(second, first) << "the same object, kept for the next effect";
    EXPECT_EQ(second->modelName, "Models/effects/miss.mdl");
    EXPECT_EQ(second->flags, 0u);
    EXPECT_FALSE(second->visualFlags[2]);
    EXPECT_FLOAT_EQ(second->alpha, 1.0f);
    EXPECT_EQ(second->facing, Entity().facing);
    EXPECT_FLOAT_EQ(second->position.x, 5.0f);
    EXPECT_EQ(game.GetEntity(second->entityNumber), second);
    game.StepFor(1.05f);
    EXPECT_EQ(game.GetEntity(second->entityNumber), nullptr) << "and it goes again after its own seconds";
}

TEST_F(EntityRules, ModelEntityRefusedByAFullTableIsNotLeft)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        game.AddEntity(new Entity());
    EXPECT_EQ(game.SpawnModelEntity("Effects/miss.mdl", At(1, 1), 1.0f), nullptr);
}

TEST_F(EntityRules, WorldEventsCarryTheEntityAndItsPlace)
{
    Entity* entity = Spawn(7, 8);
    entity->QueueWorldEvent("Sounds/door.ogg", 100.0f, 0.0f);
    entity->QueueWorldEvent("", 100.0f, 0.0f);
    ASSERT_EQ(game.worldEvents.size(), 1u);
    const WorldEventRequest& request = game.worldEvents[0];
    EXPECT_EQ(request.name, "Sounds/door.ogg");
    EXPECT_EQ(request.entityNumber, entity->entityNumber);
    EXPECT_FLOAT_EQ(request.position.x, 7.0f);
    EXPECT_FLOAT_EQ(request.radius, 100.0f);
}

TEST_F(EntityRules, UseEffectGoesToTheUserAndEndsWithTheUse)
{
    LoadRecords("Fountain\n{\n UseStatusEffect Refresh\n}\nRefresh\n{\n Type StatusEffect\n Forever 1\n}\n");
    Entity* fountain = Spawn();
    fountain->SetEntry(database.FindEntryByName("Fountain"));
    auto* drinker = Spawn<Sentient>();
    fountain->OnUsedBy(drinker);
    ASSERT_EQ(drinker->GetStatusEffects().size(), 1u);
    fountain->OnUseEnded(drinker);
    drinker->UpdateStatusEffects(0.05f);
    EXPECT_TRUE(drinker->GetStatusEffects().empty());
    fountain->OnUsedBy(nullptr);
}

TEST_F(EntityRules, CovenantHomeAnswersItsDefences)
{
    class HomeCovenant : public EntityCovenant {
    public:
        bool IsMember(const Sentient&) const override { return false; }
        WorldPos GetHomePosition() const override { return {}; }
        Entity* GetHomeEntity() const override { return home; }
        int32_t GetHomeStat(int32_t stat) const override { return 1000 + stat; }
        void RecomputeTotals() override {}
        void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
        void OnMemberDied(Sentient&) override {}
        void RecordMemberExperience(int32_t, int32_t, float) override {}
        void OnMemberGainedExperience(Sentient&, int32_t) override {}
        bool IsRaiding() const override { return false; }
        bool IsBeingRaided() const override { return false; }
        Entity* home = nullptr;
    } covenant;
    game.covenants.push_back(&covenant);
    Entity* house = Spawn();
    house->covenantIndex = 0;
    EXPECT_EQ(house->GetStat(CharacterStat::Armor), 0) << "not the home yet";
    covenant.home = house;
    EXPECT_EQ(house->GetStat(CharacterStat::Armor), 1000 + CharacterStat::Armor);
    EXPECT_EQ(house->GetStat(CharacterStat::ResistanceMagic), 1000 + CharacterStat::ResistanceMagic);
    EXPECT_EQ(house->GetStat(CharacterStat::Level), 0);
    house->covenantIndex = 3;
    EXPECT_EQ(house->GetStat(CharacterStat::Armor), 0) << "no covenant of that index";
}

// The neutral queries and hooks, the owned stats and the busy test, class by class.
TEST_F(EntityTraits, EachClassAnswersTheNeutralQueriesAsItsKindDoes)
{
    Player::RegisterEventClass(events, types);
    auto* busyPlayer = Spawn<Player>();
    busyPlayer->interactionMode = 2;
    Actor* townsman = SpawnActor();
    townsman->npc = true;
    Actor* figure = SpawnActor();
    figure->questFigure = true;
    struct Case {
        const char* what;
        Entity* entity;
        bool ordinary, ownsStats, busy, traitS;
    };
    const Case cases[] = {
        {"plain entity", Spawn(), true, false, false, true},
        {"sentient", Spawn<Sentient>(), true, true, false, true},
        {"monster", SpawnActor(), true, true, false, true},
        {"monster of a type that says no", SpawnActor("MonsterHider"), true, true, false, false},
        {"town NPC", townsman, false, true, false, true},
        {"quest figure", figure, false, true, false, true},
        {"idle player", Spawn<Player>(), false, true, false, true},
        {"player in mode 2", busyPlayer, false, true, true, true},
        {"gate", Spawn<Gate>(), false, false, false, true},
        {"item on the ground", Spawn<ItemGround>(), false, false, false, true},
        {"stash", Spawn<Stash>(), false, false, false, true},
    };
    for (const Case& c : cases) {
        Entity* e = c.entity;
        EXPECT_TRUE(e->TraitA() && e->TraitB() && e->TraitF()) << c.what;
        EXPECT_EQ(e->ValueA(), 0) << c.what;
        EXPECT_EQ(e->TraitL(), c.ordinary) << c.what;
        const IntArray* owned = e->GetOwnedPart();
        EXPECT_EQ(owned != nullptr, c.ownsStats) << c.what;
        EXPECT_EQ(e->GetStats(), owned) << c.what << ": the stats view is the owned part";
        int32_t health = e->health;
        uint32_t flags = e->flags;
        e->HookD(1, 2, e);
        e->HookF(3);
        EXPECT_EQ(e->health, health) << c.what;
        EXPECT_EQ(e->flags, flags) << c.what;
        if (auto* sentient = dynamic_cast<Sentient*>(e)) {
            EXPECT_EQ(owned, &sentient->stats) << c.what;
            EXPECT_EQ(sentient->TraitP(), c.busy) << c.what;
            EXPECT_EQ(sentient->TraitS(), c.traitS) << c.what;
        }
    }
}
