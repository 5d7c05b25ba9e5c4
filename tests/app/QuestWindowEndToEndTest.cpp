// QuestWindowEndToEndTest -- the shipped game offscreen, driven by SDL events: a town quest giver clicked, its line and offer shown, the quest taken, the quest window opened by its key with the quest in it, its progress, advanced by the world host, shown, and the finished quest handed in for its reward; a recruit of the covenant clicked, taken into the party and sent back.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/ScreenConversion.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/UserVarSystem.h"
#include "rules/monsters/MonsterType.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "core/LocSystem.h"
#include "render/TextMeasure.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIText.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

class QuestWindowEndToEnd : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartShippedGame();
    }

    void TearDown() override { KeepFailedFrame("QuestWindowEndToEnd"); }

    // A living town NPC whose offers hold a quest to kill monsters of a known type.
    static Actor* FindGiverOfAHunt(Quest*& hunt)
    {
        for (int32_t number = 0; number < 1500; ++number) {
            auto* actor = dynamic_cast<Actor*>(gGame->GetEntity(number));
            if (!actor || actor->GetNpcType() <= 0)
                continue;
            std::vector<int32_t> offers;
            gGame->GetQuestsOfferedBy(*actor, offers);
            for (int32_t id : offers) {
                Quest* quest = gGame->GetQuests().GetQuest(id);
                if (quest && quest->type == QuestType::KillMonsters && quest->QuestBase::target) {
                    hunt = quest;
                    return actor;
                }
            }
        }
        return nullptr;
    }

    static std::string TextOf(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        if (!widget)
            return "(no widget " + std::string(path) + ")";
        std::string built = widget->BuildText(widget->textSource);
        return built;
    }

    static int32_t MirroredSlotOf(int32_t questId)
    {
        for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot) {
            const QuestClient* quest = gClientApp->GetLocalPlayer()->GetQuestSlot(slot);
            if (quest && quest->questId == questId)
                return slot;
        }
        return -1;
    }

    // A monster of the hunt's kind beside the player, killed by the player on the host.
    static void KillBeside(Player& player, const Quest& hunt)
    {
        Entity* monster = gGame->MakeMonster(nullptr, hunt.QuestBase::target->GetEntry(), 1, 0);
        ASSERT_NE(monster, nullptr);
        monster->SetPosition(player.position.Offset(Vector2{0.0f, 80.0f}));
        ASSERT_NE(gGame->AddEntity(monster), -1);
        // The blow and the kill that follows it, in the combat system's order.
        monster->TakeDamage(monster->health + 1000, &player, false, true);
        HandleKill(monster, &player);
    }

    // Down until only the last line is left at the top, then back up a page less one line.
    void ScrollBodyToItsEnd()
    {
        auto* body = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath("Quests::Body"));
        ASSERT_NE(body, nullptr);
        for (int step = 0; step < 20; ++step)
            WheelAt(320, 290, false);
        for (int step = 1; step < body->visibleLines; ++step)
            WheelAt(320, 290, true);
    }

    static int ChangedPixels(const TargaImage& a, const TargaImage& b, int x1, int y1, int x2, int y2)
    {
        return OffscreenShotGame::ChangedPixels(a, b, x1, y1, x2, y2, 0);
    }
};


// A quest of the shipped definition whose figure stands in the world, started by the host.
Quest* StartWithFigure(const char* name)
{
    const QuestDefinition* definition = gGameData->FindQuestDefinition(gDatabase->FindEntryByName(name));
    // One of the world's own quests of the kind, which nobody holds, would refuse a duplicate.
    std::vector<int32_t> running;
    for (const auto& other : gGame->GetQuests().GetList())
        if (other && definition && other->definition == definition)
            running.push_back(other->questId);
    for (int32_t number : running)
        gGame->GetQuests().RemoveQuestIfUnheld(number);
    Quest* quest = nullptr;
    for (int attempt = 0; attempt < 20 && definition && !(quest && quest->target.Get()); ++attempt)
        quest = gGame->GetQuests().StartQuestFromDefinition(definition);
    return quest && quest->target.Get() ? quest : nullptr;
}

