// WorldMapTest -- the explored amounts raised round the player (reach, sight, never lowered, across level edges, a new world), the smoothing, the open map's pins (connection gates among them, a map file's far gates refused), hover, re-centring, drag and travel clicks over a fake client, and where a level's name finds room beside the interface.
#include "render/MapWorld.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// Tiles of 50 units put exploration's sample points on whole distances: 200, 250, 300.
class WorldMapExploration : public MapWorld {
protected:
    WorldMapExploration()
    {
        Build(50.0f, 64, 2, 2);
        StandAt(0, 20.5f * 50.0f, 20.5f * 50.0f);
    }
};

} // namespace

TEST_F(WorldMapExploration, TheAmountFallsFromFullAt200UnitsToNothingAt300)
{
    worldMap->UpdateExploration();
    EXPECT_EQ(Alpha(0, 20, 20), 255);
    EXPECT_EQ(Alpha(0, 24, 20), 255);  // 200 units
    EXPECT_EQ(Alpha(0, 25, 20), 127);  // 250 units
    EXPECT_EQ(Alpha(0, 23, 24), 127);  // 150 across, 200 down
    EXPECT_EQ(Alpha(0, 26, 20), 0);    // 300 units
    EXPECT_EQ(Alpha(0, 20, 14), 0);
    EXPECT_FLOAT_EQ(worldMap->GetExplored(0, 25, 20, true), 127.0f / 255.0f);
    EXPECT_EQ(worldMap->GetExplored(0, 24, 20, true), 1.0f);
}

TEST_F(WorldMapExploration, ExplorationNeverLowersAnAmountAndSkipsWhatThePlayerCannotSee)
{
    worldMap->UpdateExploration();
    worldMap->SetExploredPixel(0, 40, 20, 200);
    StandAt(0, 35.5f * 50.0f, 20.5f * 50.0f);
    source.visible = [](const WorldPos& at) { return at.y < 20.0f * 50.0f; };
    worldMap->UpdateExploration();
    EXPECT_EQ(Alpha(0, 40, 20), 200);  // 250 units would give 127
    EXPECT_EQ(Alpha(0, 35, 19), 255);
    EXPECT_EQ(Alpha(0, 35, 21), 0);    // hidden
    EXPECT_EQ(Alpha(0, 24, 20), 255);  // seen before, kept
}

TEST_F(WorldMapExploration, ThePlayerNearAnEdgeExploresTheNeighbouringLevel)
{
    StandAt(0, 62.5f * 50.0f, 20.5f * 50.0f);
    worldMap->UpdateExploration();
    EXPECT_EQ(Alpha(0, 63, 20), 255);
    EXPECT_EQ(Alpha(1, 0, 20), 255);  // 100 units east, over the edge
    EXPECT_EQ(Alpha(1, 2, 20), 255);  // 200 units
    EXPECT_EQ(Alpha(1, 3, 20), 127);  // 250 units
    EXPECT_EQ(worldMap->FindLevel(2), nullptr);
    EXPECT_EQ(worldMap->GetExplored(0, 64, 20, false), 1.0f);
}

TEST_F(WorldMapExploration, AnotherWorldIdentityForgetsEveryLevel)
{
    worldMap->UpdateExploration();
    ASSERT_NE(worldMap->FindLevel(0), nullptr);
    world.SetLayoutSeed(99);
    StandAt(3, 20.5f * 50.0f, 20.5f * 50.0f);
    worldMap->UpdateExploration();
    EXPECT_EQ(worldMap->FindLevel(0), nullptr);
    EXPECT_NE(worldMap->FindLevel(3), nullptr);
    EXPECT_EQ(worldMap->GetIdentitySeed(), 99u);

    // No running game: the state stays as it is.
    scene.running = false;
    StandAt(0, 20.5f * 50.0f, 20.5f * 50.0f);
    worldMap->UpdateExploration();
    EXPECT_EQ(worldMap->FindLevel(0), nullptr);
}

