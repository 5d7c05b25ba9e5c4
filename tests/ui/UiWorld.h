// UiWorld -- a UI system over a temporary game folder's "UI" menus, with the engine's log, commands, user vars, key bindings, a hand-set cursor and clock, and a fake game view.
#pragma once

#include "client/UserProfile.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/InputSystem.h"
#include "core/system/TimerSystem.h"
#include "platform/PosixFileSystem.h"
#include "rules/GameData.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"
#include "support/TempFolder.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/UiGameView.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// Every fact a test sets by hand.
class FakeGameView : public UiGameView {
public:
    bool IsGameRunning() const override { return running; }
    bool IsPaused() const override { return paused; }
    bool IsGameWon() const override { return won; }
    bool IsWinConfirmed() const override { return winConfirmed; }
    bool IsConfirmWinPending() const override { return confirmWin; }
    bool HasActiveWorldEvent(int32_t kind) const override { return worldEvents.count(kind) != 0; }
    bool HasRunningTimedQuest() const override { return timedQuest; }
    float GetAdventureRewardMultiplier() const override { return rewardMultiplier; }
    bool HasLocalPlayer() const override { return player; }
    bool GetBonusSkill(int32_t attribute, std::string& name, int32_t& nextLevel, int32_t& needed) const override
    {
        if (attribute != bonusAttribute)
            return false;
        name = bonusSkill;
        nextLevel = bonusLevel;
        needed = bonusNeeded;
        return true;
    }
    int32_t GetPlayerComputedValue(int32_t index) const override
    {
        auto found = computedValues.find(index);
        return found == computedValues.end() ? 0 : found->second;
    }
    bool GetPlayerStat(int32_t index, int32_t& out) const override
    {
        auto found = stats.find(index);
        if (found == stats.end())
            return false;
        out = found->second;
        return true;
    }
    bool GetPlayerFlagBit(int32_t bit) const override { return flagBits.count(bit) != 0; }
    int32_t GetSkillAttributeBonus(int32_t attribute) const override
    {
        auto found = attributeBonus.find(attribute);
        return found == attributeBonus.end() ? 0 : found->second;
    }
    bool IsQuestSlotFilled(int32_t slot) const override { return questSlots.count(slot) != 0; }
    bool IsQuestSlotComplete(int32_t slot) const override { return completeSlots.count(slot) != 0; }
    bool CanSkipQuestSlot(int32_t slot) const override { return skippableSlots.count(slot) != 0; }
    bool HoldsQuest(int32_t quest) const override { return heldQuests.count(quest) != 0; }
    bool CanSkipQuest(int32_t quest) const override { return skippableQuests.count(quest) != 0; }
    int32_t GetActiveItemSet() const override { return itemSet; }
    bool IsEquipmentFilled(int32_t location) const override { return equipped.count(location) != 0; }
    int32_t GetInteractionMode() const override { return interactionMode; }
    int32_t GetClassIndex() const override { return classIndex; }
    // An entity with a class is of the class classIndex names.
    const CharacterClass* GetEntityClass(int32_t number) const override
    {
        auto found = entities.find(number);
        bool classed = found != entities.end() && found->second.hasClass;
        return classed && gGameData ? gGameData->GetCharacterClass(classIndex) : nullptr;
    }
    int32_t GetPlayerEntityNumber() const override { return playerEntity; }
    int32_t GetSelectedEntityNumber() const override { return selectedEntity; }
    int32_t GetPartyMember(int32_t n) const override
    {
        return n >= 0 && n < static_cast<int32_t>(party.size()) ? party[static_cast<size_t>(n)] : -1;
    }
    bool GetWatchedSkillCost(int32_t& cost) const override
    {
        cost = watchedCost;
        return watchedCost >= 0;
    }
    bool GetEntity(int32_t number, UiEntityFacts& out) const override
    {
        auto found = entities.find(number);
        if (found == entities.end())
            return false;
        out = found->second;
        return true;
    }
    bool GetStatusEffects(int32_t number, std::vector<UiStatusEffectFacts>& out, bool withTexts) const override
    {
        auto found = statusEffects.find(number);
        if (found == statusEffects.end())
            return false;
        out = found->second;
        for (UiStatusEffectFacts& facts : out)
            if (!withTexts)
                facts.displayName = facts.description = std::string();
        return true;
    }
    int32_t GetPlayerCovenantIndex() const override { return playerCovenant; }
    int32_t GetCovenantCount() const override { return static_cast<int32_t>(covenants.size()); }
    bool GetCovenant(int32_t index, UiCovenantFacts& out) const override
    {
        if (index < 0 || index >= GetCovenantCount())
            return false;
        out = covenants[static_cast<size_t>(index)];
        return true;
    }
    int32_t GetTreaty(int32_t from, int32_t to) const override
    {
        auto found = treaties.find({from, to});
        return found == treaties.end() ? 1 : found->second;
    }
    bool HasTradeRoute(int32_t a, int32_t b) const override { return routes.count({a, b}) != 0; }
    int32_t GetCovenantByPower(int32_t position) const override
    {
        return position >= 0 && position < static_cast<int32_t>(powerOrder.size())
                   ? powerOrder[static_cast<size_t>(position)]
                   : -1;
    }
    int32_t GetCovenantPowerRank(int32_t covenant) const override
    {
        auto found = std::find(powerOrder.begin(), powerOrder.end(), covenant);
        return found == powerOrder.end() ? -1 : static_cast<int32_t>(found - powerOrder.begin());
    }
    bool HasProfile() const override { return profile; }
    std::string GetProfileName() const override { return profileName; }
    int32_t GetProfileValue(int32_t index) const override
    {
        auto found = profileValues.find(index);
        return found == profileValues.end() ? 0 : found->second;
    }
    const UserProfile* GetProfile() const override { return profile ? &userProfile : nullptr; }
    int32_t GetTrophyBand(std::string_view adventure) const override
    {
        auto found = trophies.find(std::string(adventure));
        return found == trophies.end() ? 0 : found->second;
    }
    bool ClassWonAdventure(std::string_view adventure, std::string_view className) const override
    {
        return classWins.count(std::string(adventure) + "/" + std::string(className)) != 0;
    }
    int32_t GetGlobalStatBest(int32_t statType, int32_t index) const override
    {
        return statType == 5 && index == 84 ? hardcoreRecord : 0;
    }
    std::string GetWorldTextFile() const override { return worldTextFile; }
    std::string GetEntityHistoryFile(int32_t entity) const override
    {
        return entity == targetEntity ? targetHistoryFile : std::string();
    }
    int32_t GetTargetEntityNumber(bool) const override { return targetEntity; }
    bool GetEntityRescue(int32_t entity, std::string& textFile, std::string& sound) const override
    {
        if (entity != targetEntity || rescueTextFile.empty())
            return false;
        textFile = rescueTextFile;
        sound = rescueSound;
        return true;
    }
    std::string GetQuestSlotTitle(int32_t slot) const override { return Find(questTitles, slot); }
    std::string GetQuestSlotText(int32_t slot) const override { return Find(questTexts, slot); }
    bool KnowsWorldQuest(int32_t quest) const override { return knownQuests.count(quest) != 0; }
    bool GetOfferedQuestText(int32_t entity, int32_t quest, std::string& out) const override
    {
        auto found = offeredTexts.find({entity, quest});
        if (found != offeredTexts.end())
            out = found->second;
        return found != offeredTexts.end();
    }
    int32_t FindQuestSlotSolvedBy(int32_t entity) const override { return entity == solvingEntity ? solvedSlot : -1; }
    int32_t FindShortestTimeQuestSlot(float& secondsLeft) const override
    {
        secondsLeft = shortestSeconds;
        return shortestSlot;
    }
    std::string GetNpcChatText() const override { return npcChat; }
    int32_t GetHoveredEntity() const override { return hoveredEntity; }
    int32_t GetInteractionFor(int32_t entity) const override { return entity == hoveredEntity ? hoverAction : 0; }