// Taking a quest from the town's warmaster and following it in the quest window: the click on the
// NPC asks the host for its line, the offer is chosen in the list and taken with its button, the
// window (key Q) shows the quest's text, and a kill the host counts shows as progress.
TEST_F(QuestWindowEndToEnd, AQuestFromAClickedTownNpcIsTakenShownAndAdvanced)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    Quest* hunt = nullptr;
    Actor* giver = FindGiverOfAHunt(hunt);
    ASSERT_NE(giver, nullptr) << "no town NPC offers a quest to kill monsters";
    EntityClient* shown = BesideThePlayer(*giver);
    ASSERT_NE(shown, nullptr);
    ASSERT_FALSE(shown->questOffers.empty());
    PlayerClient* player = gClientApp->GetLocalPlayer();
    TargaImage bare = Screenshot();

    // The click: the giver's screen, the first offer chosen, and the host's answer shown.
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 24);
    ASSERT_TRUE(Shown("QuestNpcMenu"));
    EXPECT_EQ(gUserVarSystem->GetStringByName("SelectedQuest"), std::to_string(shown->questOffers[0]));
    FramesUntil([] { return !gGameClient->npcChatText.empty(); }, 20);
    EXPECT_FALSE(gGameClient->npcChatText.empty()) << "the host never answered getNpcChat";
    EXPECT_EQ(TextOf("QuestNpcMenu::Chat"), gGameClient->npcChatText);

    // The hunt's row of the offers chosen: its text is the offer shown.
    auto row = std::find(shown->questOffers.begin(), shown->questOffers.end(), hunt->questId);
    ASSERT_NE(row, shown->questOffers.end());
    UIWidget* offers = gUISystem->FindWidgetByPath("QuestNpcMenu::Offers");
    UIWidget* accept = gUISystem->FindWidgetByPath("QuestNpcMenu::Accept");
    ASSERT_TRUE(offers && accept);
    ClickAt(236, static_cast<int32_t>(offers->GetScreenPosition().y) + 9 +
                     18 * static_cast<int32_t>(row - shown->questOffers.begin()));
    EXPECT_EQ(gUserVarSystem->GetStringByName("SelectedQuest"), std::to_string(hunt->questId));
    std::string offer = TextOf("QuestNpcMenu::Offer");
    EXPECT_NE(offer.find(hunt->BuildTitle(-1, true)), std::string::npos) << offer;
    TargaImage offerShot = Screenshot();
    EXPECT_GT(BrightPixels(offerShot, 140, 198, 500, 338), 200) << "the offer's text is not drawn";
    // The giver's window stands above the quick-use bar: its frame ran ten pixels over the slots.
    EXPECT_EQ(OffscreenShotGame::ChangedPixels(bare, offerShot, 8, 398, 300, 436, 60), 0)
        << "the window covers the quick-use bar";

    // Taken with its button: the host's slot and the client's mirror hold it, the screen goes.
    ClickAt(241, static_cast<int32_t>(accept->GetScreenPosition().y + accept->size[1] / 2));
    FramesUntil([&] { return hostPlayer->HasQuest(hunt->questId); }, 20);
    ASSERT_TRUE(hostPlayer->HasQuest(hunt->questId));
    Frames(3);
    EXPECT_FALSE(Shown("QuestNpcMenu"));
    int32_t slot = MirroredSlotOf(hunt->questId);
    ASSERT_GE(slot, 0) << "the client's mirror lacks the taken quest";

    // The quest window by its key, closed by Escape, opened again by its button.
    Tap(SDL_SCANCODE_Q);
    ASSERT_TRUE(Shown("Quests"));
    Tap(SDL_SCANCODE_ESCAPE);
    EXPECT_FALSE(Shown("Quests"));
    EXPECT_FALSE(Shown("GameMenu"));
    ClickAt(576, 162);
    ASSERT_TRUE(Shown("Quests"));
    // Its slot row chosen: the title in the row, the text below with the goal still to do.
    ClickAt(320, 63 + 26 * slot);
    EXPECT_EQ(gUserVarSystem->GetStringByName("SelectedActiveQuest"), std::to_string(slot));
    QuestClient* mirrored = player->GetQuestSlot(slot);
    int32_t level = player->GetStat(CharacterStat::Level);
    EXPECT_EQ(TextOf(("Quests::Quest" + std::to_string(slot)).c_str()), mirrored->BuildTitle(level, false));
    std::string before = TextOf("Quests::Body");
    EXPECT_EQ(before, mirrored->BuildText(level, gGameClient->clock, player->GetCharacterName()));
    EXPECT_EQ(before.find("$$QuestProgress"), std::string::npos) << "nothing is done yet: " << before;
    TargaImage windowBefore = Screenshot();
    EXPECT_GT(BrightPixels(windowBefore, 160, 52 + 26 * slot, 480, 74 + 26 * slot), 40) << "no title in the slot's row";
    EXPECT_GT(BrightPixels(windowBefore, 160, 216, 480, 348), 200) << "no quest text";
    // The goals and their progress follow the story: the body scrolled to its end shows them.
    // (Seen through a see-through window, the world behind once changed these pixels instead.)
    ScrollBodyToItsEnd();
    TargaImage endBefore = Screenshot();

    // One of the hunted monsters killed by the player on the host: the mirror and the window follow.
    int32_t progressBefore = mirrored->progress;
    KillBeside(*hostPlayer, *hunt);
    FramesUntil([&] { return player->GetQuestSlot(slot)->progress != progressBefore; }, 20);
    mirrored = player->GetQuestSlot(slot);
    ASSERT_NE(mirrored, nullptr);
    EXPECT_EQ(mirrored->progress, progressBefore + 1);
    EXPECT_EQ(mirrored->progress, hostPlayer->GetQuestSlot(slot)->progress);
    Frames(2);
    std::string after = TextOf("Quests::Body");
    std::string left = mirrored->GetProgressText(false);
    EXPECT_NE(left.find("$$QuestProgress"), std::string::npos) << left;
    EXPECT_NE(after.find(left), std::string::npos) << after;
    ScrollBodyToItsEnd();
    TargaImage windowAfter = Screenshot();
    EXPECT_GT(ChangedPixels(endBefore, windowAfter, 160, 216, 480, 348), 10) << "the progress line was not redrawn";

    // The rest of the hunt done, the giver clicked again offers the hand-in, whose button pays.
    Tap(SDL_SCANCODE_Q);
    ASSERT_FALSE(Shown("Quests"));
    for (int32_t left = hunt->count - mirrored->progress; left > 0; --left)
        KillBeside(*hostPlayer, *hunt);
    FramesUntil([&] { return player->GetQuestSlot(slot)->IsComplete(); }, 20);
    ASSERT_TRUE(player->GetQuestSlot(slot)->IsComplete());
    std::string title = player->GetQuestSlot(slot)->BuildTitle(level, false);
    BesideThePlayer(*giver);
    // The experience counts from the level reached: a reward may start a new level.
    std::pair<int32_t, int32_t> xpBefore{hostPlayer->stats.Get(CharacterStat::Level), hostPlayer->stats.Get(CharacterStat::Xp)};
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 25);
    ASSERT_TRUE(Shown("SolveQuest"));
    EXPECT_EQ(TextOf("SolveQuest::Quest"), title);
    // A quest handed in leaves the game's list at once: only its number is kept.
    const auto huntId = hunt->questId;
    ClickAt(241, 332);
    FramesUntil([&] { return !hostPlayer->HasQuest(huntId); }, 20);
    EXPECT_FALSE(hostPlayer->HasQuest(huntId));
    std::pair<int32_t, int32_t> xpAfter{hostPlayer->stats.Get(CharacterStat::Level), hostPlayer->stats.Get(CharacterStat::Xp)};
    EXPECT_GT(xpAfter, xpBefore) << "the reward was not paid";
    Frames(3);
    EXPECT_EQ(MirroredSlotOf(huntId), -1);
    EXPECT_FALSE(Shown("SolveQuest"));
}

