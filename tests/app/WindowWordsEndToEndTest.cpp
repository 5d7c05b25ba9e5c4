// WindowWordsEndToEndTest -- the shipped windows of a new world say what they do, read under the cursor moved by SDL motion: the bar's covenants button is called by one name in its words and its tooltip, a quest's row explains the "[Here]" in front of a title, and the trade window's covenant offer says who gives what.
#include "app/OffscreenShots.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "ui/UIWidget.h"

#include <string>

namespace {

class WindowWordsEndToEnd : public NewWorldShotGame {
protected:
    // The tooltip's words, translated, with the cursor on the widget's middle.
    std::string TooltipOver(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        EXPECT_NE(widget, nullptr) << path;
        if (!widget)
            return {};
        auto [x, y] = CentreOf(*widget);
        PushMotion(x, y);
        Frames(2);
        ShownTooltip tip = ReadTooltip();
        return gLocSystem->Translate(tip.title + tip.text);
    }

    static std::string Words(const char* path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        return widget ? gLocSystem->Translate(widget->text) : std::string();
    }
};

} // namespace

TEST_F(WindowWordsEndToEnd, TheCovenantsButtonAndTheQuestRowsSayWhatTheyAre)
{
    std::string label = Words("InGame::RelationsLabel");
    ASSERT_FALSE(label.empty());
    EXPECT_NE(TooltipOver("InGame::RelationsButton").find(label), std::string::npos) << "the tooltip calls it " << label;

    Tap(SDL_SCANCODE_Q);
    Frames(2);
    ASSERT_TRUE(Shown("Quests"));
    std::string here = gLocSystem->Translate("$$QuestTitlePlayerInQuestLevel$$");
    while (!here.empty() && here.back() == ' ')
        here.pop_back();
    EXPECT_NE(TooltipOver("Quests::Quest0").find(here), std::string::npos) << "the row's tooltip explains " << here << ": " << TooltipOver("Quests::Quest0");
    Tap(SDL_SCANCODE_Q);
    Frames(1);
}

// The covenant's own offer: each column is headed by who gives it, within the window.
TEST_F(WindowWordsEndToEnd, TheOfferColumnsSayWhoGives)
{
    gUISystem->ShowMenu("Trade");
    Frames(2);
    for (const char* path : {"Trade::IncomingAskedLabel", "Trade::IncomingGivenLabel"}) {
        UIWidget* label = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(label, nullptr) << path;
        EXPECT_FALSE(Words(path).empty()) << path;
        UIWidget* column = gUISystem->FindWidgetByPath(path == std::string("Trade::IncomingAskedLabel")
                                                           ? "Trade::IncomingAsked"
                                                           : "Trade::IncomingGiven");
        ASSERT_NE(column, nullptr);
        EXPECT_EQ(label->GetScreenPosition().x, column->GetScreenPosition().x) << path;
        EXPECT_LE(label->GetScreenPosition().y + label->size[1], column->GetScreenPosition().y) << path;
    }
    TargaImage shown = Screenshot();
    UIWidget* asked = gUISystem->FindWidgetByPath("Trade::IncomingAskedLabel");
    int32_t x = static_cast<int32_t>(asked->GetScreenPosition().x);
    int32_t y = static_cast<int32_t>(asked->GetScreenPosition().y);
    EXPECT_GT(BrightPixels(shown, x, y, x + 200, y + 12, 120), 20) << "the headings are drawn";
}

// An empty place of the equipment names itself, and what it holds, under the cursor.
TEST_F(WindowWordsEndToEnd, EmptyEquipmentPlacesNameThemselves)
{
    Tap(SDL_SCANCODE_I);
    Frames(2);
    ASSERT_TRUE(Shown("Inventory"));
    ASSERT_EQ(HostPlayer()->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Head), nullptr);
    std::string told = TooltipOver("Inventory::Head");
    EXPECT_NE(told.find(gLocSystem->Translate("$$HeadItemSlot$$")), std::string::npos) << told;
    EXPECT_NE(told.find(gLocSystem->Translate("$$HeadOnlyHold$$")), std::string::npos) << told;
}

// The covenant's stash, hovered where it stands, is called by the name the quests and the
// stash window use.
TEST_F(WindowWordsEndToEnd, TheCovenantStashIsCalledAStashUnderTheCursor)
{
    Entity* stash = nullptr;
    for (int32_t number = 0; number < 1500 && !stash; ++number) {
        Entity* entity = gGame->GetEntity(number);
        const DatabaseEntry* record = entity ? entity->GetEntry() : nullptr;
        if (record && record->GetName() == std::string_view("ObjectCovenantStash"))
            stash = entity;
    }
    ASSERT_NE(stash, nullptr);
    ClearTheStage();
    stash->SetPosition(HostPlayer()->position.Offset(Vector2{70.0f, 0.0f}));
    EntityClient* shown = MirrorOf(*stash);
    ASSERT_NE(shown, nullptr);
    Frames(4);
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(FindPickPoint(*shown, x, y));
    PushMotion(x, y);
    Frames(2);
    std::string told = gLocSystem->Translate(ReadTooltip().text);
    std::string stashWord = gLocSystem->Translate("$$QuestTextHouseCovStash$$");
    EXPECT_NE(told.find(gLocSystem->Translate("$$ObjectCovenantStash$$")), std::string::npos) << told;
    EXPECT_NE(StringToLower(told).find("stash"), std::string::npos) << told << " / the quests say " << stashWord;
    EXPECT_EQ(told.find("characters"), std::string::npos) << "the covenant's stash is no store of the player's characters";
}
