// InGameScreenEndToEndTest -- the shipped in-game screen in an offscreen window, driven by keys and clicks pushed through SDL: every help topic opened from its button and read, the tooltips of the world map's pins and the mini-map's markers, live effects held by a pause unless a shown menu wants them, the player's status effects with their time running down, and an item's history.
#include "app/OffscreenShots.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/ItemClient.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "entities/Item.h"
#include "entities/Inventory.h"
#include "render/MiniMap.h"
#include "render/TextEvents.h"
#include "render/WorldMap.h"
#include "resources/effects/EffectInstance.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/Particle.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UIStatusEffectIcons.h"
#include "ui/widgets/UIText.h"
#include "world/World.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A window showing a model that asks for its effects to keep running, as a figure on a screen
// over a paused game would.
const char kInGameModelWindow[] = "MenuType Menu\nname ModelWindow\nposition 200 100\nsize 200 200\ninGameOnly\n"
                                  "ModelWidget { internalName Figure position 0 0 size 200 200 drawEffects 1\n"
                                  "    modelUserVar InGameTestModel \"models/warden.mdl\" }\n";

class InGameScreen : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/ingametestmodel.mnu", kInGameModelWindow);
        ASSERT_NO_FATAL_FAILURE(StartInANewWorld());
        ASSERT_TRUE(Shown("InGame"));
    }
    void TearDown() override { KeepFailedFrame("InGameScreen"); }

    // The cursor moved through SDL; the frames draw the maps, which find what it hovers.
    void HoverAt(int32_t x, int32_t y)
    {
        PushMotion(x, y);
        Frames(2);
    }

    static std::string Translated(const std::string& key) { return gLocSystem->Translate("$$" + key + "$$"); }

    static std::string FirstLine(const char* path)
    {
        auto* text = dynamic_cast<UIText*>(gUISystem->FindWidgetByPath(path));
        return text && !text->lines.empty() ? WideToNarrow(text->lines.front()) : std::string();
    }

    // Every live particle with its age: a still picture of the effects.
    static std::vector<std::pair<const Particle*, float>> ParticleAges()
    {
        std::vector<std::pair<const Particle*, float>> ages;
        for (const EffectInstance* effect : gEffectSystem->GetLiveEffects())
            for (const Particle* particle : effect->particles)
                ages.emplace_back(particle, particle->age);
        return ages;
    }

    // The venom icon's time left in seconds, read from its tooltip; -1 when the tooltip has none.
    static float SecondsLeftIn(const std::string& tooltip)
    {
        const std::string key = "$$TimeLeft$$: ";
        size_t at = tooltip.find(key);
        if (at == std::string::npos)
            return -1.0f;
        int minutes = 0;
        int seconds = 0;
        if (std::sscanf(tooltip.c_str() + at + key.size(), " %d:%d", &minutes, &seconds) != 2)
            return -1.0f;
        return static_cast<float>(minutes * 60 + seconds);
    }
};

} // namespace

