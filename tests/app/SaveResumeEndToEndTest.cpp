// SaveResumeEndToEndTest -- the shipped game offscreen, driven by SDL clicks: a new character walks, is saved and left through the game menu's confirmation, and is resumed from the saved-character list into its own world with its name, level and place; a sale and a purchase outlast a death and a resume; the town's people keep their names; a hardcore character that dies is gone.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/ClientProfiles.h"
#include "client/CovenantClient.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "client/UserProfile.h"
#include "core/EngineEnums.h"
#include "core/Database.h"
#include "core/MessageBuffer.h"
#include "core/StringUtil.h"
#include "core/DatabaseEntry.h"
#include "core/UserVarSystem.h"
#include "covenants/ActorCovenant.h"
#include "entities/Actor.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "entities/Vendor.h"
#include "render/TextEvents.h"
#include "support/ProfileFileBytes.h"
#include "rules/RulesEnums.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "server/spawn/SpawnSystem.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UISkillSlot.h"
#include "ui/widgets/UISkillSlotButtons.h"
#include "world/World.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

class ShippedScreensSaveResume : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    // New game from the title, the covenant named "Ashguard"; true once the host has the player and
    // the client mirrors it.
    bool StartANewGame()
    {
        ClickAt(320, 196);
        ClickAt(330, 133);
        TypeKeys("Ashguard");
        ClickAt(440, 408);
        return WaitForTheGame();
    }

    // "saveAndExit" back to the title with the world host stopped, then "resumeGame" into the
    // saved world, twenty frames on.
    void SaveExitAndResume()
    {
        TypeOnConsole("saveAndExit");
        ASSERT_TRUE(Shown("Main"));
        ASSERT_FALSE(gWorldHost->IsActive());
        TypeOnConsole("resumeGame");
        ASSERT_TRUE(WaitForTheGame());
        Frames(20);
    }

    // A screen point off the centre whose ground is open.
    static bool FindOpenGround(int32_t& uiX, int32_t& uiY)
    {
        for (int32_t dx : {90, -90, 60, -60, 120, -120})
            for (int32_t dy : {40, -40, 0, 70, -70}) {
                WorldPos ground = Client::ScreenToWorld(320 + dx, 240 + dy, true);
                if (!gWorld->IsBlockedNear(ground, 40.0f) &&
                    !Client::PickEntityAt(320 + dx, 240 + dy, gClientApp->GetLocalPlayer())) {
                    uiX = 320 + dx;
                    uiY = 240 + dy;
                    return true;
                }
            }
        return false;
    }

    // Frames until the client's walk has ended and the host's player stands where it does.
    void WaitUntilArrived(const Player& host)
    {
        PlayerClient* player = gClientApp->GetLocalPlayer();
        for (int i = 0; i < 200 && (player->IsMoving() || host.position.Distance2D(player->GetPosition()) > 0.01f); ++i)
            Frames(1);
    }

    static ActorCovenant* HostRival(int32_t i) { return dynamic_cast<ActorCovenant*>(gGame->GetCovenant(i)); }

    static Vendor* HostTrader() { return dynamic_cast<Vendor*>(gGame->GetTownNpc(NpcType::VendorBasic)); }

    // The trader's occupied cells, each as its number and the item's record.
    static std::vector<std::string> StockOf(const Vendor& trader)
    {
        std::vector<std::string> cells;
        for (int32_t cell = 0; cell < Vendor::kStockSize; ++cell)
            if (const Item* item = trader.GetStockItem(cell))
                cells.push_back(std::to_string(cell) + " " + std::string(item->GetEntry()->GetName()));
        return cells;
    }

    // What does not drift as the rivals think: who they are, where their homes stand, whether they fell.
    static std::vector<std::string> HostRivalFacts()
    {
        std::vector<std::string> facts;
        for (int32_t i = 0; HostRival(i); ++i) {
            const ActorCovenant& rival = *HostRival(i);
            facts.push_back(rival.GetName() + " " + rival.GetDefinitionName() + " " + std::to_string(rival.homeLevel) +
                            " " + std::to_string(rival.homeX) + " " + std::to_string(rival.homeY) + " " +
                            std::to_string(rival.eliminated) + " " + std::to_string(rival.CountRecruits()));
        }
        return facts;
    }

    static int32_t CountHostLifestones()
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = gGame->GetEntity(number);
                entity && entity->GetEntry() && entity->GetEntry()->GetName() == "ObjectLifestone")
                ++count;
        return count;
    }

    // The loose objects the world save keeps (doors, chests, torches and the rest), counted by
    // record: found through each model's own "ObjectType" line, as the running program finds them.
    static std::map<std::string, int32_t> CountHostObjects()
    {
        std::map<std::string, int32_t> counts;
        const LevelFiller& filler = gSpawnSystem->GetLevelFiller();
        for (int32_t number = 0; number < Game::kMaxEntities; ++number) {
            const Entity* entity = gGame->GetEntity(number);
            const DatabaseEntry* record = entity && entity->IsFree() && entity->covenantIndex < 0 &&
                                                  !dynamic_cast<const Gate*>(entity)
                                              ? filler.FindObjectRecord(entity->modelName)
                                              : nullptr;
            if (record)
                ++counts[std::string(record->GetName())];
        }
        return counts;
    }

    bool UserFileExists(const std::string& path) const
    {
        return std::filesystem::exists(folder.Path() / "User" / path);
    }

    // How many of the item the host's player carries in its bags, stacks counted.
    static int32_t CountCarried(const std::string& name)
    {
        int32_t count = 0;
        for (int32_t bag = InventoryGroupIndex::Bag1; bag < InventoryGroupIndex::Bag1 + 4; ++bag)
            for (int32_t slot = 0; slot < HostPlayer()->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = HostPlayer()->inventory->GetItem(bag, slot);
                    item && item->GetEntry()->GetName() == name)
                    count += item->GetStackCount();
        return count;
    }

    // The player set down beside the basic trader and its trade opened by clicks on it, as a
    // player opens it; false when the window never opened.
    bool OpenTheTrader()
    {
        Vendor* trader = HostTrader();
        if (!trader)
            return false;
        Local()->Teleport(trader->position.Offset(Vector2{60.0f, 60.0f}));
        Frames(6);
        for (int click = 0; click < 6 && !Shown("VendorMenu"); ++click) {
            EntityClient* shown = gGameClient->GetEntity(trader->entityNumber);
            int32_t x = 0;
            int32_t y = 0;
            if (!shown || !FindPickPoint(*shown, x, y))
                return false;
            ClickAt(x, y);
            FramesUntil([] { return Shown("VendorMenu"); }, 40);
        }
        return Shown("VendorMenu");
    }

    // Struck down on the host; true once the death screen shows.
    bool Die()
    {
        HostPlayer()->TakeDamage(HostPlayer()->health + 100, nullptr, false, true);
        FramesUntil([] { return Shown("PlayerDead"); }, 60);
        Frames(3);
        return Shown("PlayerDead");
    }
};

