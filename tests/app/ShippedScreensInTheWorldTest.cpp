// ShippedScreensInTheWorldTest -- the shipped game offscreen, driven by SDL events: the windows that only the world's own people and things lead to, each reached by a click on what the shipped records make of them (a smith with work, the would-be recruit of a recruit quest, a trader met on the road, a creature with work, the house's bookshelf, the own and a rival's house at their pedestals), and used as a player would.
#include "app/OffscreenShots.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/Database.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Stash.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "render/TextMeasure.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIText.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class ShippedScreensInTheWorld : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }

    void TearDown() override { KeepFailedFrame("ShippedScreensInTheWorld"); }

    static Actor* FindTownNpc(int32_t npcType)
    {
        return dynamic_cast<Actor*>(gGame->GetTownNpc(npcType));
    }

    // A left click where the client's own pick answers with the entity, repeated until the
    // player has walked up and entered the mode.
    bool ClickUntilMode(const EntityClient& entity, int32_t mode)
    {
        for (int click = 0; click < 6 && Local()->interactionMode != mode; ++click) {
            int32_t x = 0;
            int32_t y = 0;
            if (!FindPickPoint(entity, x, y))
                return false;
            ClickAt(x, y);
            for (int i = 0; i < 40 && Local()->interactionMode != mode; ++i)
                Frame();
        }
        return Local()->interactionMode == mode;
    }

    // The lit pixels inside the widget's box on the screen.
    static int LitIn(const TargaImage& image, const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        if (!widget)
            return -1;
        int x = static_cast<int>(widget->GetScreenPosition().x);
        int y = static_cast<int>(widget->GetScreenPosition().y);
        return BrightPixels(image, x, y, x + static_cast<int>(widget->size[0]), y + static_cast<int>(widget->size[1]),
                            150);
    }

    static ItemBase* HostAt(int32_t bag, int32_t slot) { return HostPlayer()->inventory->GetItem(bag, slot); }

    // The cell of the bag the host put the new item in; -1 when it found no room.
    static int32_t GiveHost(const char* record, int32_t bag)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName(record));
        const ItemBase* made = item.get();
        std::unique_ptr<ItemBase> given = std::move(item);
        if (!HostPlayer()->inventory->AddItem(given, bag))
            return -1;
        for (int32_t slot = 0; slot < HostPlayer()->inventory->GetSlotCount(bag); ++slot)
            if (HostAt(bag, slot) == made)
                return slot;
        return -1;
    }

    void ClickOnWidget(const char* path, int32_t dx, int32_t dy)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(widget, nullptr) << path;
        ClickAt(static_cast<int32_t>(widget->GetScreenPosition().x) + dx,
                static_cast<int32_t>(widget->GetScreenPosition().y) + dy);
    }
};

// The weaponsmith sets work as well as selling: a click opens the trader's window that lists its
// quest, and the button takes the quest into the player's slots on the world host.
TEST_F(ShippedScreensInTheWorld, TheWeaponsmithWithWorkOpensTheWindowThatListsItAndItsButtonTakesIt)
{
    Quest* work = gGame->GetQuests().StartQuest(
        gGameData->GetQuestDefinitions().FindIndex("QuestWeaponsmithLevelQuestItem"), nullptr, -1);
    ASSERT_NE(work, nullptr);
    Actor* smith = FindTownNpc(NpcType::VendorWeapon);
    ASSERT_NE(smith, nullptr);
    EntityClient* shown = BesideThePlayer(*smith);
    ASSERT_NE(shown, nullptr);
    FramesUntil([&] { return !shown->questOffers.empty(); }, 40);
    ASSERT_FALSE(shown->questOffers.empty()) << "the host tells the client of the smith's work";

    ASSERT_TRUE(ClickUntilMode(*shown, 22));
    ASSERT_TRUE(Shown("VendorMenuWithQuests"));
    EXPECT_FALSE(Shown("VendorMenu"));
    TargaImage window = Screenshot();
    EXPECT_GT(LitIn(window, "VendorMenuWithQuests::Offers"), 30) << "the quest's row is not drawn";
    // Its row chosen (the smith may have other work listed first), then the button.
    auto* offers = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("VendorMenuWithQuests::Offers"));
    ASSERT_NE(offers, nullptr);
    int32_t row = -1;
    for (size_t i = 0; i < offers->rows.size(); ++i)
        if (offers->rows[i]->value == std::to_string(work->questId))
            row = static_cast<int32_t>(i);
    ASSERT_GE(row, 0) << "the smith's work is not listed";
    ASSERT_LT(row, 2) << "the work's row is scrolled out of the list";
    ClickOnWidget("VendorMenuWithQuests::Offers", 60, 8 + 18 * row);
    ClickOnWidget("VendorMenuWithQuests::Accept", 70, 14);
    FramesUntil([&] { return HostPlayer()->HasQuest(work->questId); }, 40);
    EXPECT_TRUE(HostPlayer()->HasQuest(work->questId));
}