// Each topic of the shipped list gets its button; a click opens the shipped page with the topic's
// title and text; "Read" marks it read and puts page and button away. "Hide all tips" counts
// every topic read and takes every button away.
TEST_F(InGameScreen, EveryShippedHelpTopicOpensItsPageFromItsButtonAndReadingItClosesBoth)
{
    const DatabaseEntry* record = gDatabase->FindEntryByName("HelpTopics");
    ASSERT_NE(record, nullptr);
    std::vector<std::string> topics;
    record->GetStringList("HelpTopic", topics, true, true);
    ASSERT_GE(topics.size(), 8u);
    const UiSettings& settings = gUISystem->GetSettings();
    float half = settings.helpTopicButtonSize * 0.5f;
    for (size_t index = 0; index < topics.size(); ++index) {
        const std::string& topic = topics[index];
        SCOPED_TRACE(topic);
        TypeOnConsole("addHelpTopic " + topic);
        UIMenu* button = gUISystem->FindMenu(topic + "Button");
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->IsShown());
        ClickAt(static_cast<int32_t>(button->position[0] + half), static_cast<int32_t>(button->position[1] + half));
        ASSERT_TRUE(Shown("helpTopic"));
        Frames(1);
        UIWidget* title = gUISystem->FindWidgetByPath("helpTopic::Title");
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(gLocSystem->Translate(title->text), Translated("HelpTitle" + topic));
        std::string body = FirstLine("helpTopic::Body");
        EXPECT_GT(body.size(), 10u);
        EXPECT_EQ(Translated("HelpText" + topic).rfind(body, 0), 0u) << body;

        UIMenu* page = gUISystem->FindMenu("helpTopic");
        ClickAt(static_cast<int32_t>(page->position[0]) + 112, static_cast<int32_t>(page->position[1]) + 228);
        EXPECT_FALSE(Shown("helpTopic"));
        EXPECT_FALSE(button->IsShown());
        EXPECT_TRUE(gUISystem->GetGameView().IsHelpTopicRead(static_cast<int32_t>(index)));
    }

    TypeOnConsole("resetAllHelpTopics");
    UIMenu* welcome = gUISystem->FindMenu(topics.front() + "Button");
    ASSERT_TRUE(welcome->IsShown());
    ClickAt(static_cast<int32_t>(welcome->position[0] + half), static_cast<int32_t>(welcome->position[1] + half));
    ASSERT_TRUE(Shown("helpTopic"));
    UIMenu* page = gUISystem->FindMenu("helpTopic");
    ClickAt(static_cast<int32_t>(page->position[0]) + 300, static_cast<int32_t>(page->position[1]) + 228);
    EXPECT_FALSE(Shown("helpTopic"));
    for (size_t index = 0; index < topics.size(); ++index) {
        EXPECT_TRUE(gUISystem->GetGameView().IsHelpTopicRead(static_cast<int32_t>(index))) << topics[index];
        UIMenu* button = gUISystem->FindMenu(topics[index] + "Button");
        EXPECT_TRUE(!button || !button->IsShown()) << topics[index];
    }
}

// The mini-map's ring shows while the map is on; its marker under the cursor names itself, though
// the ring lies over it; on the open world map the pin under the cursor names itself, and away from the pins the map's
// own button answers.
TEST_F(InGameScreen, TheMiniMapsMarkerAndTheWorldMapsPinNameThemselvesUnderTheCursor)
{
    // The ring shows while the mini-map is on.
    UIWidget* ring = gUISystem->FindWidgetByPath("InGame::MiniMapFrame");
    ASSERT_NE(ring, nullptr);
    gUserVarSystem->SetStringByName("miniMapOn", "0");
    Frames(1);
    EXPECT_FALSE(ring->IsVisible());
    gUserVarSystem->SetStringByName("miniMapOn", "1");
    Frames(1);
    EXPECT_TRUE(ring->IsVisible());

    const UiSettings& settings = gUISystem->GetSettings();
    int32_t centreX = static_cast<int32_t>(settings.miniMapMaskPosition[0] + settings.miniMapMaskSize[0] * 0.5f);
    int32_t centreY = static_cast<int32_t>(settings.miniMapMaskPosition[1] + settings.miniMapMaskSize[1] * 0.5f);
    // The player's own marker stands in the middle of the disc.
    HoverAt(centreX, centreY);
    ASSERT_FALSE(gMiniMap->GetTooltip().empty()) << "no marker under the cursor";
    ShownTooltip marker = ReadTooltip();
    EXPECT_EQ(marker.text, gMiniMap->GetTooltip());
    EXPECT_EQ(marker.flag, 1.0f);
    EXPECT_NEAR(marker.position[0] + marker.extent[0] * 0.5f, static_cast<float>(centreX), 12.0f);
    EXPECT_NEAR(marker.position[1] + marker.extent[1] * 0.5f, static_cast<float>(centreY), 12.0f);
    // Away from every marker, the ring says nothing and hides the world behind it.
    HoverAt(static_cast<int32_t>(settings.miniMapMaskPosition[0]) + 2,
            static_cast<int32_t>(settings.miniMapMaskPosition[1]) + 2);
    EXPECT_TRUE(gMiniMap->GetTooltip().empty());
    EXPECT_TRUE(ReadTooltip().text.empty());

    Tap(SDL_SCANCODE_M);
    Frames(2);
    ASSERT_TRUE(Shown("WorldMap"));
    const MapPin& own = gWorldMap->GetPins().front();
    Vector2 at = gWorldMap->MapPosition(own.position.level, Vector2{own.position.x, own.position.y}, false, true);
    HoverAt(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y));
    ASSERT_EQ(gWorldMap->GetHoverIndex(), 0);
    ShownTooltip pin = ReadTooltip();
    EXPECT_EQ(pin.text, gWorldMap->GetPins().front().text);
    EXPECT_EQ(pin.text, Local()->GetBody()->GetHoverText(false, true, false));
    EXPECT_EQ(pin.flag, 1.0f);
    EXPECT_NEAR(pin.position[0], at.x - 4.0f, 1.0f);
    EXPECT_NEAR(pin.position[1], at.y - 4.0f, 1.0f);
    EXPECT_EQ(pin.extent[0], 8.0f);

    // The map's closing button, away from every pin.
    HoverAt(586, 457);
    ASSERT_LT(gWorldMap->GetHoverIndex(), 0);
    EXPECT_NE(ReadTooltip().text.find("$$WorldMapTitle$$"), std::string::npos);
}