TEST_F(ShippedScreensSaveResume, ACharacterSavedAndLeftFromTheGameMenuIsResumedFromTheListInItsOwnWorld)
{
    // A new character named on the new-character screen, its covenant typed, started.
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    ClickAt(330, 101);
    for (int i = 0; i < 24; ++i)
        Tap(SDL_SCANCODE_BACKSPACE);
    TypeKeys("Brannoc");
    ClickAt(330, 133);
    TypeKeys("Ashguard");
    ClickAt(440, 408);
    ASSERT_TRUE(WaitForTheGame());
    Player* host = HostPlayer();

    // A step: a click on open ground walks the player away from where it was placed.
    WorldPos placed = host->position;
    int32_t uiX = 0;
    int32_t uiY = 0;
    ASSERT_TRUE(FindOpenGround(uiX, uiY));
    WorldPos goal = Client::ScreenToWorld(uiX, uiY, true);
    ClickAt(uiX, uiY);
    WaitUntilArrived(*host);
    ASSERT_GT(host->position.Distance2D(placed), 10.0f) << "the click walked the player";
    EXPECT_LT(host->position.Distance2D(goal), 1.0f) << "the walk ends where the click was";
    // Experience as slain monsters give it, so that the level kept is not the one every character starts at.
    host->GainExperience(1, 0, 50.0f);
    int32_t level = host->GetStat(CharacterStat::Level);
    ASSERT_GT(level, 1);
    for (int i = 0; i < 40 && gClientApp->GetLocalPlayer()->GetStat(CharacterStat::Level) != level; ++i)
        Frames(1);
    ASSERT_EQ(gClientApp->GetLocalPlayer()->GetStat(CharacterStat::Level), level);
    WorldPos saved = host->position;
    uint32_t worldSeed = gWorld->GetLayoutSeed();

    // The game menu's save and leave, asked and confirmed.
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("GameMenu"));
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("ConfirmSaveExit"));
    ClickAt(250, 275);
    EXPECT_FALSE(gClientApp->IsActive());
    EXPECT_FALSE(gWorldHost->IsActive()) << "the world host's game ended with the client's";
    EXPECT_TRUE(Shown("Main"));
    EXPECT_FALSE(Shown("InGame"));
    EXPECT_TRUE(UserFileExists("chars/brannoc.chr"));
    EXPECT_TRUE(UserFileExists("chars/brannoc.wld"));
    EXPECT_TRUE(UserFileExists("chars/global.sts")) << "the all-time records are kept with the character";
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), "Brannoc");
    Frames(2);

    // The saved characters: the row names the character, its covenant and level.
    ClickAt(320, 280);
    ASSERT_TRUE(Shown("LoadCharacter"));
    auto* list = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("LoadCharacter::Characters"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 1u);
    const std::string& row = list->rows[0]->name;
    EXPECT_EQ(row.rfind("Brannoc (Ashguard)", 0), 0u) << "the character's name as typed, then the covenant's: " << row;
    EXPECT_NE(row.find("level " + std::to_string(level)), std::string::npos) << row;
    UIWidget* resume = gUISystem->FindWidgetByPath("LoadCharacter::Resume");
    ASSERT_NE(resume, nullptr);
    EXPECT_FALSE(resume->IsVisible()) << "nothing to resume until a row is chosen";
    ClickAt(150, 100);
    EXPECT_TRUE(resume->IsVisible());
    // The row's letters in the list's field, and the resume button's bronze face.
    TargaImage screen = Screenshot();
    int lit = 0;
    for (int y = 90; y < 124; ++y)
        for (int x = 92; x < 400; ++x) {
            std::array<int, 3> p = PixelAt(screen, x, y);
            lit += std::max({p[0], p[1], p[2]}) > 150;
        }
    EXPECT_GT(lit, 60);
    std::array<int, 3> face = PixelAt(screen, 430, 396);
    EXPECT_TRUE(face[0] > 25 && face[0] > face[1] && face[1] > face[2]);
    KeepFailedFrame("SaveResume-list");
    ClickAt(480, 408);
    ASSERT_TRUE(WaitForTheGame());

    // The same character in the same world, where it was left.
    EXPECT_FALSE(Shown("LoadCharacter"));
    EXPECT_TRUE(Shown("InGame"));
    host = HostPlayer();
    EXPECT_EQ(host->playerName, "Brannoc");
    EXPECT_EQ(host->GetStat(CharacterStat::Level), level);
    EXPECT_EQ(gWorld->GetLayoutSeed(), worldSeed);
    EXPECT_EQ(host->position.level, saved.level);
    EXPECT_LT(host->position.Distance2D(saved), 2.0f)
        << "left at " << saved.x << "," << saved.y << ", back at " << host->position.x << "," << host->position.y;
    PlayerClient* mirror = gClientApp->GetLocalPlayer();
    EXPECT_EQ(mirror->characterName, "Brannoc");
    EXPECT_EQ(mirror->GetStat(CharacterStat::Level), level);
    EXPECT_EQ(gWorldHost->GetClients().size(), 1u) << "one client, in a world of its own";
    // The all-time records hold the character once, at its level.
    GlobalStats::Holder best = gGlobalStats->GetRecordHolder(GlobalStats::kGroupCharacter, CharacterStat::Level);
    EXPECT_EQ(best.label.rfind("Brannoc (", 0), 0u) << best.label;
    EXPECT_EQ(best.value, level);
    EXPECT_EQ(gGlobalStats->GetRecords().size(), 1u);
    // The character sheet names the resumed character and its class.
    Tap(SDL_SCANCODE_C);
    ASSERT_TRUE(Shown("Character"));
    UIWidget* shownName = gUISystem->FindWidgetByPath("Character::PlayerName");
    UIWidget* shownClass = gUISystem->FindWidgetByPath("Character::ClassName");
    ASSERT_TRUE(shownName && shownClass);
    EXPECT_EQ(shownName->BuildText(shownName->textSource), "Brannoc");
    EXPECT_NE(shownClass->BuildText(shownClass->textSource).find("Warden"), std::string::npos);

    // Saved and left again, then deleted from the list after its question: its files go with it.
    ClickAt(16 + 260, 4 + 16);
    ASSERT_FALSE(Shown("Character"));
    // The resumed world's rivals stand: it is not won, and no one is asked whether to end it.
    EXPECT_FALSE(Shown("ConfirmWin"));
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("GameMenu"));
    ClickAt(320, 238);
    ClickAt(250, 275);
    ASSERT_TRUE(Shown("Main"));
    ClickAt(320, 280);
    ClickAt(150, 100);
    ClickAt(320, 408);
    ASSERT_TRUE(Shown("ConfirmDeleteCharacter"));
    ClickAt(170 + 80, 170 + 105);
    EXPECT_FALSE(Shown("ConfirmDeleteCharacter"));
    EXPECT_TRUE(Shown("LoadCharacter"));
    // Read again from the folder: only the row that says none is saved is left.
    ASSERT_EQ(list->rows.size(), 1u) << "the list read the folder again";
    EXPECT_EQ(list->rows[0]->name, "$$LoadCharNone$$");
    EXPECT_EQ(list->rows[0]->enabled, 0);
    EXPECT_FALSE(UserFileExists("chars/brannoc.chr"));
    EXPECT_FALSE(UserFileExists("chars/brannoc.wld"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), "");
}