// The covenant's own recruit: clicked outside the party its screen takes it in, clicked in the
// party its other screen sends it back, each through the world host.
TEST_F(QuestWindowEndToEnd, ARecruitClickedJoinsThePartyAndIsSentBackByItsScreens)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    ASSERT_NE(player->GetCovenant(), nullptr) << "a new game has the player's covenant";
    PlayerCovenant* covenant = HostCovenant();
    ASSERT_NE(covenant, nullptr);
    Actor* recruit = FindActorOfKind(NpcType::Recruit);
    ASSERT_NE(recruit, nullptr) << "the town's recruit stands in town";
    covenant->AddRecruit(*recruit);
    ASSERT_TRUE(covenant->IsMember(*recruit));
    EntityClient* shown = BesideThePlayer(*recruit);
    ASSERT_NE(shown, nullptr);

    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 9);
    ASSERT_TRUE(Shown("NpcInCovenantMenu"));
    EXPECT_EQ(TextOf("NpcInCovenantMenu::Level").find(std::to_string(shown->level)) != std::string::npos, true);
    TargaImage screen = Screenshot();
    EXPECT_GT(BrightPixels(screen, 220, 218, 420, 246), 40) << "the invite button's label is not drawn";
    ClickAt(320, 232);
    FramesUntil([&] { return hostPlayer->IsInParty(recruit); }, 20);
    ASSERT_TRUE(hostPlayer->IsInParty(recruit));
    EXPECT_FALSE(Shown("NpcInCovenantMenu"));
    FramesUntil([&] { return player->IsInParty(recruit->entityNumber); }, 20);
    ASSERT_TRUE(player->IsInParty(recruit->entityNumber)) << "the client's party mirror";

    // Clicked again, in the party: the other screen, whose button sends it back.
    BesideThePlayer(*recruit);
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 8);
    ASSERT_TRUE(Shown("NpcInPartyMenu"));
    ClickAt(320, 232);
    FramesUntil([&] { return !hostPlayer->IsInParty(recruit); }, 20);
    EXPECT_FALSE(hostPlayer->IsInParty(recruit));
    EXPECT_TRUE(covenant->IsMember(*recruit)) << "out of the party, still the covenant's";
}

