// WidgetLayoutTest -- the keywords of a widget's block: case, value forms, enum names, order-dependent keywords and what a bad keyword does.
#include "ui/UiWorld.h"

#include <algorithm>
#include <utility>

namespace {

class WidgetLayout : public UiWorld {
protected:
    // One widget read from its block in a menu file of its own.
    UIWidget& Read(const std::string& block)
    {
        lastMenu = "W" + std::to_string(++reads);
        WriteMenu(lastMenu + ".mnu", "name " + lastMenu + "\nWidget {\n internalName It\n" + block + "\n}\n");
        UIMenu* menu = ui->CreateMenu("Menu");
        std::string text = folder.Read("Assets/UI/" + lastMenu + ".mnu");
        TextParser parser(text.data(), text.size());
        menu->ParseLayout(parser);
        menus.emplace_back(menu);
        UIWidget* widget = menu->FindWidget("It");
        if (!widget)
            throw std::runtime_error("widget not read");
        return *widget;
    }

    int reads = 0;
    std::string lastMenu;
    std::vector<std::unique_ptr<UIMenu>> menus;
};

TEST_F(WidgetLayout, KeywordsMatchWithoutRegardToCaseAndReadTheirValueForms)
{
    UIWidget& widget = Read("CANCLICK 1\nPosition 12.5 -3\nsize 40 20\ntextOffset 2\nalpha 0.25\n"
                            "addCommand \"record one two\"\naddRightClickCommand right\naddFailCommand fail\n"
                            "highlightText \"a\\nb\"\nentityIndex 4\nsubMenuIndex 2\ndrawOrder 1.5\n"
                            "showHighlightInfo 0\nblocksMouse 0\nignoreRepeatedKeys 0\nunlockName Adventure2\n"
                            "highlightProtectedZone 1 2 3 4\nparentLinked 5 6\nverifyProc checkIt\nname Title");
    EXPECT_TRUE(widget.canClick);
    EXPECT_EQ(widget.position[0], 12.5f);
    EXPECT_EQ(widget.position[1], -3.0f);
    // A value missing from the keyword's line reads as 0, and the next line is still read.
    EXPECT_EQ(widget.textOffset[0], 2.0f);
    EXPECT_EQ(widget.textOffset[1], 0.0f);
    EXPECT_EQ(widget.alpha, 0.25f);
    EXPECT_EQ(widget.commands, std::vector<std::string>{"record one two"});
    EXPECT_EQ(widget.rightClickCommands, std::vector<std::string>{"right"});
    EXPECT_EQ(widget.failCommands, std::vector<std::string>{"fail"});
    EXPECT_EQ(widget.highlightText, "a\nb");
    EXPECT_EQ(widget.entityIndex, 4);
    EXPECT_EQ(widget.subMenuIndex, 2);
    EXPECT_EQ(widget.drawOrder, 1.5f);
    EXPECT_FALSE(widget.showHighlightInfo);
    EXPECT_FALSE(widget.blocksMouse);
    EXPECT_FALSE(widget.ignoreRepeatedKeys);
    EXPECT_EQ(widget.unlockName, "Adventure2");
    EXPECT_TRUE(widget.hasProtectedZone);
    EXPECT_EQ(widget.protectedZone[3], 4.0f);
    EXPECT_TRUE(widget.parentLinked);
    EXPECT_EQ(widget.parentLinkOffset[1], 6.0f);
    EXPECT_EQ(widget.verifyProc, "checkIt");
    EXPECT_EQ(widget.name, "Title");
}

TEST_F(WidgetLayout, EnumNamesAreLookedUpCaseBlindAndAMissingOneGivesZeroWithItsTable)
{
    UIWidget& widget = Read("showCondition lowhealth\nhideCondition ALWAYSTRUE\nentityType Party\n"
                            "colorSource covenant\ntextAlignment CenterRight\nglowCondition NoSuchThing");
    EXPECT_EQ(widget.showCondition, 29);
    EXPECT_EQ(widget.hideCondition, 59);
    EXPECT_EQ(widget.entityType, 0);
    EXPECT_EQ(Logged("Unknown UIEntity name Party"), 1);
    EXPECT_EQ(widget.colorSource, 2);
    EXPECT_EQ(widget.textAlignment, 3);
    EXPECT_EQ(widget.glowCondition, 0);
    EXPECT_EQ(Logged("Unknown UICondition name NoSuchThing"), 1);
    EXPECT_EQ(widget.blinkCondition, 0);
    EXPECT_EQ(widget.selectedCondition, 0);
}

TEST_F(WidgetLayout, TheHoverColourKeywordsDependOnTheirOrder)
{
    ui->settings.defaultHoverColor = Color{0.25f, 0.5f, 0.75f};
    UIWidget& replaced = Read("hoverColor \"1 0 0\"\ntext Label");
    EXPECT_TRUE(replaced.hasHoverColor);
    EXPECT_EQ(replaced.hoverColor.r, 0.25f);
    EXPECT_EQ(replaced.text, "Label");
    UIWidget& kept = Read("text Label\nhoverColor \"1 0 0\"");
    EXPECT_EQ(kept.hoverColor.r, 1.0f);
    EXPECT_EQ(kept.hoverColor.b, 0.0f);
    UIWidget& plain = Read("useDefaultHoverColor\ncolor \"0 1 0\"");
    EXPECT_TRUE(plain.hasHoverColor);
    EXPECT_EQ(plain.hoverColor.b, 0.75f);
    EXPECT_EQ(plain.color.g, 1.0f);
    EXPECT_FALSE(Read("color \"0 1 0\"").hasHoverColor);
}

TEST_F(WidgetLayout, UnknownKeywordsAreLoggedAndTheirValueIsReadAsTheNextKeyword)
{
    UIWidget& widget = Read("sparkle 5\nstartsSelected 0\ncanClick 1");
    EXPECT_EQ(Logged("Unknown widget parm sparkle"), 1);
    EXPECT_EQ(Logged("Unknown widget parm 5"), 1);
    // "startsSelected" takes no value: the 0 after it is a keyword of its own.
    EXPECT_TRUE(widget.selected);
    EXPECT_EQ(Logged("Unknown widget parm 0"), 1);
    EXPECT_TRUE(widget.canClick);
}

TEST_F(WidgetLayout, TheUserVarIsRegisteredAndItsValueWrittenWhenTheMenuIsShown)
{
    vars.SetStringByName("ui_choice", "old");
    WriteMenu("u.mnu", "name U\nWidget { internalName It userVar ui_choice picked }\n");
    ui->LoadMenus(false);
    EXPECT_FALSE(ui->FindWidgetByPath("U::It")->userVarApplied);
    EXPECT_EQ(vars.GetStringByName("ui_choice"), "old");
    ui->ShowMenu("U");
    EXPECT_EQ(vars.GetStringByName("ui_choice"), "picked");
    vars.SetStringByName("ui_choice", "changed");
    ui->HideMenu("U");
    ui->ShowMenu("U");
    EXPECT_EQ(vars.GetStringByName("ui_choice"), "changed");
    Read("userVar ui_fresh");
    EXPECT_NE(vars.FindVar("ui_fresh"), nullptr);
}

TEST_F(WidgetLayout, DrawOrderSortsTheMenuLaterEqualOrdersFirst)
{
    WriteMenu("o.mnu", "name O\n"
                       "Widget { internalName C drawOrder 3 }\n"
                       "Widget { internalName A drawOrder 1 }\n"
                       "Widget { internalName B1 drawOrder 2 }\n"
                       "Widget { internalName B2 drawOrder 2 }\n");
    ui->LoadMenus(false);
    std::vector<std::string> order;
    for (const UIWidget* widget : Menu("O").GetWidgets())
        order.push_back(widget->internalName);
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B2", "B1", "C"}));
    // A draw order set on a widget already in its menu sorts it again at once.
    UIWidget* a = Menu("O").FindWidget("A");
    std::string text = "drawOrder 9";
    TextParser parser(text.data(), text.size());
    std::string key;
    parser.NextToken(key);
    a->ReadProperty(key, parser);
    EXPECT_EQ(Menu("O").GetWidgets().back(), a);

    // Many widgets of five orders in a scrambled sequence: each lands before the others of its
    // order and after every lower one, as a walk from the front would place it.
    std::string many = "name M\n";
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 300; ++i) {
        many += "Widget { internalName W" + std::to_string(i) + " drawOrder " + std::to_string(i * 7919 % 5) + " }\n";
        expected.emplace_back(i * 7919 % 5, -i);
    }
    std::sort(expected.begin(), expected.end());
    WriteMenu("m.mnu", many);
    ui->LoadMenus(false);
    ASSERT_EQ(Menu("M").GetWidgets().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Menu("M").GetWidgets()[i]->internalName, "W" + std::to_string(-expected[i].second)) << i;

