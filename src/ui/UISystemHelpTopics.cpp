// UISystemHelpTopics -- the tutorial topics: their chain read from the game database, the blinking button of each unread topic, its row along the top of the screen, and the topic and widget utility commands.
#include "ui/UISystem.h"

#include "audio/SoundInstance.h"
#include "audio/SoundSystem.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UIWidget.h"

#include <cmath>
#include <cstdio>
#include <set>

namespace {

using HelpArgs = std::vector<std::string>;

const std::string& HelpArg(const HelpArgs& args, size_t index)
{
    static const std::string kHelpNoArgument;
    return index < args.size() ? args[index] : kHelpNoArgument;
}

std::string HelpUserVar(const char* name)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
}

// The local player's level, else the level the character screen parsed into its user var.
int32_t HelpCharacterLevel(const UiGameView& view)
{
    constexpr int32_t kHelpLevelStat = 84;
    int32_t level = 0;
    if (view.HasLocalPlayer() && view.GetPlayerStat(kHelpLevelStat, level))
        return level;
    return gUserVarSystem ? gUserVarSystem->GetIntByName("ParsedCharacterLevel") : 0;
}

} // namespace

// ---- The topic table ----

void UISystem::LoadHelpTopics()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("HelpTopics") : nullptr;
    if (!record) {
        DebugSystem::Print(kPrintError, "HelpTopics database entry not found!\n");
        return;
    }
    helpTopicNames.clear();
    record->GetStringList("HelpTopic", helpTopicNames, true, true);
    startHelpTopic = record->GetString("StartHelpTopic");
    nextHelpTopics.assign(helpTopicNames.size(), std::string());
    for (size_t i = 0; i < helpTopicNames.size(); ++i)
        nextHelpTopics[i] = record->GetString("NextHelpTopic" + helpTopicNames[i]);
}

int32_t UISystem::IndexOfHelpTopic(const std::string& topic) const
{
    for (size_t i = 0; i < helpTopicNames.size(); ++i)
        if (StringEqualsNoCase(helpTopicNames[i], topic))
            return static_cast<int32_t>(i);
    return -1;
}

std::string UISystem::GetNextHelpTopic(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(nextHelpTopics.size()))
        return {};
    return nextHelpTopics[static_cast<size_t>(index)];
}

// The read topics go with the character, so a topic read stays read in the next session.
bool UISystem::IsHelpTopicRead(int32_t index) const
{
    return GetGameView().IsHelpTopicRead(index);
}

void UISystem::AddHelpTopic(const std::string& topic)
{
    // A chain of read topics that leads back on itself ends where it repeats.
    std::set<int32_t> visited;
    std::string name = topic;
    while (true) {
        int32_t index = IndexOfHelpTopic(name);
        if (index < 0 || !visited.insert(index).second)
            return;
        if (!IsHelpTopicRead(index)) {
            ShowHelpTopicButton(index);
            return;
        }
        name = GetNextHelpTopic(index);
        if (name.empty())
            return;
    }
}

// ---- Buttons ----

UIMenu* UISystem::MakeHelpButtonMenu(const std::string& topic)
{
    auto* button = new UIMenu();
    button->name = topic + "Button";
    auto* widget = new UIWidget();
    widget->size[0] = settings.helpTopicButtonSize;
    widget->size[1] = settings.helpTopicButtonSize;
    // Mended: the button wore the quest-available mark, and looked exactly like a townsperson's
    // quest on offer; it has an icon of its own.
    widget->SetTexture("Textures/Icons/helpTopic.tga");
    widget->highlightText = "$$HelpTopic$$ - $$HelpTitle" + topic + "$$\n^c008$$LeftClickToRead$$";
    widget->canClick = true;
    widget->commands = {"setUserVar helpTopic " + topic, "pushMenu helpTopic"};
    widget->blinkCondition = UICondition::AlwaysTrue;
    // The open world map stands in the world's place, over the button (it lay over the map's bar).
    if (gUserVarSystem)
        widget->userVar = gUserVarSystem->RegisterVar("drawWorldMap", "", true);
    widget->hideCondition = UICondition::UserVarSet;
    button->AddWidget(widget);
    widget->menu = button;
    widget->OnAttach();
    return button;
}

void UISystem::ShowHelpTopicButton(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(helpTopicNames.size()))
        return;
    std::string buttonName = helpTopicNames[static_cast<size_t>(index)] + "Button";
    for (UIMenu* button : helpButtonMenus) {
        if (button->name != buttonName)
            continue;
        if (!(button->IsEligible() && (button->visible || button->pushed))) {
            ShowWithFlag(button);
            RepositionHelpButtons();
        }
        return;
    }
    UIMenu* button = MakeHelpButtonMenu(helpTopicNames[static_cast<size_t>(index)]);
    menus.push_back(button);
    ShowWithFlag(button);
    helpButtonMenus.push_back(button);
    RepositionHelpButtons();
    if (!newHelpTopicSound.IsValid() || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    if (SoundInstance* channel = gSoundSystem->FindFreeChannel())
        channel->Play(newHelpTopicSound, SoundPos{}, GetGameView().GetPlayerEntityNumber(), -1, false, 0.0f, 0.0f);
}

