// MapWorld -- a test world for the maps: levels on a grid with the tile size and side the test chooses, a running scene, a client source and an interface panel that the test sets and reads.
#pragma once

#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "render/FakeFrameScene.h"
#include "render/MapPanel.h"
#include "render/MapSource.h"
#include "render/MiniMap.h"
#include "render/WorldMap.h"
#include "world/AreaDefinition.h"
#include "world/WorldDatabase.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class FakeMapSource : public MapSource {
public:
    bool GetPlayerPosition(WorldPos& out) const override
    {
        out = player;
        return hasPlayer;
    }
    bool IsTeleportMode() const override { return teleport; }
    bool IsVisibleToPlayer(const WorldPos& position) const override { return !visible || visible(position); }
    ResourceHandle GetEntityMapShader(int32_t, int32_t, int32_t) override { return {}; }
    // A textless source leaves the texts out unless asked, as the client's does.
    void AddEntityPins(std::vector<MapPin>& pins, bool withText) override
    {
        for (const MapPin& pin : entities) {
            pins.push_back(pin);
            if (textless && !withText)
                pins.back().text.clear();
        }
    }
    std::string GetEntityPinText(int32_t id) const override
    {
        textsAsked.push_back(id);
        for (const MapPin& pin : entities)
            if (pin.id == id)
                return pin.text;
        return {};
    }
    void AddTravelPins(std::vector<MapPin>& pins, bool teleportMode) override
    {
        travelModes.push_back(teleportMode);
        pins.insert(pins.end(), travel.begin(), travel.end());
    }
    void GetCovenants(std::vector<MapCovenant>& out) const override { out = covenants; }
    bool KnowsLevel(int32_t level) const override { return level == knownLevel; }
    bool IsQuestLevel(int32_t level) const override { return level == questLevel; }
    void QueueServerCommand(const std::string& line) override { sent.push_back(line); }
    void ShowRefusal(const std::string& text) override { refusals.push_back(text); }
    void SetClickHook(ClickHook hook) override { clickHook = std::move(hook); }

    WorldPos player;
    bool hasPlayer = true;
    bool teleport = false;
    std::function<bool(const WorldPos&)> visible;
    std::vector<MapPin> entities;
    bool textless = false;
    mutable std::vector<int32_t> textsAsked;
    std::vector<MapPin> travel;
    std::vector<bool> travelModes;
    int32_t knownLevel = -1;
    int32_t questLevel = -1;
    std::vector<MapCovenant> covenants;
    std::vector<std::string> sent;
    std::vector<std::string> refusals;
    ClickHook clickHook;
};

class FakeMapPanel : public MapPanel {
public:
    bool IsWorldMapShown() const override { return shown; }
    void ShowWorldMap(bool newShown) override { shown = newShown; }
    void SetScrollRange(bool vertical, int32_t count, int32_t page) override
    {
        ranges[vertical ? 1 : 0] = {count, page};
    }
    int32_t GetScrollPosition(bool vertical) const override { return positions[vertical ? 1 : 0]; }
    void SetScrollPosition(bool vertical, int32_t position) override { positions[vertical ? 1 : 0] = position; }
    void ScrollByPixels(bool vertical, float pixels) override { scrolled[vertical ? 1 : 0] += pixels; }
    bool GetMiniMapRect(std::array<float, 4>& out) const override
    {
        out = rect;
        return true;
    }
    bool GetLegendLayout(MapLegendLayout& out) const override
    {
        out = legend;
        return true;
    }
    void GetCoveredRects(std::vector<std::array<float, 4>>& out) const override { out = covered; }

    bool shown = false;
    std::array<std::array<int32_t, 2>, 2> ranges{};
    std::array<int32_t, 2> positions{};
    std::array<float, 2> scrolled{};
    std::array<float, 4> rect{0.0f, 0.0f, 128.0f, 128.0f};
    MapLegendLayout legend{24.0f, 320.0f, 14.0f, 10.0f, 14.0f, ""};
    std::vector<std::array<float, 4>> covered;
};

// Levels (column, row) of the grid have index row x columns + column, each joined open to its
// neighbours; the maps read the world only through gWorld and the game data.
class MapWorld : public WorldDatabase {
protected:
    MapWorld()
    {
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        vars.RegisterCommands();
        vars.RegisterVar("drawUI", "1");
    }
    ~MapWorld() override
    {
        miniMap.reset();
        worldMap.reset();
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
    }

    // Tiles of tileSize units, side x side of them to a level, columns x rows levels; more
    // "GameSystem" keys in extraRules.
    void Build(float tileSize, int32_t side, int32_t columns, int32_t rows, const std::string& extraRules = "")
    {
        Load({{"rules.dbr", "GameSystem\n{\n Type Info\n LevelTileWidth " + std::to_string(side) +
                                "\n LevelTileHeight " + std::to_string(side) +
                                "\n BlockTileWidth 4\n BlockTileHeight 4\n TileSize " + std::to_string(tileSize) +
                                "\n GridSize 25 25\n" + extraRules + "}\n"}});
        gameData.Load(database);
        world.SetLevelSize(tileSize * static_cast<float>(side), tileSize * static_cast<float>(side));
        area = std::make_unique<AreaDefinition>();
        area->name = "Field";
        for (int32_t row = 0; row < rows; ++row) {
            for (int32_t column = 0; column < columns; ++column) {
                auto level = std::make_unique<Level>();
                level->area = area.get();
                level->column = column;
                level->row = row;
                area->levels.push_back(world.AddLevel(std::move(level)));
            }
        }
        for (int32_t a = 0; a < world.GetLevelCount(); ++a) {
            for (int32_t b = a + 1; b < world.GetLevelCount(); ++b)
                world.ConnectLevels(world.GetLevel(a), world.GetLevel(b), LevelJoin::Open);
        }
        worldMap = std::make_unique<WorldMap>();
        worldMap->RegisterCommands();
        worldMap->SetScene(&scene);
        worldMap->SetSource(&source);
        worldMap->SetPanel(&panel);
        miniMap = std::make_unique<MiniMap>(*worldMap);
        miniMap->RegisterCommands();
        miniMap->SetScene(&scene);
        miniMap->SetSource(&source);
        miniMap->SetPanel(&panel);
    }

    // The camera target and the player stand at the point.
    void StandAt(int32_t level, float x, float y)
    {
        scene.target = WorldPos{level, x, y, true};
        source.player = scene.target;
    }

    int Alpha(int32_t level, int32_t tileX, int32_t tileY) const
    {
        const ExploredLevel* record = worldMap->FindLevel(level);
        int32_t side = worldMap->GetMapSide();
        return record ? record->image[static_cast<size_t>((tileY * side + tileX) * 4 + 3)] : -1;
    }

    CommandSystem commands;
    UserVarSystem vars;
    FakeFrameScene scene;
    FakeMapSource source;
    FakeMapPanel panel;
    std::unique_ptr<AreaDefinition> area;
    std::unique_ptr<WorldMap> worldMap;
    std::unique_ptr<MiniMap> miniMap;
};
