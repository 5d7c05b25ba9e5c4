// Entity -- the host's base of every simulated object: record loading, hit points, attachments, fading and deletion, warps and its header in the game update.
#pragma once

#include "core/SafePointer.h"
#include "world/EntityBase.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Attachment;
class DatabaseEntry;
class EntityCovenant;
class Event;
class IntArray;
class EventSystem;
class Item;
class MessageBuffer;
class Projectile;
class Skill;
class StatPairList;
class TypeRegistry;
struct ProjectileLaunch;

// An object a client sees on an entity (a sentient's status effects): its record's id and
// an id of the instance.
struct NetObject {
    int32_t recordId = -1;
    int32_t instanceId = 0;
};

// Flag bits of the entity flag word.
namespace EntityFlag {
enum : uint32_t {
    HideModel = 0x1,
    Invulnerable = 0x2,        // TakeDamage does nothing
    SkillMarked = 0x4,
    HugeDamage = 0x8,          // a sentient adds 100000 to both ends of its physical damage
    Unnoticed = 0x10,
    DeathPrevented = 0x20,     // health never stays at 0: it comes back at the maximum
    NeverHated = 0x40,
    IgnoresObstacles = 0x80,
    QuestMarked = 0x100,
    QuestShown = 0x200,
    Hidden = 0x400,
};
} // namespace EntityFlag

class Entity : public EntityBase {
public:
    // The event names the class registers, and the notification a damaged entity's effects see.
    static constexpr const char* kDeleteEvent = "delete";
    static constexpr const char* kFadeToEvent = "fadeTo";
    // Fades advance in steps of the server's fixed step.
    static constexpr float kFadeStep = 0.05f;
    static constexpr int32_t kWarpNearRings = 4;

    Entity();
    ~Entity() override;

    // Registers "delete" and "fadeTo" and the "Entity" handler table; called once at start-up,
    // later calls change nothing.
    static void RegisterEventClass(EventSystem& events, TypeRegistry& types);
    static int GetDeleteEventId() { return deleteEventId; }
    static int GetFadeToEventId() { return fadeToEventId; }

