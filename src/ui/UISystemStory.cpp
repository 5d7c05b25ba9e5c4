// UISystemStory -- the story screens: the text file the "TextFile" text widgets show, and the history, world history, character history and rescue commands that set it.
#include "ui/UISystem.h"

#include "audio/SoundInstance.h"
#include "audio/SoundSystem.h"
#include "core/CommandSystem.h"
#include "core/EngineEnums.h"
#include "resources/ResourceManager.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIItemSlot.h"

namespace {

// The sound slot an entity's spoken lines play in.
constexpr int32_t kStoryDialogSlot = -3;

} // namespace

void UISystem::ShowTextFile(const std::string& textFile, const std::string& menuName)
{
    if (textFile.empty())
        return;
    currentTextFile = textFile;
    if (!menuName.empty() && gCommandSystem)
        gCommandSystem->Execute("pushMenu " + menuName);
}

void UISystem::ShowStoryText(const std::string& textFile)
{
    if (textFile.empty())
        return;
    currentTextFile = textFile;
    // A second call closes the story again.
    if (gCommandSystem)
        gCommandSystem->Execute("toggleMenu Story");
}

void UISystem::ShowHistory()
{
    UIWidget* under = GetWidgetUnderCursor(false);
    std::string textFile = under ? under->GetLocationText() : std::string();
    // A bag on a vendor's counter has no history to tell, nor does the player's target stand in.
    if (const auto* slot = dynamic_cast<const UIItemSlot*>(under);
        slot && slot->itemSlotType == ItemSlotType::Bag && slot->vendorSlot)
        return;
    const UiGameView& view = GetGameView();
    if (textFile.empty() && view.HasLocalPlayer())
        textFile = view.GetEntityHistoryFile(view.GetTargetEntityNumber(true));
    ShowTextFile(textFile, "Story");
}

void UISystem::ShowRescueText()
{
    const UiGameView& view = GetGameView();
    if (!view.HasLocalPlayer())
        return;
    int32_t entity = view.GetTargetEntityNumber(true);
    std::string textFile;
    std::string soundName;
    if (entity == -1 || !view.GetEntityRescue(entity, textFile, soundName))
        return;
    ShowTextFile(textFile, "");
    if (soundName.empty() || !gResourceManager)
        return;
    ResourceHandle sound;
    gResourceManager->Load(soundName, sound);
    bool enabled = gSoundSystem && gSoundSystem->IsInitialised();
    // The rescued one stops whatever it was saying before it speaks its thanks.
    if (SoundInstance* talking = enabled ? gSoundSystem->FindOwnerChannel(entity, kStoryDialogSlot) : nullptr)
        talking->Stop();
    if (SoundInstance* channel = enabled && sound.IsValid() ? gSoundSystem->FindFreeChannel() : nullptr)
        channel->Play(sound, SoundPos{}, entity, kStoryDialogSlot, false, 0.0f, 0.0f);
    sound.Reset();
}

void UISystem::RegisterStoryCommands()
{
    CommandSystem& commands = *gCommandSystem;
    commands.RegisterCommand("showHistory", [this](const std::vector<std::string>&) { ShowHistory(); },
                             "Shows the history of the highlighted item", "", "");
    commands.RegisterCommand(
        "toggleWorldHistory",
        [this](const std::vector<std::string>&) { ShowStoryText(GetGameView().GetWorldTextFile()); },
        "Shows/hides the history for the world", "", "");
    commands.RegisterCommand(
        "showCharHistory",
        [this](const std::vector<std::string>&) {
            if (GetGameView().HasLocalPlayer())
                ShowTextFile(GetGameView().GetPlayerTextFile(), "StoryCharacter");
        },
        "Shows the history of the current char", "", "");
    commands.RegisterCommand("showRescueText", [this](const std::vector<std::string>&) { ShowRescueText(); },
                             "Shows the rescue text from the current selected entity", "", "");
}
