// NewcomerEndToEndTest -- what a newcomer met in the first hour, played at 800 x 600 through the real program path (clicks and keys pushed through SDL, the world host's answers over the in-process datagrams, pictures read back): the covenant gate's map travels or says why not, the actions that did nothing say what happened, a rival's offer shows both its sides inside its window, a door opens on one click from afar, a form's refusal goes once its field is filled, a trader's endless stack reads without a count, and a notice said over open windows stands clear of them or goes on the log.
#include "app/OffscreenShots.h"

#include "client/ClientMessages.h"
#include "client/TradeWindow.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/ActorCovenant.h"
#include "covenants/TradeOffer.h"
#include "entities/Door.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Vendor.h"
#include "render/TextEvents.h"
#include "render/WorldMap.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIRelationsMenu.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

class NewcomerEndToEnd : public OffscreenShotGame {
protected:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_NO_FATAL_FAILURE(StartShippedGameAt(kWidth, kHeight));
    }
    void TearDown() override { KeepFailedFrame("NewcomerEndToEnd"); }

    void EnterTheWorldHere()
    {
        EnterTheWorld();
        ASSERT_NE(HostPlayer(), nullptr);
        ASSERT_NE(Local(), nullptr);
    }

    // The line in the refusal place; empty when none shows.
    static std::string Told()
    {
        const TextEvents::Record* shown =
            gTextEvents ? gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId) : nullptr;
        return shown ? shown->text : std::string();
    }

    // A missing widget fails the test and answers a stand-in the fixture owns: the stand-in
    // holds a font, so it has to go before the game's resources do.
    UIWidget& Widget(const std::string& path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        EXPECT_NE(widget, nullptr) << path;
        return widget ? *widget : missing;
    }
    UIWidget missing;

    static int32_t OwnCovenant() { return gClientApp->GetLocalPlayer()->GetCovenant()->index; }
    static int32_t Rival() { return OwnCovenant() == 1 ? 2 : 1; }

    static UIRelationsMenu* Relations()
    {
        return dynamic_cast<UIRelationsMenu*>(gUISystem->FindMenu("CovenantRelations"));
    }

    // The relations screen opened by its key and the rival's card clicked: its diplomacy page.
    void OpenTheRivalsPage()
    {
        Tap(SDL_SCANCODE_R);
        Frames(3);
        const UIMenu& card = *Relations()->covenantCards[static_cast<size_t>(Rival())].card;
        ClickAtUi(static_cast<int32_t>(card.position[0] + 32.0f), static_cast<int32_t>(card.position[1] + 32.0f));
        Frames(2);
    }

    // The window box of the record's words (and its margin), for reading pixels back.
    static std::array<int, 4> RecordBox(const TextEvents::Record& record)
    {
        auto at = [](float ui, int size, int whole) { return static_cast<int>(ui * static_cast<float>(size) / whole); };
        return {at(record.x, kWidth, 640), at(record.y, kHeight, 480), at(record.x + record.width, kWidth, 640),
                at(record.y + record.height, kHeight, 480)};
    }

    // A point of the open map's level square (its middle), in window pixels.
    static Vector2 LevelMiddle(int32_t level)
    {
        return gWorldMap->MapPosition(level, Vector2{0.0f, 0.0f}, true, true);
    }

    // The first of the town's traders the test wants.
    static Vendor* FindVendor(const std::function<bool(const Vendor&)>& wanted)
    {
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (auto* vendor = dynamic_cast<Vendor*>(gGame->GetEntity(number)); vendor && wanted(*vendor))
                return vendor;
        return nullptr;
    }

    static bool OnTheMapsFace(const Vector2& at)
    {
        // Clear of the map's heading, its scroll bars and the bars along the foot.
        return at.x > 60.0f && at.x < 740.0f && at.y > 70.0f && at.y < 480.0f;
    }
};

} // namespace