TEST_F(WorldMapExploration, SmoothingBlendsAwayFromTheTilePairAndReadsAcrossLevelEdges)
{
    worldMap->UpdateExploration();
    StandAt(3, 30.0f * 50.0f, 30.0f * 50.0f);
    // Even x and y look left and up, odd ones right and down.
    worldMap->SetExploredPixel(2, 10, 10, 255);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 10, 10), 0.5f, 1e-5f);
    worldMap->SetExploredPixel(2, 9, 9, 255);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 10, 10), 4.0f / 6.0f, 1e-5f);
    worldMap->SetExploredPixel(2, 11, 11, 255);
    worldMap->SetExploredPixel(2, 12, 11, 255);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 11, 11), 4.0f / 6.0f, 1e-5f);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 12, 11), 4.0f / 6.0f, 1e-5f);  // even: looks back at 11
    // 0.95 and above read as whole.
    worldMap->SetExploredPixel(2, 11, 12, 255);
    worldMap->SetExploredPixel(2, 12, 12, 204);
    EXPECT_EQ(worldMap->GetExploredSmoothed(2, 11, 11), 1.0f);
    // Odd x 63 looks at x 64: tile 0 of the level to the east.
    worldMap->SetExploredPixel(2, 63, 5, 255);
    worldMap->SetExploredPixel(3, 0, 5, 255);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 63, 5), 4.0f / 6.0f, 1e-5f);
    EXPECT_NEAR(worldMap->GetExploredSmoothed(2, 64, 5), 4.0f / 6.0f, 1e-5f);
}

// ---- The open map --------------------------------------------------------------------------

namespace {

class WorldMapDraw : public MapWorld {
protected:
    explicit WorldMapDraw(const std::string& extraRules = "")
    {
        Build(50.0f, 64, 2, 2, extraRules);
        StandAt(0, 20.5f * 50.0f, 20.5f * 50.0f);
        vars.SetStringByName("drawWorldMap", "1");
        source.entities = {Pin(0, 0, -1, 1000.0f, 1000.0f), Pin(0, 0, 7, 1400.0f, 1000.0f)};
        source.travel = {Pin(0, 2, 1, 1000.0f, 1600.0f), Pin(0, 1, 3, 600.0f, 1000.0f),
                         Pin(0, 4, 0, 1000.0f, 400.0f)};
        worldMap->UpdateExploration();
    }

    static MapPin Pin(int32_t level, int32_t kind, int32_t id, float x, float y)
    {
        MapPin pin;
        pin.position = WorldPos{level, x, y, true};
        pin.kind = kind;
        pin.id = id;
        pin.text = "pin " + std::to_string(kind) + " " + std::to_string(id);
        return pin;
    }

    // Where the pin is on the window (the fake maps map units to pixels one to one).
    Vector2 ScreenOf(const MapPin& pin) const
    {
        return worldMap->MapPosition(pin.position.level, Vector2{pin.position.x, pin.position.y}, false, true);
    }

    std::vector<int32_t> Kinds() const
    {
        std::vector<int32_t> kinds;
        for (const MapPin& pin : worldMap->GetPins())
            kinds.push_back(pin.kind);
        return kinds;
    }

    // The cursor over the pin of the frame's list, offset by (dx, dy) pixels.
    void HoverOver(size_t index, float dx = 0.0f, float dy = 0.0f)
    {
        worldMap->PrepareFrame(false, 0, 0);
        Vector2 at = ScreenOf(worldMap->GetPins()[index]);
        worldMap->PrepareFrame(true, static_cast<int32_t>(std::lround(at.x + dx)),
                               static_cast<int32_t>(std::lround(at.y + dy)));
    }
};

} // namespace