    // Two alternating orders, with texts whose scroll bars their attaching places one order up:
    // the list is what placing each widget in turn, from the front, gives.
    std::string alternating = "name N\n";
    std::vector<std::pair<float, std::string>> placed;
    auto placeInTurn = [&placed](float order, const std::string& name) {
        auto at = std::find_if(placed.begin(), placed.end(), [order](const auto& p) { return p.first >= order; });
        placed.insert(at, {order, name});
    };
    for (int i = 0; i < 60; ++i) {
        std::string name = "N" + std::to_string(i);
        int order = i % 2;
        if (i % 10 == 3) {
            alternating += "Text { internalName " + name + " size 50 50 drawOrder " + std::to_string(order) + " }\n";
            placeInTurn(static_cast<float>(order), name);
            placeInTurn(static_cast<float>(order + 1), "");
        } else {
            alternating += "Widget { internalName " + name + " drawOrder " + std::to_string(order) + " }\n";
            placeInTurn(static_cast<float>(order), name);
        }
    }
    WriteMenu("n.mnu", alternating);
    ui->LoadMenus(false);
    ASSERT_EQ(Menu("N").GetWidgets().size(), placed.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        EXPECT_EQ(Menu("N").GetWidgets()[i]->drawOrder, placed[i].first) << i;
        EXPECT_EQ(Menu("N").GetWidgets()[i]->internalName, placed[i].second) << i;
    }
    // A widget placed after the load still goes before the others of its order.
    UIWidget* late = ui->CreateWidget("Widget");
    late->drawOrder = 1.0f;
    Menu("N").AddWidget(late);
    late->menu = &Menu("N");
    const auto& widgets = Menu("N").GetWidgets();
    EXPECT_EQ(*std::find_if(widgets.begin(), widgets.end(), [](const UIWidget* w) { return w->drawOrder >= 1.0f; }),
              late);
}

TEST_F(WidgetLayout, TextSourceLinesArePassedOverWholeAndParentsAreFoundByPath)
{
    WriteMenu("p.mnu", "name P\nWidget { internalName Root }\n"
                       "Widget { internalName Kid textSource Text \"Level:\" EntityLevel\n"
                       " parentWidget P::Root highlightTextSource PlayerName\n canClick 1 }\n"
                       "Widget { internalName Lost parentWidget P::Nobody }\n");
    ui->LoadMenus(false);
    UIWidget* kid = ui->FindWidgetByPath("P::Kid");
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(kid->parentWidget, ui->FindWidgetByPath("P::Root"));
    EXPECT_TRUE(kid->canClick);
    EXPECT_EQ(Logged("Unknown widget parm"), 0);
    EXPECT_EQ(ui->FindWidgetByPath("P::Lost")->parentWidget, nullptr);
    EXPECT_EQ(Logged("Could not find widget Nobody"), 1);
}

} // namespace
