// ShippedScreensInTheWorldTest -- the shipped game offscreen, driven by SDL events: the windows that only the world's own people and things lead to, each reached by a click on what the shipped records make of them (a smith with work, the would-be recruit of a recruit quest, a trader met on the road, a creature with work, the house's bookshelf, the own and a rival's house at their pedestals), and used as a player would; and at 800x600 and 1024x768 the words of a tooltip, a label and a message line of the widest text the language holds, and a list's long row, kept inside their frames, boxes and the screen.
#include "app/OffscreenShots.h"

#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
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
#include "entities/GameServices.h"
#include "render/TextEvents.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"
#include "ui/widgets/UIHelp.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIText.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A plain window, which a test sets where it wants a window to stand.
const char kCoverProbeMenu[] = "MenuType Menu\nname CoverProbe\nposition 0 0\nsize 120 80\n"
                               "Widget { internalName Panel position 0 0 size 120 80 "
                               "texture \"Textures/UI/frame_window.tga\" }\n";

class ShippedScreensInTheWorld : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/coverprobe.mnu", kCoverProbeMenu);
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

// The house tour sends a newcomer to each of the house's three stashes: each stands as a model the
// client draws. Without one they answered a click but could not be seen.
TEST_F(ShippedScreensInTheWorld, TheHousesStashesAreDrawn)
{
    for (const char* record : {"ObjectCovenantStash", "ObjectBookshelf", "ObjectPlayerStash"}) {
        SCOPED_TRACE(record);
        Stash* stash = nullptr;
        for (int32_t number = 0; number < GameServices::kMaxEntities && !stash; ++number) {
            auto* found = dynamic_cast<Stash*>(gGame->GetEntity(number));
            if (found && found->GetEntry() && found->GetEntry()->GetName() == record)
                stash = found;
        }
        ASSERT_NE(stash, nullptr) << "the house holds it";
        Local()->Teleport(stash->position.Offset(Vector2{60.0f, 60.0f}));
        const EntityClient* shown = nullptr;
        FramesUntil([&] {
            shown = gGameClient->GetEntity(stash->entityNumber);
            return shown && shown->GetLoadedModel();
        }, 40);
        ASSERT_NE(shown, nullptr);
        EXPECT_NE(shown->GetLoadedModel(), nullptr) << "the client has no model to draw";
    }
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
        if (Covenant* rival = gGame->GetCovenant(i); rival && rival != own)
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

// A townsperson's tooltip is the world's: framed with the world's labels, under the windows, so a
// window standing where its frame goes is drawn whole over it; and the relations screen and the
// game menu, which hide the world, hide its tooltips.
TEST_F(ShippedScreensInTheWorld, AWorldTooltipLiesUnderTheWindowsAndNeverShowsThroughAFullScreen)
{
    Actor* smith = FindTownNpc(NpcType::VendorWeapon);
    ASSERT_NE(smith, nullptr);
    EntityClient* shown = BesideThePlayer(*smith);
    ASSERT_NE(shown, nullptr);
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(FindPickPoint(*shown, x, y));
    auto* under = dynamic_cast<UIHelp*>(gUISystem->helpBottomBox);
    auto* over = dynamic_cast<UIHelp*>(gUISystem->helpTopBox);
    ASSERT_NE(under, nullptr);
    ASSERT_NE(over, nullptr);
    auto tooltipAt = [&] {
        PushMotion(x, y);
        Frames(3);
        return ReadTooltip().text;
    };

    std::string own = tooltipAt();
    ASSERT_FALSE(own.empty()) << "the townsperson under the cursor has a tooltip";
    EXPECT_TRUE(gUISystem->IsWorldTooltip());
    Screenshot(x, y);
    ASSERT_EQ(under->GetPlacedBoxes().size(), 1u) << "framed with the world's labels";
    EXPECT_TRUE(over->GetPlacedBoxes().empty()) << "framed over the windows";
    UIHelp::PlacedBox frame = under->GetPlacedBoxes().front();

    // A window over the frame's place, clear of the cursor: it stands whole over the tooltip.
    UIMenu* cover = gUISystem->FindMenu("CoverProbe");
    ASSERT_NE(cover, nullptr);
    cover->position[0] = std::max(0.0f, frame.left);
    cover->position[1] = std::max(0.0f, frame.top);
    ASSERT_GT(static_cast<float>(y) - 4.0f - cover->position[1], 8.0f) << "the frame stands above the cursor";
    UIWidget* panel = cover->FindWidget("Panel");
    ASSERT_NE(panel, nullptr);
    panel->size[0] = std::min(120.0f, frame.right - cover->position[0]);
    panel->size[1] = std::min(80.0f, static_cast<float>(y) - 4.0f - cover->position[1]);
    TypeOnConsole("showMenu CoverProbe");
    TargaImage away = Screenshot();
    TargaImage resting = Screenshot(x, y);
    EXPECT_EQ(tooltipAt(), own) << "the townsperson itself is not covered";
    EXPECT_EQ(under->GetPlacedBoxes().size(), 1u);
    EXPECT_EQ(ChangedPixels(away, resting, static_cast<int>(cover->position[0]), static_cast<int>(cover->position[1]),
                            static_cast<int>(cover->position[0] + panel->size[0]),
                            static_cast<int>(cover->position[1] + panel->size[1]), 48),
              0)
        << "the tooltip was drawn over the window";
    TypeOnConsole("hideMenu CoverProbe");

    for (SDL_Scancode key : {SDL_SCANCODE_R, SDL_SCANCODE_ESCAPE}) {
        Tap(key);
        Frames(2);
        ASSERT_TRUE(Shown(key == SDL_SCANCODE_R ? "CovenantRelations" : "GameMenu"));
        EXPECT_NE(tooltipAt(), own) << "the world's tooltip shows through the screen over it";
        EXPECT_FALSE(gUISystem->IsWorldTooltip());
        Tap(SDL_SCANCODE_ESCAPE);
        Frames(2);
    }
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
// alike, fits the room its widget draws it in, in the game's own fonts, so at 640x480 no label runs past
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
            // Against the room the drawing wraps at: past it the line would break in two.
            EXPECT_LE(size.width, widget->TextRoom() + 0.5f)
                << menu->name << "::" << widget->internalName << " \"" << widget->text << "\" is " << size.width
                << " wide in a room of " << widget->TextRoom() << " (a box of " << widget->size[0] << ")";
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

namespace {

// Probes at the screen's four edges, whose tooltips the tests fill, a label of the width of the
// new character's wordiest boxes, and a list of the files of a folder.
const char kWordsProbeMenu[] =
    "MenuType Menu\nname WordsProbe\nposition 0 0\nsize 640 480\nalwaysOnTop 1\n"
    "Widget { internalName TipLeft position 0 220 size 24 24 texture \"Textures/UI/frame_button.tga\" }\n"
    "Widget { internalName TipRight position 616 220 size 24 24 texture \"Textures/UI/frame_button.tga\" }\n"
    "Widget { internalName TipTop position 308 0 size 24 24 texture \"Textures/UI/frame_button.tga\" }\n"
    "Widget { internalName TipBottom position 308 456 size 24 24 texture \"Textures/UI/frame_button.tga\" }\n"
    "Widget { internalName Label position 200 300 size 240 60 textAlignment Center }\n"
    "List { internalName Rows position 40 100 size 120 40 itemHeight 16 directory probe extension txt }\n";

// An interface rectangle, in 640 x 480 units.
struct UiRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// The shipped game in the two window sizes a player meets, the interface's 640 x 480 units
// scaled to the window.
class ShippedWordsOnScreen : public OffscreenShotGame, public ::testing::WithParamInterface<std::array<int, 2>> {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/wordsprobe.mnu", kWordsProbeMenu);
        folder.Write("Assets/probe/a_row_of_a_list_far_wider_than_the_list_is.txt", "");
        StartShippedGameAt(GetParam()[0], GetParam()[1]);
        SettleLoads();
    }
    void TearDown() override { KeepFailedFrame("ShippedWordsOnScreen"); }

    int WindowX(float uiX) const { return static_cast<int>(uiX * static_cast<float>(GetParam()[0]) / 640.0f); }
    int WindowY(float uiY) const { return static_cast<int>(uiY * static_cast<float>(GetParam()[1]) / 480.0f); }

    // The picture with the cursor resting on the interface point.
    TargaImage ShotWithCursorAt(float uiX, float uiY) { return Screenshot(WindowX(uiX), WindowY(uiY)); }
    // The picture with the cursor in the window's lower right corner.
    TargaImage PlainShot() { return Screenshot(GetParam()[0] - 1, GetParam()[1] - 1); }

    // The widest line of the language's texts that take no arguments, as a token.
    std::string WidestText(int32_t font) const
    {
        std::string widest;
        float widestWidth = 0.0f;
        std::istringstream lines(folder.Read("Assets/Loc/English.loc"));
        for (std::string line; std::getline(lines, line);) {
            size_t blank = line.find(" \"");
            if (line.empty() || line[0] == '/' || blank == std::string::npos || line.find('%') != std::string::npos)
                continue;
            std::string token = "$$" + line.substr(0, blank) + "$$";
            float width = MeasureTextW(font, gLocSystem->TranslateToWide(token)).width;
            if (width > widestWidth) {
                widestWidth = width;
                widest = token;
            }
        }
        return widest;
    }

    // Pixels that changed between the pictures outside every rectangle given (a pixel's slack).
    int ChangedOutside(const TargaImage& a, const TargaImage& b, const std::vector<UiRect>& kept) const
    {
        int changed = 0;
        for (int y = 0; y < a.GetHeight(); ++y)
            for (int x = 0; x < a.GetWidth(); ++x) {
                bool inside = std::any_of(kept.begin(), kept.end(), [&](const UiRect& r) {
                    return x >= WindowX(r.left) - 2 && x <= WindowX(r.right) + 2 && y >= WindowY(r.top) - 2 &&
                           y <= WindowY(r.bottom) + 2;
                });
                if (inside)
                    continue;
                std::array<int, 3> p = PixelAt(a, x, y);
                std::array<int, 3> q = PixelAt(b, x, y);
                changed += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 48 ? 1 : 0;
            }
        return changed;
    }

    static UiRect WidgetRect(const UIWidget& widget)
    {
        return {widget.GetScreenPosition().x, widget.GetScreenPosition().y, widget.GetScreenPosition().x + widget.size[0],
                widget.GetScreenPosition().y + widget.size[1]};
    }

    // The cursor's picture stands at its point, 32 units each way.
    static UiRect CursorRect(float x, float y) { return {x - 2.0f, y - 2.0f, x + 34.0f, y + 34.0f}; }

    static bool OnScreen(const UiRect& r)
    {
        return r.left >= 0.0f && r.top >= 0.0f && r.right <= 640.0f && r.bottom <= 480.0f;
    }
};

// The widest text the language holds, as the tooltip of a probe at each edge of the screen: the
// tooltip wraps, its frame stands wholly on the screen, and every pixel it changes lies in it.
TEST_P(ShippedWordsOnScreen, ATooltipOfTheWidestTextWrapsAndStandsWhollyOnTheScreenAtEachEdge)
{
    auto* help = dynamic_cast<UIHelp*>(gUISystem->helpTopBox);
    ASSERT_NE(help, nullptr);
    std::string widest = WidestText(help->font);
    ASSERT_GT(MeasureTextW(help->font, gLocSystem->TranslateToWide(widest)).width, 640.0f)
        << "a text wider than the screen is the case at hand: " << widest;
    TypeOnConsole("showMenu WordsProbe");
    for (const char* name : {"WordsProbe::TipLeft", "WordsProbe::TipRight", "WordsProbe::TipTop", "WordsProbe::TipBottom"}) {
        UIWidget* probe = gUISystem->FindWidgetByPath(name);
        ASSERT_NE(probe, nullptr) << name;
        probe->highlightText = widest;
    }
    for (const char* name : {"WordsProbe::TipLeft", "WordsProbe::TipRight", "WordsProbe::TipTop", "WordsProbe::TipBottom"}) {
        SCOPED_TRACE(name);
        UIWidget* probe = gUISystem->FindWidgetByPath(name);
        UiRect at = WidgetRect(*probe);
        float cx = at.left + 12.0f;
        float cy = at.top + 12.0f;
        TargaImage plain = PlainShot();
        TargaImage shown = ShotWithCursorAt(cx, cy);
        ASSERT_EQ(help->GetPlacedBoxes().size(), 1u) << "one tooltip framed";
        const UIHelp::PlacedBox& frame = help->GetPlacedBoxes().front();
        UiRect box{frame.left, frame.top, frame.right, frame.bottom};
        EXPECT_TRUE(OnScreen(box)) << "frame (" << box.left << ", " << box.top << ")-(" << box.right << ", "
                                   << box.bottom << ")";
        EXPECT_GT(box.bottom - box.top, 40.0f) << "the words wrapped onto lines of their own";
        EXPECT_EQ(ChangedOutside(plain, shown, {box, at, CursorRect(cx, cy), CursorRect(639.0f, 479.0f)}), 0)
            << "the tooltip drew outside its frame";
        EXPECT_GT(BrightPixels(shown, WindowX(box.left), WindowY(box.top), WindowX(box.right), WindowY(box.bottom)),
                  200)
            << "the words are drawn in the frame";
    }
}

// Every tooltip of the screens before the game (the hardcore choice's among them), the cursor
// resting on its widget: it shows (the class model no longer hides the story frame's), its frame
// stands wholly on the screen, its words drawn in it.
TEST_P(ShippedWordsOnScreen, EveryTooltipOfTheScreensBeforeTheGameStandsWhollyOnTheScreen)
{
    auto* help = dynamic_cast<UIHelp*>(gUISystem->helpTopBox);
    ASSERT_NE(help, nullptr);
    // A profile whose best character has come far enough to be offered the challenges.
    TypeOnConsole("setUserVar NewUserName Probe");
    TypeOnConsole("newUser");
    IntArray veteran(GlobalStats::kCharacterStats);
    veteran.Set(CharacterStat::Level, GlobalStats::kChallengeLevel);
    gGlobalStats->FindOrAddRecord("Veteran", "Old Guard", veteran, IntArray(GlobalStats::kFunStats));
    int tooltips = 0;
    for (const char* name : {"Main", "Options", "OptionsInterface", "NewCharacter", "KeyBindings", "Profiles",
                             "NewProfile", "LoadCharacter", "HelpScreen"}) {
        UIMenu* menu = gUISystem->FindMenu(name);
        ASSERT_NE(menu, nullptr) << name;
        TypeOnConsole(std::string("showMenu ") + name);
        for (UIWidget* widget : menu->GetWidgets()) {
            if (widget->highlightText.empty() || !widget->IsVisible())
                continue;
            float cx = widget->GetScreenPosition().x + widget->size[0] / 2.0f;
            float cy = widget->GetScreenPosition().y + widget->size[1] / 2.0f;
            PushMouse(SDL_MOUSEMOTION, static_cast<int32_t>(cx), static_cast<int32_t>(cy));
            Frames(2);
            std::string where = std::string(name) + "::" + widget->internalName;
            EXPECT_FALSE(help->GetPlacedBoxes().empty()) << where << " shows no tooltip";
            if (help->GetPlacedBoxes().empty())
                continue;
            ++tooltips;
            for (const UIHelp::PlacedBox& frame : help->GetPlacedBoxes())
                EXPECT_TRUE(OnScreen(UiRect{frame.left, frame.top, frame.right, frame.bottom}))
                    << where << ": (" << frame.left << ", " << frame.top << ")-(" << frame.right << ", "
                    << frame.bottom << ")";
            if (widget->internalName == "HardcoreLabel") {
                const UIHelp::PlacedBox& frame = help->GetPlacedBoxes().front();
                TargaImage shot = ShotWithCursorAt(cx, cy);
                EXPECT_GT(BrightPixels(shot, WindowX(frame.left), WindowY(frame.top), WindowX(frame.right),
                                       WindowY(frame.bottom)),
                          200)
                    << "the hardcore choice's words in their frame";
            }
        }
        TypeOnConsole(std::string("hideMenu ") + name);
    }
    EXPECT_EQ(tooltips, 7) << "the four classes', the hardcore and loner choices' and the class story's";
}

// A label's words wider than its box break into lines inside it: the hardcore choice's help, a
// sentence wider than a 240-unit box, is drawn in the box and nowhere beside it.
TEST_P(ShippedWordsOnScreen, ALabelWiderThanItsBoxWrapsInsideIt)
{
    TypeOnConsole("showMenu WordsProbe");
    UIWidget* label = gUISystem->FindWidgetByPath("WordsProbe::Label");
    ASSERT_NE(label, nullptr);
    const std::string words = "$$NewCharHardcoreHelp$$";
    ASSERT_GT(MeasureTextW(label->font, gLocSystem->TranslateToWide(words)).width, label->size[0]);
    TargaImage plain = PlainShot();
    label->text = words;
    TargaImage drawn = PlainShot();
    UiRect box = WidgetRect(*label);
    EXPECT_EQ(ChangedOutside(plain, drawn, {box, CursorRect(639.0f, 479.0f)}), 0) << "words outside the label's box";
    EXPECT_GT(BrightPixels(drawn, WindowX(box.left), WindowY(box.top), WindowX(box.right), WindowY(box.bottom)), 150);
}

// A list's row wider than the list, as the trade window's offers at a high price, is cut short
// inside it rather than run over the frame beside.
TEST_P(ShippedWordsOnScreen, AListRowWiderThanItsListIsCutShortInsideIt)
{
    TypeOnConsole("showMenu WordsProbe");
    auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("WordsProbe::Rows"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 1u);
    ASSERT_GT(MeasureTextA(list->rows[0]->name, list->font).width, list->size[0]);
    list->SetVisible(false);
    TargaImage plain = PlainShot();
    list->SetVisible(true);
    TargaImage drawn = PlainShot();
    UiRect box = WidgetRect(*list);
    EXPECT_EQ(ChangedOutside(plain, drawn, {box, CursorRect(639.0f, 479.0f)}), 0) << "the row ran out of its list";
    EXPECT_GT(BrightPixels(drawn, WindowX(box.left), WindowY(box.top), WindowX(box.right), WindowY(box.bottom)), 40);
}

// The world host's refusal and a line of the log, each the widest text the language holds, break
// at the screen's width: no letter is cut at either edge of the window, and a centred refusal
// wraps clear of the buttons down the right.
TEST_P(ShippedWordsOnScreen, AMessageLineWrapsAtTheScreensWidth)
{
    ASSERT_NO_FATAL_FAILURE(StartBoth());
    ClearTheStage();
    Frames(20);
    auto fontOf = [](int32_t kind) {
        return static_cast<int32_t>(gScreenText->GetLadderFont(kind == TextEvents::kLogKind ? 0 : 1));
    };
    std::string widest = WidestText(fontOf(0));
    gGameServices->SendMessageTo(HostPlayer()->entityNumber, widest, 5);
    gGameServices->SendMessageTo(HostPlayer()->entityNumber, widest, 1);
    Frames(4);
    TargaImage shot = PlainShot();
    const UIWidget* mapButton = gUISystem->FindWidgetByPath("InGame::MapButton");
    ASSERT_NE(mapButton, nullptr);
    // White letters in the outermost columns of the window, in a message's rows, would be a line
    // cut by the window's edge.
    auto white = [](const std::array<int, 3>& p) { return p[0] > 230 && p[1] > 230 && p[2] > 230; };
    int w = shot.GetWidth();
    int lines = 0;
    for (const TextEvents::Record& record : gTextEvents->GetRecords()) {
        if (record.text != widest)
            continue;
        ++lines;
        SCOPED_TRACE("kind " + std::to_string(record.kind));
        TextSize size = MeasureTextW(fontOf(record.kind), record.displayText);
        EXPECT_GE(record.x, 0.0f);
        EXPECT_LE(record.x + size.width, 640.0f);
        // A centred line stands clear of the HUD's buttons under the mini-map, which it would cross.
        if (record.centred) {
            EXPECT_LE(record.x + size.width, mapButton->GetScreenPosition().x);
        }
        EXPECT_GT(size.height, 20.0f) << "the line broke in two or more";
        int top = std::max(0, WindowY(record.y));
        int bottom = std::min(shot.GetHeight(), WindowY(record.y + size.height));
        EXPECT_GT(BrightPixels(shot, 0, top, w, bottom), 100) << "the line is drawn";
        EXPECT_EQ(CountPixels(shot, 0, top, 3, bottom, white), 0) << "letters cut at the left edge";
        EXPECT_EQ(CountPixels(shot, w - 3, top, w, bottom, white), 0) << "letters cut at the right edge";
    }
    EXPECT_EQ(lines, 2) << "the refusal and the log line both arrived";
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, ShippedWordsOnScreen,
                         ::testing::Values(std::array<int, 2>{800, 600}, std::array<int, 2>{1024, 768}),
                         [](const ::testing::TestParamInfo<std::array<int, 2>>& info) {
                             return std::to_string(info.param[0]) + "x" + std::to_string(info.param[1]);
                         });

} // namespace