TEST_F(ShippedScreensSaveResume, AResumedCovenantGameHasItsRivalsAsSavedOnTheHostAndInTheMirrors)
{
    ASSERT_TRUE(StartANewGame());
    std::vector<std::string> rivals = HostRivalFacts();
    auto count = static_cast<int32_t>(rivals.size());
    ASSERT_GE(count, 3) << "a new game has its rivals";
    int32_t own = HostPlayer()->covenantIndex;
    ASSERT_EQ(own, count) << "the player's covenant joins after the rivals";
    // Moved from where a new world puts them, so that only the save can bring them back so.
    HostRival(0)->SetRelation(own, 17.25f);
    HostRival(1)->Eliminate(nullptr, true, false);
    Frames(5);
    rivals = HostRivalFacts();
    int32_t lifestones = CountHostLifestones();
    std::map<std::string, int32_t> objects = CountHostObjects();
    ASSERT_FALSE(objects.empty()) << "the shipped levels lay objects the save keeps";
    ASSERT_EQ(lifestones, count + 1) << "a home for each rival and the player's";

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());

    EXPECT_FALSE(Shown("ConfirmWin")) << "a world with living rivals is not won";
    EXPECT_FALSE(gGame->IsWorldWon());
    EXPECT_EQ(HostRivalFacts(), rivals);
    EXPECT_EQ(HostPlayer()->covenantIndex, own);
    EXPECT_NEAR(HostRival(0)->GetRelation(own), 17.25f, 2.0f) << "the relation as saved, not as a new world draws it";
    EXPECT_EQ(CountHostLifestones(), lifestones) << "each home once: none read back beside the one remade";
    EXPECT_EQ(CountHostObjects(), objects) << "every saved object back, once";
    ASSERT_EQ(gGameClient->GetCovenantCount(), count + 1);
    for (int32_t i = 0; i < count; ++i) {
        CovenantClient* mirror = gGameClient->GetCovenant(i, false);
        ASSERT_NE(mirror, nullptr) << i;
        EXPECT_EQ(mirror->GetName(), HostRival(i)->GetName()) << i;
        EXPECT_EQ(mirror->eliminated, HostRival(i)->eliminated) << i;
        EXPECT_EQ(mirror->homeX, HostRival(i)->homeX) << i;
    }
    EXPECT_NEAR(gGameClient->GetCovenant(0, false)->GetRelation(own), 17.25f, 2.0f);
    EXPECT_TRUE(gGameClient->GetCovenant(1, false)->eliminated);
}

