// SkillBarEndToEndTest -- the shipped game in a new world, driven by keys, presses and motion pushed through SDL: a skill dragged from the skills window lands on the bar, its key with the cursor on a monster is used on that monster, a held use turns the player only while it stands and only to an enemy, and a thing carried on the cursor goes back when its window closes or an editor opens.
#include "app/OffscreenShots.h"

#include "client/ClientMessages.h"
#include "client/EntityClient.h"
#include "client/SkillListClient.h"
#include "core/MathUtil.h"
#include "core/Vector.h"
#include "entities/SkillList.h"
#include "render/TextEvents.h"
#include "rules/RulesEnums.h"
#include "rules/skills/SkillDefinition.h"
#include "ui/widgets/UISkillSlot.h"
#include "ui/widgets/UIUseSlot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

class SkillBarEndToEnd : public NewWorldShotGame {
protected:
    // A press at one place, motion to another and the release there, as a hand drags.
    void Drag(const UIWidget& from, const UIWidget& to)
    {
        auto [x0, y0] = CentreOf(from);
        auto [x1, y1] = CentreOf(to);
        PushMotion(x0, y0);
        Frames(1);
        PushMouse(SDL_MOUSEBUTTONDOWN, x0, y0);
        Frames(1);
        PushMotion((x0 + x1) / 2, (y0 + y1) / 2);
        Frames(1);
        PushMotion(x1, y1);
        Frames(1);
        PushMouse(SDL_MOUSEBUTTONUP, x1, y1);
        Frames(2);
    }

    // The goblin set a step east of the player (or at the offset given), the cursor on it; null
    // when the client never answers the cursor with it.
    EntityClient* GoblinUnderTheCursor(Actor*& goblin, const Vector2& offset = Vector2{70.0f, 0.0f})
    {
        ClearTheStage();
        goblin = AddGoblin(offset);
        EntityClient* shown = goblin ? MirrorOf(*goblin) : nullptr;
        if (!shown)
            return nullptr;
        Frames(2);
        int32_t x = 0;
        int32_t y = 0;
        if (!FindPickPoint(*shown, x, y))
            return nullptr;
        PushMotion(x, y);
        Frames(2);
        return gClientApp->GetHoverEntity() == shown ? shown : nullptr;
    }

    // The Cleave dragged from the skills window onto the bar's third place, the window shut again.
    bool CleaveOnTheBar() { return EnemySkillOnTheBar("$$SkillWardenCleave$$"); }

    // The same for the first known skill for enemies (KnownEnemySkill); false when there is none.
    bool EnemySkillOnTheBar(const std::string& wanted = "")
    {
        Tap(SDL_SCANCODE_S);
        Frames(2);
        UISkillSlot* source = KnownEnemySkill(wanted);
        if (!source)
            return false;
        Drag(*source, *gUISystem->FindWidgetByPath("InGame::UseSlot2"));
        Tap(SDL_SCANCODE_S);
        Frames(2);
        return true;
    }

    // The first skill of the skills window's pages that the new character knows and that needs an
    // enemy; of that name when one is given.
    static UISkillSlot* KnownEnemySkill(const std::string& wanted = "")
    {
        for (const char* name : {"SkillPage1", "SkillPage2", "SkillPage3", "SkillPage4"}) {
            UIMenu* page = gUISystem->FindMenu(name);
            if (!page)
                continue;
            for (UIWidget* widget : page->GetWidgets()) {
                auto* slot = dynamic_cast<UISkillSlot*>(widget);
                SkillClient* skill = slot && slot->IsVisible() ? slot->FindSkill() : nullptr;
                if (skill && skill->definition && skill->definition->needsEnemy && skill->GetLevel() > 0 &&
                    (wanted.empty() || skill->definition->name == wanted))
                    return slot;
            }
        }
        return nullptr;
    }
};

} // namespace