    // ---- Operations the subclasses replace ---------------------------------------------------
    void Load(const DatabaseEntry* record) override;
    EventClass* GetEventClass() const override;
    // Keeps the entity's entry in the game's spatial grid in step.
    void SetPosition(const WorldPos& newPosition) override;
    void FreeModel() override;
    void ResolveModel(const std::string& path, ResourceHandle& out) override;
    // Loads the resource through the resource manager and announces its name to the clients.
    void LoadResource(const std::string& path, ResourceHandle& out);
    // Neutral yes/no queries no class of the host answers otherwise.
    virtual bool TraitA() const { return true; }
    void Update(float seconds) override;
    // The owned stats array a sentient keeps; none for other entities. The host's stats view.
    virtual const IntArray* GetOwnedPart() const { return nullptr; }
    const IntArray* GetStats() const final { return GetOwnedPart(); }
    int32_t GetStat(int32_t stat) const override;
    virtual int32_t ValueA() const { return 0; }
    // The game updates only the entities that answer true.
    virtual bool NeedsUpdate() const { return true; }
    virtual bool KnowsSkill(int32_t) const { return true; }
    // Whether the entity takes part in an action of that kind.
    virtual bool AcceptsAction(int32_t) const { return true; }
    virtual Item* GetItem(int32_t, int32_t) const { return nullptr; }
    virtual bool BagHasRoom(int32_t) const { return false; }
    virtual void OnItemPlaced(int32_t, int32_t, Item*) {}
    virtual void OnItemRemoved(int32_t, int32_t, Item*) {}
    virtual bool TraitB() const { return true; }
    // Neutral notifications: nothing happens.
    virtual void HookD(int32_t, int32_t, Entity*) {}
    virtual bool IsRelatedTo(const Entity*) const { return true; }
    virtual bool CanBeAttacked() const { return true; }
    virtual bool TalksToOwnCovenantNpc() const { return false; }
    virtual bool CanTurn() const { return true; }
    virtual int32_t GetNpcType() const { return 0; }
    // Told of two items about to be worn together; a refusal is the entity's to tell.
    virtual void CanEquip(Item*, Item*) {}
    virtual int32_t ApplySkillLevels(Skill&) { return 0; }
    virtual void OnPlaced() {}
    virtual void SetSpawnTag(int32_t tag) { spawnTag = tag; }
    virtual bool HasClearLineFrom(const WorldPos&) const { return false; }
    virtual bool TraitF() const { return true; }
    virtual void CollectNetObjects(std::vector<NetObject>&) const {}
    virtual void WriteNetState(MessageBuffer&) const {}
    virtual void HookF(int32_t) {}
    virtual void TakeDamage(int32_t amount, Entity* attacker, bool overTime, bool quiet);
    // The health actually gained.
    virtual int32_t Heal(int32_t amount, Entity* source, bool show);
    // One entry of a damage list, by its type; nothing for most entities.
    virtual void OnDamagePart(int32_t amount, int32_t damageType);
    virtual bool ShowsDamage() const { return true; }
    virtual void OnAttackedBy(Entity*) {}
    virtual bool CanAddStatusEffect(const DatabaseEntry*, const Entity*) const { return false; }
    virtual bool HasStatusType(int32_t) const { return false; }
    virtual void AddStatusEffectByName(std::string_view, Entity*, int32_t) {}
    virtual void AddStatusEffect(const DatabaseEntry*, Entity*, int32_t) {}
    // Ends every carried effect of the record.
    virtual void RemoveStatusEffect(const DatabaseEntry*) {}
    virtual void Notify(int32_t, Entity*) {}
    // The user takes the entity's use status effect.
    virtual void OnUsedBy(Entity* user);
    virtual void Use(Entity*) {}
    virtual void OnUseEnded(Entity* user);
    virtual void RecordCombatEvent(int32_t, int32_t) {}
    virtual int32_t ModifyIncomingDamage(Entity*, int32_t amount, int32_t) { return amount; }
    virtual bool IsDamageable() const { return true; }
    virtual void PrintInfo() const;
    virtual void AddEngaged(Entity*) {}
    virtual void RemoveEngaged(Entity*) {}
    virtual Entity* GetCurrentTarget() const { return nullptr; }
    virtual bool BlocksEntity(const Entity* other) const;
    virtual void CollectLinkedEntities(std::vector<Entity*>&) const {}
    virtual bool IsFriendly(const Entity*) const { return false; }
    virtual bool IsHostile(const Entity*) const { return true; }
    virtual void GetAttackSound(int32_t, std::string& out) const { out.clear(); }
    virtual void GetCombatEffect(int32_t, std::string& out) const { out.clear(); }
    virtual void BuildDamageList(const Skill*, StatPairList&) {}
    virtual float GetHamstringChance() const { return 0.0f; }
    virtual void GetAnchorPosition(WorldPos& out) const;
    virtual void RaiseWhenHit(Entity*, bool) {}
    virtual void OnMissedBy(Entity*, int32_t) {}
    virtual void OnMissed(Entity*, int32_t) {}
    virtual void ReportDamageDealt(int32_t) {}
    virtual void OnSkillUsedOn(Entity*, Skill*) {}
    virtual void Warp(const WorldPos& target);
    virtual const DatabaseEntry* GetMusic() const { return nullptr; }
    virtual float GetLootMoneyFactor() const { return 1.0f; }
    virtual void OnVictimLooted(Entity*) {}
    virtual void OnAddedToGame();
    virtual void OnItemObtained(Item*) {}
    virtual bool CanMove() const { return false; }
    virtual bool IsInanimate() const { return true; }
    virtual bool IsTrap() const { return false; }
    // An ordinary thing of the world: false for players, gates, items on the ground and stashes,
    // and for an actor that is a town NPC or a quest's figure.
    virtual bool TraitL() const { return true; }
    virtual void OnNamedSignal(Entity* activator, std::string_view name);
    virtual bool IsCreature() const { return false; }
    virtual bool TakesCriticalHits() const { return false; }
    virtual bool TakesDeepWounds() const { return false; }
    // Saved with the world: only entities not hanging on another.
    virtual bool IsFree() const;
    virtual void WriteSaved(MessageBuffer& buffer) const;
    virtual bool ReadSaved(MessageBuffer& buffer, int32_t version);
    // The kinds the game's searches pick out; the classes of those kinds answer true.
    virtual bool IsProjectile() const { return false; }
    virtual bool IsChest() const { return false; }
    virtual bool IsGroundItem() const { return false; }
    // The game keeps its players' list by this.
    virtual bool IsPlayer() const { return false; }