    bool running = false;
    bool paused = false;
    bool won = false;
    bool winConfirmed = false;
    bool confirmWin = false;
    std::set<int32_t> worldEvents;
    bool timedQuest = false;
    float rewardMultiplier = 1.0f;
    bool player = false;
    std::map<int32_t, int32_t> stats;
    std::map<int32_t, int32_t> computedValues;
    int32_t bonusAttribute = -1;
    std::string bonusSkill;
    int32_t bonusLevel = 0;
    int32_t bonusNeeded = 0;
    std::map<int32_t, int32_t> attributeBonus;
    std::set<int32_t> flagBits;
    std::set<int32_t> questSlots;
    std::set<int32_t> completeSlots;
    std::set<int32_t> skippableSlots;
    std::set<int32_t> heldQuests;
    std::set<int32_t> skippableQuests;
    int32_t itemSet = -1;
    std::set<int32_t> equipped;
    int32_t interactionMode = -1;
    int32_t classIndex = -1;
    int32_t playerEntity = -1;
    int32_t selectedEntity = -1;
    std::vector<int32_t> party;
    int32_t watchedCost = -1;
    std::map<int32_t, UiEntityFacts> entities;
    std::map<int32_t, std::vector<UiStatusEffectFacts>> statusEffects;
    int32_t playerCovenant = -1;
    std::vector<UiCovenantFacts> covenants;
    std::map<std::pair<int32_t, int32_t>, int32_t> treaties;
    std::set<std::pair<int32_t, int32_t>> routes;
    std::vector<int32_t> powerOrder;
    bool profile = false;
    std::string profileName;
    std::map<int32_t, int32_t> profileValues;
    // Its unlocks; the rest of the profile's answers come from the fields here.
    UserProfile userProfile;
    std::map<std::string, int32_t> trophies;
    std::set<std::string> classWins;
    int32_t hardcoreRecord = 0;
    std::string worldTextFile;
    int32_t targetEntity = -1;
    std::string rescueTextFile;
    std::string rescueSound;
    std::string targetHistoryFile;
    int32_t hoveredEntity = -1;
    int32_t hoverAction = 0;
    std::map<int32_t, std::string> questTitles;
    std::map<int32_t, std::string> questTexts;
    std::set<int32_t> knownQuests;
    std::map<std::pair<int32_t, int32_t>, std::string> offeredTexts;
    int32_t solvingEntity = -1;
    int32_t solvedSlot = -1;
    int32_t shortestSlot = -1;
    float shortestSeconds = 0.0f;
    std::string npcChat;
    // The read topics, kept as the client's player keeps them: reading one offers its follower.
    mutable std::vector<bool> helpRead;

