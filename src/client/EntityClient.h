// EntityClient -- the client's mirror of one world-host entity the player sees: its record and what the record says about showing it, its place, model, animation, light, status effects and class state.
#pragma once

#include "client/EntityEffectHost.h"
#include "core/Matrix.h"
#include "core/TimeStamp.h"
#include "resources/ResourceHandle.h"
#include "rules/SkillUser.h"
#include "world/EntityBase.h"
#include "world/NetEntityState.h"
#include "world/WorldPos3.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct AnimationEvent;
class CharacterClass;
class CovenantClient;
class EntityScene;
class ModelResource;
class OverlayCanvas;
struct OverlayFrame;
class Skin;
struct EntityDrawFrame;
struct ModelSurfacesDesc;
class ClientResourceTable;
class DatabaseEntry;
class Event;
class EventClass;
class EventSystem;
class MonsterArchetype;
class MonsterType;
class StatusEffectClient;
class TypeRegistry;
struct NetEntityHeader;

// Main thread only. Made by the game client for an entity number an update names; deleted when
// an update leaves it out.
class EntityClient : public EntityBase, public SkillUser {
public:
    static constexpr int32_t kMaxEntities = 1500;
    // An owner chain longer than this (or a loop) is taken as no owner.
    static constexpr int32_t kMaxOwnerLinks = 8;
    // Degrees a second a turning model swings toward its facing.
    static constexpr float kTurnRate = 720.0f;
    // The colour-table index that means "no colour on the maps".
    static constexpr int32_t kNoMapColour = 146;
    // The animation priorities of the state record: a gate's gives way to anything stronger.
    static constexpr int32_t kGatePriority = 2;
    static constexpr int32_t kStatePriority = 14;

    // The equipment locations of the location table, and those the drawing names.
    static constexpr int32_t kEquipmentLocations = 18;
    static constexpr int32_t kLocationHead = 0;
    static constexpr int32_t kLocationChest = 4;
    static constexpr int32_t kLocationHandPrimary = 14;

    // What one equipment location shows: the item, and the model it hangs on the wearer's tag.
    struct EquipmentLocation {
        int32_t itemIndex = -1;
        ResourceHandle model;
        float scale = 0.0f;
        std::string tagName;
        // 0 none, 5 set, 6 unique, 7 artifact: the glow pass the model is drawn to again.
        int32_t glow = 0;
    };

    EntityClient();
    ~EntityClient() override;

    // "EntityClient" on "Listener" in the class tree.
    static void RegisterEventClass(TypeRegistry& types);
    EventClass* GetEventClass() const override;

    // ---- Events of the animation frames (EntityClientEvents.cpp) --------------------------------
    // The events an entity handles itself, each with its handler; parameters are words read in order.
    static constexpr int32_t kAnimationEventCount = 15;
    static constexpr std::array<const char*, kAnimationEventCount> kAnimationEventNames = {
        "sound",      "loopSound",       "stopLoopSound",         "startEffect",          "stopEffect",
        "spawnEffect", "startBeam",      "stopBeam",              "startSwipe",           "stopSwipe",
        "startClientModelSwipe", "stopClientModelSwipe", "startAttachedSwipe", "stopAttachedSwipe",
        "playDatabaseSound"};
    // The channel slot of the entity's looping sound: "stopLoopSound" stops only that one.
    static constexpr int32_t kLoopSoundSlot = -4;
    // Once, when the client starts; then the handlers go into the class's table (nothing
    // without the table).
    static void RegisterAnimationEvents(EventSystem& events);
    static void BuildEventHandlers();
    // What the animation advance raises, handed on as the model's trigger mode.
    void OnAnimationEvent(int32_t animation, int32_t signal, int32_t frame) override;
    // Each event of the animation that fires for the frame or the trigger mode (start or end)
    // goes to the entity's handler, then to the event queue.
    virtual void FireAnimationEvents(int32_t animation, int32_t mode, int32_t frame);
    // The entity as its effects, beams and swipes see it.
    EntityEffectHost& GetEffectHost() { return effectHost; }
    // The loaded model resource of the handle; null for none.
    static const ModelResource* GetModelResource(int32_t handle);

