// PlayThroughTest -- one whole game played through the shipped program's own screens by SDL input alone: a profile and a character made on the title screens, a walk in the town, a hunt taken from a quest giver, an item sold to a trader and bought back, a walk into the next level, a door opened and shut, a chest opened and its loot taken, a fight won with the default attack and the quick-use bar that advances the hunt, a potion drunk, armour taken off and worn again, points spent after a level up, the relations screen and a gift offered to a rival through the trade window, death and resurrection, then save and exit and a second run that resumes the same world.
#include "play/PlayThroughGame.h"

#include "core/Database.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "core/SafePointer.h"
#include "core/UserVarSystem.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/EntityQuest.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/RulesEnums.h"
#include "entities/SkillList.h"
#include "entities/Vendor.h"
#include "render/TextEvents.h"
#include "rules/skills/SkillBase.h"
#include "client/GameClient.h"
#include "client/QuestClient.h"
#include "client/TradeWindow.h"
#include "client/ClientMessages.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "ui/widgets/UIStatValue.h"
#include "ui/widgets/UIUseSlot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The player's interaction modes that a click on a trader and on a quest giver enter.
constexpr int32_t kTradingMode = 22;
constexpr int32_t kQuestGiverMode = 24;

constexpr int32_t kCarriedBags[] = {InventoryGroupIndex::Bag1, InventoryGroupIndex::Bag2, InventoryGroupIndex::Bag3,
                                    InventoryGroupIndex::Bag4};

// What the second run must find as the first left it.
struct KeptGame {
    std::string name;
    int32_t level = 0;
    int32_t xp = 0;
    int32_t strength = 0;
    WorldPos position;
    std::vector<uint8_t> inventory;
    std::vector<int32_t> explored;
    uint32_t worldSeed = 0;
};