// The trader's stock and what the player sold it, and the treaties and routes of the player's
// covenant, kept by the world file on the trader's and the rivals' side: after "saveAndExit"
// and "resumeGame" they stand as they were left, on the host and in the player's mirror, and
// no covenant pays a tax period for the resume.
TEST_F(ShippedScreensSaveResume, AResumedGameKeepsTheTradersBuyBackAndThePlayersTreaties)
{
    ASSERT_TRUE(StartANewGame());
    int32_t own = HostPlayer()->covenantIndex;
    Covenant* mine = gGame->GetCovenant(own);
    ASSERT_NE(mine, nullptr);
    gGame->AnnounceDiplomacy(mine->index, HostRival(0)->index, CovenantTreaty::War, false);
    gGame->SetTradeRoute(mine, HostRival(2), TradeRouteType::Small, true);
    Vendor* trader = HostTrader();
    ASSERT_NE(trader, nullptr);
    trader->MeetCustomer(HostPlayer());
    auto blade = std::make_unique<Item>();
    blade->SetEntry(gDatabase->FindEntryByName("CinderBlade"));
    trader->AcceptSoldItem(std::move(blade), 0);
    Frames(5);
    std::vector<std::string> stock = StockOf(*trader);
    ASSERT_EQ(stock.back(), "23 CinderBlade") << "the blade waits in the last buy-back cell";
    ASSERT_EQ(mine->GetTreatyState(0), CovenantTreaty::War);
    ASSERT_EQ(mine->GetTradeRouteKind(2), TradeRouteType::Small);

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());

    ASSERT_NE(HostTrader(), nullptr);
    EXPECT_EQ(StockOf(*HostTrader()), stock) << "the stock as it was left, not drawn again";
    mine = gGame->GetCovenant(HostPlayer()->covenantIndex);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(HostRival(0)->GetTreatyState(own), CovenantTreaty::War);
    EXPECT_EQ(mine->GetTreatyState(0), CovenantTreaty::War) << "at war on both sides";
    EXPECT_TRUE(mine->IsAtWarWith(0));
    EXPECT_EQ(mine->GetTradeRouteKind(2), TradeRouteType::Small)
        << "the route draws for the player again, and no pay step at the resume ended it";
    EXPECT_EQ(HostRival(2)->GetTradeRouteKind(own), TradeRouteType::Small);
    CovenantClient* mirror = gGameClient->GetCovenant(own, false);
    ASSERT_NE(mirror, nullptr);
    EXPECT_EQ(mirror->GetTreatyState(0), CovenantTreaty::War);
}

// What the rivals were doing and the player's covenant's own relations: after "saveAndExit" and
// "resumeGame" a raid goes on through its gate, an offer to the player still waits, and the
// player's covenant stands toward each rival as it did, on the host and in the player's mirror.
TEST_F(ShippedScreensSaveResume, AResumedGameKeepsTheRivalsAtTheirWorkAndThePlayersOwnRelations)
{
    ASSERT_TRUE(StartANewGame());
    int32_t own = HostPlayer()->covenantIndex;
    Covenant* mine = gGame->GetCovenant(own);
    ASSERT_NE(mine, nullptr);
    mine->SetRelation(0, 61.5f);
    mine->SetRelation(2, 8.25f);
    HostRival(0)->StartRaid(2);
    ASSERT_EQ(HostRival(0)->targetCovenant, 2);
    Offer gift;
    gift.type = ActorCovenant::kGiftOffer;
    gift.entries.push_back({0, TradeOfferKind::LeaderMoney, 90});
    HostRival(1)->SendOffer(*mine, gift);
    ASSERT_NE(HostRival(1)->GetPendingOffer(own), nullptr);
    Frames(5);
    ASSERT_EQ(gGameClient->GetCovenant(own, false)->GetRelation(0), 61.5f);

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());

    mine = gGame->GetCovenant(HostPlayer()->covenantIndex);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->index, own);
    EXPECT_EQ(mine->GetRelation(0), 61.5f) << "the player's own side, which its client does not send";
    EXPECT_EQ(mine->GetRelation(2), 8.25f);
    CovenantClient* mirror = gGameClient->GetCovenant(own, false);
    ASSERT_NE(mirror, nullptr);
    EXPECT_EQ(mirror->GetRelation(0), 61.5f);
    EXPECT_EQ(HostRival(0)->targetCovenant, 2) << "the raid goes on";
    EXPECT_TRUE(HostRival(0)->IsRaiding());
    const auto* gate = HostRival(0)->raidGate.GetAs<Entity>();
    ASSERT_NE(gate, nullptr) << "through its own gate";
    EXPECT_EQ(gate->covenantIndex, 0);
    const Offer* waiting = HostRival(1)->GetPendingOffer(own);
    ASSERT_NE(waiting, nullptr) << "the gift still waits on the player";
    EXPECT_TRUE(waiting->HasSameTerms(gift));
}