    // ---- The record ---------------------------------------------------------------------------
    void Load(const DatabaseEntry* newRecord) override;
    // A new index takes its class record (none out of range) and the record's "Radius".
    virtual void SetClassIndex(int32_t index);
    const DatabaseEntry* GetRecord() const { return record; }
    // The key set in the record or in the actor record its monster type names: a creature's
    // trader keys may sit in either.
    bool HasRecordFlag(const char* key) const;
    // The actor record of a creature's monster type; none for any other entity.
    const DatabaseEntry* GetActorRecord() const;
    // Where a creature's body keys (size, shadow, class) are read: its actor record, else the record.
    const DatabaseEntry* GetKeyRecord() const;

    // ---- The state record (EntityClientState.cpp) -----------------------------------------------
    // A quest item's record (what the item is of: a monster type, an area) and from it the
    // target whose "QuestItemName" names the item: the area itself, else the entry the record's
    // "Archetype" names. Null clears both.
    void SetQuestRecord(const DatabaseEntry* named);
    // Takes a state record read whole. A record whose place, scale or alpha is not finite is
    // taken as no record at all: the entity stays as it was.
    void ApplyState(const NetEntityHeader& header, const NetEntityState& state, const ClientResourceTable* resources);
    // Called for each effect an update no longer names, before it is deleted: on the local
    // player's body a long, flagged or last-of-its-group effect is heard going.
    virtual void OnStatusEffectLost(StatusEffectClient& lost);
    void Update(float seconds) override;
    // Toward the facing: at once when snapping, else by at most the turn rate.
    void Turn(float seconds, bool snap);

    // ---- Questions ------------------------------------------------------------------------------
    float GetScale() const override;
    void FreeModel() override;
    void ResolveModel(const std::string& path, ResourceHandle& out) override;
    // A counted use of the resource of the name; invalid without a resource manager.
    ResourceHandle AcquireResource(const std::string& name) const;
    float GetAlpha() const override;
    // One of its status effects ends when it takes damage: attacking it is asked for, not assumed.
    bool HasDamageBreaksEffect() const;
    // False while one of its status effects forbids targeting it, or while its state animation
    // (priority 14) plays with a state set.
    bool IsTargetable() const override;
    int32_t GetNpcType() const { return npcType; }
    float GetServerFloat() const { return serverFloat; }
    // The owner through the chain's checks: null for -1, -2, a number the table lacks, a chain
    // longer than kMaxOwnerLinks or one that loops.
    EntityClient* GetOwner() const;
    bool IsHidden() const;
    // On level 0, with a known destination, or on a level the local player has opened.
    bool IsGateOpen() const;
    // False without a colour (no blip, or index 146); out of 0..148 the first colour.
    bool GetMapColour(int32_t index, float& red, float& green, float& blue) const;
    // An item, money or quest item that may be taken: fully shown and not falling.
    bool IsReadyToTake() const;
    // Entities are picked by their screen boxes (ScreenConversion), never by a ray.
    virtual bool IsSelectableByRay() const { return false; }
    // The status effects the entity shows; the local player answers with its body's.
    virtual const std::vector<std::unique_ptr<StatusEffectClient>>& GetStatusEffectList() const
    {
        return statusEffects;
    }

    // ---- What a click does (EntityClientClick.cpp) ------------------------------------------------
    // The interaction mode a click offers the local player: 0 nothing, 2 attack, 4 walk up first,
    // or the mode of talking, trading, using, picking up... Out of reach only 0, 2 or 4.
    int32_t GetClickAction(bool inReach, bool allowWhileStealthed) const;
    bool IsOfPlayerCovenant() const;
    // Its covenant holds War or Raid toward the local player's covenant.
    bool IsAtWarWithPlayer() const;
    // The local player has a quest to hand in here (or a rescue target still fading in).
    bool HasQuestToComplete() const;
    // Passes the rescue, delivery or escort test (fully shown, or the quest-target flag).
    bool IsQuestTarget() const;

