// Application -- the composition root: which implementation fills each system slot, and the program's run.
#include "app/Application.h"

#include "app/GameCommands.h"
#include "app/MapsStartUp.h"
#include "app/ToolsStartUp.h"
#include "app/UiStartUp.h"
#include "audio/OpenAlSoundDriver.h"
#include "audio/SoundSystem.h"
#include "audio/SoundWorld.h"
#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/ClientSoundWorld.h"
#include "client/GameClient.h"
#include "client/GlobalStats.h"
#include "core/Application.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/EventSystem.h"
#include "core/FileSystem.h"
#include "core/InputCommands.h"
#include "core/LocSystem.h"
#include "core/NameGenerator.h"
#include "core/Profiler.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/PlatformSystem.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Player.h"
#include "entities/Projectile.h"
#include "entities/Trap.h"
#include "entities/Sentient.h"
#include "platform/InstanceLock.h"
#include "platform/LinuxSystemInfo.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixNetworkSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/PosixTimerSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "platform/SdlInputSystem.h"
#include "render/OpenGLDevice.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/TextEvents.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/effects/EffectSystem.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureTools.h"
#include "rules/GameData.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "server/spawn/SpawnSystem.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr const char* kDebugBeepSound = "Sounds/Debug/beep.wav";

// What the start-up loaded and checked, summed up in one line before "Debug system started".
struct StartUpLoads {
    size_t fonts = 0;
    size_t shaders = 0;
    size_t models = 0;
    size_t effects = 0;
};

// The window's events are pumped by the POSIX platform, or by a test's platform built on it.
PosixPlatformSystem* PosixPlatform()
{
    return dynamic_cast<PosixPlatformSystem*>(gPlatformSystem);
}