// Each row an action a newcomer took that used to end in silence or go nowhere, and the line it
// now gets or what it now does. The map rows click where the map draws at 800 x 600, the
// window's pixels, not the interface's units.
TEST_F(NewcomerEndToEnd, TheGatesMapTravelsAndEveryActionSaysWhatHappened)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Player* host = HostPlayer();
    Covenant* own = gGame->GetCovenant(OwnCovenant());
    Covenant* rival = gGame->GetCovenant(Rival());
    ASSERT_NE(own, nullptr);
    ASSERT_NE(rival, nullptr);
    // The trader with work to offer, chosen once some other giver's quest is held.
    // The weaponsmith with work of its own to set.
    ASSERT_NE(gGame->GetQuests().StartQuest(
                  gGameData->GetQuestDefinitions().FindIndex("QuestWeaponsmithLevelQuestItem"), nullptr, -1),
              nullptr);
    auto* smith = dynamic_cast<Actor*>(gGame->GetTownNpc(NpcType::VendorWeapon));
    ASSERT_NE(smith, nullptr);
    int32_t questsBefore = host->CountActiveQuests();
    int32_t rumourCost = 0;
    ASSERT_TRUE(rival->GetRumorCost(0, rumourCost));
    ASSERT_GT(rumourCost, 0);
    int32_t level = -1;
    Vector2 levelAt{};
    std::string listening;
    struct Row {
        const char* what;
        std::function<void()> act;
        std::string told;                 // the line now shown; empty: none expected
        std::function<bool()> done;       // what the action did; null: only the line
    };
    const Row rows[] = {
        {"a left click on a level whose gate the player never opened, on the covenant gate's map",
         [&] {
             ASSERT_NO_FATAL_FAILURE(OpenTheMapAtTheGate());
             Frames(2);
             for (int32_t l = 0; l < gWorld->GetLevelCount() && level < 0; ++l) {
                 bool gateKnown = false;
                 for (const MapPin& pin : gWorldMap->GetPins())
                     gateKnown = gateKnown || (pin.kind == 1 && pin.position.level == l);
                 if (l != host->position.level && gWorldMap->IsLevelShown(l) && !gateKnown &&
                     OnTheMapsFace(LevelMiddle(l)))
                     level = l;
             }
             ASSERT_GE(level, 0) << "a level beside the town shows on the map";
             levelAt = LevelMiddle(level);
             gTextEvents->RemoveAll();
             ClickAt(static_cast<int32_t>(levelAt.x), static_cast<int32_t>(levelAt.y));
             Frames(2);
         },
         "", [&] {
             // Named, and drawn over the map where it can be read.
             if (Told() != MakeLocToken("WorldMapNoGateOn", "%s", gWorld->GetLevelName(level).c_str()))
                 return false;
             const TextEvents::Record& line = *gTextEvents->FindTextEvent(ClientMessages::kRefusalEventId);
             std::array<int, 4> box = RecordBox(line);
             TargaImage with = Screenshot(kWidth - 1, kHeight - 1);
             gTextEvents->RemoveAll();
             TargaImage without = Screenshot(kWidth - 1, kHeight - 1);
             int changed = ChangedPixels(with, without, box[0], box[1], box[2], box[3], 60);
             return gWorldMap->IsOpen() && changed > 60;
         }},
        {"a left click on a rival covenant's mark on the covenant gate's map",
         [&] {
             const MapPin* mark = nullptr;
             for (const MapPin& pin : gWorldMap->GetPins())
                 if (pin.kind == 2 && pin.id == Rival())
                     mark = &pin;
             ASSERT_NE(mark, nullptr) << "the rival's lands are marked";
             Vector2 at = gWorldMap->MapPosition(mark->position.level, Vector2{mark->position.x, mark->position.y},
                                                 false, true);
             ASSERT_TRUE(OnTheMapsFace(at)) << at.x << ", " << at.y;
             ClickAt(static_cast<int32_t>(std::lround(at.x)), static_cast<int32_t>(std::lround(at.y)));
             Frames(6);
         },
         "", [&] {
             const Entity* home = rival->GetHomeEntity();
             return home && !gWorldMap->IsOpen() && host->position.level == home->position.level &&
                    host->position.Distance2D(home->position) < 400.0f;
         }},
        {"Take it on at the weaponsmith's window, no line of its work clicked",
         [&] {
             // Chosen at another giver, whose quest this trader does not offer.
             gUserVarSystem->SetStringByName("SelectedQuest", "9999");
             ClickOn(*BesideThePlayer(*smith));
             FramesUntil([] { return Shown("VendorMenuWithQuests"); }, 80);
             ASSERT_TRUE(Shown("VendorMenuWithQuests"));
             ClickOn(Widget("VendorMenuWithQuests::Accept"));
             Frames(4);
         },
         "", [&] { return host->CountActiveQuests() == questsBefore + 1; }},
        {"a quick rumour with no crystals in the store",
         [&] {
             Tap(SDL_SCANCODE_ESCAPE);
             own->statistics.Set(CovenantStat::Money, 0);
             OpenTheRivalsPage();
             ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsDiplomacy"));
             ClickOn(Widget("RelationsDiplomacy::RumorQuickButton"));
             Frames(3);
         },
         MakeLocToken("NotEnoughCrystalsForRumor", "%d %d", rumourCost, 0), nullptr},
        {"Offer on the Items page with nothing in the deal",
         [&] {
             ClickOn(Widget("RelationsDiplomacy::TradeButton"));
             ClickOn(Widget("RelationsTrade::ItemsButton"));
             ASSERT_EQ(Relations()->GetCurrentPage(), gUISystem->FindMenu("RelationsTradeItems"));
             listening = Widget("RelationsTradeItems::Response").text;
             ClickOn(Widget("RelationsTradeItems::ProposeButton"));
             Frames(3);
         },
         "$$TradeOfferEmpty$$", nullptr},
        {"Offer on the Items page with an adventure together in the deal",
         [&] {
             TypeOnConsole("addAdventureToOffer");
             ClickOn(Widget("RelationsTradeItems::ProposeButton"));
             Frames(4);
         },
         "", [&] {
             // The rival's answer, on the page where the offer was made.
             const std::string& shown = Widget("RelationsTradeItems::Response").text;
             return !shown.empty() && shown != listening &&
                    shown == gGameClient->GetMessages().GetDiplomacyResponse();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        gTextEvents->RemoveAll();
        row.act();
        if (HasFatalFailure())
            return;
        if (!row.told.empty()) {
            EXPECT_EQ(Told(), row.told);
        }
        if (row.done) {
            EXPECT_TRUE(row.done()) << "told: " << Told();
        }
    }
}

// A rival's offer of one of its goods against the player's money: the trade window opened by its
// key lists both sides, each inside its own field of the window, and Yes carries out what it
// showed.
TEST_F(NewcomerEndToEnd, ARivalsOfferShowsBothItsSidesInsideTheTradeWindow)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Player* host = HostPlayer();
    auto* rival = dynamic_cast<ActorCovenant*>(gGame->GetCovenant(Rival()));
    Covenant* own = gGame->GetCovenant(OwnCovenant());
    ASSERT_NE(rival, nullptr);
    std::unique_ptr<ItemBase> bread = std::make_unique<Item>();
    bread->SetEntryByName("TravelBread");
    std::string breadName = bread->GetDisplayName();
    // Room made in the rival's goods for the bread.
    rival->inventory->DeleteAt(ActorCovenant::kGoodsBag, 0);
    ASSERT_TRUE(rival->inventory->PlaceItem(bread, ActorCovenant::kGoodsBag, 0, kPlaceAnyGroup));
    int32_t slot = -1;
    for (int32_t s = 0; s < rival->inventory->GetSlotCount(ActorCovenant::kGoodsBag) && slot < 0; ++s)
        if (const ItemBase* held = rival->inventory->GetItem(ActorCovenant::kGoodsBag, s);
            held && held->GetDisplayName() == breadName)
            slot = s;
    ASSERT_GE(slot, 0);
    host->stats.Set(CharacterStat::Money, 50);
    TradeOffer offer;
    offer.entries = {{1, TradeOfferKind::LeaderMoney, 3},
                     {0, TradeOfferKind::Item, TradeOfferEntry::PackItemPlace(ActorCovenant::kGoodsBag, slot)}};
    rival->SendOffer(*own, offer);
    Frames(3);
    Tap(SDL_SCANCODE_T);
    ASSERT_TRUE(Shown("Trade"));
    Frames(2);

    const UIWidget& panel = Widget("Trade::Panel");
    // The frame's border: three of the 64 texels its picture is, stretched over the window.
    float borderX = panel.size[0] * 3.0f / 64.0f;
    struct Side {
        const char* list;
        const char* field;
        std::string words;
    };
    const Side sides[] = {{"Trade::IncomingAsked", "Trade::IncomingAskedField", FormatMoney(3)},
                          {"Trade::IncomingGiven", "Trade::IncomingGivenField", breadName}};
    TargaImage shown = Screenshot(kWidth - 1, kHeight - 1);
    for (const Side& side : sides) {
        SCOPED_TRACE(side.list);
        auto* list = dynamic_cast<UIList*>(&Widget(side.list));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->rows.size(), 1u);
        EXPECT_EQ(list->rows[0]->name, side.words);
        const UIWidget& field = Widget(side.field);
        float left = list->GetScreenPosition().x;
        EXPECT_GE(field.GetScreenPosition().x + 2.0f, panel.GetScreenPosition().x) << "the field stands in the window";
        EXPECT_GE(left, field.GetScreenPosition().x + 2.0f) << "the words start inside their field";
        EXPECT_LE(left + list->size[0], field.GetScreenPosition().x + field.size[0] - 2.0f);
        EXPECT_GT(left, panel.GetScreenPosition().x + borderX * 0.5f) << "the words are off the frame's edge";
        // Drawn: the words' pixels change when the list is hidden, and only inside the field.
        list->SetVisible(false);
        TargaImage hidden = Screenshot(kWidth - 1, kHeight - 1);
        list->SetVisible(true);
        auto px = [](float ui, int size, int whole) { return static_cast<int>(ui * static_cast<float>(size) / whole); };
        int x0 = px(field.GetScreenPosition().x, kWidth, 640);
        int y0 = px(field.GetScreenPosition().y, kHeight, 480);
        int x1 = px(field.GetScreenPosition().x + field.size[0], kWidth, 640);
        int y1 = px(field.GetScreenPosition().y + field.size[1], kHeight, 480);
        EXPECT_GT(ChangedPixels(shown, hidden, x0, y0, x1, y1, 60), 20) << "the row is drawn in its field";
        // The rest of the window stands still (the world round it may not: townsfolk walk).
        int px0 = px(panel.GetScreenPosition().x, kWidth, 640);
        int py0 = px(panel.GetScreenPosition().y, kHeight, 480);
        int px1 = px(panel.GetScreenPosition().x + panel.size[0], kWidth, 640);
        int py1 = px(panel.GetScreenPosition().y + panel.size[1], kHeight, 480);
        EXPECT_EQ(ChangedPixels(shown, hidden, px0, py0, px1, py1, 60), ChangedPixels(shown, hidden, x0, y0, x1, y1, 60))
            << "and nowhere else in the window";
    }

    ClickOn(Widget("Trade::Accept"));
    Frames(4);
    EXPECT_EQ(host->stats.Get(CharacterStat::Money), 47) << "the price the window showed";
    bool breadCarried = false;
    for (int32_t group = InventoryGroupIndex::Bag1; group <= InventoryGroupIndex::Bag4; ++group)
        for (int32_t s = 0; s < host->inventory->GetSlotCount(group); ++s)
            if (const ItemBase* item = host->inventory->GetItem(group, s))
                breadCarried = breadCarried || item->GetDisplayName() == breadName;
    EXPECT_TRUE(breadCarried) << "the goods the window showed";
}