// The skill dragged onto the bar's third place sits there; its key, pressed with the cursor on
// a goblin beside the player, turns on the goblin instead of asking for an enemy.
TEST_F(SkillBarEndToEnd, ADraggedSkillLandsOnTheBarAndItsKeyTakesTheMonsterUnderTheCursor)
{
    Tap(SDL_SCANCODE_S);
    Frames(2);
    ASSERT_TRUE(Shown("Skills"));
    UISkillSlot* source = KnownEnemySkill();
    ASSERT_NE(source, nullptr) << "a new character knows a skill for enemies";
    auto* place = dynamic_cast<UIUseSlot*>(gUISystem->FindWidgetByPath("InGame::UseSlot2"));
    ASSERT_NE(place, nullptr);
    Drag(*source, *place);
    auto* placed = dynamic_cast<UISkillSlot*>(place->GetContent());
    ASSERT_NE(placed, nullptr) << "the dragged skill reached the bar";
    EXPECT_EQ(placed->skillTree, source->skillTree);
    EXPECT_EQ(placed->skillIndex, source->skillIndex);
    EXPECT_EQ(gUISystem->dragWidget, nullptr) << "nothing stays on the cursor";
    Tap(SDL_SCANCODE_S);
    Frames(2);
    ASSERT_FALSE(Shown("Skills"));

    ClearTheStage();
    Actor* goblin = AddGoblin(Vector2{70.0f, 0.0f});
    ASSERT_NE(goblin, nullptr);
    EntityClient* shown = MirrorOf(*goblin);
    ASSERT_NE(shown, nullptr);
    Frames(2);
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(FindPickPoint(*shown, x, y));
    PushMotion(x, y);
    Frames(2);
    ASSERT_EQ(gClientApp->GetHoverEntity(), shown);
    // The key's skill goes to the goblin under the cursor: it lands when the goblin stands within
    // its reach, else the player goes at the goblin to use it there. A blow may miss: the key is
    // pressed again.
    int32_t full = goblin->health;
    auto wentToTheGoblin = [&] {
        return goblin->health < full ||
               (Local()->GetInteractionTarget() == shown && Local()->GetInteractionMode() == PlayerClient::kModeAttack);
    };
    for (int press = 0; press < 3 && !wentToTheGoblin(); ++press) {
        Tap(SDL_SCANCODE_3);
        FramesUntil(wentToTheGoblin, 60);
    }
    const TextEvents::Record* told = gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId);
    std::string refusal = told ? told->text : std::string();
    EXPECT_EQ(refusal.find("NeedAnEnemy"), std::string::npos) << refusal;
    EXPECT_TRUE(wentToTheGoblin()) << "the key's skill went to the goblin under the cursor";
    // Well within the skill's reach (the client asks no facing), the key's use goes out at once
    // and the world host's answer starts its cooldown on the bar.
    SkillClient* used = placed->FindSkill();
    ASSERT_NE(used, nullptr);
    FramesUntil([&] { return used->GetRemainingReuseTime() > 0.0f; }, 60);
    EXPECT_GT(used->GetRemainingReuseTime(), 0.0f) << "the skill was used, its cooldown running";
}

// The Warden's Cleave on the bar, its key pressed on a goblin a step away whichever way the
// the player last faced on the host: the blow lands.
TEST_F(SkillBarEndToEnd, TheCleavesKeyOnAGoblinBesideThePlayerHurtsIt)
{
    Player* player = HostPlayer();
    SkillBase* cleave = player->skillList->FindSkillByName("SkillWardenCleave");
    if (!cleave)
        GTEST_SKIP() << "the new character is no Warden";
    ASSERT_GT(cleave->GetLevel(), 0);
    ASSERT_TRUE(CleaveOnTheBar());
    ASSERT_FALSE(Shown("Skills"));
    Actor* goblin = nullptr;
    EntityClient* shown = GoblinUnderTheCursor(goblin);
    ASSERT_NE(shown, nullptr);
    int32_t full = goblin->health;
    Tap(SDL_SCANCODE_3);
    FramesUntil([&] { return goblin->health < full; }, 120);
    EXPECT_LT(goblin->health, full);
}