// A quest's lost traveller clicked shows its own screen, whose button has the world host take it
// home and the quest handed in; a traveller who wants an escort shows another, whose button takes
// the escort up and has the traveller follow the player.
TEST_F(QuestWindowEndToEnd, AQuestsTravellersClickedAreRescuedAndLedThroughTheirScreens)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    PlayerClient* player = gClientApp->GetLocalPlayer();
    Quest* lost = StartWithFigure("QuestRescueNpc");
    ASSERT_NE(lost, nullptr);
    auto* traveller = lost->target.GetAs<Actor>();
    ASSERT_NE(hostPlayer->AcceptQuest(lost->questId), nullptr);
    int32_t done = hostPlayer->statistics.Get(PlayerStatistic::QuestsCompleted);
    EntityClient* shown = BesideThePlayer(*traveller);
    ASSERT_NE(shown, nullptr);
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 26);
    ASSERT_TRUE(Shown("NpcRescueMenu"));
    TargaImage screen = Screenshot();
    EXPECT_GT(BrightPixels(screen, 220, 234, 420, 262), 40) << "the rescue button's label is not drawn";
    ClickAt(320, 248);
    FramesUntil([&] { return !hostPlayer->HasQuest(lost->questId); }, 20);
    EXPECT_TRUE(lost->IsComplete());
    EXPECT_EQ(hostPlayer->statistics.Get(PlayerStatistic::QuestsCompleted), done + 1) << "handed in";
    EXPECT_FALSE(Shown("NpcRescueMenu"));

    Quest* walk = StartWithFigure("QuestEscort");
    ASSERT_NE(walk, nullptr);
    auto* companion = walk->target.GetAs<Actor>();
    // On the player's other side: the rescued traveller still fades where it stood.
    companion->SetPosition(hostPlayer->position.Offset(Vector2{-60.0f, 0.0f}));
    Frames(4);
    shown = gGameClient->GetEntity(companion->entityNumber);
    ASSERT_NE(shown, nullptr);
    ClickOn(*shown);
    EXPECT_EQ(player->interactionMode, 28);
    ASSERT_TRUE(Shown("NpcEscortMenu"));
    ClickAt(320, 248);
    FramesUntil([&] { return hostPlayer->HasQuest(walk->questId); }, 20);
    EXPECT_TRUE(hostPlayer->HasQuest(walk->questId)) << "taken up by the escort";
    EXPECT_TRUE(companion->following);
    EXPECT_EQ(companion->GetLeader(), hostPlayer);
}