// A closed door of the shipped level beside the town, in its hedge's gap, clicked once from a few
// steps off: the player walks up to it and it opens, as a chest does.
TEST_F(NewcomerEndToEnd, OneClickOnADoorFromAfarWalksUpAndOpensIt)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Player* host = HostPlayer();
    host->Warp(WorldPos{1, gWorld->GetLevelWidth() / 2.0f, gWorld->GetLevelHeight() / 2.0f, true});
    Frames(30);
    Door* door = nullptr;
    for (int32_t number = 0; number < GameServices::kMaxEntities && !door; ++number) {
        auto* found = dynamic_cast<Door*>(gGame->GetEntity(number));
        if (found && found->IsPrimary() && found->position.level == 1 && found->requiredKey.empty() && !found->secret &&
            found->GetState() == DoorState::Closed)
            door = found;
    }
    ASSERT_NE(door, nullptr) << "the level beside the town has a door";
    // From each side in turn until the door shows where a click lands on it (from some sides the
    // hedge or the bar along the foot of the screen stands in front of it).
    bool clicked = false;
    for (int side = 0; side < 8 && !clicked; ++side) {
        float angle = static_cast<float>(side) * 3.14159265f / 4.0f;
        host->Warp(door->position.Offset(Vector2{std::cos(angle) * 220.0f, std::sin(angle) * 220.0f}));
        Local()->SetTarget(nullptr, true);
        ClearTheStage();
        Frames(10);
        EntityClient* shown = gGameClient->GetEntity(door->entityNumber);
        int32_t x = 0;
        int32_t y = 0;
        if (!shown || !FindPickPoint(*shown, x, y))
            continue;
        ClickAtUi(x, y);
        clicked = Local()->GetInteractionTarget() == shown;
    }
    ASSERT_TRUE(clicked) << "the door is clicked from some side";
    float far = host->position.Distance2D(door->position);
    FramesUntil([door] { return door->GetState() == DoorState::Open; }, 200);
    EXPECT_EQ(door->GetState(), DoorState::Open) << "the player stopped " << host->position.Distance2D(door->position)
                                                 << " away, from " << far << ", in mode "
                                                 << Local()->GetInteractionMode();
}