    // ---- On the maps, under the cursor and in the help labels (EntityClientMap.cpp) ----------------
    // The end of its owner chain; itself without an owner.
    const EntityClient* GetTopOwner() const;
    // The blip's colour-table index, decided by the top owner; kNoMapColour for no blip.
    int32_t GetMapColorIndex() const;
    // False without a blip colour; else its colour.
    bool GetMapColor(float& red, float& green, float& blue) const;
    // With partyOnly only party members and the player's own quest item.
    bool IsShownOnMap(bool partyOnly) const;
    // The local player's party list when it names this entity; null otherwise. The player leads
    // the party and is not in its list.
    virtual const std::vector<int32_t>* GetPartyRecord() const;
    // The same entity, the local player and one of its party, or two of its party.
    virtual bool IsInPartyWith(const EntityClient& other) const;
    // 0 for the invisible and the dead, 0.75 for things lying on the ground, 1 for the rest.
    float GetPickPriority() const;
    bool AcceptsDroppedItem() const;
    // Whether the help labels name it: things to take and use in objects mode, else living monsters.
    bool ShouldShowHelp(bool objectsMode) const;
    // An entity hidden out of sight stands in the player's view, and so does each such owner.
    bool IsVisibleWithOwners() const;
    void CollectStatusEffects(std::vector<StatusEffectClient*>& out) const;
    bool IsMonster() const;
    bool IsLyingOnGround() const;

    // ---- Equipment shown on the body (EntityClientEquipment.cpp) ------------------------------------
    // The same item again changes nothing; a location outside 0..17 is ignored.
    void ShowItemOnBody(int32_t location, int32_t itemIndex, bool onGround);
    // On the entity's own copy of its skin (made at the first change); a surface the skin lacks
    // is left alone.
    void SetSkinSurfaceTexture(int32_t surface, const std::string& texture);
    void ResetSkinSurfaceTexture(int32_t surface);
    // Null outside 0..17.
    const EquipmentLocation* GetEquipment(int32_t location) const;
    // The own copy once made, else the "SkinName" skin; null for none.
    const Skin* GetDrawSkin() const;
    // False (nothing written) without a hung model on a tag the wearer's model has.
    bool GetAttachedModelTransform(int32_t location, WorldPos3& where, Matrix3& matrix) const;
    // The named tag of the model hung at the location; -1 in every other case.
    int32_t FindAttachedModelTag(int32_t location, std::string_view name) const;
    static void CopyEquipmentLocation(EquipmentLocation& destination, const EquipmentLocation& source);

    // ---- Placement and drawing (EntityClientDraw.cpp) ------------------------------------------------
    // Replaces the rotation the facing gives.
    void SetModelRotation(const Matrix3& rotation);
    Matrix3 GetModelRotation() const;
    // Its own place and rotation, or its owner's (at the owner's tag when it hangs on one).
    void GetModelPlacement(WorldPos3& where, Matrix3& matrix) const;
    // The placement, then for a tag other than -1 the tag's in the current pose.
    void SetModelTransform(int32_t tag, WorldPos3& where, Matrix3& matrix) const;
    bool IsHoveredOrOwnerHovered(const EntityDrawFrame& drawFrame) const;
    // A model widget's entity, or the hovered entity unless it is a secret.
    bool IsDrawnAsHovered(const EntityDrawFrame& drawFrame) const;
    // The owner's place (or its own) on the ground, moved by (-100, -100, +150): kept on its
    // level even where the moved point leaves the level.
    void GetReferencePoint(WorldPos3& out) const;
    // The model instance a draw submits, made afresh each frame (the renderer keeps none between
    // frames): the model with the skin to draw with, its pose, placement, scale and opacity. A
    // model not known yet gives one the renderer passes over.
    ModelSurfacesDesc CreateModelInstance() const;
    // The model, its status effects' shaders, its shadow, its equipment, the hover outline and
    // the overhead icon.
    void Draw(EntityScene& scene, const EntityDrawFrame& drawFrame);
    // The frame's draw of the entity: nothing while the host hides its model (flag bit 0).
    void DrawDefault(EntityScene& scene, const EntityDrawFrame& drawFrame);
    // The damage texts, then the health and timer bars, when the entity and each owner up its
    // chain stand where the player sees them.
    void UpdateVisuals(const OverlayFrame& frame, OverlayCanvas& canvas) const;