// The player walks east and stands; a goblin then stands against it behind, beside or ahead:
// the Cleave's key with the cursor on the goblin turns the player to it and the blow lands. The
// player, already within a cell of the goblin, takes no step toward it; the use used to wait
// for ever for a goblin outside the way the player last walked.
TEST_F(SkillBarEndToEnd, TheCleavesKeyTurnsAStandingPlayerToAGoblinOnAnySideAndHurtsIt)
{
    Player* player = HostPlayer();
    if (!player->skillList->FindSkillByName("SkillWardenCleave"))
        GTEST_SKIP() << "the new character is no Warden";
    ASSERT_TRUE(CleaveOnTheBar());
    struct Side {
        const char* name;
        Vector2 offset;
    };
    for (const Side& side : {Side{"behind", {-30.0f, 0.0f}}, Side{"to the left", {0.0f, 30.0f}},
                             Side{"to the right", {0.0f, -30.0f}}, Side{"ahead", {30.0f, 0.0f}}}) {
        SCOPED_TRACE(side.name);
        ClearTheStage();
        Vector2 east = Client::WorldToScreen(Local()->GetPosition().Offset(Vector2{120.0f, 0.0f}), true);
        ClickAt(static_cast<int32_t>(east.x), static_cast<int32_t>(east.y));
        FramesUntil([] { return !Local()->IsMoving(); }, 60);
        Actor* goblin = nullptr;
        EntityClient* shown = GoblinUnderTheCursor(goblin, side.offset);
        ASSERT_NE(shown, nullptr);
        int32_t full = goblin->health;
        // A blow may miss, as any blow may; the key is pressed again once the skill is ready.
        for (int press = 0; press < 3 && goblin->health == full; ++press) {
            Tap(SDL_SCANCODE_3);
            FramesUntil([&] { return goblin->health < full; }, 60);
        }
        const TextEvents::Record* told = gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId);
        EXPECT_LT(goblin->health, full) << "the Cleave's key on a goblin " << side.name << ": "
                                        << (told ? told->text : std::string("no refusal"));
        // The Cleave's reuse time runs out before the next side.
        Frames(110);
    }
}

