// PlayerClient -- the interaction modes with their menus and hints, the interaction target, the requests they send, and walking to a move target over the path finder.
#include "client/PlayerClient.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/ScreenConversion.h"
#include "core/DatabaseEntry.h"
#include "core/system/InputSystem.h"
#include "core/Vector.h"
#include "core/UserVarSystem.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/GameSystemTuning.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <cmath>
#include <cstdio>

namespace {

// The menus a mode opens on entering and closes on leaving.
struct PlayerModeMenus {
    int32_t mode;
    const char* menus[2];
};
constexpr PlayerModeMenus kPlayerModeMenus[] = {
    {1, {"PlayerDead", nullptr}},         {5, {"NpcMenu", nullptr}},
    {6, {"NpcUnavailableMenu", nullptr}}, {7, {"NpcSharedAdventureMenu", nullptr}},
    {8, {"NpcInPartyMenu", nullptr}},     {9, {"NpcInCovenantMenu", nullptr}},
    {10, {"Stash", nullptr}},             {11, {"Bookshelf", nullptr}},
    {12, {"NpcList", nullptr}},           {13, {"GateList", nullptr}},
    {16, {"House", nullptr}},             {17, {"HouseEnemy", nullptr}},
    {25, {"SolveQuest", nullptr}},        {26, {"NpcRescueMenu", nullptr}},
    {27, {"NpcDeliveryMenu", nullptr}},   {28, {"NpcEscortMenu", nullptr}},
};
constexpr int32_t kPlayerModeStash = 10;
// The windows opened at a person or a container: modes 5 to 11 (talk, a recruit's menus, the
// stash, the bookshelf), trade (22), and 24 to 28 (quests, rescue, delivery, escort).
constexpr int32_t kPlayerWindowModeFirst = 5;
constexpr int32_t kPlayerWindowModeLast = 11;
constexpr int32_t kPlayerWindowModeLastPerson = 28;
// They close once the player is carried this many grid cells from where it opened them, well
// past the 1.5 cells of reach they open within. A person who wanders off while talked to leaves
// the window open: it is the player's own leaving that ends the dealing.
constexpr float kPlayerWindowReachCells = 4.0f;
constexpr int32_t kPlayerModeTrade = 22;
// Trade opens one of these by its partner: a vendor (with quests or without), or anyone else.
constexpr const char* kPlayerTradeMenus[] = {"VendorMenuWithQuests", "VendorMenu", "Buy-sell", "BagControl"};
// The NPC kinds of the vendors' hints: 6-8 sell goods, 9 guards, 10 gambles.
constexpr int32_t kPlayerNpcVendorFirst = 6;
constexpr int32_t kPlayerNpcVendorLast = 8;
constexpr int32_t kPlayerNpcGuardVendor = 9;
constexpr int32_t kPlayerNpcGambler = 10;
constexpr int32_t kPlayerModeWorldMap = 14;
constexpr int32_t kPlayerModeNpcEquipment = 15;
// The NPC equipment screens by the NPC's kind: a hired townsperson (kind 4) wears and carries,
// a creature of no kind (0) only wears; every other kind shows the plain screen.
constexpr const char* kPlayerNpcEquipmentMenus[] = {"NpcEquipment", "NpcEquipmentFull", "NpcEquipmentOnly"};
constexpr int32_t kPlayerModePickUp = 23;
constexpr int32_t kPlayerModeQuestGiver = 24;
// The quest giver's screens: a town NPC's, a potential recruit's, anyone else's, and the tutor's,
// whose lessons come back to it but whose window is its talk.
constexpr const char* kPlayerQuestGiverMenus[] = {"QuestNpcMenu", "NpcPotentialRecruitMenu", "GetQuest", "NpcMenu"};
// Talk's window offers by the NPC's kind: the recruit joins, the tutor teaches.
constexpr int32_t kPlayerModeTalk = 5;
// The stash's bag menus closed with it.
constexpr int32_t kPlayerStashBags = 8;
// The walk animation's priority.
constexpr int32_t kPlayerWalkPriority = 8;
// The kinds of entity movement is stopped by (1 << kind): kinds 0 and 2.
constexpr int32_t kPlayerMoveKindMask = 5;

ClientUi* PlayerModesUi()
{
    return gClientApp ? gClientApp->GetUi() : nullptr;
}

void PlayerModesMenuLine(const char* verb, const char* menu)
{
    if (ClientUi* ui = PlayerModesUi())
        ui->RunMenuLine(std::string(verb) + " " + menu);
}

const PlayerModeMenus* PlayerModesFind(int32_t mode)
{
    for (const PlayerModeMenus& entry : kPlayerModeMenus)
        if (entry.mode == mode)
            return &entry;
    return nullptr;
}

// A creature stands in the player's way only when it is walked into.
bool PlayerModesIsCreature(const EntityClient& entity)
{
    int32_t type = entity.GetRecord() ? entity.GetRecord()->GetType() : DatabaseEntryType::None;
    return entity.IsMonster() || type == DatabaseEntryType::Actor || type == DatabaseEntryType::Class;
}

float PlayerModesGridSize()
{
    return gGameData ? gGameData->GetTuning().gridSize.x : 32.0f;
}

} // namespace