    // ---- The text under the cursor (EntityClientHover.cpp) -----------------------------------------
    // Its name and what it is, then (unless nameOnly) the hints; with forAnyEntity false only
    // monsters and the local player's entity answer.
    std::string GetHoverText(bool nameOnly, bool forAnyEntity, bool withOwnTag) const;
    // The same into out, replacing what it held but keeping its room, so that a string built
    // each frame allocates nothing once it is big enough.
    void BuildHoverText(std::string& out, bool nameOnly, bool forAnyEntity, bool withOwnTag) const;
    // The host's placement flag as the last update carried it: the tooltip stands above the
    // entity while it is set. An update whose flags fall short of it leaves it set, as the
    // host's plain entity has it.
    bool IsTooltipPlaced() const;

    // ---- As the skill rules see it ----------------------------------------------------------------
    int32_t GetStat(int32_t stat) const override { return EntityBase::GetStat(stat); }
    int32_t GetItemRequirementAt(int32_t, int32_t) const override { return kNoItem; }
    // Only hostility between the local player and another entity is known on the client.
    bool IsEnemy(const SkillUser& other) const override;
    float GetDistance2D(const SkillUser& other, bool lessRadii) const override;
    Vector2 GetDeltaTo(const SkillUser& other) const override;
    int32_t GetDirectionIndex() const override { return facing; }
    const std::string& GetPersonalName() const { return personalName; }