TEST_F(WorldMapDraw, PinsComeInTheOrderOfTheirKindsWithLevelConnectionsOnceExplored)
{
    world.GetLevel(0)->sideOpenings[2] = 2;  // east side, block 2: tile row 10
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 4}));
    EXPECT_EQ(source.travelModes, std::vector<bool>{false});

    for (auto [level, x, y] : {std::tuple{0, 63, 10}, {0, 63, 9}, {1, 0, 10}, {1, 0, 9}})
        worldMap->SetExploredPixel(level, x, y, 255);
    source.teleport = true;
    worldMap->PrepareFrame(false, 0, 0);
    ASSERT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 4, 3}));
    const MapPin& connection = worldMap->GetPins().back();
    EXPECT_FLOAT_EQ(connection.position.x, 63.5f * 50.0f);
    EXPECT_FLOAT_EQ(connection.position.y, 10.5f * 50.0f);
    EXPECT_EQ(connection.size, 8.0f);
    EXPECT_TRUE(connection.text.empty());
    EXPECT_EQ(source.travelModes.back(), true);
    // The passage's text comes with the hover; a click on it sends no travel.
    HoverOver(5);
    std::string text;
    std::array<float, 4> box{};
    ASSERT_TRUE(worldMap->GetHelp(text, box));
    EXPECT_NE(text.find("WorldMapConnectionFromXToY"), std::string::npos);
    vars.SetStringByName("drawWorldMap", "1");
    EXPECT_TRUE(worldMap->HandleMouseButton(1, true, 0, 0));
    EXPECT_TRUE(source.sent.empty());
}

namespace {

// Level 1's two connections: the first gate where the world layout puts it, the second where the
// client saw it stand.
void AddConnectionGates(World& world, WorldMap& map)
{
    Level* level = world.GetLevel(1);
    level->gates.resize(2);
    level->gates[0].position = WorldPos{1, 10.5f * 50.0f, 10.5f * 50.0f, true};
    level->gates[0].targetLevel = 0;
    level->gates[1].position = WorldPos{1, 30.5f * 50.0f, 30.5f * 50.0f, true};
    level->gates[1].targetLevel = 3;
    map.RecordGate(WorldPos{1, 40.5f * 50.0f, 12.5f * 50.0f, true}, 1);
    map.SetExploredPixel(1, 10, 10, 64);
    map.SetExploredPixel(1, 40, 12, 255);
    map.SetExploredPixel(1, 30, 30, 255);
}

} // namespace

TEST_F(WorldMapDraw, ConnectionGatesArePinnedOnlyInAWorldThatMakesThem)
{
    AddConnectionGates(world, *worldMap);
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 4}));
}

namespace {

class WorldMapGates : public WorldMapDraw {
protected:
    WorldMapGates() : WorldMapDraw(" SpawnConnectingGates 1\n") {}
};

} // namespace

TEST_F(WorldMapGates, AConnectionsGateFollowsTheKnownGatesOnceItsTileIsExploredPastAQuarter)
{
    AddConnectionGates(world, *worldMap);
    worldMap->PrepareFrame(false, 0, 0);
    // The first gate's tile holds 64 / 255, a hair past 0.25: it shows; the recorded place of the
    // second wins over the layout's.
    ASSERT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 1, 1, 4}));
    const MapPin& first = worldMap->GetPins()[4];
    const MapPin& second = worldMap->GetPins()[5];
    EXPECT_FLOAT_EQ(first.position.x, 10.5f * 50.0f);
    EXPECT_FLOAT_EQ(second.position.x, 40.5f * 50.0f);
    EXPECT_FLOAT_EQ(second.position.y, 12.5f * 50.0f);
    EXPECT_EQ(first.text, "$$WorldMapTo$$ " + world.GetLevelName(0));
    EXPECT_EQ(second.text, "$$WorldMapTo$$ " + world.GetLevelName(3));
    EXPECT_EQ(first.size, 4.0f);
    EXPECT_EQ(first.id, -1);

    // At 0.25 and below the gate is not pinned; a source without town gates ends with the gates.
    worldMap->SetExploredPixel(1, 10, 10, 63);
    source.travel.pop_back();
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 1}));
}