// ---- Modes ---------------------------------------------------------------------------------------

void PlayerClient::SetTarget(EntityClient* target, bool resetMode)
{
    if (target == GetInteractionTarget())
        return;
    if (resetMode)
        SetInteractionMode(true, 0, true);
    pendingTree = -1;
    pendingSkill = -1;
    interactionTarget.Set(target);
}

bool PlayerClient::SetInteractionMode(bool force, int32_t mode, bool allowStealthed)
{
    if (mode == kModeAttack && !allowStealthed && (statusFlags & kStatusStealthed))
        return false;
    const EntityClient* target = GetInteractionTarget();
    if (mode == kModeAttack && !force && target && target->HasDamageBreaksEffect())
        return false;
    if (mode == kModeApproach && aiming && aimKind != kAimMove)
        return false;
    if (mode == interactionMode && !force)
        return false;
    if (mode == kModeAttack && !CanAttackNow())
        return false;
    // The dead stay in the death mode until the body rises: leaving it closes the death screen,
    // which nothing opens again, so a click on the world while dead left a player no way to rise.
    const EntityClient* body = GetBody();
    if (interactionMode == kModeDead && mode != kModeDead && body && body->IsDead())
        return false;
    LeaveMode(interactionMode);
    interactionMode = mode;
    modeEnteredAt = position;
    EnterMode(mode);
    return true;
}

void PlayerClient::LeaveMode(int32_t mode)
{
    if (const PlayerModeMenus* entry = PlayerModesFind(mode))
        for (const char* menu : entry->menus)
            if (menu)
                PlayerModesMenuLine("hideMenu", menu);
    if (mode == kPlayerModeStash) {
        char name[32];
        for (int32_t bag = 0; bag < kPlayerStashBags; ++bag) {
            std::snprintf(name, sizeof(name), "stashBag%d", bag);
            PlayerModesMenuLine("hideMenu", name);
        }
    }
    if (mode == kPlayerModeTrade)
        for (const char* menu : kPlayerTradeMenus)
            PlayerModesMenuLine("hideMenu", menu);
    if (mode == kPlayerModeWorldMap && gUserVarSystem)
        gUserVarSystem->SetStringByName("drawWorldMap", "0");
    if (mode == kPlayerModeQuestGiver)
        for (const char* menu : kPlayerQuestGiverMenus)
            PlayerModesMenuLine("hideMenu", menu);
    if (mode == kPlayerModeNpcEquipment)
        for (const char* menu : kPlayerNpcEquipmentMenus)
            PlayerModesMenuLine("hideMenu", menu);
}

const char* PlayerClient::GetNpcEquipmentMenu(const EntityClient& npc)
{
    int32_t kind = npc.GetNpcType();
    return kind == NpcType::Recruit ? kPlayerNpcEquipmentMenus[1]
           : kind == 0              ? kPlayerNpcEquipmentMenus[2]
                                    : kPlayerNpcEquipmentMenus[0];
}