    // ---- Fields ---------------------------------------------------------------------------------
    const DatabaseEntry* record = nullptr;
    int32_t recordId = -1;
    int32_t updateStamp = -1;
    bool netSolid = false;
    // Set when the solid word changed: the sight grids are stale if the entity blocks sight.
    bool solidChanged = false;
    bool alwaysOnMap = false;
    // The placement flag (the first) starts set, as on the host.
    static_assert(kVisualFlagCount == 8 && kVisualFlagPlaced == 0);
    std::vector<bool> visualFlags = {true, false, false, false, false, false, false, false};
    WorldPos serverMoveTarget;
    // What the last state record said, kept as sent.
    int32_t serverAnimation = -1;
    int32_t serverPlayCount = 0;
    int32_t modelIndex = -1;
    float entityAlpha = 1.0f;
    float timerElapsed = 0.0f;
    float timerDuration = 0.0f;
    int32_t timerType = 0;
    int32_t classIndex = -1;
    const CharacterClass* classRecord = nullptr;
    WorldPos gateDestination{-1, 0.0f, 0.0f, true};
    bool gateDestinationKnown = true;
    // From the archetype of a creature.
    bool isNpc = false;
    int32_t npcType = 0;
    bool isNpcGhost = false;
    bool isNpcRenegade = false;
    bool isNpcThief = false;
    bool givesQuests = false;
    bool canBeRescued = false;
    bool canReceiveDelivery = false;
    bool canBeEscorted = false;
    // What kind of object the record says it is. A chest is a record of the chest type or an
    // object whose "ObjectType" is Chest, as the state record's kind is chosen.
    bool isChest = false;
    bool isStash = false;
    bool isPlayerStash = false;
    bool isBookshelf = false;
    bool isPedestal = false;
    bool isUsableObject = false;
    bool isToggleUsableObject = false;
    bool useOnlyWhenSolid = false;
    bool isLifeStone = false;
    bool isNpcList = false;
    bool canAttack = false;
    bool isGate = false;
    bool isTownGate = false;
    bool isVendor = false;
    bool isGuardVendor = false;
    bool isGambler = false;
    bool talks = false;
    bool isPlayerBody = false;
    // Chosen by the local player, it lets the hover look through nothing (not even the player)
    // while a click would not strike it. Clear unless something sets it: no record key or state
    // word does.
    bool pickThrough = false;
    bool isItem = false;
    int32_t itemType = 0;
    int32_t itemQuality = 0;
    int32_t moneyAmount = 0;
    const DatabaseEntry* questRecord = nullptr;
    const DatabaseEntry* questTarget = nullptr;
    // The world host's number of the quest a quest item belongs to.
    int32_t questNumber = -1;
    // A projectile's state: a beam's four words, or the lobbed flag and height.
    bool projectileTrail = false;
    int32_t projectileWords[4] = {-1, -1, -1, -1};
    float projectileHeight = 0.0f;
    // The ten shown equipment records (-1 for nothing), and the record shown in the hand of an
    // item lying on the ground.
    int32_t shownEquipment[NetEntityState::kShownEquipment] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const DatabaseEntry* groundRecord = nullptr;
    ResourceHandle questAvailableIcon;
    ResourceHandle questCompletedIcon;
    float iconHeight = 0.0f;
    std::string personalName;
    std::string nameListName;
    uint32_t nameSeed = 0;
    bool nameSeedKnown = false;
    // The skin texture the seed picked; -1 for none.
    int32_t skinTexturePick = -1;
    std::vector<int32_t> questOffers;
    std::string displayName;
    // Offered by the hover text when not empty.
    std::string description;
    const MonsterArchetype* archetype = nullptr;
    const MonsterType* monsterType = nullptr;
    int32_t level = 0;
    int32_t power = 0;
    int32_t maxPower = 0;
    bool summoned = false;
    int32_t rank = 0;
    bool showsAltHelp = false;
    bool hideFromMiniMap = false;
    bool drawsBlip = true;
    bool castsShadow = true;
    bool drawsIcons = true;
    float attachScale = 1.0f;
    bool fakeAttach = false;
    bool isSecret = false;
    bool hideWhenOutOfSight = false;
    float selectRadius = 0.0f;
    ResourceHandle mapShader;
    bool useMapShaderWhenSolid = false;
    bool alwaysUseMapShader = false;
    bool useDefaultMapShader = false;
    float turnSpeed = 0.0f;
    bool noAnimation = false;
    ResourceHandle skin;
    // The model's angles in degrees, set by turning.
    float modelYaw = 0.0f;
    float modelPitch = 0.0f;
    std::array<EquipmentLocation, kEquipmentLocations> equipment;
    Matrix3 modelRotation{{{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}}};
    bool hasModelRotation = false;
    // Set by the interface's model widgets on the entities they show.
    bool isWidgetModel = false;
    // Damage texts: each stamp with its text, oldest first.
    std::vector<std::pair<TimeStamp, std::string>> damageTexts;
    // The creature's resources kept loaded while it is shown.
    std::vector<ResourceHandle> precached;

protected:
    std::vector<std::unique_ptr<StatusEffectClient>> statusEffects;
    float serverFloat = 0.0f;
    // The local player's own light takes one of the places kept beyond the ordinary lights, so
    // that sixteen lit things in view never put it out.
    bool ownsPriorityLight = false;

private:
    int32_t GetNpcClickAction(bool inReach, bool rescue) const;
    int32_t GetObjectClickAction(bool inReach, bool allowWhileStealthed, int32_t type) const;
    int32_t GetOwnMapColorIndex() const;
    bool IsPlayerQuestItem() const;
    // In the local player's party.
    bool IsInPlayersParty() const;
    void ShowItemSkin(int32_t location, const DatabaseEntry* item);
    const Skin* GetSharedSkin() const;
    // The wearer's tag the location's model hangs on; -1 without one.
    int32_t FindWearerTag(int32_t location) const;
    ModelSurfacesDesc MakeAttachedDesc(int32_t location) const;
    bool DrawsAttachedModel(int32_t location, const EntityDrawFrame& drawFrame) const;
    void DrawAttachedModels(EntityScene& scene, const EntityDrawFrame& drawFrame) const;
    // The model's complex shadow, cast from the reference point.
    void AddProjectedShadow(EntityScene& scene, const ModelSurfacesDesc& model) const;
    void DrawStatusEffectShaders(EntityScene& scene, const EntityDrawFrame& drawFrame,
                                 const std::vector<std::unique_ptr<StatusEffectClient>>& effects,
                                 bool childOnly) const;
    int32_t ChooseOverheadIcon();
    void DrawOverheadIcon(EntityScene& scene, const EntityDrawFrame& drawFrame);
    void AppendHoverName(std::string& out, bool forAnyEntity, bool withOwnTag) const;
    void AppendMonsterName(std::string& out) const;
    void AppendItemHover(std::string& out) const;
    void AppendQuestItemHover(std::string& out) const;
    void AppendGateHover(std::string& out, bool nameOnly) const;
    void AppendNpcName(std::string& out, bool withName, bool withTitle) const;
    void AppendCreatureHover(std::string& out, bool nameOnly, bool withName, bool withTitle) const;
    static const MonsterType* FindMonsterTypeOfDefinition(const DatabaseEntry* definition);
    void LoadMonsterType(const MonsterType* type);
    void LoadObjectKind();
    void LoadCommon();
    void PrecacheSkills();
    void ApplyHeader(const NetEntityHeader& header, const ClientResourceTable* resources);
    void ApplyAnimation(const NetEntityHeader& header);
    void ApplyEffects(const NetEntityHeader& header);
    void ApplyClassState(const NetEntityState& state);
    void ApplyNameSeed(uint32_t seed);
    void ShowOwnRecord();
    void ShowEquipment(const NetEntityState& state);
    void UpdateLight() const;
    void ExpireDamageTexts();
    void UpdateTimer(float seconds);
    void UpdateGate();