// The host's messages to the player fill the message log; the character file keeps it, and the
// resumed game has the lines back, faded, to scroll back through.
TEST_F(ShippedScreensSaveResume, TheMessageLogIsSavedWithTheCharacterAndBackWhenItIsResumed)
{
    ASSERT_TRUE(StartANewGame());
    const std::vector<std::string> told = {"The ferry runs again", "A stranger asks for you", "Rain by nightfall"};
    for (const std::string& line : told)
        gGame->SendMessage(line, Game::kMessageOwnKind);
    auto logLines = [] {
        std::vector<std::string> lines;
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.kind == TextEvents::kLogKind)
                lines.push_back(record.text);
        return lines;
    };
    // Until the lines sent are the last ones in: the world's first news may come in before them.
    auto toldLast = [&] {
        std::vector<std::string> lines = logLines();
        return lines.size() >= told.size() &&
               std::equal(told.begin(), told.end(), lines.end() - static_cast<std::ptrdiff_t>(told.size()));
    };
    for (int i = 0; i < 20 && !toldLast(); ++i)
        Frames(1);
    std::vector<std::string> before = logLines();
    ASSERT_GE(before.size(), told.size());
    ASSERT_TRUE(std::equal(told.begin(), told.end(), before.end() - static_cast<std::ptrdiff_t>(told.size())));

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());

    std::vector<std::string> after = logLines();
    ASSERT_GE(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << "the saved lines first, in order";
    EXPECT_LE(gTextEvents->GetLogActive(), static_cast<int32_t>(after.size() - before.size()))
        << "the saved lines come back faded: the player scrolls back to them";
}