    bool IsHelpTopicRead(int32_t index) const override
    {
        return index >= 0 && index < static_cast<int32_t>(helpRead.size()) && helpRead[static_cast<size_t>(index)];
    }
    void SetHelpTopicRead(int32_t index) const override
    {
        if (index < 0)
            return;
        if (index >= static_cast<int32_t>(helpRead.size()))
            helpRead.resize(static_cast<size_t>(index) + 1, false);
        helpRead[static_cast<size_t>(index)] = true;
        gUISystem->AddHelpTopic(gUISystem->GetNextHelpTopic(index));
    }
    void SetAllHelpTopicsRead() const override { helpRead.assign(static_cast<size_t>(gUISystem->GetHintCount()), true); }
    void ResetHelpTopics() const override
    {
        helpRead.clear();
        gUISystem->AddHelpTopic(gUISystem->GetStartTopic());
    }

private:
    static std::string Find(const std::map<int32_t, std::string>& texts, int32_t key)
    {
        auto found = texts.find(key);
        return found == texts.end() ? std::string() : found->second;
    }
};

// The cursor is where the test puts it; no keyboard.
class UiTestInput : public InputSystem {
public:
    bool GetCursorPos(int32_t& x, int32_t& y) override
    {
        x = cursorAt[0];
        y = cursorAt[1];
        return true;
    }
    void SetCursorPos(int32_t, int32_t) override {}
    bool Init() override { return true; }
    void Shutdown() override {}
    void ReadKeyboard() override {}
    int32_t cursorAt[2] = {0, 0};
};