    // The words a swipe event carries: its name, two tags, and a location or tag name.
    struct SwipeEventArguments {
        std::string name;
        std::string firstTag;
        std::string secondTag;
        std::string fourth;
    };
    void FireClientEvent(const AnimationEvent& fired);
    // Under "Sounds", at the entity; a loop in the entity's loop slot.
    void PlaySoundFile(std::string name, bool loop) const;
    static SwipeEventArguments ReadSwipeArguments(Event& event, bool withFourth);
    void OnSoundEvent(Event& event);
    void OnLoopSoundEvent(Event& event);
    void OnStopLoopSoundEvent(Event& event);
    void OnStartEffectEvent(Event& event);
    void OnStopEffectEvent(Event& event);
    void OnSpawnEffectEvent(Event& event);
    void OnStartBeamEvent(Event& event);
    void OnStopBeamEvent(Event& event);
    void OnStartSwipeEvent(Event& event);
    void OnStopSwipeEvent(Event& event);
    void OnStartModelSwipeEvent(Event& event);
    void OnStopModelSwipeEvent(Event& event);
    void OnStartAttachedSwipeEvent(Event& event);
    void OnStopAttachedSwipeEvent(Event& event);
    void OnDatabaseSoundEvent(Event& event);

    EntityEffectHost effectHost{*this};
    std::unique_ptr<Skin> ownSkin;

    static EventClass* eventClass;
    static std::array<int, kAnimationEventCount> animationEventIds;
};