// A recruit quest sets its would-be recruit in town: it gives the quest, and a click on it opens
// the would-be recruit's own screen with its line, whose button takes the trial on.
TEST_F(ShippedScreensInTheWorld, TheWouldBeRecruitOfARecruitQuestOpensItsScreenAndItsTrialIsTaken)
{
    Quest* trial = nullptr;
    Actor* recruit = StartQuestWithFigure("QuestRecruit", trial);
    ASSERT_NE(recruit, nullptr);
    EntityClient* shown = BesideThePlayer(*recruit);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isNpc);
    EXPECT_TRUE(shown->givesQuests);

    ASSERT_TRUE(ClickUntilMode(*shown, 24));
    ASSERT_TRUE(Shown("NpcPotentialRecruitMenu"));
    EXPECT_FALSE(Shown("QuestNpcMenu"));
    FramesUntil([] { return !gGameClient->npcChatText.empty(); }, 40);
    EXPECT_FALSE(gGameClient->npcChatText.empty()) << "the host never answered getNpcChat";
    TargaImage talk = Screenshot();
    EXPECT_GT(LitIn(talk, "NpcPotentialRecruitMenu::Chat"), 100) << "its line is not drawn";
    EXPECT_GT(LitIn(talk, "NpcPotentialRecruitMenu::Offers"), 20) << "the trial's row is not drawn";
    ClickOnWidget("NpcPotentialRecruitMenu::Accept", 65, 14);
    FramesUntil([&] { return HostPlayer()->HasQuest(trial->questId); }, 40);
    EXPECT_TRUE(HostPlayer()->HasQuest(trial->questId));
    EXPECT_FALSE(Shown("NpcPotentialRecruitMenu"));
}

// The trader a wandering-vendor quest sets on the road keeps no shop: a click opens the plain
// trade with the carried bags' places beside it, and a right click on its goods buys from its
// pack through the world host.
TEST_F(ShippedScreensInTheWorld, ATraderMetOnTheRoadTradesFromItsPackBesideTheBags)
{
    Quest* road = nullptr;
    Actor* trader = StartQuestWithFigure("QuestWanderingVendor", road);
    ASSERT_NE(trader, nullptr);
    EntityClient* shown = BesideThePlayer(*trader);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVendor);
    EXPECT_FALSE(shown->isNpc);

    ASSERT_TRUE(ClickUntilMode(*shown, 22));
    ASSERT_TRUE(Shown("Buy-sell"));
    ASSERT_TRUE(Shown("BagControl"));
    EXPECT_FALSE(Shown("VendorMenu"));
    FramesUntil([] { return Local()->GetInventory().GetItem(InventoryGroupIndex::Loot, 0) != nullptr; }, 40);
    const ItemBase* good = Local()->GetInventory().GetItem(InventoryGroupIndex::Loot, 0);
    ASSERT_NE(good, nullptr) << "the host shows the trader's pack";
    TargaImage trade = Screenshot();
    EXPECT_GT(LitIn(trade, "Buy-sell::Goods0"), 20) << "the first good is not drawn";
    EXPECT_GT(LitIn(trade, "Buy-sell::Name"), 20) << "the trader's name is not drawn";

    HostPlayer()->stats.Set(CharacterStat::Money, 1000000);
    int32_t before = HostPlayer()->stats.Get(CharacterStat::Money);
    UIWidget* first = gUISystem->FindWidgetByPath("Buy-sell::Goods0");
    ASSERT_NE(first, nullptr);
    ClickAt(static_cast<int32_t>(first->GetScreenPosition().x) + 19,
            static_cast<int32_t>(first->GetScreenPosition().y) + 19, SDL_BUTTON_RIGHT);
    FramesUntil([&] { return HostPlayer()->stats.Get(CharacterStat::Money) < before; }, 40);
    EXPECT_LT(HostPlayer()->stats.Get(CharacterStat::Money), before) << "the host took the price";
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Buy-sell"));
    EXPECT_FALSE(Shown("BagControl"));
}