template <class T>
void Destroy(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

std::string UserFolderOf(const std::string& workingFolder)
{
    std::string base = workingFolder.empty() ? std::filesystem::current_path().string() : workingFolder;
    return base + "/User";
}

void InstallEngineCore(Application& app, const std::string& workingFolder)
{
    app.SetSystem(SystemSlot::Platform, {
        [workingFolder] { gPlatformSystem = new PosixPlatformSystem(UserFolderOf(workingFolder)); },
        nullptr,
        [] { Destroy(gPlatformSystem); },
    });
    app.SetSystem(SystemSlot::FileSystem, {
        [workingFolder] {
            gFileSystem = new PosixFileSystem(workingFolder);
            gFileSystem->SetRootFolders("Assets");
            gFileSystem->MountAssetArchives();
            DebugSystem::Print(kPrintPlain, "%s\n", gFileSystem->DescribeMounts().c_str());
        },
        nullptr,
        [] { Destroy(gFileSystem); },
    });
    app.SetSystem(SystemSlot::Debug, {
        [] {
            gDebugSystem = new DebugSystem(DebugSystem::kHoldUntilDeveloperSet);
            // Nothing is drawn yet: a terminal shows the console instead.
            gDebugSystem->SetEchoToStdout(true);
        },
        [] { gDebugSystem->RegisterCommands(); },
        [] { Destroy(gDebugSystem); },
    });
    app.SetSystem(SystemSlot::Localisation, {
        [] { gLocSystem = new LocSystem(); },
        [] { gLocSystem->RegisterCommands(); },
        [] { Destroy(gLocSystem); },
    });
    app.SetSystem(SystemSlot::Listener, {
        [] {
            gTypeRegistry = new TypeRegistry();
            gEventSystem = new EventSystem();
        },
        nullptr,
        [] {
            Destroy(gEventSystem);
            Destroy(gTypeRegistry);
        },
    });
    app.SetSystem(SystemSlot::Command, {
        [] { gCommandSystem = new CommandSystem(); },
        [] { gCommandSystem->RegisterCommands(); },
        [] { Destroy(gCommandSystem); },
    });
    app.SetSystem(SystemSlot::VirtualKeys, {
        [] { gVirtualKeys = new VirtualKeys(); },
        [] { gVirtualKeys->RegisterCommands(); },
        [] { Destroy(gVirtualKeys); },
    });
    app.SetSystem(SystemSlot::UserVars, {
        [] {
            gUserVarSystem = new UserVarSystem();
            gUserVarSystem->LoadConfigFiles();
        },
        [] {
            gUserVarSystem->RegisterCommands();
            gUserVarSystem->RegisterDebugVars();
        },
        [] { Destroy(gUserVarSystem); },
    });
    // The settings as the run leaves them, with the key bindings, before any system goes.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { gUserVarSystem->SaveUserConfig(); });
    app.SetSystem(SystemSlot::Timer, {
        [] { gTimerSystem = new PosixTimerSystem(); },
        nullptr,
        [] { Destroy(gTimerSystem); },
    });
    app.SetSystem(SystemSlot::Profiler, {
        [] { gProfiler = new Profiler(gTimerSystem); },
        [] { gProfiler->RegisterCommands(); },
        [] { Destroy(gProfiler); },
    });
    app.SetSystem(SystemSlot::Color, {
        [] { gColorSystem = new ColorSystem(); },
        nullptr,
        [] { Destroy(gColorSystem); },
    });
    app.SetSystem(SystemSlot::NameGenerator, {
        [] { gNameGenerator = new NameGenerator(); },
        nullptr,
        [] { Destroy(gNameGenerator); },
    });
    app.SetSystem(SystemSlot::Random, {
        [] {
            uint32_t seed = static_cast<uint32_t>(std::time(nullptr)) ^ gTimerSystem->GetTime();
            gRandomSystem = new RandomSystem(seed);
        },
        nullptr,
        [] { Destroy(gRandomSystem); },
    });
    // The key names are the localisation's, read with the language: the bindings that the
    // ".cfg" files named are looked up again once they are known.
    app.AddStartUpHook(StartUpStep::GameData, [] {
        gVirtualKeys->SetKeyNames([](std::string_view name) { return gLocSystem->FindKeyName(name, false); },
                                  [](int key) { return gLocSystem->GetKeyName(key); });
        return true;
    });
    app.SetSystem(SystemSlot::Database, {
        [] { gDatabase = new Database(); },
        nullptr,
        [] { Destroy(gDatabase); },
    });
}

// Models are read on the loader thread after the game data has loaded, which gives their grid.
ModelGrid ModelGridFromGameData()
{
    if (!gGameData)
        return {};
    const GameSystemTuning& tuning = gGameData->GetTuning();
    return {tuning.tileSize, tuning.cellsPerTile};
}

void InstallResources(Application& app, const std::shared_ptr<StartUpLoads>& loads)
{
    app.SetSystem(SystemSlot::ResourceManager, {
        [] { gResourceManager = new ResourceManager(); },
        [] {
            RegisterModelResourceTypes(*gResourceManager, ModelGridFromGameData);
            gResourceManager->Init();
        },
        [] { Destroy(gResourceManager); },
    });
    // Added after the game data's hook: the models take their grid from it.
    auto models = std::make_shared<std::vector<ResourceHandle>>();
    app.AddStartUpHook(StartUpStep::GameData, [models, loads] {
        PreloadModels(*models);
        loads->models = models->size();
        return true;
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [models] { models->clear(); });
}

// Installed after everything else: the shut-down hooks of one step run in the order they were
// added, so every holder has let go of its resources before the flush, and the textures are
// freed while the graphics device still exists.
void InstallResourceFlush(Application& app)
{
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { gResourceManager->Shutdown(); });
}

// The shader tables and files, after the resource manager.
void InstallShaders(Application& app)
{
    app.SetSystem(SystemSlot::Shader, {
        [] { gShaderSystem = new ShaderSystem(); },
        [] { gShaderSystem->Start(); },
        [] { Destroy(gShaderSystem); },
    });
    app.AddFrameHook(FrameStep::ClientUpdate, [](uint32_t) { gShaderSystem->ApplyVars(); });
}

// Waits for the resource and, as a shader's textures are only queued while it is built, for
// what it draws with: a font's page shader, a shader's textures and animation frames.
void WaitForResourceAndParts(int32_t handle)
{
    Resource* resource = gResourceManager->Get(handle);
    if (auto* font = dynamic_cast<FontResource*>(resource)) {
        WaitForResourceAndParts(font->GetShader());
        return;
    }
    auto* shader = dynamic_cast<Shader*>(resource);
    if (!shader)
        return;
    for (const auto& stage : shader->stages) {
        gResourceManager->Get(stage->texture);
        for (const ResourceHandle& frame : stage->animTextures)
            gResourceManager->Get(frame);
    }
}

// Loads every shipped font and every shader definition and waits for each, so that a broken
// shipped asset is in the log at start-up rather than when it is first drawn. The loads are
// all queued before the first wait, so the loader works through them meanwhile. The fonts are
// waited for whole, their pages included, as every screen writes with them; the shaders'
// textures are only queued: the loader reads them (building their caches on a new user folder)
// after start-up, and the first frame waits only for those its screen draws, which go first.
void PreloadShippedResources(std::vector<ResourceHandle>& held, StartUpLoads& loads)
{
    std::vector<std::string> fonts;
    gFileSystem->ListFiles(FontResource::kTextureFolder, "fnt", fonts, kLocationAssets, false, false, true);
    size_t shaderCount = gShaderSystem->GetDefinitionCount();
    held.resize(fonts.size() + shaderCount);
    for (size_t i = 0; i < fonts.size(); ++i)
        gResourceManager->Load(FontResource::kTextureFolder + fonts[i], held[i]);
    for (size_t i = 0; i < shaderCount; ++i)
        LoadTextureByName(gShaderSystem->GetDefinition(i).name, held[fonts.size() + i], TextureUsage::Plain);
    for (size_t i = 0; i < held.size(); ++i) {
        if (i < fonts.size())
            WaitForResourceAndParts(held[i]);
        else
            gResourceManager->Get(held[i]);
    }
    loads.fonts = fonts.size();
    loads.shaders = shaderCount;
}

// With a window: the SDL display in the graphics slot, its OpenGL device and the renderer;
// without one, a device that draws nothing. The screen text's fonts and the start-up loads are
// let go before the resources are flushed; the window closes after the flush, so the textures
// are deleted while their context exists.
void InstallGraphics(Application& app, DisplayChoice display, const std::shared_ptr<StartUpLoads>& loads)
{
    app.SetSystem(SystemSlot::Graphics, {
        [display] {
            if (display == DisplayChoice::kWindow) {
                auto* window = new SdlGraphicsSystem();
                auto* device = new OpenGLDevice(*window);
                gGraphicsSystem = window;
                gGraphicsDevice = device;
                gRenderer = new Renderer(*window, *device);
                gLightingSystem = new LightingSystem();
                if (PosixPlatformSystem* platform = PosixPlatform())
                    platform->SetMessagePump([window] { return window->PumpEvents(); });
            } else {
                gGraphicsDevice = new NullGraphicsDevice();
            }
            gScreenText = new ScreenText();
            // The message log is kept and saved without a window too.
            gTextEvents = new TextEvents();
        },
        [] {
            gGraphicsDevice->RegisterVars();
            if (gRenderer)
                gRenderer->RegisterCommands();
            gResourceManager->SetGraphicsContextLock(&gGraphicsDevice->GetContextLock());
            TextureResource::RegisterTypes(*gResourceManager);
            TextureTools::RegisterCommands();
            FontResource::RegisterType(*gResourceManager);
            gScreenText->RegisterVars();
            gTextEvents->RegisterCommands();
            gScreenText->SetFontNameForCode(
                [](int32_t n) { return gGameData ? gGameData->GetTextFontName(n) : std::string(); });
        },
        [] {
            gResourceManager->SetGraphicsContextLock(nullptr);
            if (PosixPlatformSystem* platform = PosixPlatform())
                platform->SetMessagePump({});
            Destroy(gRenderer);
            Destroy(gTextEvents);
            Destroy(gLightingSystem);
            Destroy(gGraphicsDevice);
            Destroy(gGraphicsSystem);
        },
    });
    app.AddFrameHook(FrameStep::ClientUpdate, [](uint32_t) { gGraphicsDevice->ApplyVars(); });
    auto preloaded = std::make_shared<std::vector<ResourceHandle>>();
    app.AddStartUpHook(StartUpStep::GameData, [preloaded, loads] {
        gScreenText->LoadFontLadder({"Textures/Fonts/font_small.fnt", "Textures/Fonts/font_medium.fnt",
                                     "Textures/Fonts/font_large.fnt", "Textures/Fonts/font_huge.fnt"});
        PreloadShippedResources(*preloaded, *loads);
        return true;
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [preloaded] {
        preloaded->clear();
        Destroy(gScreenText);
        if (gRenderer)
            gRenderer->Stop();
    });
}

// The display comes up once the game data is read (the window's title is its "GameName") and
// before anything loads a texture: added ahead of every other hook that loads resources.
void InstallDisplayStart(Application& app)
{
    app.AddStartUpHook(StartUpStep::GameData, [] {
        if (!gRenderer)
            return true;
        if (gLightingSystem)
            gLightingSystem->Init();
        auto* window = static_cast<SdlGraphicsSystem*>(gGraphicsSystem);
        if (gGameData && !gGameData->GetTuning().gameName.empty())
            window->SetWindowTitle(gGameData->GetTuning().gameName);
        window->KeepStartSizeInBounds();
        gRenderer->Start();
        return true;
    });
}

// The keyboard and mouse from the window's event pump (a process without a window has no
// events). Until the client registers its own, "keyPress" and "buttonPress" go to the console and
// the key bindings. The client's steps read the device's events and clear the pressed-this-frame
// tables.
void InstallInput(Application& app)
{
    app.SetSystem(SystemSlot::Input, {
        [] {
            auto* input = new SdlInputSystem();
            gInputSystem = input;
            if (auto* window = dynamic_cast<SdlGraphicsSystem*>(gGraphicsSystem))
                window->SetInputListener(input);
        },
        [] {
            gInputSystem->RegisterCommands();
            InputCommands::RegisterCommands();
            gVirtualKeys->SetReleaseKeyHook([](int key) {
                if (gInputSystem)
                    gInputSystem->ReleaseKey(key);
            });
        },
        [] {
            if (auto* window = dynamic_cast<SdlGraphicsSystem*>(gGraphicsSystem))
                window->SetInputListener(nullptr);
            gVirtualKeys->SetReleaseKeyHook({});
            Destroy(gInputSystem);
        },
    });
    app.AddStartUpHook(StartUpStep::Input, [] {
        if (!gInputSystem->Init()) {
            gPlatformSystem->CriticalError("Input system failed to initialize!  See User/log.txt for more info.");
            return false;
        }
        return gInputSystem->OnStarted();
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { gInputSystem->Shutdown(); });
}

// Loads every shipped effect, beam and swipe file and waits for each, so that a broken one is
// in the log at start-up rather than when it is first played.
void PreloadEffects(std::vector<ResourceHandle>& held)
{
    std::vector<std::string> names;
    for (const char* extension : {"eff", "bem", "swp"})
        gFileSystem->ListFiles("Effects", extension, names, kLocationAssets, true, true, true);
    held.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        gResourceManager->Load(names[i], held[i]);
    for (const ResourceHandle& handle : held)
        gResourceManager->Get(handle);
}

// The live effects of the client, and the three effect file types.
void InstallEffects(Application& app, const std::shared_ptr<StartUpLoads>& loads)
{
    app.SetSystem(SystemSlot::Effect, {
        [] { gEffectSystem = new EffectSystem(); },
        [] { EffectSystem::RegisterTypes(*gResourceManager); },
        [] { Destroy(gEffectSystem); },
    });
    auto preloaded = std::make_shared<std::vector<ResourceHandle>>();
    app.AddStartUpHook(StartUpStep::GameData, [preloaded, loads] {
        PreloadEffects(*preloaded);
        loads->effects = preloaded->size();
        return true;
    });
    // Live effects hold their definitions: they go before the resources are flushed.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [preloaded] {
        preloaded->clear();
        Destroy(gEffectSystem);
    });
}

// Added after every hook that loads at start-up. The textures are those the graphics device
// holds: font pages, shader stages and frames, model skins.
void InstallStartUpSummary(Application& app, const std::shared_ptr<StartUpLoads>& loads)
{
    app.AddStartUpHook(StartUpStep::GameData, [loads] {
        DebugSystem::Print(kPrintPlain,
                           "Loaded and checked %d textures, %zu shaders, %zu fonts, %zu models and %zu effects\n",
                           gGraphicsDevice->GetLiveTextureCount(), loads->shaders, loads->fonts, loads->models,
                           loads->effects);
        return true;
    });
}

// The rule tables are read once the database has loaded. Their records point into the
// database, so they go before it does.
void InstallGameRules(Application& app)
{
    app.AddStartUpHook(StartUpStep::GameData, [] {
        gGameData = new GameData();
        gGameData->Load(*gDatabase);
        return true;
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { Destroy(gGameData); });
}

// The world both halves build their levels on, and its area files. Its area definitions hold
// shaders, so it is emptied before the resources are flushed.
void InstallWorld(Application& app)
{
    app.AddStartUpHook(StartUpStep::World, [] {
        gWorld = new World();
        gWorld->Create();
        // Ground tiles where textures meet are drawn with one shader blending them.
        gWorld->SetBlendedTextureHook(MakeBlendedTileShaderName);
        World::RegisterResourceTypes();
        // The spawn system: right after the world, its tables read from the loaded game data.
        SpawnSystem::Create();
        return true;
    });
    app.AddShutDownHook(ShutDownStep::EndGame, [] { SpawnSystem::Destroy(); });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { Destroy(gWorld); });
}

// The world host's entities: their event names and handler table exist from start-up, before
// any game makes an entity.
void InstallEntities(Application& app)
{
    app.AddStartUpHook(StartUpStep::Game, [] {
        Entity::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        Sentient::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        Actor::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        Player::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        Trap::RegisterEventClass(*gEventSystem, *gTypeRegistry);
        Projectile::RegisterTypeNames();
        return true;
    });
}

// The world host: its "newWorld" and pause vars register with the other systems; its three
// calls of the frame do nothing until a world is set up. It holds while the client is paused.
void InstallWorldHost(Application& app)
{
    app.SetSystem(SystemSlot::WorldHost, {
        [] { gWorldHost = new WorldHost(); },
        [] { gWorldHost->RegisterCommands(); },
        [] { Destroy(gWorldHost); },
    });
    app.AddFrameHook(FrameStep::WorldHostTick,
                     [](uint32_t frameMs) { gWorldHost->Tick(frameMs, Client::IsPaused()); });
    // The levels the anchors asked for are generated before the steps that walk on them.
    app.AddFrameHook(FrameStep::ServerFrame, [](uint32_t) {
        if (gWorld)
            gWorld->UpdateLevelGeneration();
    });
    app.AddFrameHook(FrameStep::ServerFrame, [](uint32_t) { gWorldHost->ServerFrame(); });
    app.AddFrameHook(FrameStep::ServerFrameEnd, [](uint32_t) { gWorldHost->ServerFrameEnd(); });
    // A host that quits with its world running tells the clients joined to it, as leaving the game does.
    app.AddShutDownHook(ShutDownStep::EndGame, [] {
        if (gWorldHost->IsActive())
            gWorldHost->EndServer();
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { gWorldHost->ReleaseResources(); });
}

// The world host's game, made once "Debug system started" has been logged; it goes, with every
// entity left in it, when the game ends at shut-down.
void InstallGame(Application& app)
{
    app.AddStartUpHook(StartUpStep::Game, [] {
        Game::Create();
        // The creatures' path finder comes after the game and goes before it.
        gPathFinder = new PathFinder();
        return true;
    });
    app.AddShutDownHook(ShutDownStep::EndGame, [] { Destroy(gPathFinder); });
    // The game client goes before the world host's game, as it came after it.
    app.AddShutDownHook(ShutDownStep::EndGame, [] { GameClient::Shutdown(); });
    app.AddShutDownHook(ShutDownStep::EndGame, [] { Game::Shutdown(); });
    InstallWorldHost(app);
}

// The client's saves take the world along where the world host runs in this process.
bool ApplicationSaveHostedWorld(const std::string& characterName)
{
    return gGame && gWorldHost && gWorldHost->IsActive() && gGameData && gGameData->GetTuning().usesSaveGames &&
           gGame->SaveWorld(characterName);
}

// The client: its application in the client slot, the renderer's scene while it lives, and the
// game client made after the world host's game. Its three steps are the frame's client hooks:
// receive (the input's frame, the datagrams, the entity under the cursor), update (the game and
// the player unless paused, the update sent) and draw (the sound's frame and the picture).
void InstallClient(Application& app)
{
    app.SetSystem(SystemSlot::Client, {
        [] {
            gClientApp = new ClientApp();
            gGlobalStats = new GlobalStats();
            if (gRenderer)
                gRenderer->SetFrameScene(gClientApp);
        },
        [] {
            gClientApp->RegisterCommands();
            gClientApp->GetHooks().saveWorld = ApplicationSaveHostedWorld;
            gGlobalStats->Load();
        },
        [] {
            if (gRenderer)
                gRenderer->SetFrameScene(nullptr);
            // The records of this run are kept before they go.
            gGlobalStats->Save();
            Destroy(gGlobalStats);
            Destroy(gClientApp);
        },
    });
    app.AddStartUpHook(StartUpStep::Game, [] {
        GameClient::Init();
        return true;
    });
    app.AddFrameHook(FrameStep::ClientReceive, [](uint32_t) { Client::Receive(); });
    app.AddFrameHook(FrameStep::ClientUpdate,
                     [](uint32_t frameMs) { Client::Update(static_cast<float>(frameMs) * 0.001f); });
    app.AddFrameHook(FrameStep::ClientDraw,
                     [](uint32_t frameMs) { Client::DrawFrame(static_cast<float>(frameMs) * 0.001f); });
}

// The sound system over OpenAL, started after the graphics and updated each client frame. The
// sound world is the client's: until a game is joined it answers as one with no client (the
// listener at the origin, nothing paused, no entities); in a game the listener is the player and
// an owned loop lives as long as its owner's mirror.
void InstallSound(Application& app)
{
    auto world = std::make_shared<ClientSoundWorld>();
    auto beep = std::make_shared<ResourceHandle>();
    app.SetSystem(SystemSlot::Sound, {
        [world] { gSoundSystem = new SoundSystem(*world); },
        [] { gSoundSystem->RegisterCommands(*gResourceManager); },
        [] { Destroy(gSoundSystem); },
    });
    app.AddStartUpHook(StartUpStep::Sound, [world, beep] {
        if (!gSoundSystem->Init(std::make_unique<OpenAlSoundDriver>(*world)))
            gPlatformSystem->CriticalError("Sound system failed to initialize!  See User/log.txt for more info.");
        // The machine report that follows names the device the sound plays on.
        if (gSystemInfo)
            gSystemInfo->SetSoundDeviceQuery([] { return gSoundSystem ? gSoundSystem->GetDeviceName() : std::string(); });
        // The debug beep, loaded now so that it sounds at once: a death held off by the debug
        // flag plays it at the listener.
        gResourceManager->Load(kDebugBeepSound, *beep);
        gDebugSystem->SetBeepHook([beep] {
            if (gSoundSystem && beep->IsValid())
                gSoundSystem->PlayOwnedSound(*beep, gSoundSystem->GetListenerPosition(), -1, 0, false, 0.0f, 0.0f);
        });
        return true;
    });
    // The game client chooses the music; before it exists nothing plays. The sound system's own
    // frame is the client's draw step's.
    app.AddFrameHook(FrameStep::ClientUpdate, [](uint32_t) {
        if (gGameClient)
            gGameClient->GetMusic().UpdateMusic();
    });
    // The channels and the client's sounds let go before the resources are flushed, which
    // deletes the sounds' buffers while the driver still exists.
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] {
        if (gGameClient)
            gGameClient->GetMusic().Release();
        gSoundSystem->ReleaseChannels();
    });
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [beep] {
        gDebugSystem->SetBeepHook(nullptr);
        beep->Reset();
    });
}