// The pause's line takes the text events' slot of this kind.
constexpr int32_t kPausedTextKind = 6;

// A pause holds every live effect still, unless a shown window wants its effects: one showing a
// model that draws its effects sets them moving again until it closes; the pause is told in the
// shipped words.
TEST_F(InGameScreen, EffectsStandStillUnderAPauseAndMoveUnderAMenuShowingAModel)
{
    EntityClient* body = Local()->GetBody();
    gEffectSystem->StartEffect(&body->GetEffectHost(), "effects/gate_swirl.eff", "");
    FramesUntil([] { return !ParticleAges().empty(); });
    ASSERT_FALSE(ParticleAges().empty());

    TypeOnConsole("setUserVar paused 1");
    ASSERT_TRUE(Client::IsPaused());
    Frames(1);
    // The pause says so over the held game in a text of the shipped language, not its bare key.
    const TextEvents::Record* told = gTextEvents->FindTextEvent(kPausedTextKind);
    ASSERT_NE(told, nullptr);
    EXPECT_NE(told->text.find("$$Paused$$"), std::string::npos) << told->text;
    EXPECT_TRUE(gLocSystem->HasText("Paused"));
    auto held = ParticleAges();
    Frames(5);
    EXPECT_EQ(ParticleAges(), held) << "the effects moved during the pause";

    TypeOnConsole("showMenu ModelWindow");
    ASSERT_TRUE(Shown("ModelWindow"));
    auto before = ParticleAges();
    Frames(5);
    EXPECT_NE(ParticleAges(), before) << "the model's window keeps the effects running";

    TypeOnConsole("hideMenu ModelWindow");
    Frames(1);
    held = ParticleAges();
    Frames(5);
    EXPECT_EQ(ParticleAges(), held) << "closed, it lets the pause hold them again";

}

// Venom the host puts on the player shows as an icon at the top of the screen; under the cursor
// it names the venom and the time it has left, which falls as the game runs, and the icon goes
// when the venom does.
TEST_F(InGameScreen, APoisonOnThePlayerShowsItsIconWithItsTimeFalling)
{
    auto* row = dynamic_cast<UIStatusEffectIcons*>(gUISystem->FindWidgetByPath("InGame::StatusEffects"));
    ASSERT_NE(row, nullptr);
    const DatabaseEntry* venom = gDatabase->FindEntryByName("StatusEffectVenom");
    ASSERT_NE(venom, nullptr);
    // The row drawn each frame holds no texts: the venom is known by its record.
    auto venomSlot = [row, venom] {
        for (int32_t slot = 0; slot < row->count; ++slot)
            if (row->GetIcon(slot).GetRecord() == venom->GetId())
                return slot;
        return -1;
    };
    ClearTheStage();
    Frames(2);
    TargaImage clean = Screenshot();
    ASSERT_EQ(venomSlot(), -1);

    HostPlayer()->AddStatusEffectByName("StatusEffectVenom", nullptr, 1);
    FramesUntil([&] { return venomSlot() >= 0; });
    int32_t slot = venomSlot();
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(row->GetIcon(slot).GetIcon().IsValid()) << "the venom's icon texture";
    int32_t left = static_cast<int32_t>(row->GetScreenPosition().x + static_cast<float>(slot) * row->offset[0]);
    int32_t top = static_cast<int32_t>(row->GetScreenPosition().y + static_cast<float>(slot) * row->offset[1]);
    TargaImage poisoned = Screenshot();
    EXPECT_GT(ChangedPixels(clean, poisoned, left, top, left + 24, top + 24, 24), 100) << "the icon is drawn";

    HoverAt(left + 12, top + 12);
    ShownTooltip first = ReadTooltip();
    EXPECT_EQ(first.text.rfind("$$StatusEffectVenom$$\n", 0), 0u) << first.text;
    float firstLeft = SecondsLeftIn(first.text);
    ASSERT_GT(firstLeft, 0.0f) << first.text;
    EXPECT_LE(firstLeft, 9.0f) << "a venom of level 1 lasts 8 seconds";
    float laterLeft = firstLeft;
    FramesUntil([&] { return (laterLeft = SecondsLeftIn(ReadTooltip().text)) < firstLeft - 1.5f; }, 400);
    EXPECT_LT(laterLeft, firstLeft - 1.5f) << "the time left falls with the game's clock";
    FramesUntil([&] { return venomSlot() < 0; }, 1200);
    EXPECT_EQ(venomSlot(), -1) << "the venom wore off";
}