// A form refused for an empty field: the refusal stands until the field is filled, then goes,
// whether the name is typed or drawn at random; typing in another field of the form leaves it.
TEST_F(NewcomerEndToEnd, AFormsRefusalGoesOnceItsFieldIsFilled)
{
    // Each form reached from the last one's screen by the steps given ("Escape" a key); the
    // form's other field, when it has one.
    struct Form {
        std::vector<const char*> steps;
        const char* field;
        const char* submit;
        const char* refusal;
        std::function<void()> fill;
        const char* other;
    };
    const Form forms[] = {
        {{"Main::Profiles", "Profiles::New"}, "NewProfile::Name", "NewProfile::Create", "$$ErrorUserNameEmpty$$",
         [this] { TypeKeys("Ash"); }, nullptr},
        {{"Escape", "Profiles::Back", "Main::NewGame"}, "NewCharacter::Covenant", "NewCharacter::Start",
         "$$ErrorCovenantNameEmpty$$", [this] { TypeKeys("Ash"); }, "NewCharacter::Name"},
        {{}, "NewCharacter::Name", "NewCharacter::Start", "$$ErrorCharacterNameEmpty$$",
         [this] { ClickOn(Widget("NewCharacter::RandomName")); }, "NewCharacter::Covenant"},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.refusal);
        for (const char* step : form.steps) {
            if (std::string(step) == "Escape")
                Tap(SDL_SCANCODE_ESCAPE);
            else
                ClickOn(Widget(step));
            Frames(2);
        }
        ClickOn(Widget(form.field));
        for (int i = 0; i < 30; ++i)
            Tap(SDL_SCANCODE_BACKSPACE);
        ClickOn(Widget(form.submit));
        Frames(2);
        const std::string error = std::string(form.field).substr(0, std::string(form.field).find(':')) + "::Error";
        ASSERT_EQ(Widget(error).text, form.refusal) << "refused for the empty field";
        if (form.other) {
            ClickOn(Widget(form.other));
            TypeKeys("Bo");
            Tap(SDL_SCANCODE_BACKSPACE);
            Frames(2);
            EXPECT_EQ(Widget(error).text, form.refusal) << "typed in " << form.other;
        }
        ClickOn(Widget(form.field));
        form.fill();
        Frames(2);
        EXPECT_EQ(Widget(error).text, "") << "the field is filled now";
    }
}