TEST_F(ShippedScreensSaveResume, AProfileIsMadeChosenAndDeletedThroughItsScreens)
{
    ClickAt(320, 322);
    ASSERT_TRUE(Shown("Profiles"));
    ClickAt(200, 359);
    ASSERT_TRUE(Shown("NewProfile"));
    // A name that cannot be a file's is refused, and says why.
    ClickAt(360, 201);
    TypeKeys("a.b");
    ClickAt(420, 296);
    EXPECT_TRUE(Shown("NewProfile"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastError"), "$$ErrorUserNameInvalid$$");
    ClickAt(360, 201);
    for (int i = 0; i < 3; ++i)
        Tap(SDL_SCANCODE_BACKSPACE);
    TypeKeys("Wren");
    ClickAt(420, 296);
    ASSERT_TRUE(Shown("Main"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("UserName"), "Wren");
    EXPECT_TRUE(UserFileExists("chars/wren.usr"));
    UIWidget* shown = gUISystem->FindWidgetByPath("Main::Profile");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->BuildText(shown->textSource), "Wren") << "the title screen names the profile in use";

    // Chosen from the list, then deleted after the question.
    ClickAt(320, 322);
    ASSERT_TRUE(Shown("Profiles"));
    auto* users = dynamic_cast<UIList*>(gUISystem->FindWidgetByPath("Profiles::Users"));
    ASSERT_NE(users, nullptr);
    ASSERT_EQ(users->rows.size(), 1u);
    EXPECT_EQ(users->rows[0]->name, "Wren");
    ClickAt(200, 120);
    ClickAt(440, 359);
    ASSERT_TRUE(Shown("ConfirmDeleteProfile"));
    ClickAt(170 + 80, 170 + 105);
    EXPECT_TRUE(users->rows.empty());
    EXPECT_FALSE(UserFileExists("chars/wren.usr"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("UserName"), "");
}

TEST_F(ShippedScreensSaveResume, ASaveThatCannotBeWrittenKeepsTheGameAndAMissingCharacterKeepsTheTitle)
{
    ASSERT_TRUE(StartANewGame());
    std::string name = HostPlayer()->playerName;
    ASSERT_FALSE(name.empty());
    // An earlier refusal's field left named: a refusal about no field must not stand under it, or
    // typing in that field would take the refusal away.
    gUserVarSystem->SetStringByName("LastErrorField", "NewUserName");
    // A folder where the character file goes: nothing can be renamed over it.
    std::filesystem::create_directories(folder.Path() / "User" / "chars" / (name + ".chr") / "taken");

    Tap(SDL_SCANCODE_ESCAPE);
    ClickAt(320, 238);
    ASSERT_TRUE(Shown("ConfirmSaveExit"));
    ClickAt(250, 275);
    EXPECT_TRUE(gClientApp->IsActive()) << "a save that failed must not end the game";
    EXPECT_TRUE(gWorldHost->IsActive());
    EXPECT_TRUE(Shown("ConfirmSaveExit"));
    EXPECT_FALSE(Shown("Main"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastError"), "$$ErrorSaveFailed$$");
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastErrorField"), "");
    EXPECT_FALSE(UserFileExists("chars/" + name + ".wld"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), "");

    // Left without saving; a character whose file is gone is not resumed, and the title stays.
    Tap(SDL_SCANCODE_ESCAPE);
    ClickAt(320, 130 + 150);
    ASSERT_TRUE(Shown("ConfirmExit"));
    ClickAt(180 + 75, 180 + 85);
    ASSERT_TRUE(Shown("Main"));
    EXPECT_FALSE(gWorldHost->IsActive());
    gUserVarSystem->SetStringByName("resumeGameChar", "Nobody");
    gUserVarSystem->SetStringByName("LastErrorField", "NewUserName");
    TypeOnConsole("resumeGame");
    EXPECT_FALSE(gClientApp->IsConnected());
    EXPECT_FALSE(gWorldHost->IsActive());
    EXPECT_TRUE(Shown("Main"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastError"), "$$ErrorCharacterLoad$$");
    EXPECT_EQ(gUserVarSystem->GetStringByName("LastErrorField"), "");
}

} // namespace

// The town's recruit taken into the party by the request line the recruit screen sends: the
// save keeps the party as played, so the resumed world has a recruit of the covenant at the
// player's side again.
TEST_F(ShippedScreensSaveResume, ARecruitTakenIntoThePartyInPlayIsInThePartyWhenResumed)
{
    ASSERT_TRUE(StartANewGame());
    Actor* recruit = nullptr;
    for (int32_t number = 0; number < Game::kMaxEntities && !recruit; ++number)
        if (auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number)); actor && actor->GetNpcType() == NpcType::Recruit)
            recruit = actor;
    ASSERT_NE(recruit, nullptr) << "the town's recruit stands in town";
    recruit->SetPosition(HostPlayer()->position.Offset(Vector2{40.0f, 0.0f}));
    Frames(4);
    TypeOnConsole("recruit " + std::to_string(recruit->entityNumber) + " 1");
    for (int i = 0; i < 30 && !HostPlayer()->IsInParty(recruit); ++i)
        Frames(1);
    ASSERT_TRUE(HostPlayer()->IsInParty(recruit));
    PlayerClient* local = gClientApp->GetLocalPlayer();
    for (int i = 0; i < 30 && local->party.empty(); ++i)
        Frames(1);
    ASSERT_FALSE(local->party.empty()) << "the mirror has the party";

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());

    std::vector<Sentient*> party;
    HostPlayer()->CollectParty(party);
    auto companions = std::count_if(party.begin(), party.end(), [](const Sentient* member) {
        const auto* actor = dynamic_cast<const Actor*>(member);
        return actor && actor->GetNpcType() == NpcType::Recruit;
    });
    EXPECT_EQ(companions, 1) << "the recruit walks with the resumed player";
}

// What the player sold and bought at the trader through the trade window's request lines lasts
// whichever way the game is left after a death: risen at the lifestone, then saved and left; or
// left unsaved from the death screen, then resumed (the trade saved the character by itself).
TEST_F(ShippedScreensSaveResume, ASaleAndAPurchaseLastThroughADeathAndAResume)
{
    for (bool rise : {true, false}) {
        if (rise)
            ASSERT_TRUE(StartANewGame());
        else
            ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());
        ASSERT_TRUE(OpenTheTrader()) << rise;
        // The first thing carried, travel bread on a new character, is sold.
        int32_t soldBag = -1;
        int32_t soldSlot = -1;
        for (int32_t bag = InventoryGroupIndex::Bag1; bag < InventoryGroupIndex::Bag1 + 4 && soldBag < 0; ++bag)
            for (int32_t slot = 0; slot < HostPlayer()->inventory->GetSlotCount(bag) && soldBag < 0; ++slot)
                if (const ItemBase* item = HostPlayer()->inventory->GetItem(bag, slot);
                    item && item->GetItemType() != ItemType::Bag) {
                    soldBag = bag;
                    soldSlot = slot;
                }
        ASSERT_GE(soldBag, 0) << "the character carries something to sell";
        std::string soldName(HostPlayer()->inventory->GetItem(soldBag, soldSlot)->GetEntry()->GetName());
        int32_t carried = CountCarried(soldName);
        TypeOnConsole("sellItem " + std::to_string(soldBag) + " " + std::to_string(soldSlot));
        FramesUntil([&] { return CountCarried(soldName) < carried; });
        int32_t left = CountCarried(soldName);
        ASSERT_LT(left, carried) << soldName << " sold";
        Item* staple = HostTrader()->GetStockItem(0);
        ASSERT_NE(staple, nullptr);
        std::string stapleName(staple->GetEntry()->GetName());
        HostPlayer()->stats.Set(CharacterStat::Money, HostPlayer()->stats.Get(CharacterStat::Money) + 500);
        int32_t staples = CountCarried(stapleName);
        TypeOnConsole("buyItem " + std::to_string(Vendor::kStockBag) + " 0");
        FramesUntil([&] { return CountCarried(stapleName) > staples; });
        ASSERT_EQ(CountCarried(stapleName), staples + 1) << "bought";
        // The staple may be what was sold.
        left = CountCarried(soldName);
        Frames(5);
        int32_t money = HostPlayer()->stats.Get(CharacterStat::Money);

        ASSERT_TRUE(Die());
        if (rise) {
            UIWidget* button = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
            ASSERT_TRUE(button && button->IsVisible());
            ClickOn(*button);
            Frames(6);
            // The lifestone's wait, as the hero's bar counts it down.
            float wait = Local()->GetBody() ? Local()->GetBody()->timerDuration : 0.0f;
            FramesUntil([] { return !HostPlayer()->IsDead() && !Shown("PlayerDead"); }, int(wait * 20.0f) + 60);
            ASSERT_FALSE(HostPlayer()->IsDead()) << "risen at the lifestone";
            ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());
        } else {
            UIWidget* leave = gUISystem->FindWidgetByPath("PlayerDead::Leave");
            ASSERT_TRUE(leave && leave->IsVisible());
            ClickOn(*leave);
            ASSERT_TRUE(Shown("ConfirmExit"));
            ClickAt(180 + 20 + 55, 180 + 70 + 15);
            ASSERT_TRUE(Shown("Main"));
            TypeOnConsole("resumeGame");
            ASSERT_TRUE(WaitForTheGame());
            Frames(20);
        }
        EXPECT_EQ(CountCarried(soldName), left) << soldName << " sold stays sold; risen " << rise;
        EXPECT_EQ(CountCarried(stapleName), staples + 1) << "the staple bought stays bought; risen " << rise;
        EXPECT_EQ(HostPlayer()->stats.Get(CharacterStat::Money), money) << rise;
        EXPECT_EQ(Local()->GetStat(CharacterStat::Money), money) << rise;
    }
}

// Hardcore is offered once a character of the profile has reached level 25; a hardcore character
// struck down is gone: no rising again (the button gives way to the line that says so, and the
// request is refused), its saved files are removed, and save and leave only leaves.
TEST_F(ShippedScreensSaveResume, HardcoreIsOfferedFromTheBestLevelAndAHardcoreCharacterThatDiesIsGone)
{
    TypeOnConsole("setUserVar NewUserName Tess");
    TypeOnConsole("newUser");
    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    UIWidget* hardcore = gUISystem->FindWidgetByPath("NewCharacter::Hardcore");
    ASSERT_NE(hardcore, nullptr);
    EXPECT_FALSE(hardcore->IsVisible()) << "no character has come far enough yet";
    Tap(SDL_SCANCODE_ESCAPE);
    Frames(2);

    // A first character brought to level 25, saved and left: the profile's best.
    ASSERT_TRUE(StartANewGame());
    HostPlayer()->stats.Set(CharacterStat::Level, 25);
    FramesUntil([] { return Local()->GetStat(CharacterStat::Level) == 25; });
    Frames(3);
    TypeOnConsole("saveAndExit");
    ASSERT_TRUE(Shown("Main"));

    ClickAt(320, 196);
    ASSERT_TRUE(Shown("NewCharacter"));
    Frames(2);
    EXPECT_TRUE(hardcore->IsVisible()) << "offered now";
    ClickAt(208, 308);
    ASSERT_EQ(gUserVarSystem->GetStringByName("PlayerHardcore"), "1");
    ClickAt(330, 101);
    for (int i = 0; i < 24; ++i)
        Tap(SDL_SCANCODE_BACKSPACE);
    TypeKeys("Morrow");
    ClickAt(330, 133);
    TypeKeys("Ashguard");
    ClickAt(440, 408);
    ASSERT_TRUE(WaitForTheGame());
    ASSERT_TRUE(HostPlayer()->GetCharacterFlag(CharacterFlag::kStaysDead));
    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());
    ASSERT_TRUE(UserFileExists("chars/morrow.chr"));
    ASSERT_TRUE(Local()->HasHardcoreMode());

    ASSERT_TRUE(Die());
    UIWidget* rise = gUISystem->FindWidgetByPath("PlayerDead::Resurrect");
    UIWidget* gone = gUISystem->FindWidgetByPath("PlayerDead::HardcoreGone");
    ASSERT_TRUE(rise && gone);
    EXPECT_FALSE(rise->IsVisible());
    EXPECT_TRUE(gone->IsVisible());
    TargaImage shot = Screenshot();
    EXPECT_GT(BrightPixels(shot, 200, 320, 440, 340, 120), 40) << "the line that says the hero is gone";
    KeepFailedFrame("SaveResume-hardcore");
    EXPECT_FALSE(UserFileExists("chars/morrow.chr")) << "its files go with it";
    EXPECT_FALSE(UserFileExists("chars/morrow.wld"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), "");
    TypeOnConsole("resurrect");
    Frames(20);
    EXPECT_TRUE(HostPlayer()->IsDead()) << "a hardcore character does not rise";

    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("GameMenu"));
    ClickAt(320, 238);
    ClickAt(250, 275);
    EXPECT_TRUE(Shown("Main"));
    EXPECT_FALSE(gWorldHost->IsActive());
    EXPECT_FALSE(UserFileExists("chars/morrow.chr")) << "save and leave wrote nothing back";
    EXPECT_FALSE(UserFileExists("chars/morrow.wld"));
}