// The screen's widgets that only hold a key (the trade window's T among them) stand at the top-left
// corner with no size: the cursor there shows nothing of theirs, while a widget drawn there would.
TEST_F(InGameScreen, TheCursorAtTheTopLeftCornerShowsNoTooltipOfAKeyHolder)
{
    UIWidget* holder = gUISystem->FindWidgetByPath("InGame::TradeKey");
    ASSERT_NE(holder, nullptr);
    ASSERT_TRUE(holder->HitTest(0.0f, 0.0f)) << "the holder takes its corner, edges included";
    ClearTheStage();
    HoverAt(40, 40);
    HoverAt(0, 0);
    ShownTooltip corner = ReadTooltip();
    EXPECT_TRUE(corner.text.empty()) << corner.text;
    EXPECT_TRUE(corner.title.empty()) << corner.title;
}

// "showHistory" over an item's slot opens the story window on the item's own text; a widget
// naming the area answers with the name of the player's level.
TEST_F(InGameScreen, ShowHistoryOverTheTomeTellsItsStoryAndTheAreaNameIsThePlayersLevel)
{
    auto tome = std::make_unique<Item>();
    tome->SetEntryByName("TomeOfTheFirstFlame");
    ASSERT_NE(tome->GetEntry(), nullptr);
    std::unique_ptr<ItemBase> placed = std::move(tome);
    ASSERT_TRUE(HostPlayer()->inventory->AddItem(placed, InventoryGroupIndex::Bag1));
    Tap(SDL_SCANCODE_I);
    const UIItemSlot* shown = nullptr;
    FramesUntil([&] {
        for (UIMenu* menu : gUISystem->GetMenus())
            for (const UIWidget* widget : menu->GetWidgets()) {
                auto* slot = dynamic_cast<const UIItemSlot*>(widget);
                const ItemClient* item = slot && menu->IsShown() && slot->IsVisible() ? slot->GetItem() : nullptr;
                if (item && item->GetEntry() && item->GetEntry()->GetName() == "TomeOfTheFirstFlame")
                    shown = slot;
            }
        return shown != nullptr;
    });
    ASSERT_NE(shown, nullptr) << "the tome in an open bag";
    PushMotion(static_cast<int32_t>(shown->GetScreenPosition().x + shown->size[0] * 0.5f),
               static_cast<int32_t>(shown->GetScreenPosition().y + shown->size[1] * 0.5f));
    Frames(1);
    TypeOnConsole("showHistory");
    ASSERT_TRUE(Shown("Story"));
    EXPECT_EQ(gUISystem->currentTextFile, "Text/tomeFirstFlame.txt");
    Frames(1);
    EXPECT_EQ(FirstLine("Story::Body").rfind("The first flame", 0), 0u) << FirstLine("Story::Body");

    UIWidget area;
    area.AddTextSource(EnumTable::LookupIn("UITextSource", "AreaName"), "");
    std::string level = gWorld->GetLevelName(HostPlayer()->position.level);
    ASSERT_FALSE(level.empty());
    EXPECT_EQ(area.GetLocationText(), level);
}