class UiTestClock : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 0;
};

class UiWorld : public ::testing::Test {
protected:
    UiWorld() : files(folder.Path().string())
    {
        debug.SetMaxConsoleLines(1 << 16);
        debug.SetDeveloper(true);
        gDebugSystem = &debug;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
        gCommandSystem = &commands;
        gVirtualKeys = &keys;
        gUserVarSystem = &vars;
        gTimerSystem = &clock;
        gInputSystem = &input;
        commands.RegisterCommands();
        vars.RegisterCommands();
        keys.RegisterCommands();
        clock.UpdateClock();
        vars.LoadConfigFiles();
        ui = std::make_unique<UISystem>();
        gUISystem = ui.get();
        ui->SetGameView(&view);
        // "record <words>" keeps what the menus ran.
        commands.RegisterCommand(
            "record",
            [this](const std::vector<std::string>& args) {
                std::string line;
                for (const std::string& arg : args)
                    line += (line.empty() ? "" : " ") + arg;
                ran.push_back(line);
            },
            "", "", "", kCommandNoArgumentCheck);
    }
    ~UiWorld() override
    {
        ui.reset();
        gUISystem = nullptr;
        gInputSystem = nullptr;
        gTimerSystem = nullptr;
        gUserVarSystem = nullptr;
        gVirtualKeys = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gLocSystem = nullptr;
        gDebugSystem = nullptr;
    }

    void WriteMenu(const std::string& fileName, const std::string& text) const
    {
        folder.Write("Assets/UI/" + fileName, text);
    }

    // The shipped texts and key names, for hot keys and their help.
    bool UseShippedLocalisation()
    {
        std::string shipped = ShippedGameFolder();
        if (shipped.empty())
            return false;
        std::filesystem::create_directories(folder.Path() / "Assets/Loc");
        for (const auto& entry : std::filesystem::directory_iterator(shipped + "/Assets/Loc"))
            std::filesystem::copy_file(entry.path(), folder.Path() / "Assets/Loc" / entry.path().filename());
        loc = std::make_unique<LocSystem>();
        gLocSystem = loc.get();
        return loc->Load("English");
    }

    // The shipped localisation, and the key names read from it; false when it is not staged.
    bool UseShippedKeyNames()
    {
        if (!UseShippedLocalisation())
            return false;
        keys.SetKeyNames([this](std::string_view keyName) { return loc->FindKeyName(keyName, false); },
                         [this](int code) { return loc->GetKeyName(code); });
        return true;
    }

    void MoveCursor(int32_t x, int32_t y)
    {
        input.cursorAt[0] = x;
        input.cursorAt[1] = y;
        input.UpdateCursor();
    }

    // A press and a release at the point, through the UI system as the input glue hands them on.
    bool Click(int32_t x, int32_t y, int32_t button = 0)
    {
        MoveCursor(x, y);
        bool taken = ui->HandleMouseButton(button, true, x, y);
        ui->HandleMouseButton(button, false, x, y);
        return taken;
    }

    void Advance(uint32_t ms)
    {
        clock.now += ms;
        clock.UpdateClock();
    }

    std::vector<std::string> TakeRan()
    {
        std::vector<std::string> taken;
        taken.swap(ran);
        return taken;
    }

    int Logged(const std::string& text) const { return CountLinesHolding(debug, text); }

    UIMenu& Menu(const std::string& name) const
    {
        UIMenu* menu = ui->FindMenu(name);
        if (!menu)
            throw std::runtime_error("no menu " + name);
        return *menu;
    }

    TempFolder folder;
    DebugSystem debug;
    PosixFileSystem files;
    CommandSystem commands;
    VirtualKeys keys;
    UserVarSystem vars;
    UiTestClock clock;
    UiTestInput input;
    std::unique_ptr<LocSystem> loc;
    FakeGameView view;
    std::unique_ptr<UISystem> ui;
    std::vector<std::string> ran;
};