// A creature at war with another people asks a player of some standing to kill its foe: it is no
// townsperson, so its work comes in the plain quest window, whose button takes the quest.
TEST_F(ShippedScreensInTheWorld, ACreatureWithWorkOffersItInTheQuestWindowAndItsButtonTakesIt)
{
    // Two peoples who go to war meet only past the first levels: goblins and the dead.
    HostPlayer()->stats.Set(CharacterStat::Level, 6);
    Quest* feud = nullptr;
    Actor* giver = StartQuestWithFigure("QuestMonsterQuest", feud);
    ASSERT_NE(giver, nullptr) << "no creature of the world would set the work";
    EntityClient* shown = BesideThePlayer(*giver);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isNpc);
    FramesUntil([&] { return !shown->questOffers.empty(); }, 40);
    ASSERT_FALSE(shown->questOffers.empty());

    ASSERT_TRUE(ClickUntilMode(*shown, 24));
    ASSERT_TRUE(Shown("GetQuest"));
    EXPECT_FALSE(Shown("QuestNpcMenu"));
    TargaImage offer = Screenshot();
    EXPECT_GT(LitIn(offer, "GetQuest::Name"), 20) << "the creature's name is not drawn";
    EXPECT_GT(LitIn(offer, "GetQuest::Offers"), 20) << "the work's row is not drawn";
    EXPECT_GT(LitIn(offer, "GetQuest::Offer"), 100) << "the work's text is not drawn";
    ClickOnWidget("GetQuest::Accept", 65, 14);
    FramesUntil([&] { return HostPlayer()->HasQuest(feud->questId); }, 40);
    EXPECT_TRUE(HostPlayer()->HasQuest(feud->questId));
    EXPECT_FALSE(Shown("GetQuest"));
}

// The covenant house's bookshelf opens the shelf window with the inventory beside it; a tome
// dragged from a carried bag onto its place is set on the player's shelf by the world host.
TEST_F(ShippedScreensInTheWorld, TheHousesBookshelfOpensTheShelfAndATomeDraggedOntoItStays)
{
    Stash* shelf = nullptr;
    for (int32_t number = 0; number < GameServices::kMaxEntities && !shelf; ++number) {
        auto* stash = dynamic_cast<Stash*>(gGame->GetEntity(number));
        if (stash && stash->GetEntry() && stash->GetEntry()->GetName() == "ObjectBookshelf")
            shelf = stash;
    }
    ASSERT_NE(shelf, nullptr) << "the house holds a bookshelf";
    int32_t cell = GiveHost("TomeOfTheFirstFlame", InventoryGroupIndex::Bag1);
    ASSERT_GE(cell, 0);
    Local()->Teleport(shelf->position.Offset(Vector2{60.0f, 60.0f}));
    Frames(6);
    const EntityClient* shown = gGameClient->GetEntity(shelf->entityNumber);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isBookshelf);

    ASSERT_TRUE(ClickUntilMode(*shown, 11));
    ASSERT_TRUE(Shown("Bookshelf"));
    ASSERT_TRUE(Shown("Inventory"));
    UIWidget* count = gUISystem->FindWidgetByPath("Bookshelf::Tomes");
    ASSERT_NE(count, nullptr);
    std::string empty = count->BuildText(count->textSource);

    // The tome from its carried cell onto the shelf's first place.
    ClickOnWidget(("Inventory::Bag1Cell" + std::to_string(cell)).c_str(), 8, 8);
    ClickOnWidget("Bookshelf::Tome0", 19, 19);
    FramesUntil([] { return HostAt(InventoryGroupIndex::Bookshelf, 0) != nullptr; }, 40);
    ASSERT_NE(HostAt(InventoryGroupIndex::Bookshelf, 0), nullptr) << "the host set the tome on the shelf";
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bookshelf, 0)->GetEntry()->GetName(), "TomeOfTheFirstFlame");
    FramesUntil([] { return Local()->GetInventory().GetItem(InventoryGroupIndex::Bookshelf, 0) != nullptr; }, 40);
    EXPECT_NE(count->BuildText(count->textSource), empty) << "the count of tomes follows the shelf";
    TargaImage shelfShot = Screenshot();
    EXPECT_GT(LitIn(shelfShot, "Bookshelf::Tome0"), 20) << "the tome is not drawn in its place";
    Tap(SDL_SCANCODE_ESCAPE);
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Bookshelf"));
}

