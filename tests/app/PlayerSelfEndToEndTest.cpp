// PlayerSelfEndToEndTest -- the shipped game offscreen after "start both", sound on the null device: the player reads the name of the level it stands in, sees a ring on the ground under the target chosen on the console, and hears the low-health warning once the host's player is badly hurt; a use hint shows its icon beside the player and fades away; a draught drunk by its bar key raises its icon there once its timer has run out; a new class from the host tells every widget its index.
#include "app/OffscreenShots.h"
#include "audio/SoundSystem.h"
#include "client/GameClient.h"
#include "client/ScreenConversion.h"
#include "core/DatabaseEntry.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "ui/UISystem.h"
#include "ui/widgets/UISlotBase.h"
#include "ui/widgets/UIUseSlot.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class PlayerSelfEndToEnd : public OffscreenShotGame {
protected:
    PlayerClient* Join()
    {
        StartShippedGame();
        TypeOnConsole("start both");
        for (int i = 0; i < 40 && !(Local() && HostPlayer()); ++i)
            Frame();
        Frames(2);
        return Local();
    }

    static bool TextShown(const std::string& text)
    {
        for (const TextEvents::Record& record : gTextEvents->GetRecords())
            if (record.text == text)
                return true;
        return false;
    }

    // Pixels of the box whose colour moved by more than a little between the two pictures.
    static int ChangedPixels(const TargaImage& before, const TargaImage& after, int x1, int y1, int x2, int y2)
    {
        return OffscreenShotGame::ChangedPixels(before, after, x1, y1, x2 + 1, y2 + 1, 45);
    }

    static SoundInstance* LowHealthChannel(int32_t owner)
    {
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = gSoundSystem->GetChannel(i);
            if (channel->IsActive() && channel->GetOwner() == owner &&
                gResourceManager->GetName(channel->GetResource()) == gGameData->GetTuning().soundNameLowHealth)
                return channel;
        }
        return nullptr;
    }
};

// A widget that keeps each value its one-argument notification brings.
class NotifiedWidget : public UIWidget {
public:
    void Notify(int32_t value) override { values.push_back(value); }
    std::vector<int32_t> values;
};

} // namespace

TEST_F(PlayerSelfEndToEnd, TheLevelsNameTheTargetsRingAndTheLowHealthWarning)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    PlayerClient* player = Join();
    ASSERT_NE(player, nullptr);
    Player* hostPlayer = HostPlayer();
    ASSERT_NE(hostPlayer, nullptr);

    // The start level's name, once, as the level entered.
    std::string level = gWorld->GetLevelName(player->GetPosition().level);
    ASSERT_FALSE(level.empty());
    EXPECT_TRUE(TextShown("$$Entering$$ " + level));
    EXPECT_FALSE(TextShown("$$Discovered$$ " + level)) << "the town is never discovered";

    // The player's own body chosen as the target: a ring on the ground beside its feet.
    Frames(4);
    TargaImage before = Screenshot();
    TypeOnConsole("selectPlayer");
    Frames(2);
    ASSERT_EQ(player->GetInteractionTarget(), player->GetBody());
    TargaImage after = Screenshot();
    Vector2 feet = Client::WorldToScreen(player->GetBody()->position, true);
    auto fx = static_cast<int>(feet.x);
    auto fy = static_cast<int>(feet.y);
    int ring = ChangedPixels(before, after, fx - 30, fy - 14, fx - 12, fy + 14) +
               ChangedPixels(before, after, fx + 12, fy - 14, fx + 30, fy + 14);
    EXPECT_GT(ring, 40) << "no ring beside the feet at " << fx << "," << fy;
    EXPECT_LT(ChangedPixels(before, after, 20, 380, 120, 460), 10) << "the rest of the ground stands still";
    KeepFailedFrame("player-self");

    // Badly hurt on the host: the warning is heard at the player. (It is short: each frame is
    // looked at as it ends.)
    int32_t owner = player->GetEntityNumber();
    int32_t warning = gGameData->GetTuning().lowHealthSoundWarningLevel;
    ASSERT_GT(hostPlayer->health, warning) << "a new character starts above the warning";
    ASSERT_EQ(LowHealthChannel(owner), nullptr);
    hostPlayer->health = warning - 1;
    bool heard = false;
    for (int i = 0; i < 4 && !heard; ++i) {
        Frame();
        heard = LowHealthChannel(owner) != nullptr;
    }
    EXPECT_TRUE(heard);
}