// Every kind of quest a player may hold shows its title whole in its row of the quest window: the
// row's width holds the title in the row's own font.
TEST_F(QuestWindowEndToEnd, EveryKindOfQuestsTitleFitsItsRowInTheQuestWindow)
{
    EnterTheWorld();
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);
    Tap(SDL_SCANCODE_Q);
    ASSERT_TRUE(Shown("Quests"));
    SettleLoads();
    int32_t measured = 0;
    for (const char* record : {"QuestKillMonsters", "QuestKillMonsterGroup", "QuestMonsterQuestItem", "QuestLevelQuestItem",
                               "QuestArmorsmithMonsterQuestItem", "QuestWeaponsmithLevelQuestItem", "QuestClearLevel",
                               "QuestRescueNpc", "QuestDelivery", "QuestRecruit", "QuestUniqueMonster", "QuestBossWarlord",
                               "QuestMonsterScout", "QuestAssassin", "QuestRenegade", "QuestEscort", "QuestScoutLocation",
                               "QuestMonsterQuest", "QuestTreasureMap", "QuestThief", "QuestKidnapping"}) {
        const QuestDefinition* definition = gGameData->FindQuestDefinition(gDatabase->FindEntryByName(record));
        ASSERT_NE(definition, nullptr) << record;
        for (int32_t draw = 0; draw < 3; ++draw) {
            Quest* quest = gGame->GetQuests().StartQuestFromDefinition(definition);
            if (!quest || !hostPlayer->AcceptQuest(quest->questId))
                continue;
            int32_t slot = -1;
            FramesUntil([&] { return (slot = MirroredSlotOf(quest->questId)) >= 0; }, 10);
            Frames(1);
            ASSERT_GE(slot, 0) << record;
            UIWidget* row = gUISystem->FindWidgetByPath(("Quests::Quest" + std::to_string(slot)).c_str());
            ASSERT_NE(row, nullptr);
            std::u16string title = gLocSystem->TranslateToWide(row->BuildText(row->textSource));
            TextSize size = MeasureTextW(row->font, title);
            ++measured;
            EXPECT_LE(size.width + row->textOffset[0], row->size[0])
                << record << ": \"" << gLocSystem->Translate(row->BuildText(row->textSource)) << "\" is " << size.width
                << " wide in a row of " << row->size[0];
            hostPlayer->AbandonQuest(quest->questId);
            FramesUntil([&] { return MirroredSlotOf(quest->questId) < 0; }, 10);
        }
    }
    EXPECT_GT(measured, 15);
    Screenshot();
}

} // namespace

