// NewcomerFightsBench -- a new hero of each playable class at the covenants' Easy and Average difficulty, made on the new-character screen and played through an offscreen window as a newcomer who has read only the README plays: the class's first skill and a healing draught dragged onto the quick-use bar, a walk off the town by clicks on the ground, each monster met clicked on (its pack comes with it), the skill's key pressed whenever its bar allows, the draught's key when health runs low, never a rest, the first quest's target sought first; its fights won and lost, its deaths, and whether the first skill fired in the first fight.
#include "BenchShippedGame.h"
#include "SwappableApplication.h"

#include "app/Application.h"
#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "render/TextEvents.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "client/SkillListClient.h"
#include "core/DatabaseEntry.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "core/SafePointer.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Actor.h"
#include "entities/Door.h"
#include "entities/Player.h"
#include "entities/SkillList.h"
#include "platform/PosixTimerSystem.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/RulesEnums.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "rules/skills/SkillDefinition.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UISkillSlot.h"
#include "world/World.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

constexpr std::array<const char*, 3> kNewcomerClasses = {"Warden", "Emberwright", "Outrider"};
constexpr std::array<const char*, 2> kNewcomerDifficulties = {"Easy", "Average"};
// Two new worlds a class and difficulty, each laid out anew; the smoke run plays the first.
constexpr std::array<uint32_t, 2> kNewcomerSeeds = {20261209, 5150};
constexpr uint64_t kNewcomerFrameMs = 50;
// Five minutes of play a world, the first level or two; the smoke run plays a quarter of one.
constexpr uint64_t kNewcomerPlayMs = 5 * 60 * 1000;
constexpr uint64_t kNewcomerSmokeMs = 15 * 1000;
// A person looks and acts about five times a second: every fourth frame.
constexpr uint64_t kNewcomerReactionFrames = 4;
// A monster this near (world units) is seen and fought; one that comes at the hero is fought wherever.
constexpr float kNewcomerSightRange = 380.0f;
// A walk is clicked a stride ahead on the ground, twice a second, along a way found over the
// movement cells of a window round the hero; a place of a level walked within this much is passed.
constexpr float kNewcomerStride = 180.0f;
constexpr float kNewcomerCell = 32.0f;
constexpr int32_t kNewcomerWayCells = 192;
constexpr float kNewcomerPassed = 220.0f;
// Each level is walked through by the middles of its blocks, this many a side.
constexpr int32_t kNewcomerBlocksAcross = 8;
constexpr uint64_t kNewcomerStrideFrames = 10;
// A monster the hero cannot reach or finish in this long is left for another.
constexpr uint64_t kNewcomerGiveUpMs = 45 * 1000;
// The draught's key below this share of health.
constexpr float kNewcomerDrinkBelow = 0.35f;
// The quick-use places the newcomer fills: the skill on the second key, the draught on the third.
constexpr const char* kNewcomerSkillPlace = "InGame::UseSlot1";
constexpr const char* kNewcomerDraughtPlace = "InGame::UseSlot2";

struct NewcomerTally {
    int wins = 0;
    int deaths = 0;
    // The fights fought while the hero was still level 1.
    int firstLevelWins = 0;
    int firstLevelDeaths = 0;
    int worlds = 0;
    int firstSkillInFirstFight = 0;
    int skillUses = 0;
    int draughtsDrunk = 0;
    int questTargetsKilled = 0;
    int packsOfTwoOrMore = 0;
    double minutesPlayed = 0.0;
    int levelReached = 100;
};