// A pedestal of the own house opens the house's window with the inventory beside it; a relic
// dragged from a carried bag onto a relic place is set in the covenant's house by the world host.
TEST_F(ShippedScreensInTheWorld, TheOwnPedestalOpensTheHouseAndARelicDraggedOntoItStays)
{
    PlayerCovenant* own = HostCovenant();
    ASSERT_NE(own, nullptr);
    Entity* pedestal = own->GetPedestal(0);
    ASSERT_NE(pedestal, nullptr) << "the house stands on its pedestals";
    int32_t cell = GiveHost("RelicEmberHeart", InventoryGroupIndex::Bag1);
    ASSERT_GE(cell, 0);
    Local()->Teleport(pedestal->position.Offset(Vector2{40.0f, 40.0f}));
    Frames(6);
    const EntityClient* shown = gGameClient->GetEntity(pedestal->entityNumber);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isPedestal);

    ASSERT_TRUE(ClickUntilMode(*shown, 16));
    ASSERT_TRUE(Shown("House")) << "the house's mode opened no window";
    ASSERT_TRUE(Shown("Inventory"));
    ClickOnWidget(("Inventory::Bag1Cell" + std::to_string(cell)).c_str(), 8, 8);
    ClickOnWidget("House::Relic0", 19, 19);
    FramesUntil([] { return HostAt(InventoryGroupIndex::House, 4) != nullptr; }, 40);
    ASSERT_NE(HostAt(InventoryGroupIndex::House, 4), nullptr) << "the host set the relic in the house";
    EXPECT_EQ(HostAt(InventoryGroupIndex::House, 4)->GetEntry()->GetName(), "RelicEmberHeart");
    EXPECT_EQ(own->GetInventoryItem(InventoryGroupIndex::House, 4), HostAt(InventoryGroupIndex::House, 4))
        << "the covenant keeps the relic the player set";
    FramesUntil([] { return Local()->GetInventory().GetItem(InventoryGroupIndex::House, 4) != nullptr; }, 40);
    TargaImage houseShot = Screenshot();
    EXPECT_GT(LitIn(houseShot, "House::Relic0"), 20) << "the relic is not drawn in its place";
    Tap(SDL_SCANCODE_ESCAPE);
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("House"));
}

// A rival's pedestal opens the window of a rival house, which names the house and leads on to
// the relations screen, where war is declared.
TEST_F(ShippedScreensInTheWorld, ARivalsPedestalOpensTheRivalHouseThatLeadsToTheRelations)
{
    PlayerCovenant* own = HostCovenant();
    ASSERT_NE(own, nullptr);
    Entity* pedestal = nullptr;
    for (int32_t i = 0; i < gGame->GetCovenantCount() && !pedestal; ++i)
        if (Covenant* rival = gGame->GetGameCovenant(i); rival && rival != own)
            pedestal = rival->GetPedestal(0);
    ASSERT_NE(pedestal, nullptr) << "a new world has rivals on their pedestals";
    Local()->Teleport(pedestal->position.Offset(Vector2{40.0f, 40.0f}));
    Frames(6);
    const EntityClient* shown = gGameClient->GetEntity(pedestal->entityNumber);
    ASSERT_NE(shown, nullptr);

    ASSERT_TRUE(ClickUntilMode(*shown, 17));
    ASSERT_TRUE(Shown("HouseEnemy")) << "the rival house's mode opened no window";
    ClickOnWidget("HouseEnemy::Relations", 100, 14);
    Frames(4);
    EXPECT_FALSE(Shown("HouseEnemy"));
    EXPECT_TRUE(Shown("CovenantRelations"));
}

} // namespace

namespace {

// The shipped menus as the game loads them at 640 x 480, out of the world.
class ShippedMenuWords : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }
};

// Every fixed line of words in a shipped menu, the players' and the area and model editors'
// alike, fits the width of its widget in the game's own fonts, so at 640x480 no label runs past
// its button or over the frame or the window beside it.
TEST_F(ShippedMenuWords, EveryFixedLineOfTheShippedMenusFitsItsWidgetAt640x480)
{
    SettleLoads();
    int32_t measured = 0;
    int32_t editors = 0;
    for (const UIMenu* menu : gUISystem->GetMenus())
        for (const UIWidget* widget : menu->GetWidgets()) {
            // Wrapped text and words built while playing are laid out by their own rules.
            if (widget->text.empty() || dynamic_cast<const UIText*>(widget) || widget->GetTextSourceType() != 0)
                continue;
            std::u16string words = gLocSystem->TranslateToWide(widget->text);
            TextSize size = MeasureTextW(widget->font, words);
            ASSERT_GT(size.width, 0.0f) << menu->name << "::" << widget->internalName << " measured nothing";
            ++measured;
            editors += menu->name.starts_with("Editor") || menu->name.starts_with("ModelEditor") ? 1 : 0;
            EXPECT_LE(size.width, widget->size[0] + 1.0f)
                << menu->name << "::" << widget->internalName << " \"" << widget->text << "\" is " << size.width
                << " wide in a box of " << widget->size[0];
            // A line may stand a little taller than its box; a line more may not.
            float lines = static_cast<float>(std::count(words.begin(), words.end(), u'\n') + 1);
            EXPECT_LE(size.height, widget->size[1] + size.height / lines / 2.0f)
                << menu->name << "::" << widget->internalName << " \"" << widget->text << "\" is " << size.height
                << " high in a box of " << widget->size[1];
        }
    EXPECT_GT(measured, 300);
    EXPECT_GT(editors, 40) << "the editors' menus are measured too";
}

} // namespace