// A skill's key on a goblin out of reach sends the player at it with the use held; a click on the
// ground away from it then walks the player off facing the way it walks, in every frame of the
// walk, and standing again with the use still held it faces the goblin. Once the goblin has
// fallen, the key with nothing under the cursor leaves the player facing as it stood: a corpse left
// chosen is no target the use takes.
TEST_F(SkillBarEndToEnd, AHeldUseTurnsThePlayerOnlyWhileItStandsAndOnlyToAnEnemy)
{
    ASSERT_TRUE(EnemySkillOnTheBar());

    ClearTheStage();
    Frames(2);
    // A way over open ground: the screen points of the walks along it (and one beside the player
    // for the cursor) pick nothing, so that each click is a click on the ground.
    auto screenAt = [](const Vector2& offset) {
        Vector2 at = Client::WorldToScreen(Local()->GetPosition().Offset(offset), true);
        return std::array<int32_t, 2>{static_cast<int32_t>(at.x), static_cast<int32_t>(at.y)};
    };
    auto open = [&](const Vector2& offset) {
        auto [x, y] = screenAt(offset);
        return x > 20 && x < 620 && y > 20 && y < 380 && !Client::PickEntityAt(x, y, Local());
    };
    Vector2 way;
    Vector2 side;
    for (Vector2 candidate : {Vector2{1.0f, 0.0f}, Vector2{0.0f, 1.0f}, Vector2{-1.0f, 0.0f}, Vector2{0.0f, -1.0f}}) {
        bool clear = true;
        for (float along : {120.0f, 160.0f, 200.0f, 220.0f})
            clear = clear && open(candidate * along);
        for (Vector2 beside : {Vector2{-candidate.y, candidate.x}, Vector2{candidate.y, -candidate.x}})
            if (clear && way.x == 0.0f && way.y == 0.0f && open(candidate * 220.0f + beside * 100.0f)) {
                way = candidate;
                side = beside;
            }
    }
    ASSERT_TRUE(way.x != 0.0f || way.y != 0.0f) << "no open ground beside the player";

    Actor* goblin = nullptr;
    EntityClient* shown = GoblinUnderTheCursor(goblin, way * -220.0f);
    ASSERT_NE(shown, nullptr);
    Tap(SDL_SCANCODE_3);
    Frames(2);
    ASSERT_EQ(Local()->GetInteractionTarget(), shown);
    ASSERT_EQ(Local()->GetInteractionMode(), PlayerClient::kModeAttack) << "the use waits for the goblin's reach";
    ASSERT_GE(Local()->pendingTree, 0);
    // The goblin stands still where it is, out of the use's reach.
    goblin->SetPosition(HostPlayer()->position.Offset(way * -220.0f));

    // The facing lies within a right angle of the direction given (a walk's last turn onto its
    // target may stand square to the way walked; the goblin lies straight back along it).
    auto facesAlong = [](const Vector2& direction) {
        float off = (DirectionToAngle(Local()->facing) - Vector2Angle(direction)) * 3.14159265f / 180.0f;
        return std::cos(off) > -0.01f;
    };
    auto walkOff = [&](float along) {
        auto [x, y] = screenAt(way * along);
        ClickAt(x, y);
        int walked = 0;
        for (int frame = 0; frame < 120 && Local()->IsMoving(); ++frame) {
            WorldPos before = Local()->GetPosition();
            Frame();
            Vector2 step = before.DeltaTo(Local()->GetPosition());
            if (step.x * step.x + step.y * step.y < 0.25f)
                continue;
            ++walked;
            EXPECT_TRUE(facesAlong(way)) << "frame " << frame << ": facing " << Local()->facing << " walking ("
                                         << step.x << ", " << step.y << ")";
        }
        EXPECT_GT(walked, 3) << "the player walked";
        EXPECT_EQ(Local()->GetInteractionMode(), 0) << "a click on the ground";
    };

    walkOff(160.0f);
    Frames(3);
    ASSERT_GE(Local()->pendingTree, 0) << "the use is still held";
    Vector2 toGoblin = Local()->GetPosition().DeltaTo(shown->position);
    EXPECT_EQ(Local()->facing, AngleToDirection(Vector2Angle(toGoblin))) << "standing, it faces the goblin";

    goblin->TakeDamage(goblin->health + 1000, nullptr, false, true);
    FramesUntil([&] { return shown->IsDead(); });
    ASSERT_TRUE(shown->IsDead());
    ASSERT_EQ(Local()->GetInteractionTarget(), shown) << "the fallen goblin stays chosen";
    walkOff(60.0f);
    Frames(3);
    EXPECT_TRUE(facesAlong(way)) << "standing by a corpse, the player turned to it";
    int32_t stood = Local()->facing;
    auto [x, y] = screenAt(side * 100.0f);
    PushMotion(x, y);
    Frames(2);
    ASSERT_EQ(gClientApp->GetHoverEntity(), nullptr);
    Tap(SDL_SCANCODE_3);
    Frames(4);
    EXPECT_EQ(Local()->facing, stood) << "the key turned the player to the corpse";
}