void PlayerClient::EnterQuestGiverMode(const EntityClient* giver)
{
    if (!giver)
        return;
    int32_t npcType = giver->GetNpcType();
    // The tutor's window asks for its line itself; a lesson done is handed in as a quest giver's
    // work is (mode 25).
    if (npcType == NpcType::Tutor) {
        EnterTalk(giver);
        PlayerModesMenuLine("showMenu", kPlayerQuestGiverMenus[3]);
        return;
    }
    // The NPC's earlier line goes, and the host is asked for what it says now.
    ChooseFirstOfferedQuest(*giver);
    if (gGameClient)
        gGameClient->npcChatText.clear();
    if (gClientApp)
        gClientApp->QueueServerCommand("getNpcChat");
    const char* menu = !giver->isNpc                  ? kPlayerQuestGiverMenus[2]
                       : npcType == NpcType::Recruit ? kPlayerQuestGiverMenus[1]
                                                     : kPlayerQuestGiverMenus[0];
    PlayerModesMenuLine("showMenu", menu);
    if (npcType >= 1 && npcType <= 3)
        TriggerHint("QuestGivers");
}

// The first quest offered that the player does not hold yet is the one shown and accepted.
void PlayerClient::ChooseFirstOfferedQuest(const EntityClient& giver)
{
    std::string offered;
    for (int32_t number : giver.questOffers) {
        bool held = false;
        for (int32_t slot = 0; slot < kQuestSlots; ++slot)
            held = held || (GetQuestSlot(slot) && GetQuestSlot(slot)->questId == number);
        if (!held) {
            offered = std::to_string(number);
            break;
        }
    }
    if (gUserVarSystem)
        gUserVarSystem->SetStringByName("SelectedQuest", offered);
}

void PlayerClient::EnterTalk(const EntityClient* npc)
{
    int32_t kind = npc ? npc->GetNpcType() : 0;
    if (!gUserVarSystem)
        return;
    gUserVarSystem->SetStringByName("NpcCanJoin", kind == NpcType::Recruit ? "1" : "0");
    gUserVarSystem->SetStringByName("NpcIsTutor", kind == NpcType::Tutor ? "1" : "0");
    // Mended: the lessons were offered during a lesson too, and taking them started the tutorial
    // over, the recruit quests dropped with it.
    bool inLesson = false;
    for (int32_t slot = 0; slot < kQuestSlots; ++slot)
        inLesson = inLesson || (GetQuestSlot(slot) && GetQuestSlot(slot)->IsTutorialStep());
    gUserVarSystem->SetStringByName("NpcTutorOffersLessons", kind == NpcType::Tutor && !inLesson ? "1" : "0");
}

void PlayerClient::EnterTrade(const EntityClient* partner)
{
    // Only a townsperson keeps a shop; a trader of no town (one met on the road) deals from its
    // pack, beside the player's bags.
    if (!partner || !partner->isVendor || !partner->isNpc) {
        PlayerModesMenuLine("showMenu", "Buy-sell");
        PlayerModesMenuLine("showMenu", "BagControl");
    } else {
        // A trader's work, as a quest giver's: "Take it on" took a quest chosen at some other
        // window, or none, until a line of the list was clicked.
        if (partner->givesQuests)
            ChooseFirstOfferedQuest(*partner);
        PlayerModesMenuLine("showMenu", partner->givesQuests ? "VendorMenuWithQuests" : "VendorMenu");
    }
    int32_t kind = partner ? partner->npcType : 0;
    if (kind >= kPlayerNpcVendorFirst && kind <= kPlayerNpcVendorLast)
        TriggerHint("Vendors");
    else if (kind == kPlayerNpcGambler)
        TriggerHint("Gambler");
    else if (kind == kPlayerNpcGuardVendor)
        TriggerHint("GuardVendor");
}