// Every townsperson and the tutor of a character still in the tutorial, by name on the host and
// in the player's mirror: a resumed world has each under the name it had (the tutor is made
// anew for the resumed game, not read back with the town).
TEST_F(ShippedScreensSaveResume, TheTownsfolkAndTheTutorKeepTheirNamesWhenResumed)
{
    auto names = [] {
        std::vector<std::string> named;
        for (int32_t type = NpcType::None + 1; type < NpcType::kCount; ++type) {
            Entity* npc = type == NpcType::Tutor ? gGame->GetTutor() : gGame->GetTownNpc(type);
            auto* actor = dynamic_cast<Actor*>(npc);
            EntityClient* mirror = actor ? gGameClient->GetEntity(actor->entityNumber) : nullptr;
            named.push_back(std::to_string(type) + " " + (actor ? actor->GetName() : "-") + " / " +
                            (mirror ? mirror->GetPersonalName() : "-"));
        }
        return named;
    };
    auto waitForTutor = [this] {
        for (int i = 0; i < 60 && !(gGame->GetTutor() && gGameClient->GetEntity(gGame->GetTutor()->entityNumber)); ++i)
            Frames(1);
    };
    ASSERT_TRUE(StartANewGame());
    waitForTutor();
    ASSERT_NE(gGame->GetTutor(), nullptr) << "a new character is in the tutorial";
    std::vector<std::string> before = names();
    std::string tutorName = dynamic_cast<Actor*>(gGame->GetTutor())->GetName();
    ASSERT_FALSE(tutorName.empty());
    EXPECT_NE(before[NpcType::Tutor - 1].find(" / " + tutorName), std::string::npos) << "the mirror names it so";

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());
    waitForTutor();
    EXPECT_EQ(names(), before);

    ASSERT_NO_FATAL_FAILURE(SaveExitAndResume());
    waitForTutor();
    EXPECT_EQ(names(), before) << "and again on the second resume";
}

