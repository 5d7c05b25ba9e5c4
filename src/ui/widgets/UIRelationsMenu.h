// UIRelationsMenu -- the covenant relations screen: a ring of covenant cards round the relation graph, the power and influence charts, and the pages on one covenant (diplomacy, trade, treaties, the raid order).
#pragma once

#include "core/Color.h"
#include "core/UserVarRef.h"
#include "ui/UIMenu.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class UIList;
class UIWidget;

// Where the screen's own pictures go: lines in the 640 x 480 space and text at a point. The
// game's is the renderer and the screen text; tests record what is drawn.
class RelationsCanvas {
public:
    virtual ~RelationsCanvas() = default;
    // A pattern other than 0xFFFF stipples the line.
    virtual void DrawLine(float x0, float y0, float x1, float y1, float width, const Color& color, uint16_t pattern);
    virtual void DrawText(const std::string& text, float x, float y, const Color& color);

    // The font handle the texts start in; with none (-1) the screen text draws nothing.
    int32_t font = -1;
};

// Main thread. Made for "MenuType RelationsMenu"; its pages are menus of their own, found by
// name each time they are needed (so a reloaded page is found again) and made pages of this one.
// A covenant's name at the end of its chart line: where the line ends, and the name's colour.
struct ChartEndName {
    std::string text;
    float x = 0.0f;
    float y = 0.0f;
    Color color;
};

class UIRelationsMenu : public UIMenu {
public:
    static constexpr int32_t kCardCount = 32;
    static constexpr int32_t kPowerSeries = 5;
    static constexpr int32_t kInfluenceSeries = 4;
    // The charts show at most this many history steps before the current values.
    static constexpr int32_t kMaxChartSteps = 20;
    // The world host's "Raid" takes the covenant and at most this many raiders.
    static constexpr int32_t kMaxRaiders = 10;
    // The colour table's last entry; an index outside counts as entry 0.
    static constexpr int32_t kLastColor = 148;

    enum PageKind : int32_t {
        kMainPage,
        kDiplomacyPage,
        kTradeRequestPage,
        kTradeResponsePage,
        kPowerComparePage,
        kInfluenceComparePage,
        kWinProgressPage,
        kRaidPage,
        kTradePage,
        kTradeItemsPage,
        kTreatiesPage,
        kPageCount,
        kNoPage = -1,
    };

    struct Card {
        // Parented to the relations menu; 64 x 64.
        std::unique_ptr<UIMenu> card;
        UIWidget* nameWidget = nullptr;
        // The name over the card.
        UIWidget* label = nullptr;
        UIWidget* eliminatedSign = nullptr;
        int32_t covenant = -1;
        bool selected = false;
    };
    struct Series {
        int32_t category = 0;
        bool shown = true;
    };

    UIRelationsMenu();
    ~UIRelationsMenu() override;