// The whole program in an offscreen 640 x 480 window on a clock that moves a step a frame;
// everything the hero does goes in as SDL mouse and key events.
class NewcomerFights {
public:
    explicit NewcomerFights(uint32_t seed) : folder(BenchShippedGameFolder("emberlode-newcomerfightsbench"))
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("LP_NUM_THREADS", "2", 0);
        std::ofstream(fs::path(folder) / "User" / "user.cfg") << "r_width 640\nr_height 480\n";
        InstallBenchSystems(app, folder, DisplayChoice::kWindow, &now);
        app.GetSystem(SystemSlot::Random).create = [seed] { gRandomSystem = new RandomSystem(seed); };
        gApplication = &app;
        started = app.StartUp();
    }

    ~NewcomerFights()
    {
        app.ShutDown();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    NewcomerFights(const NewcomerFights&) = delete;
    NewcomerFights& operator=(const NewcomerFights&) = delete;

    // The title's New game, the class and the difficulty chosen, a covenant named, Start; then
    // the skill and a draught put on the bar as the README tells. The step that failed, or empty.
    std::string EnterTheWorld(const std::string& className, const std::string& difficulty)
    {
        if (!started)
            return "the shipped game did not start";
        Frames(2);
        if (!ClickWidget("Main::NewGame"))
            return "no New game on the title";
        Frames(2);
        if (!ClickWidget("NewCharacter::Class" + className) || !ClickWidget("NewCharacter::Difficulty" + difficulty) ||
            !ClickWidget("NewCharacter::Covenant"))
            return "the new-character screen lacks the class, the difficulty or the covenant's field";
        TypeKeys("ash");
        if (!ClickWidget("NewCharacter::Start"))
            return "no Start on the new-character screen";
        for (int i = 0; i < 4000 && !Ready(); ++i)
            Frame();
        if (!Ready())
            return "the new character never stood in the world";
        Frames(10);
        town = Hero().position.level;
        if (!PutOnTheBar())
            return "the first skill could not be put on the bar";
        for (const UIMenu* menu : gUISystem->GetMenus())
            if (menu->IsShown())
                everShown.push_back(menu);
        return {};
    }

    // Plays until the time is up: the first quest's target's level first, then the levels round
    // the town, each until it has no monster left.
    void Play(uint64_t playMs, NewcomerTally& tally)
    {
        uint64_t start = now;
        ChooseLevels();
        ++tally.worlds;
        while (now - start < playMs && !plan.empty()) {
            if (Hero().IsDead()) {
                CountDeath(tally);
                Rise();
                continue;
            }
            React(tally);
            Frames(kNewcomerReactionFrames);
            CountKills(tally);
        }
        tally.minutesPlayed += static_cast<double>(now - start) / 60000.0;
        tally.levelReached = std::min(tally.levelReached, Hero().GetStat(CharacterStat::Level));
        tally.firstSkillInFirstFight += firstSkillInFirstFight ? 1 : 0;
    }

private:
    static Player& Hero() { return *BenchHostPlayer(); }
    static PlayerClient& Local() { return *gClientApp->GetLocalPlayer(); }

    static const SkillClient* ClientSkill(int32_t tree, int32_t index)
    {
        return dynamic_cast<const SkillClient*>(Local().GetSkillList().FindSkill(tree, index));
    }

    static bool Ready()
    {
        return BenchHostPlayer() && gClientApp && gClientApp->IsActive() && gClientApp->GetLocalPlayer() &&
               gClientApp->GetLocalPlayer()->GetBody() != nullptr && gUISystem->FindMenu("InGame") &&
               gUISystem->FindMenu("InGame")->IsShown();
    }

    void Frame()
    {
        now += kNewcomerFrameMs;
        app.RunFrame();
        ++frames;
    }

    void Frames(uint64_t count)
    {
        for (uint64_t i = 0; i < count; ++i)
            Frame();
    }

    // ---- Hands -------------------------------------------------------------------------------

    static void PushMotion(int32_t x, int32_t y)
    {
        SDL_Event motion{};
        motion.type = SDL_MOUSEMOTION;
        motion.motion.x = x;
        motion.motion.y = y;
        SDL_PushEvent(&motion);
    }

    void Click(int32_t x, int32_t y)
    {
        PushMotion(x, y);
        Frame();
        for (bool down : {true, false}) {
            SDL_Event button{};
            button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            button.button.button = SDL_BUTTON_LEFT;
            button.button.state = down ? SDL_PRESSED : SDL_RELEASED;
            button.button.x = x;
            button.button.y = y;
            SDL_PushEvent(&button);
            Frame();
        }
    }

    void Tap(SDL_Scancode scancode)
    {
        for (bool down : {true, false}) {
            SDL_Event key{};
            key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            key.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            key.key.keysym.scancode = scancode;
            key.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
            SDL_PushEvent(&key);
            Frame();
        }
    }

    void TypeKeys(const std::string& text)
    {
        for (char c : text)
            Tap(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'a')));
    }

    void ClickOn(const UIWidget& widget)
    {
        Vector2 at = widget.GetScreenPosition();
        Click(static_cast<int32_t>(at.x + widget.size[0] / 2), static_cast<int32_t>(at.y + widget.size[1] / 2));
    }

    bool ClickWidget(const std::string& path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        if (!widget)
            return false;
        ClickOn(*widget);
        return true;
    }

    // A click there may land on the in-game screen's bars and buttons or a window rather than
    // the world: any widget shown there but a backdrop as large as the screen.
    static bool InterfaceAt(int32_t x, int32_t y)
    {
        for (UIMenu* menu : gUISystem->GetMenus()) {
            if (!menu->IsShown())
                continue;
            for (const UIWidget* widget : menu->GetWidgets()) {
                Vector2 at = widget->GetScreenPosition();
                bool screenWide = widget->size[0] >= 600.0f && widget->size[1] >= 400.0f;
                if (!screenWide && widget->IsVisible() && x >= at.x && y >= at.y && x < at.x + widget->size[0] &&
                    y < at.y + widget->size[1])
                    return true;
            }
        }
        return false;
    }

    // A point of the entity's screen box that the client's own pick answers with it and no
    // part of the interface covers.
    static bool PickPoint(const EntityClient& entity, int32_t& x, int32_t& y)
    {
        ScreenBox box = Client::GetEntityScreenBox(entity);
        for (float fy : {0.5f, 0.3f, 0.7f, 0.15f, 0.85f})
            for (float fx : {0.5f, 0.3f, 0.7f, 0.15f, 0.85f}) {
                x = static_cast<int32_t>(box.x1 + (box.x2 - box.x1) * fx);
                y = static_cast<int32_t>(box.y2 + (box.y1 - box.y2) * fy);
                if (x >= 0 && y >= 0 && x < 640 && y < 480 && !InterfaceAt(x, y) &&
                    Client::PickEntityAt(x, y, &Local()) == &entity)
                    return true;
            }
        return false;
    }

    // ---- The bar, as the README tells: drag a skill or a potion onto it ---------------------

    bool PutOnTheBar()
    {
        Tap(SDL_SCANCODE_S);
        Frames(2);
        UISkillSlot* skill = FindSkillSlot(0, 1);
        UIWidget* skillPlace = gUISystem->FindWidgetByPath(kNewcomerSkillPlace);
        if (!skill || !skillPlace)
            return false;
        ClickOn(*skill);
        ClickOn(*skillPlace);
        Tap(SDL_SCANCODE_S);
        Frames(2);
        Tap(SDL_SCANCODE_I);
        Frames(2);
        UIItemSlot* draught = FindCarried("HealingDraught");
        UIWidget* draughtPlace = gUISystem->FindWidgetByPath(kNewcomerDraughtPlace);
        if (draught && draughtPlace) {
            ClickOn(*draught);
            ClickOn(*draughtPlace);
        }
        Tap(SDL_SCANCODE_I);
        Frames(2);
        return true;
    }

    static UISkillSlot* FindSkillSlot(int32_t tree, int32_t index)
    {
        for (const char* name : {"SkillPage1", "SkillPage2", "SkillPage3", "SkillPage4"}) {
            UIMenu* page = gUISystem->FindMenu(name);
            if (!page || !page->IsShown())
                continue;
            for (UIWidget* widget : page->GetWidgets()) {
                auto* slot = dynamic_cast<UISkillSlot*>(widget);
                if (slot && slot->IsVisible() && slot->skillTree == tree && slot->skillIndex == index)
                    return slot;
            }
        }
        return nullptr;
    }

    static UIItemSlot* FindCarried(const char* itemName)
    {
        UIMenu* inventory = gUISystem->FindMenu("Inventory");
        if (!inventory)
            return nullptr;
        for (UIWidget* widget : inventory->GetWidgets()) {
            auto* slot = dynamic_cast<UIItemSlot*>(widget);
            const ItemClient* item = slot ? slot->GetItem() : nullptr;
            if (item && item->GetEntry() && item->GetEntry()->GetName() == itemName)
                return slot;
        }
        return nullptr;
    }

    // Escape first; a window Escape leaves up is shut by its own close button; one that stays
    // even so is left alone.
    bool CloseWindows()
    {
        for (const UIMenu* menu : gUISystem->GetMenus()) {
            if (!menu->IsShown() || std::find(everShown.begin(), everShown.end(), menu) != everShown.end() ||
                menu->name.ends_with("Button"))
                continue;
            if (menu != closing) {
                closing = menu;
                closeTries = 0;
            }
            ++closeTries;
            if (closeTries == 1)
                Tap(SDL_SCANCODE_ESCAPE);
            else if (closeTries == 2 && !ClickWidget(menu->name + "::Close"))
                everShown.push_back(menu);
            else if (closeTries > 2)
                everShown.push_back(menu);
            return true;
        }
        return false;
    }

    // ---- Where to go ------------------------------------------------------------------------

    // The first quest's target's level, then the town's neighbours; each to be walked through by
    // the middles of its blocks, the nearest first.
    void ChooseLevels()
    {
        plan.clear();
        std::vector<int32_t> levels;
        if (const Entity* target = StoryTarget()) {
            questTarget.Set(const_cast<Entity*>(target));
            if (target->position.level != town)
                levels.push_back(target->position.level);
        }
        for (int32_t direction = 0; direction < 8; ++direction) {
            int32_t next = gWorld->GetNeighbourLevel(town, direction);
            if (next != -1 && std::find(levels.begin(), levels.end(), next) == levels.end())
                levels.push_back(next);
        }
        const float width = gGameData->GetTuning().levelWidth;
        for (int32_t level : levels) {
            LevelPlan& walk = plan.emplace_back();
            walk.level = level;
            for (int32_t row = 0; row < kNewcomerBlocksAcross; ++row)
                for (int32_t column = 0; column < kNewcomerBlocksAcross; ++column)
                    walk.places.push_back(WorldPos{level, (column + 0.5f) * width / kNewcomerBlocksAcross,
                                                   (row + 0.5f) * width / kNewcomerBlocksAcross, true});
        }
    }

    static const Entity* StoryTarget()
    {
        for (const auto& quest : gGame->GetQuests().GetList())
            if (quest && quest->definition && quest->definition->questSolvedBit != -1)
                return quest->GetTargetEntity();
        return nullptr;
    }

    static bool IsFoe(const Actor* actor)
    {
        return actor && !actor->IsDead() && !actor->IsPlayer() && !actor->npc &&
               gGame->GetRelationship(actor, BenchHostPlayer()) == 0;
    }

    bool LeftAlone(int32_t number) const
    {
        return std::find(leftAlone.begin(), leftAlone.end(), number) != leftAlone.end();
    }

    // The living monster of the level nearest the hero, by the host's knowledge of where they are.
    Actor* NearestOnLevel(int32_t level) const
    {
        Actor* best = nullptr;
        float bestDistance = 0.0f;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (!IsFoe(actor) || actor->position.level != level || LeftAlone(number))
                continue;
            float distance = actor->position.Distance2D(Hero().position);
            if (!best || distance < bestDistance) {
                best = actor;
                bestDistance = distance;
            }
        }
        return best;
    }

    // ---- One look round and what the hand does --------------------------------------------

    void React(NewcomerTally& tally)
    {
        // A window that came up by itself (a new quest's) is shut as a newcomer shuts it, with
        // Escape, before a click lands on it; the notices' buttons stay.
        if (CloseWindows())
            return;
        Actor* foe = ChooseFoe();
        if (foe) {
            Fight(*foe, tally);
            return;
        }
        engaged = -1;
        WorldPos goal;
        if (!NextGoal(goal))
            return;
        if ((frames / kNewcomerReactionFrames) % (kNewcomerStrideFrames / kNewcomerReactionFrames) == 0)
            WalkToward(goal);
    }

    // Where the walk goes now: the nearest monster of the level being walked through, else the
    // nearest of its places not yet passed; a place or monster not reached in time is left.
    bool NextGoal(WorldPos& goal)
    {
        while (!plan.empty()) {
            LevelPlan& walk = plan.front();
            if (Actor* next = NearestOnLevel(walk.level)) {
                if (GiveUp(next->entityNumber, next->position))
                    leftAlone.push_back(next->entityNumber);
                else {
                    goal = next->position;
                    return true;
                }
                continue;
            }
            const WorldPos here = Hero().position;
            std::erase_if(walk.places, [&here](const WorldPos& place) { return place.Distance2D(here) < kNewcomerPassed; });
            if (walk.places.empty()) {
                plan.erase(plan.begin());
                continue;
            }
            auto nearest = std::min_element(walk.places.begin(), walk.places.end(), [&here](const WorldPos& a, const WorldPos& b) {
                return a.Distance2D(here) < b.Distance2D(here);
            });
            if (GiveUp(-1, *nearest)) {
                walk.places.erase(nearest);
                continue;
            }
            goal = *nearest;
            return true;
        }
        return false;
    }

    // True once the same goal has been walked to for too long.
    bool GiveUp(int32_t number, const WorldPos& place)
    {
        bool same = number == walkingTo && (number != -1 || place.Distance2D(walkingPlace) < 1.0f);
        if (!same) {
            walkingTo = number;
            walkingPlace = place;
            walkingSince = now;
            return false;
        }
        return now - walkingSince > kNewcomerGiveUpMs;
    }

    // The monster coming at the hero, else the nearest one in sight; the one already fought
    // while it lives and is in sight.
    Actor* ChooseFoe()
    {
        auto* current = dynamic_cast<Actor*>(gGame->GetEntity(engaged));
        if (IsFoe(current) && !LeftAlone(engaged) && current->position.Distance2D(Hero().position) < 2 * kNewcomerSightRange)
            return current;
        Actor* best = nullptr;
        float bestDistance = 0.0f;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (!IsFoe(actor) || LeftAlone(number) || !gGameClient->GetEntity(number))
                continue;
            float distance = actor->position.Distance2D(Hero().position);
            bool comingAtMe = actor->GetCurrentTarget() == &Hero();
            if (!comingAtMe && distance > kNewcomerSightRange)
                continue;
            // One coming at the hero counts as nearer than any that is not.
            float rank = comingAtMe ? distance : distance + 10000.0f;
            if (!best || rank < bestDistance) {
                best = actor;
                bestDistance = rank;
            }
        }
        return best;
    }

    void Fight(Actor& foe, NewcomerTally& tally)
    {
        if (foe.entityNumber != engaged) {
            engaged = foe.entityNumber;
            engagedSince = now;
            fightStarted = true;
            CountPack(foe, tally);
        } else if (now - engagedSince > kNewcomerGiveUpMs) {
            leftAlone.push_back(engaged);
            engaged = -1;
            return;
        }
        EntityClient* shown = gGameClient->GetEntity(foe.entityNumber);
        int32_t x = 0;
        int32_t y = 0;
        if (!shown || !PickPoint(*shown, x, y)) {
            if ((frames / kNewcomerReactionFrames) % (kNewcomerStrideFrames / kNewcomerReactionFrames) == 0)
                WalkToward(foe.position);
            return;
        }
        if (DrinkIfLow())
            return;
        // The skill's key at most once a second, as a hand that waits to see what it did; the
        // click again whenever the last blow is done, as a hand clicks on.
        if (now >= nextSkillKey && UseFirstSkill(*shown, x, y, tally)) {
            nextSkillKey = now + 1000;
            return;
        }
        const SkillClient* blow = ClientSkill(0, 0);
        if (Local().GetInteractionTarget() != shown || (blow && !blow->pending && blow->IsReady()))
            Click(x, y);
    }

    // The first skill's key with the cursor on the foe, whenever the bar allows and it is ready.
    bool UseFirstSkill(const EntityClient& shown, int32_t x, int32_t y, NewcomerTally& tally)
    {
        const SkillClient* skill = ClientSkill(0, 1);
        if (!skill || !skill->definition || skill->GetLevel() < 1 || skill->pending || !skill->IsReady())
            return false;
        if (Local().stats.Get(CharacterStat::Power) < skill->GetLevelCost())
            return false;
        float reach = skill->definition->maxRange + 40.0f;
        if (shown.position.Distance2D(Local().GetPosition()) > reach)
            return false;
        PushMotion(x, y);
        Frame();
        Tap(SDL_SCANCODE_2);
        Frames(2);
        ++tally.skillUses;
        return true;
    }

    bool DrinkIfLow()
    {
        const Player& hero = Hero();
        if (hero.maxHealth <= 0 || static_cast<float>(hero.health) > kNewcomerDrinkBelow * hero.maxHealth ||
            now < nextDrink)
            return false;
        nextDrink = now + 2000;
        Tap(SDL_SCANCODE_3);
        return true;
    }

    // A click on open ground a stride along the way to the place: the way found over the
    // movement cells round the hero, as an eye that sees the town's gaps finds it.
    void WalkToward(const WorldPos& place)
    {
        std::vector<WorldPos> way;
        if (!FindWay(place, way))
            way.assign(1, place);
        // The farthest point of the way within a stride that lies on the screen on open ground.
        const WorldPos from = Local().GetPosition();
        for (auto point = way.rbegin(); point != way.rend(); ++point) {
            if (point->Distance2D(from) > kNewcomerStride)
                continue;
            if (ClickGround(*point))
                return;
        }
        if (!way.empty())
            ClickGround(way.front());
    }

    // A click on the ground at the place when it lies on the screen with nothing on it; a door
    // in the way is clicked instead, as the README says, which opens it.
    bool ClickGround(const WorldPos& ground)
    {
        Vector2 at = Client::WorldToScreen(ground, true);
        if (!(at.x >= 0.0f && at.y >= 0.0f && at.x < 640.0f && at.y < 480.0f))
            return false;
        auto x = static_cast<int32_t>(at.x);
        auto y = static_cast<int32_t>(at.y);
        if (InterfaceAt(x, y))
            return false;
        if (EntityClient* picked = Client::PickEntityAt(x, y, &Local())) {
            if (!dynamic_cast<Door*>(gGame->GetEntity(picked->entityNumber)))
                return false;
        }
        Click(x, y);
        return true;
    }

    // A breadth-first search over the movement cells of a window round the hero, to the cell of
    // the place or one beside it; the way's cells from the hero on.
    static bool FindWay(const WorldPos& place, std::vector<WorldPos>& way)
    {
        constexpr int32_t half = kNewcomerWayCells / 2;
        const WorldPos from = Local().GetPosition();
        Vector2 delta = from.DeltaTo(place);
        if (!std::isfinite(delta.x) || !std::isfinite(delta.y))
            return false;
        float reach = static_cast<float>(half - 2) * kNewcomerCell;
        float longest = std::max(std::fabs(delta.x), std::fabs(delta.y));
        if (longest > reach)
            delta = delta * (reach / longest);
        auto cellOf = [](float offset) { return half + static_cast<int32_t>(std::lround(offset / kNewcomerCell)); };
        const int32_t goalX = cellOf(delta.x);
        const int32_t goalY = cellOf(delta.y);
        auto at = [&from](int32_t cx, int32_t cy) {
            return from.Offset(Vector2{static_cast<float>(cx - half) * kNewcomerCell, static_cast<float>(cy - half) * kNewcomerCell});
        };
        // What stands in the way besides the ground: what a body cannot pass (a lifestone, a gate,
        // a townsperson), but the monsters, which come to the hero. Only a cell whose middle it
        // covers: the way is coarse, and the hero's own steps find the gaps beside them.
        std::vector<const EntityClient*> things;
        for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
            const EntityClient* other = gGameClient->GetEntity(number);
            if (other && other != Local().GetBody() && other != &Local() && PlayerClient::BlocksPlayer(*other, 5) &&
                !IsFoe(dynamic_cast<Actor*>(gGame->GetEntity(number))) && other->position.Distance2D(from) < reach * 1.5f)
                things.push_back(other);
        }
        auto isBlocked = [&things](const WorldPos& spot) {
            if (gWorld->IsCellBlocked(spot))
                return true;
            return std::any_of(things.begin(), things.end(), [&spot](const EntityClient* thing) {
                return spot.Distance2D(thing->position) < thing->radius;
            });
        };
        std::vector<int32_t> cameFrom(static_cast<size_t>(kNewcomerWayCells * kNewcomerWayCells), -2);
        std::vector<int32_t> open;
        int32_t start = half * kNewcomerWayCells + half;
        cameFrom[static_cast<size_t>(start)] = -1;
        open.push_back(start);
        int32_t reached = -1;
        for (size_t next = 0; next < open.size() && reached == -1; ++next) {
            int32_t cell = open[next];
            int32_t cx = cell % kNewcomerWayCells;
            int32_t cy = cell / kNewcomerWayCells;
            if (std::abs(cx - goalX) <= 1 && std::abs(cy - goalY) <= 1) {
                reached = cell;
                break;
            }
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    int32_t nx = cx + dx;
                    int32_t ny = cy + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= kNewcomerWayCells || ny >= kNewcomerWayCells)
                        continue;
                    int32_t neighbour = ny * kNewcomerWayCells + nx;
                    if (cameFrom[static_cast<size_t>(neighbour)] != -2)
                        continue;
                    // A diagonal step needs both its sides open, as a body does.
                    bool blocked = isBlocked(at(nx, ny)) ||
                                   (dx != 0 && dy != 0 && (isBlocked(at(cx + dx, cy)) || isBlocked(at(cx, cy + dy))));
                    cameFrom[static_cast<size_t>(neighbour)] = blocked ? -3 : cell;
                    if (!blocked)
                        open.push_back(neighbour);
                }
        }
        if (reached == -1)
            return false;
        way.clear();
        for (int32_t cell = reached; cell != -1; cell = cameFrom[static_cast<size_t>(cell)])
            way.push_back(at(cell % kNewcomerWayCells, cell / kNewcomerWayCells));
        std::reverse(way.begin(), way.end());
        return true;
    }

    // ---- Counting -----------------------------------------------------------------------------

    void CountPack(const Actor& foe, NewcomerTally& tally)
    {
        int coming = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            coming += IsFoe(actor) && actor->position.Distance2D(foe.position) < 250.0f ? 1 : 0;
        }
        tally.packsOfTwoOrMore += coming >= 2 ? 1 : 0;
    }

    void CountKills(NewcomerTally& tally)
    {
        int32_t kills = Hero().statistics.Get(PlayerStatistic::Kills);
        if (kills > lastKills) {
            tally.wins += kills - lastKills;
            tally.firstLevelWins += lastLevel == 1 ? kills - lastKills : 0;
            CloseFirstFight();
        }
        lastKills = kills;
        lastLevel = Hero().GetStat(CharacterStat::Level);
        if (const auto* target = questTarget.GetAs<Entity>(); target && target->IsDead() && !questTargetCounted) {
            questTargetCounted = true;
            ++tally.questTargetsKilled;
        }
    }

    // The first fight ends with the first kill or the first death: was the skill used in it?
    void CloseFirstFight()
    {
        if (firstFightClosed || !fightStarted)
            return;
        firstFightClosed = true;
        const SkillBase* hostSkill = Hero().skillList->FindSkill(0, 1);
        firstSkillInFirstFight = hostSkill && hostSkill->reuseTimer.running;
    }

    void CountDeath(NewcomerTally& tally)
    {
        ++tally.deaths;
        tally.firstLevelDeaths += Hero().GetStat(CharacterStat::Level) == 1 ? 1 : 0;
        CloseFirstFight();
        engaged = -1;
    }

    // The death screen's "Rise again", clicked once it is offered, until the hero stands again.
    void Rise()
    {
        for (int i = 0; i < 4000 && Hero().IsDead(); ++i) {
            UIWidget* button = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
            if (i % 20 == 0 && button && button->IsVisible())
                ClickOn(*button);
            else
                Frame();
        }
        Frames(10);
    }

    std::string folder;
    SwappableApplication app;
    bool started = false;
    uint64_t now = 0;
    uint64_t frames = 0;
    int32_t town = -1;
    // A level to walk through and the places of it not yet passed.
    struct LevelPlan {
        int32_t level = -1;
        std::vector<WorldPos> places;
    };
    std::vector<LevelPlan> plan;
    std::vector<int32_t> leftAlone;
    // The menus up once the hero stood in the world with its bar filled: the in-game screen's.
    std::vector<const UIMenu*> everShown;
    const UIMenu* closing = nullptr;
    int closeTries = 0;
    int32_t engaged = -1;
    uint64_t engagedSince = 0;
    int32_t walkingTo = -1;
    WorldPos walkingPlace;
    uint64_t walkingSince = 0;
    uint64_t nextDrink = 0;
    uint64_t nextSkillKey = 0;
    int32_t lastKills = 0;
    int32_t lastLevel = 1;
    bool fightStarted = false;
    bool firstFightClosed = false;
    bool firstSkillInFirstFight = false;
    SafePointer questTarget;
    bool questTargetCounted = false;
};