void PlayerClient::EnterMode(int32_t mode)
{
    if (const PlayerModeMenus* entry = PlayerModesFind(mode))
        for (const char* menu : entry->menus)
            if (menu)
                PlayerModesMenuLine("showMenu", menu);
    const EntityClient* target = GetInteractionTarget();
    switch (mode) {
    case kPlayerModeStash:
        if (target)
            TriggerHint(target->isPlayerStash ? "Stash" : "SharedStash");
        break;
    case 11: TriggerHint("Bookshelf"); break;
    case kPlayerModeTalk: EnterTalk(target); break;
    case kPlayerModeTrade: EnterTrade(target); break;
    case kPlayerModeWorldMap:
        if (gUserVarSystem)
            gUserVarSystem->SetStringByName("drawWorldMap", "1");
        // The map opening in place of the world says itself what the gate does.
        if (gGameClient)
            gGameClient->GetMessages().AddMessage(5, "$$WorldMapChooseGate$$", true);
        TriggerHint("CovenantGate");
        break;
    case 16: TriggerHint("HouseLayout"); break;
    case 19:
        if (target && target->isLifeStone)
            TriggerHint("Lifestone");
        break;
    case kPlayerModePickUp:
        if (target && gClientApp) {
            char line[32];
            std::snprintf(line, sizeof(line), "pickupEntity %d", target->entityNumber);
            gClientApp->QueueServerCommand(line);
            if (gGameClient && target->record)
                gGameClient->GetMusic().PlayNamedSound(target->record->GetString("PickupSoundName"));
        }
        interactionMode = 0;
        break;
    case kPlayerModeQuestGiver: EnterQuestGiverMode(target); break;
    case kPlayerModeNpcEquipment:
        if (target)
            PlayerModesMenuLine("showMenu", GetNpcEquipmentMenu(*target));
        break;
    default: break;
    }
}

// ---- Walking -------------------------------------------------------------------------------------

void PlayerClient::SetMoveTarget(const WorldPos& target)
{
    moveTarget = target;
    followEntity.Clear();
    movePending = true;
    moving = true;
}

void PlayerClient::StopMoving()
{
    moving = false;
    movePending = false;
    followEntity.Clear();
    path.count = 0;
    path.cursor = 0;
}

void PlayerClient::Teleport(const WorldPos& where)
{
    SetPosition(where);
    moveTarget = position;
    StopMoving();
    // The update that warps the player also marks the new level known: its name is told now,
    // while the level still counts as undiscovered.
    UpdateLevelName();
}

void PlayerClient::Follow(EntityClient* entity)
{
    if (!entity)
        return;
    if (position.Distance2D(entity->position) <= PlayerModesGridSize()) {
        StopMoving();
        return;
    }
    SetMoveTarget(entity->position);
    followEntity.Set(entity);
}

bool PlayerClient::CanMoveTo(const WorldPos& where, int32_t kindMask) const
{
    return IsSpotFree(SnapToWorldGrid(where), kindMask, true);
}

bool PlayerClient::IsSpotFree(const WorldPos& spot, int32_t kindMask, bool creaturesBlock) const
{
    if (movementFlags & kMoveNoCollision)
        return true;
    if (!gWorld || gWorld->IsBlockedNear(spot, radius))
        return false;
    for (int32_t number = 0; gGameClient && number < GameClient::kMaxEntities; ++number) {
        const EntityClient* other = gGameClient->GetEntity(number);
        if (!other || number == ownNumber || other == GetBody() || !BlocksPlayer(*other, kindMask))
            continue;
        if (!creaturesBlock && PlayerModesIsCreature(*other))
            continue;
        if (spot.Distance2D(other->position) - radius - other->radius <= 0.0f)
            return false;
    }
    return true;
}

bool PlayerClient::BlocksPlayer(const EntityClient& other, int32_t kindMask)
{
    // Mended: loot on the ground, the dead (whose solid flag the host clears) and things with no
    // body (an effect's model) counted as obstacles, so the player could not stand on what it had
    // come to pick up.
    bool kind = other.solidType >= 0 && other.solidType < 31 && (kindMask & (1 << other.solidType));
    return kind && other.netSolid && other.radius > 0.0f && !other.IsLyingOnGround();
}

