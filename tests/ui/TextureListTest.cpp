// TextureListTest -- a texture list loaded from a menu file over a temporary asset folder: the folder from its user var, names in order, the page and the entry under a point, clicks and hovering into their user vars, and rebuilding when the folder changes.
#include "ui/UiWorld.h"

#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UITextureList.h"

namespace {

class TextureList : public UiWorld {
protected:
    void SetUp() override
    {
        for (int i = 9; i >= 0; --i)
            folder.Write("Assets/Textures/Walls/wall" + std::to_string(i) + ".tga", "not read");
        folder.Write("Assets/Textures/Walls/notes.txt", "not listed");
        folder.Write("Assets/Textures/Walls/moss.ctx", "not read");
        folder.Write("Assets/Textures/Floors/a.tga", "not read");
        WriteMenu("l.mnu", "name L\nvisible 1\nsize 640 480\n"
                           "TextureList { internalName Pics position 100 100 size 100 200 elementSize 36 36 "
                           "userVar listFolder \"/Walls\" textureUserVar picked textureUserVarAlt pickedAlt "
                           "highlightUserVar hovered }\n"
                           "TextureList { internalName Flat position 300 100 size 100 200 userVar flatFolder "
                           "\"/Walls\" }\n");
        ui->RegisterCommands();
        // A list's show rebuilds it rather than writing the layout's value into its user var.
        vars.SetStringByName("listFolder", "/Walls");
        vars.SetStringByName("flatFolder", "/Walls");
        list = dynamic_cast<UITextureList*>(ui->FindWidgetByPath("L::Pics"));
        ASSERT_NE(list, nullptr);
        ui->Update(0.0f);
    }

    UITextureList* list = nullptr;
};

TEST_F(TextureList, TheFolderComesFromTheUserVarAndItsNamesAreSorted)
{
    EXPECT_EQ(list->folderPath, "Textures/Walls");
    ASSERT_EQ(list->GetNames().size(), 11u);
    EXPECT_EQ(list->GetNames().front(), "Textures/Walls/moss.ctx");
    EXPECT_EQ(list->GetNames()[1], "Textures/Walls/wall0.tga");
    EXPECT_EQ(list->GetNames().back(), "Textures/Walls/wall9.tga");
    vars.SetStringByName("listFolder", "/Walls/");
    ui->Update(0.0f);
    EXPECT_EQ(list->folderPath, "Textures/Walls") << "one trailing slash names the same folder";
    EXPECT_EQ(list->GetNames().size(), 11u);
}

TEST_F(TextureList, APageHoldsWholeEntriesWithTheirGaps)
{
    EXPECT_EQ(list->GetPageSize(), 5);
    EXPECT_EQ(list->GetFirstShown(), 0);
    EXPECT_EQ(list->GetLastShown(), 4);
    EXPECT_EQ(list->GetEntryAt(99.0f), -1);
    EXPECT_EQ(list->GetEntryAt(139.0f), 0) << "the gap under an entry counts for it";
    EXPECT_EQ(list->GetEntryAt(140.0f), 1);
    EXPECT_EQ(list->GetEntryAt(299.0f), 4);
    EXPECT_EQ(list->GetEntryAt(300.0f), -1);
    list->GetScrollBar()->position = 6;
    EXPECT_EQ(list->GetEntryAt(100.0f), 6) << "the sixth entry shows after scrolling";
    EXPECT_EQ(list->GetLastShown(), 10);
    auto* flat = dynamic_cast<UITextureList*>(ui->FindWidgetByPath("L::Flat"));
    EXPECT_EQ(flat->GetPageSize(), 0) << "no entry height, no page";
    EXPECT_EQ(flat->GetEntryAt(120.0f), -1);
}

TEST_F(TextureList, ClicksAndTheCursorWriteTheEntrysName)
{
    Click(110, 150);
    EXPECT_EQ(vars.GetStringByName("picked"), "Textures/Walls/wall0.tga");
    Click(110, 190, 1);
    EXPECT_EQ(vars.GetStringByName("pickedAlt"), "Textures/Walls/wall1.tga");
    EXPECT_EQ(vars.GetStringByName("picked"), "Textures/Walls/wall0.tga");
    MoveCursor(110, 270);
    ui->Update(0.0f);
    EXPECT_EQ(vars.GetStringByName("hovered"), "Textures/Walls/wall3.tga");
    // Below the last entry of the page nothing is picked.
    vars.SetStringByName("picked", "");
    Click(110, 300);
    EXPECT_EQ(vars.GetStringByName("picked"), "");
}

TEST_F(TextureList, AnotherFolderRebuildsTheListAtTheNextFrame)
{
    list->GetScrollBar()->position = 3;
    vars.SetStringByName("listFolder", "/Floors");
    ui->Update(0.0f);
    ASSERT_EQ(list->GetNames().size(), 1u);
    EXPECT_EQ(list->GetNames().front(), "Textures/Floors/a.tga");
    EXPECT_EQ(list->GetScrollBar()->position, 0);
    vars.SetStringByName("listFolder", "/Nowhere");
    ui->Update(0.0f);
    EXPECT_TRUE(list->GetNames().empty());
    EXPECT_EQ(list->GetLastShown(), -1);
}

} // namespace
