// ListButtonTest -- list buttons run their command with the value selected in a list, found again by path after "reloadMenus"; covenant trait icons made in code take the texture and the help of the trait at their slot of the widget's covenant.
#include "ui/UiWorld.h"

#include "core/Database.h"
#include "rules/GameData.h"
#include "ui/widgets/UICovenantTraitIcon.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIListButton.h"

namespace {

class ListButtonWorld : public UiWorld {
protected:
    void SetUp() override
    {
        commands.RegisterInfoProc("testRows", [](std::vector<ListEntry>& rows) {
            rows.resize(2);
            rows[0].name = "Hero";
            rows[0].value = "Saved Hero";
            rows[1].name = "Other";
            rows[1].value = "other";
        });
        WriteMenu("l.mnu", "name L\nsize 640 480\n"
                           "List { internalName Rows position 100 100 size 200 40 itemHeight 20 infoProc testRows }\n"
                           "Widget { internalName NotAList position 400 400 size 10 10 }\n"
                           "ListButton { internalName Load position 100 200 size 50 20 list Rows listCommand record }\n"
                           "ListButton { internalName Far position 200 200 size 50 20 list L::Rows "
                           "listCommand record }\n"
                           "ListButton { internalName Wrong position 300 200 size 50 20 list NotAList "
                           "listCommand record }\n");
        ui->RegisterCommands();
        commands.Execute("showMenu L");
    }
};

TEST_F(ListButtonWorld, TheCommandGetsTheSelectedValueUnquotedAfterOneBlank)
{
    Click(110, 210);
    EXPECT_TRUE(TakeRan().empty()) << "nothing without a selection";
    Click(110, 105);
    Click(110, 210);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"Saved Hero"}) << "a value with a blank reaches two words";
    Click(110, 125);
    Click(210, 210);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"other"}) << "a menu::widget path";
    Click(310, 210);
    EXPECT_TRUE(TakeRan().empty()) << "a widget that is no list gives nothing";
    auto* wrong = dynamic_cast<UIListButton*>(ui->FindWidgetByPath("L::Wrong"));
    ASSERT_NE(wrong, nullptr);
    EXPECT_EQ(wrong->GetList(), nullptr);
}

TEST_F(ListButtonWorld, AfterAReloadTheButtonFindsTheNewList)
{
    commands.Execute("reloadMenus");
    commands.Execute("showMenu L");
    auto* button = dynamic_cast<UIListButton*>(ui->FindWidgetByPath("L::Far"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetList(), ui->FindWidgetByPath("L::Rows"));
    Click(110, 125);
    Click(210, 210);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"other"});
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(button));
    auto* copied = dynamic_cast<UIListButton*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->listPath, "L::Rows");
    EXPECT_EQ(copied->listCommand, "record");
}

class TraitIconWorld : public UiWorld {
protected:
    TraitIconWorld() { gDatabase = &database; }
    ~TraitIconWorld() override
    {
        gGameData = nullptr;
        gDatabase = nullptr;
    }
    void SetUp() override
    {
        folder.Write("Assets/Database/database.dbl", "traits.dbr\n");
        folder.Write("Assets/Database/traits.dbr",
                     "Brave\n{\n Type CovenantTrait\n Name \"Brave Ones\"\n Desc \"Never retreat\"\n"
                     " TextureName Textures/UI/brave.tga\n}\n"
                     "Quiet\n{\n Type CovenantTrait\n Name Quiet\n TextureName Textures/UI/quiet.tga\n}\n");
        database.Load();
        gameData = std::make_unique<GameData>();
        gameData->Load(database);
        gGameData = gameData.get();
        ASSERT_EQ(gameData->GetCovenantTraitCount(), 2);
        view.playerCovenant = 0;
        view.covenants.resize(1);
        view.covenants[0].traits = {1, 0, -1};
    }

    std::unique_ptr<UICovenantTraitIcon> Icon(int32_t slot) const
    {
        auto icon = std::make_unique<UICovenantTraitIcon>(slot);
        icon->entityType = UIEntity::PlayerCovenant;
        icon->Update(0.0f);
        return icon;
    }

    static std::string Help(UICovenantTraitIcon& icon)
    {
        std::string text = "unchanged";
        std::string title;
        return icon.GetHelpText(0, 0, text, title) ? text : "none";
    }

    Database database;
    std::unique_ptr<GameData> gameData;
};

TEST_F(TraitIconWorld, TheIconShowsTheTraitAtItsSlot)
{
    auto second = Icon(1);
    EXPECT_EQ(second->textureName, "Textures/UI/brave.tga");
    EXPECT_EQ(Help(*second), "Brave Ones\nNever retreat");
    auto first = Icon(0);
    EXPECT_EQ(first->textureName, "Textures/UI/quiet.tga");
    EXPECT_EQ(Help(*first), "Quiet") << "no description, no line break";
    view.covenants[0].traits = {0, 1};
    second->Update(0.0f);
    EXPECT_EQ(second->textureName, "Textures/UI/quiet.tga") << "the texture follows the covenant";
}

TEST_F(TraitIconWorld, NoTraitAtTheSlotShowsNothing)
{
    for (int32_t slot : {-1, 2, 3, 40}) {
        auto icon = Icon(slot);
        EXPECT_EQ(icon->textureName, "") << slot;
        EXPECT_EQ(Help(*icon), "none") << slot;
    }
    auto icon = Icon(1);
    view.covenants[0].traits = {5, 7};
    icon->Update(0.0f);
    EXPECT_EQ(icon->textureName, "") << "an index outside the game data's list";
    view.playerCovenant = -1;
    EXPECT_EQ(Help(*icon), "none") << "no covenant";
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(icon.get()));
    EXPECT_EQ(dynamic_cast<UICovenantTraitIcon*>(copy.get()), nullptr) << "a copy is a plain widget";
}

} // namespace