// The guard captain's guards never run out: the cell shows no count and its tooltip no
// "1000000000 of 1000000000", before a guard is bought and after.
TEST_F(NewcomerEndToEnd, AnEndlessStackReadsWithoutACount)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Vendor* captain = FindVendor([](const Vendor& v) { return v.IsGuardVendor(); });
    ASSERT_NE(captain, nullptr);
    ClickOn(*BesideThePlayer(*captain));
    FramesUntil([] { return Shown("VendorMenu") || Shown("VendorMenuWithQuests"); }, 80);
    const char* menu = Shown("VendorMenu") ? "VendorMenu" : "VendorMenuWithQuests";
    UIWidget& cell = Widget(std::string(menu) + "::Goods0");
    HostPlayer()->stats.Set(CharacterStat::Money, 1000000);
    for (int bought = 0; bought < 2; ++bought) {
        SCOPED_TRACE(bought);
        auto [x, y] = CentreOf(cell);
        // A click puts the tooltip away until the mouse moves: it comes to the cell from elsewhere.
        PushMotion(0, 0);
        Frames(1);
        PushMotion(x * kWidth / 640, y * kHeight / 480);
        Frames(3);
        ShownTooltip tip = ReadTooltip();
        ASSERT_FALSE(tip.text.empty()) << "the guard has its tooltip";
        EXPECT_EQ(tip.text.find("$$TooltipStack"), std::string::npos) << tip.text;
        EXPECT_EQ(tip.text.find("99999999"), std::string::npos) << tip.text;
        ClickOn(cell, SDL_BUTTON_RIGHT);
        Frames(4);
    }
}


