// UIList -- a scrolling column of text rows from a list provider or a folder's file names, with one selected row or a set of ticked rows, bound to user vars.
#pragma once

#include "core/CommandSystem.h"
#include "core/TimeStamp.h"
#include "core/StringUtil.h"
#include "core/UserVarRef.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class UIScrollBar;

// Main thread. Filled, drawn and clicked once attached to its menu, which owns its scroll bar.
class UIList : public UIWidget {
public:
    // Row height when the layout gives none or one below 1.
    static constexpr int32_t kDefaultItemHeight = 10;

    UIList();
    ~UIList() override;

    void Draw() override;
    void Update(float seconds) override;
    // Fills again and keeps the selection, clamped to the rows; the menu's refresh runs it.
    void RefreshContents();
    void Reload() override { RefreshContents(); }
    void SetVisible(bool on) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    // Fills again and clears the selection; run each time the menu is shown.
    void Refresh();
    void OnMenuShown(bool /*firstTime*/) override { Refresh(); }
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    // The rows in view, or the empty list's words.
    bool GetOtherWordsBox(std::array<float, 4>& box) const override;
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UIList(); }
    void CopyFrom(const UIWidget& source) override;

    // The selected row's value, or each ticked row's value in row order with canSelectMultiple.
    void GetSelectedValues(std::vector<std::string>& out) const;
    // False when no row is selected.
    bool GetSelectedValue(std::string& out) const;
    // The row under the screen point; -1 for none.
    int32_t RowAt(int32_t x, int32_t y) const;
    int32_t GetVisibleRows() const;
    int32_t GetFirstVisibleRow() const;
    void Select(int32_t row);
    // The row's name with the code of its state in front, as drawn.
    std::string RowText(int32_t row) const;
    // The row's text translated, cut short with "..." when wider than the room the list gives its
    // words, so that it never runs over what stands beside the list.
    WString FitRowText(const std::string& text) const;
    // How far a row's words stand right of the list's edge: past the box of a list whose rows
    // are ticked, else 0.
    float GetTextIndent() const;
    UIScrollBar* GetScrollBar() const { return scrollBar; }

    std::vector<std::unique_ptr<ListEntry>> rows;
    std::string directory;
    std::string extension;
    int32_t fileLocation = 0;
    int32_t itemHeight = kDefaultItemHeight;
    int32_t selectedRow = -1;
    std::vector<bool> ticked;
    int32_t lastClickRow = -1;
    TimeStamp lastClickTime;
    UserVarRef directoryVar;
    UserVarRef itemSelectedVar;
    std::string infoProc;
    bool refreshEachFrame = false;
    bool canSelectMultiple = false;
    bool runCommandOnSelect = false;
    UIScrollBar* scrollBar = nullptr;
    float scrollBarOffset[2] = {0.0f, 0.0f};
    float scrollBarSize[2] = {0.0f, 0.0f};
    bool userVarHoldsName = true;
    std::string doubleClickRedirect;
    bool selectFirstItem = false;
    // Drawn in the first row's place while the list has no rows, so that an empty list says why.
    std::string emptyText;
    // The box a row that can be ticked shows, and the tick drawn over it.
    ResourceHandle boxTexture;
    ResourceHandle tickTexture;

private:
    // The rows drawn last, by place in view: what each was made from and what was drawn.
    struct FittedRow {
        std::string source;
        float width = 0.0f;
        WString drawn;
    };

    void Fill();
    void FillFromFolder();
    bool NamesRow(int32_t row) const { return row >= 0 && row < static_cast<int32_t>(rows.size()); }
    void PressDoubleClickRedirect() const;
    void DrawTickBox(int32_t row, float x, float y) const;

    // Kept between frames, so a steady list is not translated and measured again.
    std::vector<FittedRow> fittedRows;
};