WorldPos PlayerClient::SnapToWorldGrid(const WorldPos& where)
{
    GridFrame grid;
    const GameSystemTuning* tuning = gGameData ? &gGameData->GetTuning() : nullptr;
    grid.origin = tuning ? Vector2{tuning->gridOffset.x, tuning->gridOffset.y} : Vector2{0.0f, 0.0f};
    grid.cellSize = tuning ? Vector2{tuning->gridSize.x, tuning->gridSize.y} : Vector2{1.0f, 1.0f};
    Vector2 snapped = SnapToGrid({where.x, where.y}, grid);
    WorldPos out{where.level, snapped.x, snapped.y, true};
    out.Normalize();
    return out;
}

bool PlayerClient::Move(float seconds)
{
    const EntityClient* shown = GetBody();
    if (shown && shown->maxHealth > 0 && shown->health <= 0) {
        StopMoving();
        return false;
    }
    // Standing in a wall or an object (a door shut on it, a chest set down on it): one step to the
    // nearest free cell. Creatures do not count here: one fighting the player stands against it,
    // and the player would be pushed off at every blow. Nor does a walk: its path passes objects
    // the path finder does not know of, and a push off it would turn the player back each frame.
    // The player's exact place is tested, not the grid corner nearest to it.
    if (!moving && !IsSpotFree(position, kPlayerMoveKindMask, false)) {
        WorldPos free;
        int32_t direction = 0;
        if (FindStandableCell(free, direction)) {
            SetPosition(free);
            facing = direction;
        }
    }
    if (const EntityClient* followed = followEntity.GetAs<EntityClient>())
        moveTarget = followed->position;
    if (!moving)
        return false;
    if (movePending) {
        movePending = false;
        path.count = 0;
        path.cursor = 0;
        // A player whom nothing stops walks straight to the target.
        bool straight = (movementFlags & kMoveNoCollision) != 0;
        if (!straight && (!gPathFinder || !gPathFinder->FindPath(this, position, moveTarget, nullptr, &path, nullptr))) {
            StopMoving();
            return false;
        }
        pathPoint = position;
    }
    float step = GetMovementSpeed() * seconds;
    float cell = PlayerModesGridSize();
    bool moved = false;
    while (step > 0.0f && moving) {
        // The next point: one cell on from the last point of the path reached, or the move target
        // at its end. Mended: counted from the player's own place, the next cell moved on with
        // every partial step, and a walk shorter per frame than a cell never ended.
        WorldPos next = moveTarget;
        if (path.cursor < path.count) {
            static constexpr int32_t kDx[] = {0, 1, 1, 1, 0, -1, -1, -1};
            static constexpr int32_t kDy[] = {1, 1, 0, -1, -1, -1, 0, 1};
            int32_t direction = path.steps[static_cast<size_t>(path.cursor)];
            next = pathPoint.Offset(Vector2{kDx[direction] * cell, kDy[direction] * cell});
        }
        Vector2 delta = position.DeltaTo(next);
        float length = std::sqrt(delta.x * delta.x + delta.y * delta.y);
        if (length <= step) {
            SetPosition(next);
            step -= length;
            if (path.cursor < path.count) {
                ++path.cursor;
                pathPoint = next;
            } else {
                moving = false;
            }
        } else {
            SetPosition(position.Offset(Vector2{delta.x / length * step, delta.y / length * step}));
            step = 0.0f;
        }
        moved = true;
        if (length > 0.0f)
            FaceTowards(next, false);
    }
    if (moved)
        PlayAnimation("walk", kPlayerWalkPriority, AnimationMode::ReturnToIdle, false);
    return moved;
}

// ---- Clicks on the world -------------------------------------------------------------------------