// A map file whose gates stand far outside their level (finite, but past any tile a whole number
// holds) reads those gates as unknown, so the map pins each where the world layout puts it; a
// gate within a level's breadth of its own reads as written.
TEST_F(WorldMapGates, AMapFilesGatesFarOutsideTheirLevelReadAsUnknownAndTheLayoutsArePinned)
{
    AddConnectionGates(world, *worldMap);
    worldMap->RecordGate(WorldPos{1, 600.0f, 700.0f, true}, -1);
    ASSERT_TRUE(worldMap->SaveExplored("Ann"));
    std::filesystem::path path = folder.Path() / "User" / "chars" / "ann.map";
    std::ifstream in(path, std::ios::binary);
    const std::string sound{std::istreambuf_iterator<char>(in), {}};
    in.close();
    // A position's twelve bytes: level, x, y.
    auto position = [](int32_t level, float x, float y) {
        std::string bytes(12, '\0');
        std::memcpy(bytes.data(), &level, 4);
        std::memcpy(bytes.data() + 4, &x, 4);
        std::memcpy(bytes.data() + 8, &y, 4);
        return bytes;
    };
    size_t seenGate = sound.find(position(1, 40.5f * 50.0f, 12.5f * 50.0f));
    size_t levelGate = sound.find(position(1, 600.0f, 700.0f));
    ASSERT_NE(seenGate, std::string::npos);
    ASSERT_NE(levelGate, std::string::npos);
    // The level is 64 tiles of 50 units: 3200 wide.
    struct Case {
        float value;
        bool kept;
    };
    const Case cases[] = {{3.0e9f, false},   {-3.0e9f, false}, {1.0e30f, false}, {FLT_MAX, false},
                          {-FLT_MAX, false}, {INFINITY, false}, {NAN, false},    {6500.0f, false},
                          {-3300.0f, false}, {3199.0f, true},   {-100.0f, true}, {6400.0f, true}};
    for (const Case& c : cases) {
        std::string hostile = sound;
        hostile.replace(seenGate, 12, position(1, c.value, 12.5f * 50.0f));
        hostile.replace(levelGate, 12, position(1, 600.0f, c.value));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << hostile;
        ASSERT_TRUE(worldMap->LoadExplored("Ann")) << c.value;
        const ExploredLevel* level1 = worldMap->FindLevel(1);
        ASSERT_NE(level1, nullptr);
        ASSERT_EQ(level1->connectionGates.size(), 2u);
        EXPECT_EQ(level1->connectionGates[1].level, c.kept ? 1 : -1) << c.value;
        EXPECT_EQ(level1->levelGate.level, c.kept ? 1 : -1) << c.value;
        if (c.kept)
            continue;
        worldMap->PrepareFrame(false, 0, 0);
        ASSERT_EQ(Kinds(), (std::vector<int32_t>{0, 0, 2, 1, 1, 1, 4})) << c.value;
        EXPECT_FLOAT_EQ(worldMap->GetPins()[5].position.x, 30.5f * 50.0f) << c.value;
        EXPECT_FLOAT_EQ(worldMap->GetPins()[5].position.y, 30.5f * 50.0f) << c.value;
    }
}

TEST_F(WorldMapDraw, ThePinNearestTheCursorIsHoveredUnderTenPixelsTheFirstOnATie)
{
    HoverOver(1, 6.0f, 7.0f);  // 9.2 pixels
    ASSERT_EQ(worldMap->GetHoverIndex(), 1);
    EXPECT_EQ(worldMap->GetPins()[1].size, 16.0f);
    std::string text;
    std::array<float, 4> box{};
    ASSERT_TRUE(worldMap->GetHelp(text, box));
    EXPECT_EQ(text, "pin 0 7");
    Vector2 at = ScreenOf(worldMap->GetPins()[1]);
    EXPECT_EQ(box, (std::array<float, 4>{at.x - 4.0f, at.y - 4.0f, 8.0f, 8.0f}));

    HoverOver(1, 6.0f, 8.0f);  // exactly 10
    EXPECT_EQ(worldMap->GetHoverIndex(), -1);
    EXPECT_FALSE(worldMap->GetHelp(text, box));

    // Two pins on the same spot: the earlier one.
    source.travel.push_back(source.travel[1]);
    source.travel.back().id = 9;
    HoverOver(3);
    EXPECT_EQ(worldMap->GetHoverIndex(), 3);
}

// The map's pins come without the entities' texts from a source that builds them dearly; the
// hovered entity's text is asked for by its number, and nothing is asked while none is hovered.
TEST_F(WorldMapDraw, OnlyTheHoveredEntitysTextIsAskedFor)
{
    source.textless = true;
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_TRUE(worldMap->GetPins()[1].text.empty());
    EXPECT_EQ(worldMap->GetPins()[2].text, "pin 2 1");
    EXPECT_TRUE(source.textsAsked.empty());
    HoverOver(1);
    EXPECT_EQ(source.textsAsked, std::vector<int32_t>{7});
    std::string text;
    std::array<float, 4> box{};
    ASSERT_TRUE(worldMap->GetHelp(text, box));
    EXPECT_EQ(text, "pin 0 7");
}