// The minutes a world is played: "NEWCOMER_MINUTES" when set, for a longer or a shorter look.
uint64_t PlayMs()
{
    const char* minutes = std::getenv("NEWCOMER_MINUTES");
    int chosen = minutes ? std::atoi(minutes) : 0;
    return chosen > 0 ? static_cast<uint64_t>(chosen) * 60000u : kNewcomerPlayMs;
}

void NewcomerFightsOfAClass(benchmark::State& state)
{
    std::string className = kNewcomerClasses[static_cast<size_t>(state.range(0))];
    std::string difficulty = kNewcomerDifficulties[static_cast<size_t>(state.range(1))];
    state.SetLabel(className + " " + difficulty);
    NewcomerTally tally;
    bool smoke = std::getenv("EMBERLODE_BENCH_SMOKE") != nullptr;
    for (auto _ : state) {
        for (size_t world = 0; world < (smoke ? 1 : kNewcomerSeeds.size()); ++world) {
            NewcomerFights game(kNewcomerSeeds[world]);
            if (std::string failed = game.EnterTheWorld(className, difficulty); !failed.empty()) {
                state.SkipWithError(failed.c_str());
                return;
            }
            game.Play(smoke ? kNewcomerSmokeMs : PlayMs(), tally);
        }
    }
    int fights = tally.wins + tally.deaths;
    state.counters["won"] = tally.wins;
    state.counters["lost"] = tally.deaths;
    state.counters["win_rate"] = fights > 0 ? static_cast<double>(tally.wins) / fights : 0.0;
    state.counters["deaths"] = tally.deaths;
    state.counters["level1_won"] = tally.firstLevelWins;
    state.counters["level1_lost"] = tally.firstLevelDeaths;
    // In how many of the worlds the first skill's key made the host use it before the first kill or death.
    state.counters["first_skill_in_first_fight"] = tally.firstSkillInFirstFight;
    state.counters["worlds"] = tally.worlds;
    state.counters["skill_keys"] = tally.skillUses;
    state.counters["packs_met"] = tally.packsOfTwoOrMore;
    state.counters["quest_targets_killed"] = tally.questTargetsKilled;
    state.counters["minutes_played"] = tally.minutesPlayed;
    state.counters["level_reached"] = tally.levelReached;
}

} // namespace

BENCHMARK(NewcomerFightsOfAClass)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