// A refusal said while the character sheet and the pack stand open ("IdentifyAll" with nothing to
// identify), which leave no room beside them and have words where it is said: it is written on
// none of the two windows, but put on the log, to be read when they close.
TEST_F(NewcomerEndToEnd, ARefusalWithNoRoomBesideTheOpenWindowsGoesOnTheLog)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Tap(SDL_SCANCODE_C);
    Tap(SDL_SCANCODE_I);
    Frames(2);
    ASSERT_TRUE(Shown("Character"));
    ASSERT_TRUE(Shown("Inventory"));
    gTextEvents->RemoveAll();
    TypeOnConsole("IdentifyAll");
    auto logged = [] {
        const auto& records = gTextEvents->GetRecords();
        return std::any_of(records.begin(), records.end(), [](const TextEvents::Record& record) {
            return record.kind == TextEvents::kLogKind && record.text == "$$NothingToIdentify$$";
        });
    };
    FramesUntil(logged, 20);
    Frames(2);
    EXPECT_TRUE(logged()) << "the refusal is not on the log";
    EXPECT_EQ(Told(), "") << "the refusal is still said over the windows";
    std::vector<FrameUi::WidgetBox> windows;
    gUISystem->GetWindowBoxes(windows);
    TargaImage after = Screenshot(kWidth - 1, kHeight - 1);
    gTextEvents->RemoveAll();
    TargaImage before = Screenshot(kWidth - 1, kHeight - 1);
    for (const FrameUi::WidgetBox& window : windows) {
        if (!window.window)
            continue;
        auto at = [](float ui, int size, int whole) { return static_cast<int>(ui * static_cast<float>(size) / whole); };
        EXPECT_LT(ChangedPixels(before, after, at(window.box[0], kWidth, 640), at(window.box[1], kHeight, 480),
                                at(window.box[2], kWidth, 640), at(window.box[3], kHeight, 480), 60),
                  40)
            << "something is written over the window at " << window.box[0] << ", " << window.box[1];
    }
}