TEST_F(WorldMapDraw, TheMapOpensCentredOnThePlayerWithTheScrollBarsSizedToTheKnownLevels)
{
    // Far enough into the level that the scroll needed is not held at the bars' ends.
    StandAt(0, 2425.0f, 2500.0f);
    worldMap->UpdateExploration();
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_EQ(panel.ranges[1], (std::array<int32_t, 2>{192, 60}));  // (0 + 0 + 2) x 32, three times
    Vector2 player = worldMap->MapPosition(0, Vector2{source.player.x, source.player.y}, false, false);
    EXPECT_NEAR(player.x, source.player.x, 8.0f);
    EXPECT_NEAR(player.y, source.player.y, 8.0f);
    std::array<int32_t, 2> scroll = worldMap->GetScroll();
    EXPECT_EQ(panel.positions[1], 64 - scroll[0] - 1);
    EXPECT_EQ(panel.positions[0], scroll[1]);

    // A known gate's level widens the extent; a drawn frame does not re-centre again.
    source.knownLevel = 3;
    panel.positions = {5, 6};
    worldMap->UpdateExploration();
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_EQ(panel.ranges[1], (std::array<int32_t, 2>{384, 60}));
    EXPECT_EQ(panel.positions, (std::array<int32_t, 2>{5, 6}));
    EXPECT_EQ(worldMap->GetScroll(), (std::array<int32_t, 2>{64 - 6 - 1, 5}));

    // Closing sets the re-centring again.
    vars.SetStringByName("drawWorldMap", "0");
    worldMap->UpdateExploration();
    EXPECT_FALSE(panel.shown);
    vars.SetStringByName("drawWorldMap", "1");
    worldMap->UpdateExploration();
    EXPECT_TRUE(panel.shown);
    worldMap->PrepareFrame(false, 0, 0);
    EXPECT_NE(panel.positions, (std::array<int32_t, 2>{5, 6}));
}

TEST_F(WorldMapDraw, DraggingScrollsByThePixelsOverTwoPointOneFiveThroughTheClickHook)
{
    EXPECT_TRUE(worldMap->HandleMouseButton(0, true, 100, 100));
    ASSERT_TRUE(source.clickHook);
    EXPECT_TRUE(source.clickHook(0, true, 121, 57));
    EXPECT_NEAR(panel.scrolled[1], 43.0f / 2.15f, 1e-4f);
    EXPECT_NEAR(panel.scrolled[0], -21.0f / 2.15f, 1e-4f);
    EXPECT_TRUE(source.clickHook(0, false, 121, 57));
    EXPECT_FALSE(source.clickHook);

    vars.SetStringByName("drawWorldMap", "0");
    EXPECT_FALSE(worldMap->HandleMouseButton(0, true, 100, 100));
    EXPECT_FALSE(source.clickHook);
}

TEST_F(WorldMapDraw, InTeleportModeAClickOnAGateCovenantOrTownGateTravelsAndClosesTheMap)
{
    struct Case {
        size_t pin;
        const char* line;
    };
    for (Case c : {Case{3, "gate 3"}, Case{2, "gateToCovenant 1"}, Case{4, "gateTown 0"}}) {
        vars.SetStringByName("drawWorldMap", "1");
        source.teleport = false;
        HoverOver(c.pin);
        EXPECT_TRUE(worldMap->HandleMouseButton(1, true, 0, 0));
        EXPECT_TRUE(source.sent.empty()) << c.line;
        source.teleport = true;
        EXPECT_TRUE(worldMap->HandleMouseButton(1, true, 0, 0));
        EXPECT_EQ(source.sent, std::vector<std::string>{c.line});
        EXPECT_EQ(vars.GetIntByName("drawWorldMap"), 0);
        source.sent.clear();
    }
    // A creature's pin, and a gate without an index, send nothing but take the click.
    vars.SetStringByName("drawWorldMap", "1");
    HoverOver(1);
    EXPECT_TRUE(worldMap->HandleMouseButton(2, true, 0, 0));
    source.travel[1].id = -1;
    HoverOver(3);
    EXPECT_TRUE(worldMap->HandleMouseButton(1, true, 0, 0));
    EXPECT_TRUE(source.sent.empty());
    EXPECT_EQ(vars.GetIntByName("drawWorldMap"), 1);
}