class PlayThrough : public PlayThroughGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    static std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }

    static int32_t Carried(const Player& player)
    {
        int32_t count = 0;
        for (int32_t bag : kCarriedBags)
            count += player.inventory->CountItems(bag);
        return count;
    }

    // Every unit carried in the bags: an item picked up onto a stack of its kind adds to the
    // stack, not to the count of items.
    static int32_t CarriedUnits(const Player& player)
    {
        int32_t units = 0;
        for (int32_t bag : kCarriedBags)
            for (int32_t slot = 0; slot < player.inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = player.inventory->GetItem(bag, slot))
                    units += item->GetStackCount();
        return units;
    }

    // The figure a stat widget of a shipped menu shows; -1 without the widget.
    static int32_t ShownStat(const char* path)
    {
        auto* widget = dynamic_cast<UIStatValue*>(gUISystem->FindWidgetByPath(path));
        return widget ? widget->GetValue() : -1;
    }

    static int LitPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                count += p[0] + p[1] + p[2] > 300;
            }
        return count;
    }

    static int RedPixels(const TargaImage& image, int x0, int y0, int x1, int y1)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                count += p[0] > 120 && p[0] > 2 * p[1] && p[0] > 2 * p[2];
            }
        return count;
    }

    // A message shown to the player (log, notice or refusal) that holds the text.
    static bool MessageShown(const std::string& text)
    {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.text.find(text) != std::string::npos)
                return true;
        return false;
    }

    // The nearest living creature of the world host hostile to the player and in sight of it, on
    // the player's level; one away from the level's north and east edges while there is any.
    Actor* NearestMonster() const
    {
        Actor* inside = NearestMonster(true);
        return inside ? inside : NearestMonster(false);
    }

    Actor* NearestMonster(bool awayFromEdges) const
    {
        Player* host = HostPlayer();
        Actor* best = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            // The quest's prey first, as a player on a hunt would choose: wild beasts that leave
            // a passer-by alone are hunted too.
            bool prey = actor && hunted && actor->GetMonsterType() == hunted;
            int32_t relation = actor ? gGame->GetRelationship(actor, host) : -1;
            // One lying hidden is not on the screen for a player to pick.
            if (!actor || actor->IsDead() || (actor->flags & EntityFlag::Hidden) ||
                actor->position.level != host->position.level || actor->IsPlayer() ||
                (awayFromEdges && !AwayFromNorthAndEastEdges(actor->position)) ||
                !(relation == 0 || (prey && relation == 1)))
                continue;
            bool bestPrey = best && hunted && best->GetMonsterType() == hunted;
            bool nearer = !best || actor->position.Distance2D(host->position) < best->position.Distance2D(host->position);
            if (!best || (prey && !bestPrey) || (prey == bestPrey && nearer))
                best = actor;
        }
        return best;
    }

    // The nearest closed chest that needs no key, leaving out those the player could not reach.
    static Chest* NearestClosedChest(const std::vector<int32_t>& unreached)
    {
        Player* host = HostPlayer();
        Chest* best = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* chest = dynamic_cast<Chest*>(gGame->GetEntity(number));
            if (!chest || !chest->IsClosed() || !chest->requiredKey.empty() ||
                chest->position.level != host->position.level || !AwayFromNorthAndEastEdges(chest->position) ||
                std::find(unreached.begin(), unreached.end(), number) != unreached.end())
                continue;
            if (!best || chest->position.Distance2D(host->position) < best->position.Distance2D(host->position))
                best = chest;
        }
        return best;
    }

    // The nearest closed door on the player's level that needs no key and is no secret,
    // leaving out those the player could not reach.
    static Door* NearestClosedDoor(const std::vector<int32_t>& unreached)
    {
        Player* host = HostPlayer();
        Door* best = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* door = dynamic_cast<Door*>(gGame->GetEntity(number));
            if (!door || !door->IsPrimary() || door->GetState() != DoorState::Closed || !door->requiredKey.empty() ||
                door->secret || door->position.level != host->position.level ||
                !AwayFromNorthAndEastEdges(door->position) ||
                std::find(unreached.begin(), unreached.end(), number) != unreached.end())
                continue;
            if (!best || door->position.Distance2D(host->position) < best->position.Distance2D(host->position))
                best = door;
        }
        return best;
    }

    // Clicks on each item and coin lying within the radius of the place until none is left;
    // how many were taken. Those no point of the screen picks are counted as hidden.
    int32_t PickUpAround(const WorldPos& place, float radius, int32_t* hidden = nullptr)
    {
        int32_t taken = 0;
        for (int32_t tries = 0; tries < 30; ++tries) {
            EntityClient* loot = NearestOnClient([&place, radius](const EntityClient& entity) {
                return (entity.isItem || entity.moneyAmount > 0) && entity.IsReadyToTake() &&
                       entity.position.Distance2D(place) <= radius;
            });
            if (!loot)
                break;
            int32_t number = loot->entityNumber;
            if (!ClickEntity(*loot)) {
                // A corpse fallen on it may outweigh it under the cursor: near enough to see it,
                // the player waits a while for the corpse to fade, else walks nearer.
                if (Local()->GetPosition().Distance2D(loot->position) < 200.0f) {
                    int32_t x = 0;
                    int32_t y = 0;
                    if (!FramesUntil(100, [number, &x, &y] {
                            const EntityClient* still = gGameClient->GetEntity(number);
                            return !still || FindPickPoint(*still, x, y);
                        })) {
                        if (hidden)
                            ++*hidden;
                        break;
                    }
                } else {
                    WalkTo(loot->position, 80.0f);
                }
                continue;
            }
            taken += FramesUntil(60, [number] { return gGameClient->GetEntity(number) == nullptr; }) ? 1 : 0;
        }
        return taken;
    }

    // Left clicks on the monster, the first skill's key now and then with the cursor on it,
    // until it dies; whether the key's skill hurt it.
    bool FightUntilDead(Actor& monster, bool& skillHurt, WorldPos& fell)
    {
        SafePointer watched;
        watched.Set(&monster);
        auto alive = [&watched] {
            const auto* still = watched.GetAs<Actor>();
            return still && !still->IsDead();
        };
        int32_t number = monster.entityNumber;
        for (int32_t round = 0; round < 160 && alive(); ++round) {
            fell = watched.GetAs<Actor>()->position;
            const EntityClient* shown = gGameClient->GetEntity(number);
            int32_t uiX = 0;
            int32_t uiY = 0;
            if (!shown || !FindPickPoint(*shown, uiX, uiY)) {
                if (shown)
                    ClickToward(shown->position);
                Frames(6);
                continue;
            }
            bool inReach = Local()->GetPosition().Distance2D(shown->position) < 60.0f;
            if (inReach && !skillHurt && round % 3 == 2) {
                int32_t before = watched.GetAs<Actor>()->health;
                PushMotion(uiX, uiY);
                Frames(1);
                Tap(SDL_SCANCODE_1);
                Frames(12);
                skillHurt = !alive() || watched.GetAs<Actor>()->health < before;
                continue;
            }
            ClickAt(uiX, uiY);
            Frames(8);
        }
        return !alive();
    }

    // A player struck down in a fight presses the death screen's button and waits to rise.
    void RiseIfFallen()
    {
        UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
        if (!HostPlayer()->IsDead() && !(rise && rise->IsVisible()))
            return;
        FramesUntil(40, [rise] { return rise && rise->IsVisible(); });
        ClickAt(320, 330);
        WaitUntil(240, [rise] { return HostPlayer()->health > 0 && !rise->IsVisible(); });
        Frames(10);
    }

    // A press on one widget of a shipped menu, at its middle.
    void ClickWidget(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(widget, nullptr) << path;
        ClickAt(static_cast<int32_t>(widget->GetScreenPosition().x + widget->size[0] / 2),
                static_cast<int32_t>(widget->GetScreenPosition().y + widget->size[1] / 2));
    }

    // Two presses: the first picks the item of one slot up, the second lays it in the other.
    void Drag(const char* from, const char* to)
    {
        ClickWidget(from);
        ClickWidget(to);
        Frames(4);
    }

    void RightClickWidget(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(widget, nullptr) << path;
        auto x = static_cast<int32_t>(widget->GetScreenPosition().x + widget->size[0] / 2);
        auto y = static_cast<int32_t>(widget->GetScreenPosition().y + widget->size[1] / 2);
        PushMotion(x, y);
        Frames(1);
        for (bool down : {true, false}) {
            SDL_Event button{};
            button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            button.button.button = SDL_BUTTON_RIGHT;
            button.button.x = x;
            button.button.y = y;
            ASSERT_EQ(SDL_PushEvent(&button), 1);
            Frames(1);
        }
    }

    // Walks up to the entity and clicks on it until the player's interaction mode is the one the
    // click opens; whether it was reached. Town folk wander, so each try looks where it stands now.
    bool TalkTo(const Entity& entity, int32_t mode)
    {
        for (int32_t click = 0; click < 8 && Local()->interactionMode != mode; ++click) {
            const EntityClient* shown = gGameClient->GetEntity(entity.entityNumber);
            if (!shown)
                return false;
            if (Local()->GetPosition().Distance2D(shown->position) > 160.0f || !ClickEntity(*shown)) {
                WalkTo(shown->position, 120.0f);
                continue;
            }
            FramesUntil(60, [mode] { return Local()->interactionMode == mode; });
        }
        return Local()->interactionMode == mode;
    }

    // The town's trader nearest to the player: not the gambler, not the guards' quartermaster.
    static Vendor* NearestTrader()
    {
        Player* host = HostPlayer();
        Vendor* best = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* vendor = dynamic_cast<Vendor*>(gGame->GetEntity(number));
            // A plain shop: not the gambler, the guards' seller, or a smith whose window lists work.
            if (!vendor || vendor->IsGambler() || vendor->IsGuardVendor() || vendor->DefBool("GivesQuests") ||
                vendor->position.level != host->position.level)
                continue;
            if (!best || vendor->position.Distance2D(host->position) < best->position.Distance2D(host->position))
                best = vendor;
        }
        return best;
    }

    // The town NPC nearest to the player that offers a quest, a hunt before any other kind.
    static Actor* NearestQuestGiver(Quest*& offered)
    {
        Player* host = HostPlayer();
        Actor* best = nullptr;
        bool bestHunts = false;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (!actor || actor->GetNpcType() <= 0 || actor->position.level != host->position.level)
                continue;
            std::vector<int32_t> offers;
            gGame->GetQuestsOfferedBy(*actor, offers);
            for (int32_t id : offers) {
                Quest* quest = gGame->GetQuests().GetQuest(id);
                if (!quest)
                    continue;
                bool hunts = quest->type == QuestType::KillMonsters && quest->QuestBase::target;
                bool nearer = !best || actor->position.Distance2D(host->position) < best->position.Distance2D(host->position);
                if (!best || (hunts && !bestHunts) || (hunts == bestHunts && nearer)) {
                    best = actor;
                    bestHunts = hunts;
                    offered = quest;
                }
            }
        }
        return best;
    }

    static int32_t HostQuestSlot(const Player& player, int32_t questId)
    {
        for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot)
            if (const QuestBase* quest = player.GetQuestSlot(slot); quest && quest->questId == questId)
                return slot;
        return -1;
    }

    int32_t takenQuest = -1;
    // The kind of monster the taken quest hunts; none for another kind of quest.
    const MonsterType* hunted = nullptr;
    int32_t preyKilled = 0;
    // The player's kills of every kind when the quest was taken.
    int32_t killsAtQuest = 0;

    KeptGame Keep() const
    {
        KeptGame kept;
        Player* host = HostPlayer();
        kept.name = host->playerName;
        kept.level = host->GetStat(CharacterStat::Level);
        kept.xp = host->GetStat(CharacterStat::Xp);
        kept.strength = host->GetStat(CharacterStat::BaseStrength);
        kept.position = host->position;
        MessageBuffer items;
        host->inventory->Write(items, true);
        kept.inventory.assign(items.Data(), items.Data() + items.Size());
        for (int32_t level = 0; level < gWorld->GetLevelCount(); ++level)
            kept.explored.push_back(gGame->GetExploredCount(level));
        kept.worldSeed = gWorld->GetLayoutSeed();
        return kept;
    }

    // ---- The journey's steps ---------------------------------------------------------------

    void TitleProfileAndNewCharacter()
    {
        ASSERT_TRUE(Shown("Main")) << "the title screen comes first";
        TargaImage title = KeepStep("1-title");
        EXPECT_GT(LitPixels(title, 160, 70, 480, 120), 200) << "the title's letters" << AtStep();

        ClickAt(320, 322);
        ASSERT_TRUE(Shown("Profiles"));
        ClickAt(200, 359);
        ASSERT_TRUE(Shown("NewProfile"));
        ClickAt(360, 201);
        TypeKeys("Tamsin");
        ClickAt(420, 296);
        ASSERT_TRUE(Shown("Main"));
        EXPECT_EQ(Var("UserName"), "Tamsin");
        EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/chars/tamsin.usr"));

        ClickAt(320, 196);
        ASSERT_TRUE(Shown("NewCharacter"));
        ClickAt(330, 101);
        for (int i = 0; i < 24; ++i)
            Tap(SDL_SCANCODE_BACKSPACE);
        TypeKeys("Brannoc");
        ClickAt(186, 171);
        ClickAt(230, 207);
        EXPECT_EQ(Var("PlayerClass"), "ClassWarden");
        EXPECT_EQ(Var("CovenantDifficultyLevel"), "Easy");
        ClickAt(330, 133);
        TypeKeys("Ashguard");
        KeepStep("1-newcharacter");
        ClickAt(440, 408);
        ASSERT_TRUE(WaitForTheGame()) << "Start took the character into a world";
        ASSERT_TRUE(Shown("InGame"));
        EXPECT_EQ(HostPlayer()->playerName, "Brannoc");
        EXPECT_EQ(Local()->characterName, "Brannoc");
        TargaImage hud = KeepStep("1-ingame");
        EXPECT_GT(RedPixels(hud, 10, 445, 170, 455), 300) << "the health bar is filled" << AtStep();
    }

    // Step 4's sale, in the town: the trader clicked, a carried item dropped on its goods and
    // bought back from the cells that keep the last sales.
    void SellAndBuyBack()
    {
        Player& host = *HostPlayer();
        Vendor* trader = NearestTrader();
        ASSERT_NE(trader, nullptr) << "the town has a trader";
        ASSERT_TRUE(TalkTo(*trader, kTradingMode)) << "a click on the trader opens trade" << AtStep();
        ASSERT_TRUE(Shown("VendorMenu"));
        EXPECT_TRUE(Shown("Inventory")) << "the inventory opens beside the goods";
        Frames(2);
        // Anything carried but the draught of the first cell, which the fight needs.
        int32_t cell = -1;
        for (int32_t slot = 1; slot < 10 && cell < 0; ++slot)
            if (const ItemBase* item = host.inventory->GetItem(InventoryGroupIndex::Bag1, slot);
                item && item->GetSellPrice() > 0 && item->GetStackCount() == 1)
                cell = slot;
        ASSERT_GE(cell, 0) << "the new character carries something to sell";
        const ItemBase* item = host.inventory->GetItem(InventoryGroupIndex::Bag1, cell);
        std::string name(item->GetEntry()->GetName());
        int32_t pays = item->GetSellPrice();
        int32_t money = host.GetStat(CharacterStat::Money);
        int32_t carried = Carried(host);
        std::string from = "Inventory::Bag1Cell" + std::to_string(cell);
        Drag(from.c_str(), "VendorMenu::Goods0");
        EXPECT_EQ(Carried(host), carried - 1) << "the item left the bag" << AtStep();
        EXPECT_EQ(host.GetStat(CharacterStat::Money), money + pays) << "the trader paid its price";
        Item* kept = trader->GetStockItem(23);
        ASSERT_NE(kept, nullptr) << "the sale waits to be bought back" << AtStep();
        EXPECT_EQ(kept->GetEntry()->GetName(), name);
        Frames(2);
        EXPECT_EQ(Local()->GetStat(CharacterStat::Money), money + pays) << "the money shown follows";
        KeepStep("4-sold");

        RightClickWidget("VendorMenu::BuyBack1");
        Frames(4);
        EXPECT_EQ(Carried(host), carried) << "the sale was bought back" << AtStep();
        EXPECT_EQ(host.GetStat(CharacterStat::Money), money) << "for what the trader paid";
        EXPECT_EQ(trader->GetStockItem(23), nullptr) << "the buy-back cell is empty again";
        KeepStep("4-boughtback");
        // Escape closes the top window first, then the other.
        for (int32_t press = 0; press < 2; ++press)
            Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
        EXPECT_FALSE(Shown("VendorMenu"));
        ASSERT_FALSE(Shown("Inventory"));
        ASSERT_FALSE(Shown("GameMenu"));
    }

    // Step 6, in the town: a quest giver clicked, an offer chosen and taken, the quest seen in
    // the quest window. Its progress is the fight's to advance.
    void TakeAQuest()
    {
        Player& host = *HostPlayer();
        Quest* offered = nullptr;
        Actor* giver = NearestQuestGiver(offered);
        ASSERT_NE(giver, nullptr) << "a town NPC offers a quest";
        ASSERT_TRUE(TalkTo(*giver, kQuestGiverMode)) << "a click on the giver opens its offers" << AtStep();
        ASSERT_TRUE(Shown("QuestNpcMenu"));
        EXPECT_TRUE(FramesUntil(20, [] { return !gGameClient->npcChatText.empty(); })) << "the giver's line";
        const EntityClient* shown = gGameClient->GetEntity(giver->entityNumber);
        ASSERT_NE(shown, nullptr);
        auto row = std::find(shown->questOffers.begin(), shown->questOffers.end(), offered->questId);
        ASSERT_NE(row, shown->questOffers.end()) << "the mirror lists the offer";
        UIWidget* list = gUISystem->FindWidgetByPath("QuestNpcMenu::Offers");
        ASSERT_NE(list, nullptr);
        ClickAt(static_cast<int32_t>(list->GetScreenPosition().x + 60),
                static_cast<int32_t>(list->GetScreenPosition().y + 9 + 18 * (row - shown->questOffers.begin())));
        EXPECT_EQ(Var("SelectedQuest"), std::to_string(offered->questId));
        KeepStep("6-offer");
        ClickWidget("QuestNpcMenu::Accept");
        ASSERT_TRUE(FramesUntil(20, [&host, offered] { return host.HasQuest(offered->questId); }))
            << "the quest was taken" << AtStep();
        takenQuest = offered->questId;
        killsAtQuest = host.statistics.Get(PlayerStatistic::Kills);
        hunted = offered->type == QuestType::KillMonsters ? offered->QuestBase::target : nullptr;
        Frames(3);
        EXPECT_FALSE(Shown("QuestNpcMenu"));

        int32_t slot = HostQuestSlot(host, takenQuest);
        ASSERT_GE(slot, 0);
        QuestClient* mirrored = Local()->GetQuestSlot(slot);
        ASSERT_NE(mirrored, nullptr) << "the mirror holds the quest";
        EXPECT_EQ(mirrored->questId, takenQuest);
        Tap(SDL_SCANCODE_Q);
        ASSERT_TRUE(Shown("Quests"));
        std::string row0 = "Quests::Quest" + std::to_string(slot);
        ClickWidget(row0.c_str());
        EXPECT_EQ(Var("SelectedActiveQuest"), std::to_string(slot));
        UIWidget* title = gUISystem->FindWidgetByPath(row0);
        // The title's "[Here]" is by the level the player stands on, not the character's level.
        EXPECT_EQ(title->BuildText(title->textSource), mirrored->BuildTitle(Local()->GetPosition().level, false))
            << "the window's row shows the quest";
        TargaImage window = KeepStep("6-questwindow");
        EXPECT_GT(LitPixels(window, 160, 216, 480, 348), 100) << "the quest's text" << AtStep();
        Tap(SDL_SCANCODE_ESCAPE);
        EXPECT_FALSE(Shown("Quests"));
    }

    void WalkInTown()
    {
        Player& host = *HostPlayer();
        // A click on open ground: the player walks there (north, away from the town's gate).
        WorldPos placed = host.position;
        WorldPos goal = placed;
        goal.y -= 120.0f;
        ASSERT_TRUE(ClickToward(goal));
        WaitUntilArrived();
        EXPECT_GT(host.position.Distance2D(placed), 40.0f) << "a click walked the player";

        // The button held down with the cursor moving on: the player follows the cursor.
        WorldPos before = host.position;
        WorldPos first = before;
        first.y -= 80.0f;
        Vector2 at = Client::WorldToScreen(first, true);
        PushMotion(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y));
        Frames(1);
        SDL_Event press{};
        press.type = SDL_MOUSEBUTTONDOWN;
        press.button.button = SDL_BUTTON_LEFT;
        press.button.x = static_cast<int32_t>(at.x);
        press.button.y = static_cast<int32_t>(at.y);
        ASSERT_EQ(SDL_PushEvent(&press), 1);
        for (int step = 1; step <= 20; ++step) {
            WorldPos on = first;
            on.x -= 8.0f * step;
            Vector2 cursor = Client::WorldToScreen(on, true);
            PushMotion(static_cast<int32_t>(cursor.x), static_cast<int32_t>(cursor.y));
            Frames(1);
        }
        press.type = SDL_MOUSEBUTTONUP;
        ASSERT_EQ(SDL_PushEvent(&press), 1);
        WaitUntilArrived();
        EXPECT_GT(host.position.Distance2D(before), 60.0f) << "the held button walked the player";
        EXPECT_LT(host.position.x, before.x - 40.0f) << "along the cursor's way";
    }

    // The nearest door walked up to and clicked: it swings open on the host, stops blocking,
    // and the mirror sees it open; a second click shuts it again.
    void OpenADoor()
    {
        std::vector<int32_t> unreached;
        for (int32_t tries = 0; tries < 4; ++tries) {
            Door* door = NearestClosedDoor(unreached);
            ASSERT_NE(door, nullptr) << "a door on the level; " << unreached.size() << " were out of reach" << AtStep();
            int32_t number = door->entityNumber;
            const EntityClient* shown = WalkTo(door->position, 150.0f) ? gGameClient->GetEntity(number) : nullptr;
            for (int i = 0; i < 6 && shown && door->GetState() == DoorState::Closed; ++i) {
                shown = gGameClient->GetEntity(number);
                if (!shown || !ClickEntity(*shown)) {
                    WalkTo(door->position, 80.0f);
                    continue;
                }
                FramesUntil(80, [door] { return door->GetState() == DoorState::Open; });
            }
            if (door->GetState() == DoorState::Closed) {
                unreached.push_back(number);
                continue;
            }
            FramesUntil(80, [door] { return door->GetState() == DoorState::Open; });
            Frames(4);
            KeepStep("2-door");
            EXPECT_EQ(door->GetState(), DoorState::Open) << "the click opened the door" << AtStep();
            EXPECT_FALSE(door->alwaysBlocks) << "an open door lets the player through";
            shown = gGameClient->GetEntity(number);
            ASSERT_NE(shown, nullptr) << "the mirror still shows the door";
            EXPECT_FALSE(shown->netSolid) << "the mirror sees the door open";

            // Out of the doorway first: a door does not shut on whoever stands in it.
            WorldPos back = door->position;
            Vector2 away = door->position.DeltaTo(HostPlayer()->position);
            float length = std::sqrt(away.x * away.x + away.y * away.y);
            back.x += length > 1.0f ? away.x / length * 140.0f : 140.0f;
            back.y += length > 1.0f ? away.y / length * 140.0f : 0.0f;
            WalkTo(back, 30.0f);
            shown = gGameClient->GetEntity(number);
            ASSERT_TRUE(shown && ClickEntity(*shown)) << "the open door can be clicked again" << AtStep();
            FramesUntil(80, [door] { return door->GetState() == DoorState::Closed; });
            EXPECT_EQ(door->GetState(), DoorState::Closed) << "a second click shut it" << AtStep();
            EXPECT_TRUE(door->alwaysBlocks);
            return;
        }
        FAIL() << "no door was reached and opened" << AtStep();
    }

    void LeaveTownAndLoot()
    {
        Player& host = *HostPlayer();
        // Out of the town by its east side into the next level.
        int32_t town = host.position.level;
        WalkTo(WorldPos{town, gWorld->GetLevelWidth() * 0.6f, gWorld->GetLevelHeight() * 0.42f, true}, 60.0f);
        WorldPos edge{town, gWorld->GetLevelWidth() - 4.0f, gWorld->GetLevelHeight() / 2.0f, true};
        WalkTo(edge, 10.0f);
        FramesUntil(40, [town] { return HostPlayer()->position.level != town; });
        ASSERT_NE(host.position.level, town) << "the walk east left the town" << AtStep();
        EXPECT_EQ(Local()->GetPosition().level, host.position.level);
        KeepStep("2-nextlevel");
        OpenADoor();
        if (HasFatalFailure())
            return;

        // The nearest chest: walked up to, clicked, opened, and what fell out picked up; the
        // next one when a chest held nothing.
        int32_t carried = CarriedUnits(host);
        int32_t money = host.GetStat(CharacterStat::Money);
        int32_t opened = 0;
        int32_t taken = 0;
        std::vector<int32_t> unreached;
        int32_t hidden = 0;
        for (int32_t tries = 0; tries < 8 && taken == 0 && hidden == 0; ++tries) {
            Chest* chest = NearestClosedChest(unreached);
            if (!chest)
                break;
            // A chest behind a hedge the straight walk cannot pass is left for the next one.
            const EntityClient* shown = WalkTo(chest->position, 150.0f) ? gGameClient->GetEntity(chest->entityNumber)
                                                                        : nullptr;
            if (!shown) {
                unreached.push_back(chest->entityNumber);
                continue;
            }
            for (int i = 0; i < 6 && chest->IsClosed(); ++i) {
                shown = gGameClient->GetEntity(chest->entityNumber);
                if (!shown || !ClickEntity(*shown)) {
                    WalkTo(chest->position, 80.0f);
                    continue;
                }
                FramesUntil(80, [chest] { return !chest->IsClosed(); });
            }
            if (chest->IsClosed()) {
                unreached.push_back(chest->entityNumber);
                continue;
            }
            ++opened;
            Frames(20);
            KeepStep("2-chest");
            taken += PickUpAround(chest->position, 200.0f, &hidden);
            RiseIfFallen();
        }
        Frames(4);
        EXPECT_GT(opened, 0) << "a chest was reached and opened; " << unreached.size() << " were out of reach" << AtStep();
        // What fell out was taken, unless monsters drawn to the chest stand over it.
        ASSERT_TRUE(taken > 0 || hidden > 0) << "a chest gave something to take" << AtStep();
        EXPECT_TRUE(taken == 0 || CarriedUnits(host) > carried || host.GetStat(CharacterStat::Money) > money)
            << "what was picked up is the player's";
    }

    // A walk to the middle of one of the level's four sides (east first) and on across it when a
    // way leads out there; whether the player came into another level.
    bool IntoNextLevel(int32_t side)
    {
        const int32_t level = HostPlayer()->position.level;
        const float w = gWorld->GetLevelWidth();
        const float h = gWorld->GetLevelHeight();
        const WorldPos edges[] = {{level, w - 4.0f, h / 2.0f, true},
                                  {level, w / 2.0f, 4.0f, true},
                                  {level, 4.0f, h / 2.0f, true},
                                  {level, w / 2.0f, h - 4.0f, true}};
        WalkTo(edges[side], 10.0f);
        return FramesUntil(40, [level] { return HostPlayer()->position.level != level; });
    }

    void FightAndPotion()
    {
        Player& host = *HostPlayer();
        bool skillHurt = false;
        int32_t kills = 0;
        int32_t looted = 0;
        int32_t dropped = 0;
        int32_t hidden = 0;
        // Monsters one after another until the player has risen two levels (a level's skill point
        // pays for no skill) and one left loot, or three fell without any.
        for (int32_t fight = 0; fight < 6 && (host.GetStat(CharacterStat::Level) < 3 || (dropped == 0 && fight < 3)); ++fight) {
            Actor* monster = NearestMonster();
            // A level fought clear: on through one of its sides into the next, as a player goes
            // looking for more.
            for (int32_t side = 0; side < 4 && !monster; ++side) {
                IntoNextLevel(side);
                monster = NearestMonster();
            }
            ASSERT_NE(monster, nullptr) << "a monster to fight";
            WorldPos fell = monster->position;
            bool prey = hunted && monster->GetMonsterType() == hunted;
            WalkTo(monster->position, 250.0f);
            if (!FightUntilDead(*monster, skillHurt, fell)) {
                RiseIfFallen();
                continue;
            }
            ++kills;
            preyKilled += prey ? 1 : 0;
            Frames(20);
            RiseIfFallen();
            dropped += NearestOnClient([&fell](const EntityClient& entity) {
                return (entity.isItem || entity.moneyAmount > 0) && entity.position.Distance2D(fell) <= 300.0f;
            }) != nullptr;
            looted += PickUpAround(fell, 300.0f, &hidden);
        }
        KeepStep("3-fight");
        EXPECT_GT(kills, 0) << "a monster died" << AtStep();
        EXPECT_TRUE(skillHurt) << "the quick-use bar's skill struck the monster";
        // Monsters drop by chance: what fell was taken, unless the monster's corpse covers it
        // from every point of the screen.
        EXPECT_TRUE(dropped == 0 || looted > 0 || hidden > 0)
            << dropped << " monsters left loot, " << looted << " pieces taken, " << hidden << " hidden";
        EXPECT_GT(host.GetStat(CharacterStat::Xp), 0);

        // The starting draught put on the bar from the inventory, and drunk by its key.
        Tap(SDL_SCANCODE_I);
        ASSERT_TRUE(Shown("Inventory"));
        ItemBase* draught = host.inventory->GetItem(InventoryGroupIndex::Bag1, 0);
        ASSERT_NE(draught, nullptr) << "the draught in the first cell";
        Drag("Inventory::Bag1Cell0", "InGame::UseSlot1");
        Tap(SDL_SCANCODE_ESCAPE);
        ASSERT_FALSE(Shown("Inventory"));
        int32_t draughts = Carried(host);
        auto* slot = dynamic_cast<UIUseSlot*>(gUISystem->FindWidgetByPath("InGame::UseSlot1"));
        ASSERT_NE(slot, nullptr);
        EXPECT_NE(slot->GetContent(), nullptr) << "the bar holds the draught";
        int32_t sips = draught->GetStackCount();
        Tap(SDL_SCANCODE_2);
        Frames(10);
        ItemBase* left = host.inventory->GetItem(InventoryGroupIndex::Bag1, 0);
        int32_t sipsLeft = left ? left->GetStackCount() : 0;
        EXPECT_EQ(sipsLeft, sips - 1) << "one draught was drunk" << AtStep();
        EXPECT_EQ(Carried(host), sips > 1 ? draughts : draughts - 1);
    }

    // Step 6's progress: the prey killed in the fights counted on the host, in the mirror and in
    // the quest window's text.
    void QuestAdvanced()
    {
        Player& host = *HostPlayer();
        ASSERT_NE(hunted, nullptr) << "the town's quest giver offered a hunt";
        int32_t slot = HostQuestSlot(host, takenQuest);
        ASSERT_GE(slot, 0) << "the quest is still held";
        const EntityQuest& held = *host.GetQuestSlot(slot);
        ASSERT_GT(preyKilled, 0) << "the fights met the quest's prey";
        // Each prey the fights killed counted; more when a skill or a chance blow felled other
        // prey, but never more than the player killed since the quest was taken.
        EXPECT_GE(held.progress, std::min(preyKilled, held.count)) << "each kill of the prey counted";
        EXPECT_LE(held.progress, std::min(host.statistics.Get(PlayerStatistic::Kills) - killsAtQuest, held.count))
            << "only the player's kills counted";
        const QuestClient* mirrored = Local()->GetQuestSlot(slot);
        ASSERT_NE(mirrored, nullptr);
        EXPECT_EQ(mirrored->progress, held.progress) << "the mirror";
        Tap(SDL_SCANCODE_Q);
        ASSERT_TRUE(Shown("Quests"));
        std::string row = "Quests::Quest" + std::to_string(slot);
        ClickWidget(row.c_str());
        Frames(2);
        UIWidget* body = gUISystem->FindWidgetByPath("Quests::Body");
        ASSERT_NE(body, nullptr);
        std::string text = body->BuildText(body->textSource);
        EXPECT_NE(text.find(const_cast<QuestClient*>(mirrored)->GetProgressText(false)), std::string::npos)
            << "the window shows the progress: " << text;
        KeepStep("6-progress");
        Tap(SDL_SCANCODE_ESCAPE);
        EXPECT_FALSE(Shown("Quests"));
    }

    void WearAndDrop()
    {
        Player& host = *HostPlayer();
        Tap(SDL_SCANCODE_C);
        ASSERT_TRUE(Shown("Character"));
        Frames(2);
        int32_t worn = ShownStat("Character::Armor");
        Tap(SDL_SCANCODE_ESCAPE);
        Tap(SDL_SCANCODE_I);
        ASSERT_TRUE(Shown("Inventory"));
        ItemBase* tunic = host.inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest);
        ASSERT_NE(tunic, nullptr) << "the starting tunic is worn";
        int32_t armour = host.GetStat(CharacterStat::Armor);
        const char* freeCell = nullptr;
        static const char* const kCells[] = {"Inventory::Bag1Cell5", "Inventory::Bag1Cell6", "Inventory::Bag1Cell7",
                                             "Inventory::Bag1Cell8", "Inventory::Bag1Cell9"};
        for (int32_t cell = 0; cell < 5 && !freeCell; ++cell)
            if (!host.inventory->GetItem(InventoryGroupIndex::Bag1, 5 + cell))
                freeCell = kCells[cell];
        ASSERT_NE(freeCell, nullptr);
        Drag("Inventory::Chest", freeCell);
        ASSERT_EQ(host.inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), nullptr);
        EXPECT_LT(host.GetStat(CharacterStat::Armor), armour) << "the armour went with the tunic";
        Drag(freeCell, "Inventory::Chest");
        EXPECT_EQ(host.inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), tunic);
        EXPECT_EQ(host.GetStat(CharacterStat::Armor), armour);
        KeepStep("4-inventory");
        Tap(SDL_SCANCODE_ESCAPE);
        Tap(SDL_SCANCODE_C);
        Frames(2);
        EXPECT_EQ(ShownStat("Character::Armor"), worn) << "the sheet shows the armour worn again";
        EXPECT_EQ(worn, armour);
        Tap(SDL_SCANCODE_ESCAPE);

        // One carried item dropped: picked up in the inventory, let go over the world.
        Tap(SDL_SCANCODE_I);
        int32_t cell = -1;
        for (int32_t slot = 0; slot < 10 && cell < 0; ++slot)
            if (host.inventory->GetItem(InventoryGroupIndex::Bag1, slot))
                cell = slot;
        ASSERT_GE(cell, 0) << "something carried to drop";
        int32_t carried = Carried(host);
        std::string path = "Inventory::Bag1Cell" + std::to_string(cell);
        ClickWidget(path.c_str());
        ClickAt(120, 300);
        Frames(6);
        EXPECT_EQ(Carried(host), carried - 1) << "the item left the bag" << AtStep();
        EXPECT_NE(NearestOnClient([](const EntityClient& entity) { return entity.IsReadyToTake(); }), nullptr)
            << "it lies on the ground";
        Tap(SDL_SCANCODE_ESCAPE);
    }

    void SpendPoints()
    {
        Player& host = *HostPlayer();
        ASSERT_GE(host.GetStat(CharacterStat::Level), 2) << "the fights levelled the player up";
        int32_t points = host.GetStat(CharacterStat::AttributePointsLeft);
        ASSERT_GT(points, 0);
        int32_t strength = host.GetStat(CharacterStat::BaseStrength);
        Tap(SDL_SCANCODE_C);
        ASSERT_TRUE(Shown("Character"));
        Frames(2);
        KeepStep("5-character");
        ClickWidget("Character::RaiseStrength");
        Frames(4);
        EXPECT_EQ(host.GetStat(CharacterStat::BaseStrength), strength + 1);
        EXPECT_EQ(host.GetStat(CharacterStat::AttributePointsLeft), points - 1);
        EXPECT_EQ(ShownStat("Character::Strength"), host.GetStat(CharacterStat::Strength)) << "the sheet shows it";
        Tap(SDL_SCANCODE_ESCAPE);

        int32_t skillPoints = host.GetStat(CharacterStat::SkillPointsLeft);
        ASSERT_GT(skillPoints, 0);
        Tap(SDL_SCANCODE_S);
        ASSERT_TRUE(Shown("Skills"));
        Frames(2);
        // The pluses that show, pressed in turn until one raises its skill.
        int32_t stat = -1;
        int32_t level = 0;
        for (int32_t page = 0; page < 4 && stat < 0; ++page)
            for (int32_t index = 0; index < kSkillsPerTree && stat < 0; ++index) {
                std::string path = "SkillPage" + std::to_string(page + 1) + "::Raise" + std::to_string(index);
                UIWidget* plus = gUISystem->FindWidgetByPath(path);
                if (!plus || !plus->IsVisible())
                    continue;
                int32_t candidate = kFirstSkillStat + page * kSkillsPerTree + index;
                int32_t before = host.GetStat(candidate);
                ClickWidget(path.c_str());
                Frames(3);
                if (host.GetStat(candidate) > before) {
                    stat = candidate;
                    level = before;
                }
            }
        if (stat < 0) {
            // Each skill point costs money too: a warden short of it is told so.
            EXPECT_TRUE(MessageShown("$$NotEnoughMoney$$") || MessageShown("enough money"))
                << "no plus raised a skill and no refusal was shown; money " << host.GetStat(CharacterStat::Money)
                << AtStep();
            KeepStep("5-skills");
            Tap(SDL_SCANCODE_ESCAPE);
            return;
        }
        KeepStep("5-skills");
        EXPECT_EQ(host.GetStat(stat), level + 1) << "the skill was raised" << AtStep();
        EXPECT_LT(host.GetStat(CharacterStat::SkillPointsLeft), skillPoints);
        Tap(SDL_SCANCODE_ESCAPE);
    }

    // Step 7: the relations screen by its key, a rival talked to on its card, then the trade
    // window by its key toward that rival: a few coppers offered as a gift, and its answer.
    void RelationsAndTrade()
    {
        int32_t count = gGameClient->GetCovenantCount();
        ASSERT_GE(count, 3) << "rival covenants share the world";
        Tap(SDL_SCANCODE_R);
        auto* relations = dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
        ASSERT_TRUE(relations && relations->IsShown()) << "R opens the relations screen";
        Frames(2);
        // A rival's offer waiting on the player's word opens the screen on it; its Back button
        // leads to the covenants' ring.
        if (relations->GetCurrentPage() == gUISystem->FindMenu("RelationsTradeRequest")) {
            KeepStep("7-offer");
            ClickWidget("RelationsTradeRequest::BackButton");
            Frames(2);
        }
        TargaImage ring = KeepStep("7-relations");
        // The player's covenant joins last: the first is a rival.
        const UIMenu& card = *relations->covenantCards[0].card;
        int32_t cardX = static_cast<int32_t>(std::lround(card.position[0] + 32.0f));
        int32_t cardY = static_cast<int32_t>(std::lround(card.position[1] + 32.0f));
        EXPECT_GT(LitPixels(ring, cardX - 32, cardY - 44, cardX + 32, cardY + 32), 50) << "the rival's card" << AtStep();
        ClickAt(cardX, cardY);
        EXPECT_EQ(relations->GetCurrentPage(), gUISystem->FindMenu("RelationsDiplomacy")) << "the rival's page";
        EXPECT_EQ(gGameClient->selectedCovenant, 0) << "the trade window will deal with the rival";
        Frames(2);
        KeepStep("7-diplomacy");
        // The key that opened the screen closes it from the rival's page too.
        Tap(SDL_SCANCODE_R);
        ASSERT_FALSE(relations->IsShown());
        EXPECT_FALSE(Shown("GameMenu"));

        Tap(SDL_SCANCODE_T);
        ASSERT_TRUE(Shown("Trade")) << "T opens the trade window";
        UIWidget* money = gUISystem->FindWidgetByPath("Trade::PlayerMoney");
        ASSERT_NE(money, nullptr);
        ClickAt(static_cast<int32_t>(money->GetScreenPosition().x + 60),
                static_cast<int32_t>(money->GetScreenPosition().y + 8));
        ASSERT_TRUE(Shown("ChooseGoldAmount")) << "the money row asks how much";
        ClickWidget("ChooseGoldAmount::Copper");
        Tap(SDL_SCANCODE_BACKSPACE);
        TypeKeys("5");
        ClickWidget("ChooseGoldAmount::Ok");
        Frames(3);
        const std::vector<TradeOfferEntry> offered = gGameClient->GetTrade().GetOffer();
        ASSERT_FALSE(offered.empty()) << "the coppers are on the table" << AtStep();
        ClickWidget("Trade::Propose");
        // A gift is taken (20) or turned down (9); the words of the offer as it was being made
        // must give way to one of them.
        ASSERT_TRUE(FramesUntil(20, [] {
            const std::string& answer = gGameClient->GetMessages().GetDiplomacyResponse();
            return answer.find("$$DiplomacyResponse20$$") != std::string::npos ||
                   answer.find("$$DiplomacyResponse9$$") != std::string::npos;
        })) << "the rival's answer to the gift shows: " << gGameClient->GetMessages().GetDiplomacyResponse();
        EXPECT_EQ(gGame->GetTradeOffer().entries, offered) << "the host judged that offer";
        EXPECT_EQ(gGame->GetTradeOffer().type, TradeOfferType::Gift) << "an offer that asks nothing is a gift";
        KeepStep("7-answer");
        Tap(SDL_SCANCODE_ESCAPE);
        EXPECT_FALSE(Shown("Trade"));
    }

    void DeathAndResurrection()
    {
        Player& host = *HostPlayer();
        UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
        ASSERT_NE(rise, nullptr);
        EXPECT_FALSE(rise->IsVisible());
        // The world strikes the player down as a monster's blow would: the journey's own
        // monsters are too weak for a warden at an easy difficulty.
        host.TakeDamage(host.health + 100, nullptr, false, true);
        ASSERT_TRUE(FramesUntil(40, [rise] { return rise->IsVisible(); })) << "the death screen";
        TargaImage dead = KeepStep("8-playerdead");
        EXPECT_GT(RedPixels(dead, 200, 264, 440, 292), 50) << "the heading in its red" << AtStep();
        ClickAt(320, 330);
        WaitUntil(240, [&host, rise] { return host.health > 0 && !rise->IsVisible(); });
        EXPECT_GT(host.health, 0) << "raised again";
        EXPECT_FALSE(rise->IsVisible());
        Frames(10);
        KeepStep("8-raised");
    }

    void SaveAndExit()
    {
        Tap(SDL_SCANCODE_ESCAPE);
        ASSERT_TRUE(Shown("GameMenu"));
        ClickAt(320, 238);
        ASSERT_TRUE(Shown("ConfirmSaveExit"));
        ClickAt(250, 275);
        ASSERT_TRUE(Shown("Main")) << "save and exit returns to the title";
        EXPECT_FALSE(gClientApp->IsActive());
        EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/chars/brannoc.chr"));
        EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/chars/brannoc.wld"));
        app.ShutDown();
    }

    void ResumeInASecondRun(const KeptGame& kept)
    {
        ASSERT_TRUE(app.StartUp()) << "the second run starts";
        gUserVarSystem->SetStringByName("r_screenshotType", "2");
        app.RunFrame();
        ASSERT_TRUE(Shown("Main"));
        ClickAt(320, 280);
        ASSERT_TRUE(Shown("LoadCharacter"));
        auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("LoadCharacter::Characters"));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->rows.size(), 1u);
        KeepStep("9-saved");
        ClickAt(150, 100);
        ClickAt(480, 408);
        ASSERT_TRUE(WaitForTheGame()) << "the saved character resumed";
        // The world save keeps no rival covenants yet, so a resumed world may stand won and ask
        // first; its "not yet" takes the Escape.
        if (Shown("ConfirmWin"))
            Tap(SDL_SCANCODE_ESCAPE);
        KeepStep("9-resumed");
        KeptGame now = Keep();
        EXPECT_EQ(now.name, kept.name);
        EXPECT_EQ(now.level, kept.level);
        EXPECT_EQ(now.xp, kept.xp);
        EXPECT_EQ(now.strength, kept.strength);
        EXPECT_EQ(now.worldSeed, kept.worldSeed);
        EXPECT_EQ(now.position.level, kept.position.level);
        EXPECT_LT(now.position.Distance2D(kept.position), 2.0f);
        EXPECT_EQ(now.inventory, kept.inventory) << "the items worn and carried";
        EXPECT_EQ(now.explored, kept.explored) << "the explored levels";
        EXPECT_EQ(Local()->GetStat(CharacterStat::Level), kept.level) << "the mirror";
    }
};

} // namespace

