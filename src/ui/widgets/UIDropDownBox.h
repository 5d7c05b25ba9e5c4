// UIDropDownBox -- a one-line box showing which provider choice a user var holds; clicked, it opens into a scrolling list of the choices and writes the one taken to the var.
#pragma once

#include "client/ClientApp.h"
#include "core/CommandSystem.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>
#include <vector>

class UIScrollBar;

// Main thread. While open it holds the client's open drop-down claim, so the next click comes to
// it first wherever it lands. Filled, drawn and clicked once attached to its menu.
class UIDropDownBox : public UIWidget, public ClientDropDown {
public:
    // Width of the scroll bar along the open box's right edge.
    static constexpr float kScrollBarWidth = 16.0f;

    UIDropDownBox();
    ~UIDropDownBox() override;

    void Draw() override;
    void Update(float seconds) override;
    void RefreshContents() { Fill(); }
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    void Reload() override { Fill(); }
    void OnMenuShown(bool /*firstTime*/) override { Fill(); }
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIDropDownBox(); }
    void CopyFrom(const UIWidget& source) override;
    // The claimed press and release: the scroll bar is asked first, then the box.
    bool OnDropDownPress(int32_t button, bool down) override;

    bool IsOpen() const { return isOpen; }
    // Choice rows the open box shows at once; never below 0.
    int32_t GetVisibleRows() const;
    int32_t GetFirstVisible() const;
    // -1 without choices.
    int32_t GetLastVisible() const;
    // The visible choice under the screen point; -1 for none.
    int32_t GetChoiceAt(float x, float y) const;
    // The name of the first choice whose value is the var's, ignoring case; empty for none.
    std::string GetShownText() const;
    UIScrollBar* GetScrollBar() const { return scrollBar; }

    ResourceHandle arrowTexture;
    ResourceHandle boxTexture;
    ResourceHandle openTexture;
    float baseSize[2] = {0.0f, 0.0f};
    float maxSize[2] = {0.0f, 0.0f};
    float arrowSize = 0.0f;
    std::string infoProc;
    std::vector<ListEntry> choices;
    UIScrollBar* scrollBar = nullptr;
    bool refreshEachFrame = false;
    bool isOpen = false;
    std::vector<std::string> selectCommands;
    ResourceHandle selectSound;

private:
    void Fill();
    void Open();
    void Close();
    void Take(int32_t choice);
};