// A left press and release in one place is a click as the pins' "Click to travel" promises; a
// drag is no click. A click that travels nowhere says why, in teleport mode or out of it.
TEST_F(WorldMapDraw, ALeftClickTravelsADragDoesNotAndAClickOnNoGateSaysWhy)
{
    vars.SetStringByName("drawWorldMap", "1");
    source.teleport = true;
    HoverOver(3);
    EXPECT_TRUE(worldMap->HandleMouseButton(0, true, 200, 200));
    EXPECT_TRUE(source.clickHook(0, true, 260, 240));
    EXPECT_TRUE(source.clickHook(0, false, 260, 240));
    EXPECT_TRUE(source.sent.empty()) << "a drag sent travel";
    EXPECT_TRUE(worldMap->HandleMouseButton(0, true, 200, 200));
    EXPECT_TRUE(source.clickHook(0, false, 202, 201));
    EXPECT_EQ(source.sent, std::vector<std::string>{"gate 3"});
    EXPECT_EQ(vars.GetIntByName("drawWorldMap"), 0);
    EXPECT_TRUE(source.refusals.empty());

    struct Case {
        bool teleport;
        int32_t button;
        bool hovered;
        const char* told;
    };
    // The cursor stands on the first level's square: the line names that level.
    const char* noGateOnField = "$$WorldMapNoGateOn~<Field lvl 1@@>~$$";
    const Case cases[] = {
        {true, 0, false, noGateOnField}, {true, 1, false, noGateOnField}, {true, 1, true, noGateOnField},
        {false, 1, true, "$$WorldMapTravelFromGate$$"}, {false, 0, true, "$$WorldMapTravelFromGate$$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.teleport) + " " + std::to_string(c.button) + " " + std::to_string(c.hovered));
        vars.SetStringByName("drawWorldMap", "1");
        source.teleport = c.teleport;
        source.refusals.clear();
        // Hovered: a creature's pin, which travels nowhere; else a point far from every pin.
        HoverOver(1, c.hovered ? 0.0f : 300.0f, c.hovered ? 0.0f : 300.0f);
        EXPECT_TRUE(worldMap->HandleMouseButton(c.button, true, 100, 100));
        EXPECT_TRUE(worldMap->HandleMouseButton(c.button, false, 100, 100));
        EXPECT_TRUE(source.sent.size() == 1) << "nothing more sent";
        EXPECT_EQ(source.refusals, c.told ? std::vector<std::string>{c.told} : std::vector<std::string>{});
        EXPECT_EQ(vars.GetIntByName("drawWorldMap"), 1);
    }
}

TEST_F(WorldMapDraw, ClearMapForgetsOnlyTheCurrentLevelAndGatesAreRecorded)
{
    worldMap->SetExploredPixel(1, 3, 3, 255);
    EXPECT_TRUE(commands.Execute("clearMap"));
    EXPECT_EQ(Alpha(0, 20, 20), 0);
    EXPECT_EQ(Alpha(1, 3, 3), 255);
    StandAt(2, 100.0f, 100.0f);
    EXPECT_TRUE(commands.Execute("clearMap"));
    EXPECT_EQ(worldMap->FindLevel(2), nullptr);

    worldMap->RecordGate(WorldPos{2, 300.0f, 400.0f, true}, -1);
    ASSERT_NE(worldMap->FindLevel(2), nullptr);
    EXPECT_EQ(worldMap->FindLevel(2)->levelGate.x, 300.0f);
    worldMap->RecordGate(WorldPos{0, 300.0f, 400.0f, true}, -1);  // level 0's gate is the world's
    EXPECT_EQ(worldMap->FindLevel(0)->levelGate.level, -1);
    world.GetLevel(1)->gates.resize(3);
    worldMap->RecordGate(WorldPos{1, 50.0f, 60.0f, true}, 2);
    worldMap->RecordGate(WorldPos{1, 50.0f, 60.0f, true}, 3);  // no such connection
    const ExploredLevel* level1 = worldMap->FindLevel(1);
    ASSERT_EQ(level1->connectionGates.size(), 3u);
    EXPECT_EQ(level1->connectionGates[0].level, -1);
    EXPECT_EQ(level1->connectionGates[2].y, 60.0f);
}

// A level's name moved clear of what the interface draws over the map, the shortest way, on the
// screen, its middle on its own level's square: the shipped map's heading, level-wide scroll bar,
// upright scroll bar and the in-game bar, and for one row a window opened over the map.
TEST(WorldMapNamePlace, ANameMovesTheShortestWayClearOfTheInterfaceAndStaysOnTheScreen)
{
    using Box = std::array<float, 4>;
    using Square = std::array<Vector2, 4>;
    const std::vector<Box> shipped = {{220.0f, 6.0f, 420.0f, 32.0f}, {4.0f, 36.0f, 512.0f, 52.0f},
                                      {620.0f, 204.0f, 636.0f, 376.0f}, {0.0f, 436.0f, 640.0f, 480.0f}};
    const Square wholeScreen = {Vector2{0.0f, 0.0f}, Vector2{640.0f, 0.0f}, Vector2{640.0f, 480.0f},
                                Vector2{0.0f, 480.0f}};
    struct Case {
        const char* what;
        Box start;
        bool placed;
        Box at;
        Square square;
        Box window{};
    };
    // A level's square as drawn: a diamond about the name's start.
    const Square diamond = {Vector2{320.0f, 110.0f}, Vector2{500.0f, 200.0f}, Vector2{320.0f, 290.0f},
                            Vector2{140.0f, 200.0f}};
    const Case cases[] = {
        {"in the open, where it is", {200.0f, 240.0f, 400.0f, 260.0f}, true, {200.0f, 240.0f, 400.0f, 260.0f}, wholeScreen},
        // Up clear of the bar lands on the heading, and back down on the bar: below the bar.
        {"on the level-wide bar under the heading", {220.0f, 26.0f, 420.0f, 46.0f}, true, {220.0f, 52.0f, 420.0f, 72.0f},
         wholeScreen},
        {"under the upright bar", {530.0f, 280.0f, 730.0f, 300.0f}, true, {420.0f, 280.0f, 620.0f, 300.0f}, wholeScreen},
        // Kept on the screen first, then above the upright bar: nearer than left of it.
        {"over the upright bar's top", {480.0f, 190.0f, 680.0f, 210.0f}, true, {440.0f, 184.0f, 640.0f, 204.0f},
         wholeScreen},
        {"on the in-game bar", {100.0f, 440.0f, 300.0f, 460.0f}, true, {100.0f, 416.0f, 300.0f, 436.0f}, wholeScreen},
        {"off the screen's left edge", {-50.0f, 240.0f, 150.0f, 260.0f}, true, {0.0f, 240.0f, 200.0f, 260.0f},
         wholeScreen},
        {"wider than the screen", {-10.0f, 240.0f, 650.0f, 260.0f}, false, {}, wholeScreen},
        // The quest window's only clear side is below it, past the square's lower corner, where
        // the name would stand on the neighbouring level.
        {"under the quest window, pushed off its square", {220.0f, 190.0f, 420.0f, 210.0f}, false, {}, diamond,
         {140.0f, 16.0f, 500.0f, 396.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Box box = c.start;
        std::vector<Box> covered = shipped;
        if (c.window[2] > c.window[0])
            covered.push_back(c.window);
        ASSERT_EQ(WorldMap::PlaceClear(covered, c.square, box), c.placed);
        if (c.placed) {
            EXPECT_EQ(box, c.at);
        }
    }
    // Boxed in on every side within a few moves: no place.
    Box box{300.0f, 200.0f, 340.0f, 220.0f};
    EXPECT_FALSE(WorldMap::PlaceClear({{0.0f, 0.0f, 640.0f, 230.0f}, {0.0f, 230.0f, 640.0f, 480.0f}}, wholeScreen, box));
}