bool PlayerClient::HandleClick(int32_t button, bool down, int32_t x, int32_t y)
{
    if (button != 0 && button != 1)
        return false;
    if (!down) {
        if (aiming)
            StopAiming();
        return false;
    }
    // While a button is held on an entity it stays the one clicked.
    EntityClient* clicked =
        aiming && aimKind != kAimMove ? GetInteractionTarget() : Client::PickEntityAt(x, y, this);
    if (button == 1) {
        if (TrySkill(1, clicked)) {
            StartAiming(1);
            return true;
        }
        if (!aiming)
            return false;
        StopAiming();
        return true;
    }
    if (clicked) {
        if (TrySkill(0, clicked))
            StartAiming(0);
        return true;
    }
    SetMoveTarget(Client::ScreenToWorld(x, y, true));
    SetInteractionMode(false, 0, true);
    StartAiming(aimKind);
    return true;
}

void PlayerClient::StartAiming(int32_t kind)
{
    aiming = true;
    aimKind = kind;
    if (gClientApp)
        gClientApp->SetClickHook([this](int32_t heldButton, bool heldDown, int32_t heldX, int32_t heldY) {
            return HandleClick(heldButton, heldDown, heldX, heldY);
        });
}

void PlayerClient::StopAiming()
{
    aiming = false;
    aimKind = kAimMove;
    if (gClientApp)
        gClientApp->SetClickHook(nullptr);
}

void PlayerClient::UpdateAim()
{
    if (!aiming || !gInputSystem)
        return;
    int32_t cursorX = gInputSystem->GetCursorX();
    int32_t cursorY = gInputSystem->GetCursorY();
    if (aimKind != kAimMove) {
        // The held skill repeats once the host has answered its last use and it is ready again.
        const SkillClient* skill = FindClientSkill(0, aimKind);
        if (skill && !skill->pending && skill->IsReady())
            HandleClick(aimKind, true, cursorX, cursorY);
        return;
    }
    WorldPos under = Client::ScreenToWorld(cursorX, cursorY, true);
    if (under.level != moveTarget.level || under.x != moveTarget.x || under.y != moveTarget.y)
        SetMoveTarget(under);
}

bool PlayerClient::CanAttackNow() const
{
    for (const auto& skill : skillList.GetSkills()) {
        const auto* own = dynamic_cast<const SkillClient*>(skill.get());
        if (!own || !own->definition || !own->switchedOn || !own->definition->stopAttacking)
            continue;
        if (own->GetLevel() > 0 || own->definition->basicSkill)
            return false;
    }
    return true;
}

bool PlayerClient::StillWhereItsWindowOpened() const
{
    bool windowAtTarget = (interactionMode >= kPlayerWindowModeFirst && interactionMode <= kPlayerWindowModeLast) ||
                          interactionMode == kPlayerModeTrade ||
                          (interactionMode >= kPlayerModeQuestGiver && interactionMode <= kPlayerWindowModeLastPerson);
    if (!windowAtTarget)
        return true;
    Vector2 moved = modeEnteredAt.DeltaTo(position);
    float reach = kPlayerWindowReachCells * PlayerModesGridSize();
    return moved.x * moved.x + moved.y * moved.y <= reach * reach;
}

bool PlayerClient::TargetWithinReach() const
{
    const EntityClient* target = GetInteractionTarget();
    if (!target)
        return false;
    float grid = PlayerModesGridSize();
    if (position.Distance2D(target->position) - radius - target->radius > 1.5f * grid)
        return false;
    // The line between the two is clear of walls, tested a half cell at a time. It ends at the
    // target's edge: the cells an object stands on (a door's leaf) are no wall between.
    Vector2 delta = position.DeltaTo(target->position);
    float length = std::sqrt(delta.x * delta.x + delta.y * delta.y);
    int32_t steps = static_cast<int32_t>(length / (grid * 0.5f));
    for (int32_t i = 1; gWorld && i < steps; ++i) {
        float t = static_cast<float>(i) / static_cast<float>(steps);
        if ((1.0f - t) * length <= target->radius)
            break;
        if (gWorld->IsCellBlocked(position.Offset(Vector2{delta.x * t, delta.y * t})))
            return false;
    }
    return true;
}