TEST_F(PlayerSelfEndToEnd, AUseHintShowsItsIconBesideThePlayerAndFadesAway)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    PlayerClient* player = Join();
    ASSERT_NE(player, nullptr);
    ASSERT_FALSE(player->GetUseHints().empty()) << "the shipped game places its hints";
    Frames(4);
    TargaImage before = Screenshot();
    // A plain white icon, as a ready skill slot would hand over its own.
    ResourceHandle icon;
    LoadTextureByName("Textures/white.tga", icon, TextureUsage::Overlay);
    ASSERT_TRUE(icon.IsValid());
    int widget = 0;
    player->QueueUseHint(&widget, icon.GetValue());
    Frames(5);
    TargaImage shown = Screenshot();
    Vector2 feet = Client::WorldToScreen(player->GetBody()->position, true);
    const PlayerClient::UseHint& hint = player->GetUseHints()[0];
    auto side = static_cast<int>(gGameData->GetTuning().useHintSize);
    ASSERT_GE(side, 8);
    int x0 = static_cast<int>(feet.x + hint.x);
    int y0 = static_cast<int>(feet.y + hint.y);
    int inner = (side - 6) * (side - 6);
    EXPECT_GT(ChangedPixels(before, shown, x0 + 3, y0 + 3, x0 + side - 4, y0 + side - 4), inner * 3 / 4)
        << "no icon at " << x0 << "," << y0;
    EXPECT_LT(ChangedPixels(before, shown, 20, 380, 120, 460), 10) << "the rest of the ground stands still";
    KeepFailedFrame("player-usehint");
    Frames(30);
    EXPECT_EQ(player->GetUseHints()[0].object, nullptr) << "faded away";
}

TEST_F(PlayerSelfEndToEnd, ADraughtDrunkByItsBarKeyRaisesItsIconBesideThePlayerOnceItsTimerHasRunOut)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    PlayerClient* player = Join();
    ASSERT_NE(player, nullptr);
    Player& host = *HostPlayer();
    std::unique_ptr<ItemBase> draught = std::make_unique<Item>();
    draught->SetEntryByName("HealingDraught");
    ASSERT_NE(draught->GetEntry(), nullptr);
    int32_t draughtId = draught->GetEntry()->GetId();
    ASSERT_TRUE(host.inventory->AddItem(draught, InventoryGroupIndex::Bag1));
    int32_t cell = -1;
    for (int32_t slot = 0; slot < host.inventory->GetSlotCount(InventoryGroupIndex::Bag1) && cell < 0; ++slot) {
        const ItemBase* held = host.inventory->GetItem(InventoryGroupIndex::Bag1, slot);
        cell = held && held->GetEntry() && held->GetEntry()->GetId() == draughtId ? slot : -1;
    }
    ASSERT_GE(cell, 0);
    host.health = std::max(host.maxHealth / 2, 1);
    Frames(4);
    // The bar's second box holds the draught, as a drag from the pack leaves it.
    ASSERT_TRUE(player->SetQuickUse(1, {UIUseSlot::kKindItem, InventoryGroupIndex::Bag1, cell, draughtId}));
    gUISystem->NotifyPlayerChanged();
    Frames(2);
    auto* box = dynamic_cast<UIUseSlot*>(gUISystem->FindWidgetByPath("InGame::UseSlot1"));
    ASSERT_NE(box, nullptr);
    const UISlotBase* held = box->GetContent();
    ASSERT_NE(held, nullptr);
    ASSERT_NE(held->texture.GetValue(), -1) << "the draught's icon";
    auto raised = [player, held] {
        for (const PlayerClient::UseHint& hint : player->GetUseHints())
            if (hint.object == held)
                return true;
        return false;
    };

    Tap(SDL_SCANCODE_2);
    Frames(4);
    ASSERT_TRUE(player->IsItemTimerActive(1)) << "the host drank it and started its timer";
    EXPECT_FALSE(raised()) << "not while it waits";
    bool seen = false;
    for (int i = 0; i < 60 && !seen; ++i) {
        Frame();
        seen = raised();
        EXPECT_TRUE(!seen || !player->IsItemTimerActive(1)) << "raised before the timer ran out";
    }
    ASSERT_TRUE(seen) << "the draught's icon never rose";
    for (const PlayerClient::UseHint& hint : player->GetUseHints()) {
        if (hint.object == held) {
            EXPECT_EQ(hint.icon, held->texture.GetValue());
        }
    }
    KeepFailedFrame("player-draughthint");
}