// The machine report, written after the sound system has started, and the datagram
// transport in local mode, which says "Initializing networking" while the commands register.
void InstallPlatformServices(Application& app)
{
    app.SetSystem(SystemSlot::SystemInfo, {
        [] { gSystemInfo = new LinuxSystemInfo(); },
        nullptr,
        [] { Destroy(gSystemInfo); },
    });
    app.SetSystem(SystemSlot::Network, {
        [] { gNetworkSystem = new PosixNetworkSystem(); },
        [] {
            auto* network = static_cast<PosixNetworkSystem*>(gNetworkSystem);
            network->RegisterVars();
            network->Init();
        },
        [] { Destroy(gNetworkSystem); },
    });
}

// The run's lock, for an end without the shut-down.
InstanceLock* gRunInstanceLock = nullptr;

// A critical error or a forced exit: the desktop as it was found, the settings saved and the
// game folder free for the next run. It may run inside a signal handler, on a program stuck
// anywhere: it is the last chance, and does only what a clean shut-down would have.
void EndRunInHaste()
{
    if (auto* window = dynamic_cast<SdlGraphicsSystem*>(gGraphicsSystem))
        window->RestoreDesktop();
    if (gUserVarSystem)
        gUserVarSystem->SaveUserConfig();
    if (gRunInstanceLock)
        gRunInstanceLock->Release();
}