TEST_F(PlayThrough, AWholeGameFromTheTitleToAResumedWorld)
{
    {
        SCOPED_TRACE("step 1: title, profile, new character");
        TitleProfileAndNewCharacter();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 2: walking by clicks and by the held button");
        WalkInTown();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 6: a quest from a town NPC");
        TakeAQuest();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 4: a sale to the town's trader, bought back");
        SellAndBuyBack();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 2: out of the town, a chest and its loot");
        LeaveTownAndLoot();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 3: a fight and a potion");
        FightAndPotion();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 6: the quest advanced by the fights");
        QuestAdvanced();
    }
    {
        SCOPED_TRACE("step 4: worn, taken off, dropped");
        WearAndDrop();
    }
    {
        SCOPED_TRACE("step 5: points spent after a level up");
        SpendPoints();
    }
    {
        SCOPED_TRACE("step 7: relations, and a trade offer to a rival");
        RelationsAndTrade();
    }
    if (HasFatalFailure())
        return;
    {
        SCOPED_TRACE("step 8: death and resurrection");
        DeathAndResurrection();
    }
    if (HasFatalFailure())
        return;
    KeptGame kept = Keep();
    {
        SCOPED_TRACE("step 9: save and exit, then resume");
        SaveAndExit();
        if (!HasFatalFailure())
            ResumeInASecondRun(kept);
    }
}