// A living townsperson left chosen is no enemy either: the weaponsmith chosen by a click (its
// window shut again), then the player walked off from it by a click on the ground; the key with
// nothing under the cursor leaves the player facing away from it, as it stood.
TEST_F(SkillBarEndToEnd, AHeldUseLeavesThePlayerFacingAwayFromALivingTownspersonChosen)
{
    ASSERT_TRUE(EnemySkillOnTheBar());
    auto* smith = dynamic_cast<Actor*>(gGame->GetTownNpc(NpcType::VendorWeapon));
    ASSERT_NE(smith, nullptr);
    EntityClient* townsperson = BesideThePlayer(*smith);
    ASSERT_NE(townsperson, nullptr);
    ClickOn(*townsperson);
    FramesUntil([] { return Shown("VendorMenu") || Shown("VendorMenuWithQuests"); }, 80);
    ASSERT_TRUE(Shown("VendorMenu") || Shown("VendorMenuWithQuests"));
    // The inventory opened beside the trader's window shuts first.
    for (int i = 0; i < 3 && (Shown("VendorMenu") || Shown("VendorMenuWithQuests")); ++i)
        Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_FALSE(Shown("VendorMenu") || Shown("VendorMenuWithQuests"));
    ASSERT_FALSE(Shown("Inventory"));
    {
        Vector2 away = smith->position.DeltaTo(HostPlayer()->position);
        away = away * (1.0f / std::max(0.01f, std::sqrt(away.x * away.x + away.y * away.y)));
        // Open ground away from the smith, straight back or at most square to it.
        std::array<int32_t, 2> ground{-1, -1};
        for (float turn : {0.0f, 0.7854f, -0.7854f, 1.5708f, -1.5708f}) {
            Vector2 way{away.x * std::cos(turn) - away.y * std::sin(turn), away.x * std::sin(turn) + away.y * std::cos(turn)};
            Vector2 at = Client::WorldToScreen(Local()->GetPosition().Offset(way * 90.0f), true);
            auto x = static_cast<int32_t>(at.x);
            auto y = static_cast<int32_t>(at.y);
            if (ground[0] < 0 && x > 20 && x < 620 && y > 20 && y < 380 && !Client::PickEntityAt(x, y, Local()))
                ground = {x, y};
        }
        ASSERT_GE(ground[0], 0) << "no open ground away from the smith";
        ClickAt(ground[0], ground[1]);
        FramesUntil([] { return !Local()->IsMoving(); }, 120);
        Frames(2);
        ASSERT_EQ(Local()->GetInteractionMode(), 0) << "a click on the ground";
        ASSERT_EQ(Local()->GetInteractionTarget(), townsperson);
        ASSERT_TRUE(townsperson->IsAlive());
        Vector2 toSmith = Local()->GetPosition().DeltaTo(townsperson->position);
        int32_t stood = Local()->facing;
        ASSERT_NE(stood, AngleToDirection(Vector2Angle(toSmith))) << "walked off, it faces away";
        bool clear = false;
        for (auto [x, y] : {std::array<int32_t, 2>{60, 60}, {580, 60}, {60, 340}, {580, 340}})
            if (!clear) {
                PushMotion(x, y);
                Frames(2);
                clear = gClientApp->GetHoverEntity() == nullptr;
            }
        ASSERT_TRUE(clear) << "no point of the screen's corners lies on nothing";
        ASSERT_EQ(Local()->facing, stood);
        Tap(SDL_SCANCODE_3);
        Frames(4);
        EXPECT_EQ(Local()->facing, stood) << "the key turned the player to the townsperson";
    }
}

// An item picked up from the bag goes back to its cell when the bag's window closes, and a skill
// picked up from the skills window when the area editor opens: neither stays on the cursor to be
// dropped into the world by the next click.
TEST_F(SkillBarEndToEnd, AThingOnTheCursorGoesBackWhenItsWindowClosesOrAnEditorOpens)
{
    Tap(SDL_SCANCODE_I);
    Frames(2);
    ASSERT_TRUE(Shown("Inventory"));
    UIWidget* cell = gUISystem->FindWidgetByPath("Inventory::Bag1Cell0");
    ASSERT_NE(cell, nullptr);
    const ItemBase* held = HostPlayer()->inventory->GetItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(held, nullptr);
    ClickOn(*cell);
    ASSERT_EQ(gUISystem->dragWidget, cell) << "picked up";
    Tap(SDL_SCANCODE_I);
    Frames(2);
    ASSERT_FALSE(Shown("Inventory"));
    EXPECT_EQ(gUISystem->dragWidget, nullptr) << "the item stays on the cursor with its window closed";
    ClickAt(320, 200);
    Frames(4);
    EXPECT_EQ(HostPlayer()->inventory->GetItem(InventoryGroupIndex::Bag1, 0), held) << "the item left its cell";

    Tap(SDL_SCANCODE_S);
    Frames(2);
    UISkillSlot* skill = KnownEnemySkill();
    ASSERT_NE(skill, nullptr);
    ClickOn(*skill);
    ASSERT_EQ(gUISystem->dragWidget, skill);
    TypeOnConsole("editor 1");
    Frames(2);
    ASSERT_TRUE(Shown("Editor"));
    EXPECT_EQ(gUISystem->dragWidget, nullptr) << "the skill stays on the cursor over the editor";
    TypeOnConsole("editor 0");
    Frames(2);
}