// The notices said while windows stand open (or before a window opens over them), each through
// the player's own clicks and keys: each is drawn where it crosses no open window (on a page that
// fills the screen, none of the page's words and pictures, its covenant's name among them), or,
// where the windows leave no room for it, it goes on the log to be read when they close. None is
// written across a window.
TEST_F(NewcomerEndToEnd, ANoticeSaidOverOpenWindowsStandsClearOfThemOrGoesOnTheLog)
{
    ASSERT_NO_FATAL_FAILURE(EnterTheWorldHere());
    Covenant* own = gGame->GetCovenant(OwnCovenant());
    ASSERT_NE(own, nullptr);
    enum Where { kBesideTheWindows, kOnThePage, kOnTheLog };
    struct Row {
        const char* what;
        std::function<void()> act;
        std::string said;
        Where where;
    };
    auto closeAll = [this] {
        for (int i = 0; i < 4 && !gUISystem->GetMenuStack().empty(); ++i)
            Tap(SDL_SCANCODE_ESCAPE);
        for (const char* window :
             {"CharacterExport", "Character", "Inventory", "Quests", "VendorMenu", "VendorMenuWithQuests"})
            gUISystem->HideMenu(window);
        Frames(2);
        gTextEvents->RemoveAll();
    };
    int32_t rumourCost = 0;
    ASSERT_TRUE(gGame->GetCovenant(Rival())->GetRumorCost(0, rumourCost));
    const Row rows[] = {
        {"the character export's line, over the sheet and its export box",
         [&] {
             Tap(SDL_SCANCODE_C);
             ClickOn(Widget("Character::Export"));
             ClickOn(Widget("CharacterExport::Sheet"));
         },
         "$$CharacterExportedToHTML$$", kBesideTheWindows},
        {"Identify all with nothing to identify, over a bag window alone",
         [&] {
             Tap(SDL_SCANCODE_I);
             ClickOn(Widget("Inventory::BagPlace0"), SDL_BUTTON_RIGHT);
             Tap(SDL_SCANCODE_I);
             TypeOnConsole("IdentifyAll");
         },
         "$$NothingToIdentify$$", kBesideTheWindows},
        {"Identify all with nothing to identify, said with no window open, then the quests opened over it",
         [&] {
             TypeOnConsole("IdentifyAll");
             FramesUntil([] { return !Told().empty(); }, 20);
             ASSERT_EQ(Told(), "$$NothingToIdentify$$");
             Tap(SDL_SCANCODE_Q);
             ASSERT_TRUE(Shown("Quests"));
         },
         "$$NothingToIdentify$$", kBesideTheWindows},
        {"a purchase the purse cannot pay, at a trader whose goods and the pack leave no room",
         [&] {
             Vendor* trader = FindVendor([](const Vendor& found) { return !found.IsGambler() && !found.IsGuardVendor(); });
             ASSERT_NE(trader, nullptr);
             HostPlayer()->stats.Set(CharacterStat::Money, 0);
             ClickOn(*BesideThePlayer(*trader));
             FramesUntil([] { return Shown("Inventory"); }, 80);
             ASSERT_TRUE(Shown("Inventory"));
             const char* goods = Shown("VendorMenu") ? "VendorMenu::Goods0" : "VendorMenuWithQuests::Goods0";
             ClickOn(Widget(goods), SDL_BUTTON_RIGHT);
         },
         "$$CantAffordItem$$", kOnTheLog},
        {"a rumour the store cannot pay, on the relations screen's page about the rival",
         [&] {
             own->statistics.Set(CovenantStat::Money, 0);
             OpenTheRivalsPage();
             ClickOn(Widget("RelationsDiplomacy::RumorQuickButton"));
         },
         MakeLocToken("NotEnoughCrystalsForRumor", "%d %d", rumourCost, 0), kOnThePage},
    };
    auto said = [](const std::string& text, bool log) -> const TextEvents::Record* {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.text == text && (record.kind == TextEvents::kLogKind) == log)
                return &record;
        return nullptr;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        closeAll();
        row.act();
        FramesUntil([&] { return said(row.said, row.where == kOnTheLog) != nullptr; }, 20);
        Frames(2);
        std::vector<FrameUi::WidgetBox> boxes;
        gUISystem->GetWindowBoxes(boxes);
        ASSERT_TRUE(std::any_of(boxes.begin(), boxes.end(), [](const auto& b) { return b.window; }) ||
                    row.where == kOnThePage)
            << "no window open";
        if (row.where == kOnTheLog) {
            EXPECT_NE(said(row.said, true), nullptr) << "not on the log";
            EXPECT_EQ(said(row.said, false), nullptr) << "still said over the windows";
            continue;
        }
        const TextEvents::Record* notice = said(row.said, false);
        ASSERT_NE(notice, nullptr) << "not said";
        auto crosses = [notice](const std::array<float, 4>& box) {
            return notice->x < box[2] && box[0] < notice->x + notice->width && notice->y < box[3] &&
                   box[1] < notice->y + notice->height;
        };
        for (const FrameUi::WidgetBox& box : boxes)
            EXPECT_FALSE(crosses(box.box) && (box.window || row.where == kOnThePage))
                << (box.window ? "a window" : "a widget") << " at " << box.box[0] << ", " << box.box[1] << " .. "
                << box.box[2] << ", " << box.box[3] << " under the line at " << notice->x << ", " << notice->y;
        if (row.where == kOnThePage) {
            // The rival's name, which the screen draws itself beside the page's widgets.
            const UIWidget& name = *Relations()->selectedNameWidget;
            Vector2 at = name.GetScreenPosition();
            EXPECT_FALSE(crosses({at.x, at.y, at.x + name.size[0], at.y + name.size[1]})) << "the rival's name";
        }
        std::array<int, 4> at = RecordBox(*notice);
        TargaImage with = Screenshot(kWidth - 1, kHeight - 1);
        gTextEvents->RemoveAll();
        TargaImage without = Screenshot(kWidth - 1, kHeight - 1);
        EXPECT_GT(ChangedPixels(with, without, at[0], at[1], at[2], at[3], 60), 60) << "the line is drawn where it lies";
    }
}