    // ---- World objects: what traps and triggers tell the entities around them -----------------
    // A door within reach of a door-shutting trap slams shut; nothing for other entities.
    virtual void ShutByTrap() {}
    // The entity disarmed a trap whose owner is of the level; a player keeps the highest.
    virtual void OnTrapDisarmed(int32_t) {}
    // The user of a trigger unlocks the named thing; a player records it.
    virtual void Unlock(std::string_view) {}

    // ---- Shared operations ----------------------------------------------------------------
    EntityCovenant* GetCovenant() const;
    // health / maxHealth; 1 when maxHealth is below 1.
    float GetHealthFraction() const;
    Entity* GetParent() const;
    // Where the other lies as seen along this entity's facing: East ahead, West behind.
    int32_t RelativeDirectionTo(const Entity& other) const;
    void QueueWorldEvent(std::string_view name, float radius, float value) const;
    // The length of the named animation at its rate; 0 without such an animation.
    float AnimationDuration(std::string_view name) const;
    void FadeTo(float targetAlpha, float seconds);
    void FadeOutAndDelete(float seconds);
    // Delivers "delete" to the entity after the delay.
    void ScheduleDelete(float seconds);
    // A new entity's state again, in the same object and keeping its model name's room. For a
    // plain Entity only, out of the game's table.
    void Renew();

    // ---- Attachments: children hung on a tag of the parent's model --------------------------
    static Entity* CreateAttachment(const DatabaseEntry* record, Entity* parent, std::string_view modelName,
                                    std::string_view tagName, float newScale);
    static void AttachTemporary(Entity* parent, std::string_view modelName, std::string_view tagName, float seconds);
    bool RemoveAttachment(std::string_view tagName, std::string_view modelName);
    void AddAttachmentsFromRecord(const DatabaseEntry* record);
    // One attachment of each definition, an alternative drawn at random; nulls are skipped.
    void AddAttachments(const std::vector<const Attachment*>& list);
    void RemoveAttachmentsFromRecord(const DatabaseEntry* record);
    void DetachFromParent();
    // Hangs this entity (already in the game) on the tag of the parent's model.
    void AttachTo(Entity* parent, std::string_view tagName);
    void DeleteChildren();

    // A projectile of the record, given its ends, damage and place, added to the game and
    // started; null when no record has the name or the table is full.
    static Projectile* FireProjectile(std::string_view recordName, const ProjectileLaunch& launch);
    // A free spot around the entity for it, no further than five rings, else the position itself.
    static void WarpEntityNear(Entity& entity, const WorldPos& target);
    // The 31 fields every visible entity's state starts with.
    void WriteNetHeader(MessageBuffer& buffer) const;
    // The record the clients know the entity by: its own, unless a kind of its own narrows it.
    virtual const DatabaseEntry* GetNetRecord() const { return entry; }
    // Level index, x, y, a word and a text, as the world save holds them. False when the
    // bytes run out or a coordinate is not finite.
    static bool ReadEntityPlacement(MessageBuffer& buffer, WorldPos& where, int32_t& number, std::string& name);

    int32_t spawnTag = 0;
    const DatabaseEntry* useStatusEffect = nullptr;
    // Set on a shown effect's entity: its delete event hands it to the game's spares instead.
    bool spareAfterDelete = false;
    // Sent with the state; held in place, so making an entity takes nothing from the heap. The
    // placement flag (the first) starts set.
    static_assert(kVisualFlagPlaced == 0);
    std::array<bool, kVisualFlagCount> visualFlags{true};
    // Set: Load leaves the model alone.
    bool modelPreset = false;
    // Set by whoever places level objects: once its level loads, an entity whose body does not
    // fit where it stands is moved to a free spot near it.
    bool relocatable = false;

protected:
    // Removes the entity from the game and destroys it.
    void OnDeleteEvent(Event& event);
    void OnFadeToEvent(Event& event);

private:
    void ScheduleFadeStep(float target, float step, int32_t stepsLeft);
    void LoadLooks(const DatabaseEntry* record);
    void LoadFlags(const DatabaseEntry* record);

    std::vector<SafePointer> children;

    static int deleteEventId;
    static int fadeToEventId;
    static EventClass* eventClass;
};