    void Draw() override;
    void Update(float seconds) override;
    bool HandleKey(int32_t key, bool down, bool repeat) override;
    bool HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y) override;
    void OnShow(bool firstTime) override;
    void OnHide() override;
    bool GetHighlightInfo(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                          float extent[2], float& backgroundAlpha) override;
    void HandleMenuCommand(const std::string& line) override;
    UIWidget* WidgetAt(int32_t x, int32_t y, bool skipHelpBoxes) override;
    // The current page's widgets; the cards on the main page, the chosen covenant's name and words
    // on a page about it.
    void GetDrawnExtras(std::vector<const UIWidget*>& out) const override;

    // Every page change goes through it: the local player trades exactly while the trade request
    // or traded-items page is current.
    void SwitchTo(int32_t page);
    // The trade request page on the first covenant with a diplomacy record, else the main page.
    void ShowDefault();
    // The diplomacy page on the covenant; nothing for -1.
    void TalkTo(int32_t covenant);
    // The raid order on the selected covenant with the picked rows of the raid page's list (none
    // picked, the hero alone); a notice instead when there is no covenant to raid or more are
    // picked than a raid takes.
    void StartRaid();

    // The page menu of that kind, made a page of this menu; null when the UI system has none.
    UIMenu* FindPage(int32_t page);
    // A command of this menu's own, which its pages' lines may run; the layout checker asks.
    static bool IsPageCommand(const std::string& menuName, const std::string& command);
    UIMenu* GetCurrentPage() { return FindPage(currentPage); }
    // The ring: the local covenant takes slot 0, the others follow in index order.
    static int32_t RingSlot(int32_t covenant, int32_t localCovenant);
    // The centre of slot k of n on the ring of the UI system's settings.
    static void RingPosition(int32_t slot, int32_t count, float& x, float& y);
    // A colour-table entry; an index outside the table gives entry 0.
    static Color TableColor(int32_t index);
    // The relation colour between the settings' low and high values: red to green.
    static Color RelationColor(float relation);
    // Null: the renderer and the screen text.
    void SetCanvas(RelationsCanvas* newCanvas) { canvas = newCanvas; }

    std::array<Card, kCardCount> covenantCards;
    std::array<Series, kPowerSeries> powerSeries;
    std::array<Series, kInfluenceSeries> influenceSeries;
    int32_t covenantCount = 0;
    int32_t selectedCovenant = -1;
    std::unique_ptr<UIWidget> selectedNameWidget;
    std::unique_ptr<UIWidget> selectedTextWidget;
    int32_t currentPage = kMainPage;
    int32_t previousPage = kNoPage;
    float powerRange[2] = {0.0f, 0.0f};
    float influenceRange[2] = {0.0f, 0.0f};
    UserVarRef showRelations;
    UserVarRef showTreaties;
    UserVarRef showTradeRoutes;
    UserVarRef simplify;

private:
    void MakeCard(int32_t index, const std::string& tooltip);
    static void FitCardLabel(Card& card, const std::string& name);
    // The covenants the cards, pairs and chart lines cover: the count, at most the 32 cards.
    int32_t CoveredCount() const;
    int32_t CardAt(int32_t x, int32_t y) const;
    bool IsCovenantPage(int32_t page) const;
    // Only the current page is shown, so that a page's lists fill each time it comes up.
    void ShowOnlyCurrentPage();
    void PlaceSelectedWidgets();
    void RefreshDiplomacy();
    std::string RaidRefusal(const UIList* list) const;
    bool RunCommand(const std::vector<std::string>& words);
    void SetSeries(bool power, const std::string& argument, int32_t how);

    // ---- The pictures (UIRelationsMenuDraw.cpp) ----
    RelationsCanvas& Canvas();
    void DrawGraph();
    // Draws the pair's lines; sets the flags of a treaty or trade line drawn.
    void DrawPair(int32_t i, int32_t j, bool& treatyDrawn, bool& tradeDrawn);
    void DrawCards();
    void DrawLegend(bool treatyDrawn, bool tradeDrawn);
    void DrawChart(bool power);
    // Each covenant's colour and name above the chart, so that a line is known before its end.
    void DrawChartLegend();
    // The chart range over the covenants' current values of the shown series.
    void ComputeRange(bool power, float range[2]) const;
    // The shown series' weighted sum at a history point, or at the current values for point -1.
    float ChartValue(bool power, int32_t covenant, int32_t point) const;
    void ChartPoint(bool power, int32_t covenant, int32_t step, int32_t steps, const float range[2], float& x,
                    float& y) const;
    // The names at the lines' ends, each centred on its end where it can be and moved apart from
    // the others (covenants of equal value end at one point) within the chart's height.
    void DrawChartEndNames(std::vector<ChartEndName>& names);

    RelationsCanvas ownCanvas;
    RelationsCanvas* canvas = nullptr;
    // Kept between frames, so that a steady chart draws without allocating.
    std::vector<ChartEndName> chartEndNames;
};