// A character file copied under another name, resumed by that name and saved: the save goes to
// the copy with its world beside it, and the character it was copied from stays as it was; so it
// does when a new character of the same name is saved.
TEST_F(ShippedScreensSaveResume, ACharacterCopiedUnderAnotherNameSavesToTheCopyAndNeverOverTheOriginal)
{
    ASSERT_TRUE(StartANewGame());
    std::string original = gClientApp->GetLink()->GetSaveName();
    ASSERT_FALSE(original.empty());
    TypeOnConsole("saveAndExit");
    ASSERT_TRUE(Shown("Main"));
    std::filesystem::path chars = folder.Path() / "User" / "chars";
    std::filesystem::copy_file(chars / (original + ".chr"), chars / "carol.chr");
    std::string before = folder.Read("User/chars/" + original + ".chr");

    gUserVarSystem->SetStringByName("resumeGameChar", "carol");
    TypeOnConsole("resumeGame");
    ASSERT_TRUE(WaitForTheGame());
    EXPECT_EQ(gClientApp->GetLink()->GetSaveName(), "carol");
    HostPlayer()->GainExperience(1, 0, 50.0f);
    Frames(10);
    TypeOnConsole("saveAndExit");
    ASSERT_TRUE(Shown("Main"));

    EXPECT_EQ(folder.Read("User/chars/" + original + ".chr"), before) << "the original character is untouched";
    EXPECT_NE(folder.Read("User/chars/carol.chr"), before) << "the copy was saved as played";
    EXPECT_TRUE(UserFileExists("chars/carol.wld")) << "its world beside it";
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), "carol");

    // A new character given the first one's name is saved beside it, not over it.
    gUserVarSystem->SetStringByName("PlayerName", original);
    TypeOnConsole("start both");
    ASSERT_TRUE(WaitForTheGame());
    TypeOnConsole("saveAndExit");
    ASSERT_TRUE(Shown("Main"));
    EXPECT_EQ(folder.Read("User/chars/" + original + ".chr"), before) << "the first character is untouched";
    EXPECT_TRUE(UserFileExists("chars/" + original + "2.chr"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("resumeGameChar"), original + "2");
}

// Trophy points won earlier are spent on the profile screen's trophy upgrades: a level bought for
// the stand-in character is the profile's, saved, and a new character starts with it.
TEST_F(ShippedScreensSaveResume, TrophyPointsBuyALevelEveryNewCharacterStartsWith)
{
    const std::string bytes = ProfileFileBytes("ann", 20);
    folder.Write("User/chars/ann.usr", bytes);
    TypeOnConsole("setUserVar UserName ann");
    TypeOnConsole("loadUser");
    const UserProfile* profile = gGameClient->GetProfiles().GetCurrent();
    ASSERT_NE(profile, nullptr);

    ClickAt(320, 322);
    ASSERT_TRUE(Shown("Profiles"));
    ClickAt(440, 410);
    ASSERT_TRUE(Shown("TrophySkills"));
    ASSERT_TRUE(Shown("TrophyPage1"));
    PlayerClient* standIn = gClientApp->GetLocalPlayer();
    ASSERT_NE(standIn, nullptr);
    EXPECT_TRUE(standIn->displayOnly);
    EXPECT_EQ(standIn->GetStat(CharacterStat::SkillPointsLeft), 20) << "the points shown are the profile's";
    // The first skill of the trees whose button offers a level.
    UISkillSlotIncrease* raise = nullptr;
    for (int32_t page = 1; page <= 4 && !raise; ++page)
        for (int32_t index = 0; index < 15 && !raise; ++index) {
            auto* button = dynamic_cast<UISkillSlotIncrease*>(
                gUISystem->FindWidgetByPath(StringFormat("TrophyPage%d::Raise%d", page, index)));
            if (button && button->CanIncrease())
                raise = button;
        }
    ASSERT_NE(raise, nullptr) << "a button offers a level for the points";
    const auto* slot = dynamic_cast<const UISkillSlot*>(raise->parentWidget);
    ASSERT_NE(slot, nullptr);
    int32_t stat = slot->skillTree * 15 + slot->skillIndex + CharacterStat::Skill1;
    // The full-screen page has nowhere to put a skill down: its skills are not picked up.
    ClickOn(*slot);
    EXPECT_EQ(gUISystem->dragWidget, nullptr) << "a trophy skill stuck to the cursor";
    ClickOn(*raise);
    EXPECT_EQ(profile->GetUpgrade(stat), 1);
    EXPECT_LT(profile->GetUpgrade(CharacterStat::SkillPointsLeft), 20);
    EXPECT_EQ(standIn->GetStat(stat), 1) << "the stand-in shows the level bought";
    EXPECT_NE(folder.Read("User/chars/ann.usr"), bytes) << "saved at once";

    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Profiles"));
    EXPECT_EQ(gClientApp->GetLink(), nullptr) << "the stand-in goes with its screen";
    Tap(SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(Shown("Main"));
    ASSERT_TRUE(StartANewGame());
    EXPECT_EQ(gGameClient->characterSetUp.Get(stat), 1);
    EXPECT_GE(HostPlayer()->GetStat(stat), 1) << "the new character starts with the level";
}