// False when another copy runs on the game folder: it says so on stderr, as the log is the other's.
bool TakeInstanceLock(InstanceLock& instance, const std::string& userFolder)
{
    switch (instance.Take(userFolder)) {
    case InstanceLock::Result::kHeldByAnother: {
        // The holder writes its id just after taking the lock: a copy started in that moment reads none.
        std::string holder = instance.GetHolder() != 0 ? "process " + std::to_string(instance.GetHolder()) + " holds "
                                                       : "another process holds ";
        std::fprintf(stderr,
                     "Emberlode is already running on this game folder (%s%s): quit it before starting another copy.\n",
                     holder.c_str(), instance.GetPath().c_str());
        return false;
    }
    case InstanceLock::Result::kFailed:
        DebugSystem::Print(kPrintWarning, "Couldn't take %s: a second copy on this game folder is not stopped\n",
                           instance.GetPath().c_str());
        return true;
    case InstanceLock::Result::kTaken:
        if (instance.GetHolder() != 0)
            DebugSystem::Print(kPrintWarning, "Took over %s from process %ld, which ended without letting go of it\n",
                               instance.GetPath().c_str(), instance.GetHolder());
        return true;
    }
    return true;
}

} // namespace

void InstallSystems(Application& app, const std::string& workingFolder, DisplayChoice display)
{
    auto loads = std::make_shared<StartUpLoads>();
    InstallEngineCore(app, workingFolder);
    InstallPlatformServices(app);
    InstallGameRules(app);
    InstallDisplayStart(app);
    InstallResources(app, loads);
    InstallShaders(app);
    InstallGraphics(app, display, loads);
    InstallInput(app);
    InstallEffects(app, loads);
    InstallWorld(app);
    InstallEntities(app);
    InstallGame(app);
    InstallClient(app);
    InstallSound(app);
    InstallUserInterface(app);
    InstallMaps(app);
    InstallTools(app);
    InstallGameCommands(app);
    InstallResourceFlush(app);
    InstallStartUpSummary(app, loads);
}

int RunApplication(Application& app)
{
    bool started = app.StartUp();
    if (started)
        app.Run();
    app.ShutDown();
    return started ? 0 : 1;
}

int RunApplication()
{
    // A second copy on this game folder would write over the first one's log and saves.
    InstanceLock instance;
    if (!TakeInstanceLock(instance, UserFolderOf(std::string())))
        return 1;
    gRunInstanceLock = &instance;
    PosixPlatformSystem::SetHastyExitHook(&EndRunInHaste);
    Application app;
    gApplication = &app;
    InstallSystems(app, std::string(), DisplayChoice::kWindow);
    PosixPlatformSystem::InstallQuitSignalHandlers();
    int exitCode = RunApplication(app);
    PosixPlatformSystem::SetHastyExitHook(nullptr);
    gRunInstanceLock = nullptr;
    return exitCode;
}