// The host changes the player's class: the game update that carries it tells every widget of
// every menu, shown or not, the new class's index, once; an update with the same class tells none.
TEST_F(PlayerSelfEndToEnd, ANewClassInTheGameUpdateNotifiesEveryWidgetOfItsIndexOnce)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    PlayerClient* player = Join();
    ASSERT_NE(player, nullptr);
    std::vector<NotifiedWidget*> widgets;
    for (const char* name : {"InGame", "GameMenu"}) {
        UIMenu* menu = gUISystem->FindMenu(name);
        ASSERT_NE(menu, nullptr) << name;
        auto* widget = new NotifiedWidget();
        widget->internalName = "NotifiedProbe";
        menu->AddWidget(widget);
        widget->menu = menu;
        widgets.push_back(widget);
    }
    ASSERT_TRUE(gUISystem->FindMenu("InGame")->IsShown());
    ASSERT_FALSE(gUISystem->FindMenu("GameMenu")->IsShown());
    Player& host = *HostPlayer();
    int32_t before = host.stats.Get(CharacterStat::Class);
    int32_t other = gGameData->GetCharacterClass(before + 1) ? before + 1 : before - 1;
    ASSERT_NE(gGameData->GetCharacterClass(other), nullptr) << "the game lists a second class";

    host.stats.Set(CharacterStat::Class, other);
    FramesUntil([player, other] { return player->classIndex == other; }, 20);
    ASSERT_EQ(player->classIndex, other);
    Frames(3);
    for (const NotifiedWidget* widget : widgets)
        EXPECT_EQ(widget->values, std::vector<int32_t>{other}) << widget->menu->name;
}

TEST_F(PlayerSelfEndToEnd, ADeathHeldOffByTheDebugFlagSoundsTheDebugBeep)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_NE(Join(), nullptr);
    ASSERT_TRUE(gSoundSystem->IsInitialised());
    auto beeping = [] {
        int32_t count = 0;
        for (int32_t i = SoundSystem::kMusicChannels; i < SoundSystem::kChannelCount; ++i) {
            SoundInstance* channel = gSoundSystem->GetChannel(i);
            count += channel->IsActive() && gResourceManager->GetName(channel->GetResource()) == "Sounds/Debug/beep.wav";
        }
        return count;
    };
    Player* player = HostPlayer();
    player->TakeDamage(player->health / 2, nullptr, false, true);
    EXPECT_EQ(beeping(), 0) << "a blow that leaves the player standing is silent";
    player->flags |= EntityFlag::DeathPrevented;
    player->TakeDamage(player->health + 100, nullptr, false, true);
    EXPECT_EQ(player->health, player->maxHealth) << "the flag brings the health back";
    EXPECT_EQ(beeping(), 1) << "and the debug beep sounds, loaded since the start";
}
