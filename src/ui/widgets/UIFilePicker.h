// UIFilePicker -- a browser over one folder of the game folder (or over a list provider's rows) with Back, Cancel and Ok buttons and an optional file-name box, whose Ok writes the chosen path to a user var.
#pragma once

#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>
#include <vector>

class UIScrollBar;
class UITextInput;

// Main thread. Filled, drawn and clicked once attached to its menu, which owns the buttons, the
// file-name box and the scroll bar the picker makes for itself. Every answer it writes names a
// place under its base folder: the base must be a relative game path, and every folder or file
// name put into an answer must be one plain path part.
class UIFilePicker : public UIWidget {
public:
    static constexpr float kRowHeight = 15.0f;
    // Above the rows while browsing folders; a provider's rows start at the top.
    static constexpr float kHeaderHeight = 30.0f;
    // The bottom of the picker left to the buttons.
    static constexpr float kButtonArea = 30.0f;
    static constexpr float kButtonStep = 70.0f;

    struct Entry {
        std::string name;
        std::string identifier;
        bool isDirectory = false;
    };

    UIFilePicker();
    ~UIFilePicker() override;

    void Draw() override;
    // Drops a selection the typed name no longer matches.
    void Update(float seconds) override;
    // Takes presses on its rows; the buttons and the scroll bar over it take their own.
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnMenuShown(bool /*firstTime*/) override { Refresh(); }
    void Reload() override { Refresh(); }
    // Makes the file-name box, the three buttons and the scroll bar in the menu.
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    // "back", "cancel" and "ok"; any other line goes to the menu.
    void HandleWidgetCommand(const std::string& line) override;
    UIWidget* NewOfSameKind() const override { return new UIFilePicker(); }
    void CopyFrom(const UIWidget& source) override;

    // Fills the entries: the provider's rows, or the sorted sub-folders then the sorted files of
    // every extension together.
    void Refresh();
    // The entry under the screen point; -1 for none.
    int32_t RowAt(int32_t x, int32_t y) const;
    void EnterFolder(const std::string& folderName);
    // What Ok would write: empty when nothing fits.
    std::string BuildAnswer() const;
    // Not empty, not "." or "..", and free of separators, drive colons and control bytes.
    static bool IsPlainFileName(const std::string& name);
    // The base as a relative game path; false (a warning logged once) when it is not one.
    bool GetBaseFolder(std::string& out) const;
    const std::vector<Entry>& GetEntries() const { return entries; }
    UIWidget* GetOkButton() const { return okButton; }
    UIScrollBar* GetScrollBar() const { return scrollBar; }

    std::string baseDirectory;
    // "" or "/" followed by folder names joined by "/".
    std::string currentPath;
    std::vector<std::string> extensions;
    int32_t selected = -1;
    TimeStamp lastClickTime;
    UIWidget* cancelButton = nullptr;
    UIWidget* okButton = nullptr;
    UIWidget* backButton = nullptr;
    UITextInput* textInput = nullptr;
    UIScrollBar* scrollBar = nullptr;
    bool pickingFile = true;
    std::string successCommand;
    std::string infoProc;
    bool textBox = false;
    UserVarRef tempUserVar;
    bool useIdentifier = false;

private:
    float HeaderHeight() const { return infoProc.empty() ? kHeaderHeight : 0.0f; }
    int32_t VisibleRows() const;
    std::string TypedName() const;
    bool IsValidOk() const;
    // Writes the answer, runs the success command and hides the menu; a name that would leave
    // the base shows "$$InvalidFileName$$" instead and writes nothing.
    void Accept();
    void ClearSelection();
    void SetOkCaption(const char* caption);
    void ShowMessage(const char* text) const;
    UIWidget* MakeButton(const char* caption, const char* action, float x, float y);

    std::vector<Entry> entries;
    mutable bool baseWarned = false;
};
