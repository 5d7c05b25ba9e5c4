// AreaEditorFixture -- the shipped game in an offscreen window with the title screen put away, for driving the area editor by commands, keys and clicks.
#pragma once

#include "app/OffscreenShots.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/FileSystem.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "tools/LevelEditor.h"
#include "ui/UIWidget.h"
#include "world/AreaResource.h"
#include "world/LevelData.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

class AreaEditorGame : public OffscreenShotGame {
protected:
    static constexpr const char* kGrass = "Textures/areas/grasslands/floor_grass_01.tga";
    static constexpr const char* kEarth = "Textures/areas/grasslands/floor_earth_01.tga";
    static constexpr const char* kBoulder = "Models/Props/boulder.mdl";
    // Near the screen's middle, over the block in edit from the editor's home view.
    static constexpr int32_t kMidX = 300;
    static constexpr int32_t kMidY = 260;

    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        BeforeStart();
        StartShippedGame();
        ASSERT_NE(gLevelEditor, nullptr);
        Run("hideMenu Main");
    }
    void TearDown() override { KeepFailedFrame("AreaEditor"); }

    // A test changes the staged game folder here, before the game reads it.
    virtual void BeforeStart() {}

    void Run(const std::string& line)
    {
        ASSERT_TRUE(gCommandSystem->Execute(line)) << line;
        app.RunFrame();
    }

    static std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }
    static void SetVar(const char* name, const std::string& value) { gUserVarSystem->SetStringByName(name, value); }
    static LevelEditor& Editor() { return *gLevelEditor; }
    static AreaResource& Area() { return *gLevelEditor->GetArea(); }

    // The editor on, with a new area holding one fresh block in edit.
    void EnterWithNewBlock()
    {
        Run("EditorNew 0");
        Run("editor 1");
        Run("EditorNewBlock");
    }

    // The world tile the editor finds under a screen point; only read, to decide where to click.
    static std::pair<int32_t, int32_t> TileAt(int32_t x, int32_t y)
    {
        std::pair<int32_t, int32_t> tile{-1, -1};
        gLevelEditor->ScreenToTile(x, y, tile.first, tile.second);
        return tile;
    }

    // An area read from the text as the game reads an area file.
    static std::unique_ptr<AreaResource> ParseArea(const std::string& text)
    {
        LevelGeometry g = LevelGeometry::Current();
        auto area = std::make_unique<AreaResource>(g.blockTileWidth, g.blockTileHeight);
        TextParser parser(text.data(), text.size());
        area->Parse(parser);
        return area;
    }

    // The file the game would read under the path now; empty when there is none.
    static std::string ShippedText(const char* path)
    {
        FileBuffer buffer = gFileSystem->LoadWholeFile(path);
        return buffer.IsValid() ? std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size()) : "";
    }

    // The texture name of tile (x, y) of the block, empty for none.
    static std::string TileName(int32_t block, int32_t x, int32_t y)
    {
        const AreaBlock* found = Area().GetBlock(block);
        if (!found || x < 0 || y < 0 || x >= Area().GetBlockWidth() || y >= Area().GetBlockHeight())
            return "<outside>";
        int32_t tile = found->tiles[static_cast<size_t>((Area().GetBlockHeight() - 1 - y) * Area().GetBlockWidth() + x)];
        return tile < 0 ? "" : Area().GetTileTextures()[static_cast<size_t>(tile)].name;
    }

    static void PushButton(uint8_t button, bool down, int32_t x, int32_t y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = button;
        event.button.x = x;
        event.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Pixels left of the tool strip that differ by more than a little between two pictures.
    static int DifferingPixels(const TargaImage& a, const TargaImage& b)
    {
        int count = 0;
        for (int y = 0; y < 480; y += 2)
            for (int x = 0; x < 420; x += 2) {
                std::array<int, 3> p = PixelAt(a, x, y);
                std::array<int, 3> q = PixelAt(b, x, y);
                count += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 30 ? 1 : 0;
            }
        return count;
    }

    // Pixels of a box of the window that differ by more than a little between two pictures.
    static int ChangedIn(const TargaImage& a, const TargaImage& b, int x0, int y0, int x1, int y1)
    {
        return ChangedPixels(a, b, x0, y0, x1, y1, 30);
    }

    // Pixels left of the tool strip within a little of the colour table's entry.
    static int PixelsOfColor(const TargaImage& image, int32_t entry)
    {
        Color color;
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, entry);
        std::array<int, 3> wanted = {static_cast<int>(color.r * 255.0f), static_cast<int>(color.g * 255.0f),
                                     static_cast<int>(color.b * 255.0f)};
        int count = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 420; ++x) {
                std::array<int, 3> p = PixelAt(image, x, y);
                count += std::abs(p[0] - wanted[0]) + std::abs(p[1] - wanted[1]) + std::abs(p[2] - wanted[2]) < 24;
            }
        return count;
    }

    // Motion, press and release, a frame each, with the button the caller names.
    void ClickWith(uint8_t button, int32_t x, int32_t y)
    {
        PushMotion(x, y);
        app.RunFrame();
        PushButton(button, true, x, y);
        app.RunFrame();
        PushButton(button, false, x, y);
        app.RunFrame();
    }
};