void UISystem::RepositionHelpButtons()
{
    int32_t shown = 0;
    for (UIMenu* button : helpButtonMenus)
        shown += button->IsShown() ? 1 : 0;
    float x = settings.helpTopicBasePosition[0] -
              static_cast<float>(shown) * settings.helpTopicButtonOffset * 0.5f;
    for (UIMenu* button : helpButtonMenus) {
        if (!button->IsShown())
            continue;
        button->position[0] = x;
        button->position[1] = settings.helpTopicBasePosition[1];
        x += settings.helpTopicButtonOffset;
    }
}

void UISystem::HideHelpButton(UIMenu* button)
{
    if (button && button->visible)
        HideWithFlag(button);
}

// ---- Commands ----

void UISystem::MoveWidgetY(const std::vector<std::string>& args)
{
    UIWidget* widget = FindWidgetByPath(HelpArg(args, 0));
    if (!widget)
        return;
    int32_t start = ParseInt(HelpArg(args, 1));
    int32_t end = ParseInt(HelpArg(args, 2));
    float factor = 0.0f;
    if (StringEqualsNoCase(HelpArg(args, 3), "ParsedCharacterLevel"))
        factor = static_cast<float>(HelpCharacterLevel(GetGameView())) / 100.0f;
    widget->position[1] = static_cast<float>(start) + static_cast<float>(end - start) * factor;
}

void UISystem::CalculateUserVar(const std::vector<std::string>& args)
{
    const std::string& method = HelpArg(args, 1);
    bool newMinimum = StringEqualsNoCase(method, "ParsedCharacterLevelNewMin");
    if (!gUserVarSystem || !(newMinimum || StringEqualsNoCase(method, "ParsedCharacterLevel")))
        return;
    // The nearest multiple of 5, halves going up.
    int32_t level = HelpCharacterLevel(GetGameView());
    auto rounded = static_cast<int32_t>(5.0f * std::floor(static_cast<float>(level) / 5.0f + 0.5f));
    const std::string& varName = HelpArg(args, 0);
    if (newMinimum && gUserVarSystem->GetIntByName(varName) >= rounded)
        return;
    gUserVarSystem->SetIntByName(varName, rounded);
}

void UISystem::RegisterHelpTopicCommands()
{
    CommandSystem& commands = *gCommandSystem;
    commands.RegisterCommand(
        "moveWidgetY", [this](const HelpArgs& args) { MoveWidgetY(args); },
        "Moves the widget to a different position based on the parameters", "widgetName startX endX MethodName",
        "siis");
    commands.RegisterCommand(
        "calculateUserVar", [this](const HelpArgs& args) { CalculateUserVar(args); },
        "Sets the user var based on the method", "userVarName MethodName", "ss");
    commands.RegisterCommand(
        "addHelpTopic",
        [this](const HelpArgs& args) {
            if (GetGameView().HasLocalPlayer())
                AddHelpTopic(HelpArg(args, 0));
        },
        "Adds a help topic so the player can read it", "helpTopicName", "s");
    commands.RegisterCommand(
        "readHelpTopic",
        [this](const HelpArgs&) {
            int32_t index = IndexOfHelpTopic(HelpUserVar("helpTopic"));
            if (!GetGameView().HasLocalPlayer() || index < 0)
                return;
            GetGameView().SetHelpTopicRead(index);
        },
        "Marks that the player has read the current help topic", "", "");
    commands.RegisterCommand(
        "hideHelpTopicButton", [this](const HelpArgs&) { HideHelpButton(FindMenu(HelpUserVar("helpTopic") + "Button")); },
        "Hides the help topic button for the current help topic", "", "");
    commands.RegisterCommand(
        "readAllHelpTopics",
        [this](const HelpArgs&) {
            if (GetGameView().HasLocalPlayer())
                GetGameView().SetAllHelpTopicsRead();
            for (UIMenu* button : helpButtonMenus)
                HideHelpButton(button);
        },
        "Marks that the player has read all of the help topics", "", "");
    commands.RegisterCommand(
        "resetAllHelpTopics",
        [this](const HelpArgs&) {
            if (!GetGameView().HasLocalPlayer())
                return;
            GetGameView().ResetHelpTopics();
        },
        "Marks that the player has not read any of the help topics", "", "");
    commands.RegisterCommand(
        "repositionHelpTopics", [this](const HelpArgs&) { RepositionHelpButtons(); },
        "Reposition all of the help topics", "", "");
}
