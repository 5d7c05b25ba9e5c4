// UIRelationsMenu -- the covenant relations screen: a ring of covenant cards round the relation graph, the power and influence charts, and the pages on one covenant (diplomacy, trade, treaties, the raid order).
#include "ui/widgets/UIRelationsMenu.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "render/TextMeasure.h"
#include "resources/ResourceManager.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/UiGameView.h"
#include "ui/widgets/UICovenantTraitIcon.h"
#include "ui/widgets/UIList.h"
#include "ui/widgets/UIStatBar.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr const char* kRelationsPageNames[UIRelationsMenu::kPageCount] = {
    "RelationsMain",         "RelationsDiplomacy",        "RelationsTradeRequest", "RelationsTradeResponse",
    "RelationsPowerCompare", "RelationsInfluenceCompare", "RelationsWinProgress",  "RelationsRaid",
    "RelationsTrade",        "RelationsTradeItems",       "RelationsTreaties",
};

// Compared exactly, in this order.
constexpr const char* kRelationsCommands[] = {
    "ShowRelations",   "ShowDefaultRelations", "ShowTradeResponse",     "ShowPowerCompare", "ShowInfluenceCompare",
    "ShowWinProgress", "ShowPower",            "TogglePower",           "OnlyShowPower",    "ShowInfluence",
    "ToggleInfluence", "OnlyShowInfluence",    "RaidMenu",              "TradeMenu",        "TradeItemsMenu",
    "TreatiesMenu",    "StartRaid",            "DoneWithTradeResponse", "TalkToCovenant",
};

// The text sources of the card's widgets.
constexpr int32_t kSourceColoredCovenantName = 17;
constexpr int32_t kSourceCovenantInfluenceRank = 33;
constexpr int32_t kSourceCovenantPowerRank = 34;
constexpr int32_t kSourceCovenantTaxes = 36;
constexpr int32_t kSourceCovenantTaxesVerbose = 37;
constexpr int32_t kSourceText = 52;
constexpr int32_t kSourceRelationWithPlayer = 53;
constexpr int32_t kSourceRaidingCovenant = 65;
constexpr float kCardSize = 64.0f;
constexpr float kDegreesToRadians = 0.017453293f;

const UiGameView& RelationsView()
{
    static const UiGameView none;
    return gUISystem ? gUISystem->GetGameView() : none;
}

// A widget of the card: entity type 7 and the card's covenant, so that its texts show that covenant.
template <class Widget>
Widget* RelationsCardWidget(UIMenu& card, int32_t covenant, float x, float y, float width, float height)
{
    auto* widget = new Widget();
    widget->menu = &card;
    widget->entityType = UIEntity::EnemyCovenant;
    widget->entityIndex = covenant;
    widget->position[0] = x;
    widget->position[1] = y;
    widget->size[0] = width;
    widget->size[1] = height;
    card.AddWidget(widget);
    return widget;
}

// The card's words take the game's first, smallest font: in the widgets' default one a covenant's
// name and its three lines ran over the neighbouring cards and off the screen. They stand on a dark
// backdrop: the graph's lines run between the cards' centres, under the cards, and crossed the
// names written there.
void RelationsCardWords(UIWidget& widget)
{
    widget.useTextBackdrop = true;
    const std::string& name = gGameData ? gGameData->GetTextFontName(0) : std::string();
    if (name.empty() || !gResourceManager)
        return;
    widget.font.Reset();
    gResourceManager->Load(name, widget.font);
}

// The rows picked in the list, in row order, after the covenant; the host takes ten raiders at
// most and refuses a longer line whole, so the rest stay behind.
std::string RelationsRaidLine(int32_t covenant, const UIList* list)
{
    std::string line = StringFormat("serverCommand Raid %d", covenant);
    std::vector<std::string> picked;
    if (list)
        list->GetSelectedValues(picked);
    for (size_t i = 0; i < picked.size() && i < static_cast<size_t>(UIRelationsMenu::kMaxRaiders); ++i)
        line += " " + picked[i];
    return line;
}

} // namespace

UIRelationsMenu::UIRelationsMenu()
{
    name = "CovenantRelations";
    fullScreen = true;
    std::string tooltip = StringFormat("%c%c%03d", '^', 'c', 8) + "\n$$LeftClickToTalkToCovenant$$" +
                          "\n$$RightClickToSelectDeselectCovenant$$";
    for (int32_t i = 0; i < kCardCount; ++i)
        MakeCard(i, tooltip);
    selectedNameWidget = std::make_unique<UIWidget>();
    selectedTextWidget = std::make_unique<UIWidget>();
    for (UIWidget* widget : {selectedNameWidget.get(), selectedTextWidget.get()}) {
        widget->menu = this;
        widget->entityType = UIEntity::EnemyCovenant;
    }
    selectedNameWidget->size[0] = 200.0f;
    selectedNameWidget->size[1] = 20.0f;
    selectedTextWidget->size[0] = 280.0f;
    selectedTextWidget->size[1] = 60.0f;
    PlaceSelectedWidgets();
    for (int32_t k = 0; k < kPowerSeries; ++k)
        powerSeries[static_cast<size_t>(k)].category = k;
    for (int32_t k = 0; k < kInfluenceSeries; ++k)
        influenceSeries[static_cast<size_t>(k)].category = k;
    if (gUserVarSystem) {
        showRelations = gUserVarSystem->RegisterVar("rel_showRelations", "1");
        showTreaties = gUserVarSystem->RegisterVar("rel_showTreaties", "1");
        showTradeRoutes = gUserVarSystem->RegisterVar("rel_showTradeRoutes", "1");
        simplify = gUserVarSystem->RegisterVar("rel_simplify", "1");
    }
    // The pages are found when first needed: they load after this menu, and a scratch copy
    // (the layout checker's) must not take them.
    currentPage = kMainPage;
    previousPage = kNoPage;
}

UIRelationsMenu::~UIRelationsMenu() = default;

bool UIRelationsMenu::IsPageCommand(const std::string& menuName, const std::string& command)
{
    bool ours = menuName == "CovenantRelations" ||
                std::find(std::begin(kRelationsPageNames), std::end(kRelationsPageNames), menuName) !=
                    std::end(kRelationsPageNames);
    return ours && std::find(std::begin(kRelationsCommands), std::end(kRelationsCommands), command) !=
                       std::end(kRelationsCommands);
}

void UIRelationsMenu::MakeCard(int32_t index, const std::string& tooltip)
{
    Card& record = covenantCards[static_cast<size_t>(index)];
    record.covenant = index;
    record.card = std::make_unique<UIMenu>();
    UIMenu& card = *record.card;
    card.name = StringFormat("CovenantCard%d", index);
    card.parent = this;
    card.visible = true;
    card.size[0] = kCardSize;
    card.size[1] = kCardSize;
    UIWidget* nameWidget = RelationsCardWidget<UIWidget>(card, index, 0.0f, 0.0f, kCardSize, kCardSize);
    nameWidget->highlightBackgroundAlpha = 1.0f;
    nameWidget->textAlignment = TextOrientation::Center;
    // A name wider than the card (a player's covenant may take 24 letters) ran over the rank and
    // tax lines beside it: it is broken into lines within the card.
    nameWidget->wrapText = true;
    RelationsCardWords(*nameWidget);
    nameWidget->AddTextSource(kSourceColoredCovenantName, "", true);
    nameWidget->AddTextSource(kSourceText, "\n", true);
    nameWidget->AddTextSource(kSourceRelationWithPlayer, "", true);
    nameWidget->AddTextSource(kSourceRaidingCovenant, "", true);
    nameWidget->AddTextSource(kSourceText, tooltip, true);
    record.nameWidget = nameWidget;
    // The name over the card reaches a card's width past each side: a covenant's one long word
    // ("Swiftfeather") broke in two in the card's width and rose over the page's hint.
    UIWidget* label = RelationsCardWidget<UIWidget>(card, index, -kCardSize / 2.0f, -12.0f, 2.0f * kCardSize, 10.0f);
    label->AddTextSource(kSourceColoredCovenantName, "");
    label->textAlignment = TextOrientation::Center;
    RelationsCardWords(*label);
    record.label = label;
    // A 64 x 15 line across the middle of the card.
    UIWidget* sign = RelationsCardWidget<UIWidget>(card, index, 0.0f, (kCardSize - 15.0f) / 2.0f, kCardSize, 15.0f);
    sign->text = "$$Eliminated$$";
    sign->textAlignment = TextOrientation::Center;
    sign->visible = false;
    RelationsCardWords(*sign);
    record.eliminatedSign = sign;
    // The lines are as wide as the card: in 50 units a tax of three figures broke onto a second
    // line, which rose under the power line's backdrop.
    const int32_t lines[] = {kSourceCovenantInfluenceRank, kSourceCovenantPowerRank, kSourceCovenantTaxes};
    for (size_t line = 0; line < std::size(lines); ++line) {
        UIWidget* text =
            RelationsCardWidget<UIWidget>(card, index, 66.0f, 15.0f * static_cast<float>(line), kCardSize, 15.0f);
        text->AddTextSource(lines[line], "");
        text->textAlignment = TextOrientation::CenterLeft;
        RelationsCardWords(*text);
        if (lines[line] == kSourceCovenantTaxes)
            text->AddTextSource(kSourceCovenantTaxesVerbose, "", true);
    }
    auto* health = RelationsCardWidget<UIStatBar>(card, index, 0.0f, 69.0f, kCardSize, 5.0f);
    health->SetTexture("Textures/UI/gradiant_green.tga");
    health->statType = StatType::Other;
    health->statIndex = StatOtherIndex::CovenantHealth;
    health->secondStatIndex = StatOtherIndex::CovenantMaxHealth;
    health->highlightText = "$$CovenantLifestoneHealth$$\n";
    for (int32_t slot = 0; slot < 2; ++slot) {
        auto* icon = RelationsCardWidget<UICovenantTraitIcon>(card, index, 4.0f + 32.0f * static_cast<float>(slot),
                                                              77.0f, 24.0f, 24.0f);
        icon->traitSlot = slot;
    }
}

// ---- Pages ----

UIMenu* UIRelationsMenu::FindPage(int32_t page)
{
    if (page < 0 || page >= kPageCount || !gUISystem)
        return nullptr;
    UIMenu* found = gUISystem->FindMenu(kRelationsPageNames[page]);
    if (!found || found == this)
        return nullptr;
    // Its command lines run through this menu; the UI system leaves a page to it.
    if (found->parent != this && !found->SetParent(this))
        return nullptr;
    found->subMenu = true;
    return found;
}

// What Draw draws: the current page's widgets, and the cards on the main page or the chosen
// covenant's name and words on a page about it.
void UIRelationsMenu::GetDrawnExtras(std::vector<const UIWidget*>& out) const
{
    const UIMenu* page = gUISystem && currentPage >= 0 && currentPage < kPageCount
                             ? gUISystem->FindMenu(kRelationsPageNames[currentPage])
                             : nullptr;
    if (!page || page == this)
        return;
    out.insert(out.end(), page->GetWidgets().begin(), page->GetWidgets().end());
    switch (currentPage) {
    case kMainPage:
        for (int32_t i = 0; i < CoveredCount(); ++i)
            for (const UIWidget* widget : covenantCards[static_cast<size_t>(i)].card->GetWidgets())
                out.push_back(widget);
        break;
    case kPowerComparePage:
    case kInfluenceComparePage:
    case kWinProgressPage: break;
    default:
        out.push_back(selectedNameWidget.get());
        out.push_back(selectedTextWidget.get());
        break;
    }
}

bool UIRelationsMenu::IsCovenantPage(int32_t page) const
{
    switch (page) {
    case kDiplomacyPage:
    case kTradeRequestPage:
    case kTradeResponsePage:
    case kRaidPage:
    case kTradePage:
    case kTradeItemsPage:
    case kTreatiesPage: return true;
    default: return false;
    }
}

void UIRelationsMenu::ShowOnlyCurrentPage()
{
    for (int32_t kind = 0; kind < kPageCount; ++kind) {
        UIMenu* page = FindPage(kind);
        if (page && page->visible != (kind == currentPage))
            page->SetVisible(kind == currentPage, true);
    }
}

void UIRelationsMenu::SwitchTo(int32_t page)
{
    currentPage = page;
    if (IsShown())
        ShowOnlyCurrentPage();
    const UiGameView& view = RelationsView();
    if (view.HasLocalPlayer())
        view.SetPlayerTrading(page == kTradeRequestPage || page == kTradeItemsPage);
}

void UIRelationsMenu::ShowDefault()
{
    previousPage = kNoPage;
    const UiGameView& view = RelationsView();
    int32_t covenant = view.HasCovenantMirror() ? view.FindDiplomacyRecord() : -1;
    if (covenant == -1) {
        SwitchTo(kMainPage);
        return;
    }
    SwitchTo(kTradeRequestPage);
    selectedCovenant = covenant;
    // The pages on from here (its trade, its items and their Offer, the answer) deal with this
    // covenant, as after a click on its card; they dealt with whichever the trade window last had.
    ExecuteCommandLine(StringFormat("TalkToCovenant %d", covenant));
    RefreshDiplomacy();
    int32_t kind = view.GetDiplomacyRecordKind(covenant);
    view.SetDiplomacyText(covenant, kind == 1 ? 7 : kind == 2 ? 6 : 5);
}

void UIRelationsMenu::TalkTo(int32_t covenant)
{
    if (covenant == -1)
        return;
    selectedCovenant = covenant;
    // The trade window deals with the covenant talked to here: without this its key and the
    // in-game button could only reach a covenant one of whose creatures stands chosen nearby.
    ExecuteCommandLine(StringFormat("TalkToCovenant %d", covenant));
    SwitchTo(kDiplomacyPage);
}

void UIRelationsMenu::PlaceSelectedWidgets()
{
    if (!gUISystem)
        return;
    const UiSettings& settings = gUISystem->settings;
    std::copy(std::begin(settings.relationNamePos), std::end(settings.relationNamePos), selectedNameWidget->position);
    std::copy(std::begin(settings.relationPicturePos), std::end(settings.relationPicturePos),
              selectedTextWidget->position);
}

// A covenant the list no longer has (a new world, a stale target) shows nothing.
void UIRelationsMenu::RefreshDiplomacy()
{
    UiCovenantFacts covenant;
    bool known = RelationsView().GetCovenant(selectedCovenant, covenant);
    if (selectedNameWidget->text != covenant.name)
        selectedNameWidget->SetText(covenant.name);
    selectedNameWidget->entityIndex = selectedCovenant;
    selectedTextWidget->entityIndex = selectedCovenant;
    std::string description = known ? covenant.description : std::string();
    StringReplaceAll(description, "\\n", "\n");
    selectedTextWidget->SetText(description);
}

// ---- Show, hide and the frame ----

void UIRelationsMenu::OnShow(bool firstTime)
{
    PlaceSelectedWidgets();
    ShowDefault();
    ShowOnlyCurrentPage();
    if (firstTime)
        for (Card& card : covenantCards)
            card.selected = true;
    RelationsView().OfferHelpTopic("Influence");
}

void UIRelationsMenu::OnHide()
{
    const UiGameView& view = RelationsView();
    view.ShowAllDiplomacyRecords();
    view.SetPlayerTrading(false);
    // Shown again with this menu, so that its lists fill afresh.
    for (int32_t kind = 0; kind < kPageCount; ++kind)
        if (UIMenu* page = FindPage(kind); page && page->visible)
            page->SetVisible(false, true);
}

int32_t UIRelationsMenu::CoveredCount() const
{
    return std::clamp(covenantCount, 0, kCardCount);
}

void UIRelationsMenu::Update(float seconds)
{
    if (!IsShown())
        return;
    UIMenu::Update(seconds);
    const UiGameView& view = RelationsView();
    covenantCount = view.GetCovenantCount();
    int32_t local = view.GetPlayerCovenantIndex();
    for (int32_t i = 0; i < CoveredCount(); ++i) {
        Card& card = covenantCards[static_cast<size_t>(i)];
        UiCovenantFacts covenant;
        view.GetCovenant(i, covenant);
        if (card.nameWidget->text != covenant.name) {
            card.nameWidget->SetText(covenant.name);
            FitCardLabel(card, covenant.name);
        }
        float x = 0.0f;
        float y = 0.0f;
        RingPosition(RingSlot(i, local), covenantCount, x, y);
        card.card->position[0] = x - kCardSize / 2.0f;
        card.card->position[1] = y - kCardSize / 2.0f;
    }
    if (currentPage == kDiplomacyPage)
        RefreshDiplomacy();
    if (UIMenu* page = GetCurrentPage())
        page->Update(seconds);
}

// A name one line across two cards' width stands over the card that wide; a longer one (a
// player's covenant may take 24 letters) breaks into lines within the card's own width, where
// its lines stay clear of the rank lines beside the card.
void UIRelationsMenu::FitCardLabel(Card& card, const std::string& name)
{
    bool oneLine = MeasureTextA(name, card.label->font.GetValue()).width <= 2.0f * kCardSize;
    card.label->position[0] = oneLine ? -kCardSize / 2.0f : 0.0f;
    card.label->size[0] = oneLine ? 2.0f * kCardSize : kCardSize;
}

int32_t UIRelationsMenu::RingSlot(int32_t covenant, int32_t localCovenant)
{
    if (covenant == localCovenant)
        return 0;
    return covenant > localCovenant ? covenant : covenant + 1;
}

void UIRelationsMenu::RingPosition(int32_t slot, int32_t count, float& x, float& y)
{
    const UiSettings* settings = gUISystem ? &gUISystem->settings : nullptr;
    float angle = (count > 0 ? -360.0f / static_cast<float>(count) * static_cast<float>(slot) : 0.0f) - 90.0f;
    float radius = settings ? settings->relationsRadius : 0.0f;
    x = (settings ? settings->relationsCenter[0] : 0.0f) + radius * std::cos(angle * kDegreesToRadians);
    y = (settings ? settings->relationsCenter[1] : 0.0f) + radius * std::sin(angle * kDegreesToRadians);
}

// ---- Input ----

bool UIRelationsMenu::HandleKey(int32_t key, bool down, bool repeat)
{
    if (!TakesInput())
        return false;
    UIMenu* page = GetCurrentPage();
    if (page && page->HandleKey(key, down, repeat))
        return true;
    return UIMenu::HandleKey(key, down, repeat);
}

int32_t UIRelationsMenu::CardAt(int32_t x, int32_t y) const
{
    for (int32_t i = 0; i < CoveredCount(); ++i) {
        const UIMenu& card = *covenantCards[static_cast<size_t>(i)].card;
        if (x >= card.position[0] && x <= card.position[0] + card.size[0] && y >= card.position[1] &&
            y <= card.position[1] + card.size[1])
            return i;
    }
    return -1;
}

bool UIRelationsMenu::HandleMouseButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!TakesInput())
        return false;
    UIMenu* page = GetCurrentPage();
    if (page && page->HandleMouseButton(button, down, x, y))
        return true;
    if (!down || currentPage != kMainPage || !page)
        return false;
    int32_t index = CardAt(x, y);
    const UiGameView& view = RelationsView();
    UiCovenantFacts covenant;
    if (index < 0 || !view.GetCovenant(index, covenant) || covenant.defeated)
        return false;
    if (button == 1) {
        Card& card = covenantCards[static_cast<size_t>(index)];
        card.selected = !card.selected;
        return true;
    }
    if (button == 0 && index != view.GetPlayerCovenantIndex())
        TalkTo(index);
    return false;
}

UIWidget* UIRelationsMenu::WidgetAt(int32_t x, int32_t y, bool skipHelpBoxes)
{
    if (!IsShown())
        return nullptr;
    UIMenu* page = GetCurrentPage();
    if (UIWidget* widget = page ? page->WidgetAt(x, y, skipHelpBoxes) : nullptr)
        return widget;
    return UIMenu::WidgetAt(x, y, skipHelpBoxes);
}

bool UIRelationsMenu::GetHighlightInfo(int32_t x, int32_t y, std::string& text, std::string& title, float position[2],
                                       float extent[2], float& backgroundAlpha)
{
    if (!IsShown())
        return false;
    UIWidget& named = *selectedNameWidget;
    if (IsCovenantPage(currentPage) && named.IsVisible() && named.HitTest(static_cast<float>(x), static_cast<float>(y)) &&
        named.GetHelpText(x, y, text, title)) {
        position[0] = named.GetScreenPosition().x;
        position[1] = named.GetScreenPosition().y;
        extent[0] = named.size[0];
        extent[1] = named.size[1];
        backgroundAlpha = named.highlightBackgroundAlpha;
        return true;
    }
    if (currentPage == kMainPage)
        for (int32_t i = 0; i < CoveredCount(); ++i)
            if (covenantCards[static_cast<size_t>(i)].card->GetHighlightInfo(x, y, text, title, position, extent,
                                                                             backgroundAlpha))
                return true;
    UIMenu* page = GetCurrentPage();
    if (page && page->GetHighlightInfo(x, y, text, title, position, extent, backgroundAlpha))
        return true;
    return UIMenu::GetHighlightInfo(x, y, text, title, position, extent, backgroundAlpha);
}

// ---- Commands ----

void UIRelationsMenu::HandleMenuCommand(const std::string& line)
{
    std::vector<std::string> words = CommandSystem::ParseLine(line);
    if (words.empty() || !RunCommand(words))
        UIMenu::HandleMenuCommand(line);
}

void UIRelationsMenu::SetSeries(bool power, const std::string& argument, int32_t how)
{
    Series* first = power ? powerSeries.data() : influenceSeries.data();
    int32_t count = power ? kPowerSeries : kInfluenceSeries;
    int32_t category = ParseInt(argument);
    if (category < 0 || category >= count) {
        DebugSystem::Print(kPrintWarning, "Relations: no chart series %d\n", category);
        return;
    }
    Series& series = first[category];
    if (how == 1) {
        series.shown = !series.shown;
        return;
    }
    if (how == 2)
        for (int32_t k = 0; k < count; ++k)
            first[k].shown = false;
    series.shown = true;
}

bool UIRelationsMenu::RunCommand(const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    const std::string argument = words.size() > 1 ? words[1] : std::string();
    auto found = std::find_if(std::begin(kRelationsCommands), std::end(kRelationsCommands),
                              [&command](const char* name) { return command == name; });
    if (found == std::end(kRelationsCommands))
        return false;
    switch (std::distance(std::begin(kRelationsCommands), found)) {
    case 0: SwitchTo(kMainPage); break;
    case 1: ShowDefault(); break;
    case 2:
        previousPage = currentPage;
        SwitchTo(kTradeResponsePage);
        break;
    case 3: SwitchTo(kPowerComparePage); break;
    case 4: SwitchTo(kInfluenceComparePage); break;
    case 5: SwitchTo(kWinProgressPage); break;
    case 6: SetSeries(true, argument, 0); break;
    case 7: SetSeries(true, argument, 1); break;
    case 8: SetSeries(true, argument, 2); break;
    case 9: SetSeries(false, argument, 0); break;
    case 10: SetSeries(false, argument, 1); break;
    case 11: SetSeries(false, argument, 2); break;
    case 12: SwitchTo(kRaidPage); break;
    case 13: SwitchTo(kTradePage); break;
    case 14: SwitchTo(kTradeItemsPage); break;
    case 15: SwitchTo(kTreatiesPage); break;
    case 16: StartRaid(); break;
    case 17:
        if (previousPage == kTradePage || previousPage == kTradeItemsPage)
            SwitchTo(previousPage);
        else
            ShowDefault();
        break;
    default: {
        const UiGameView& view = RelationsView();
        UiEntityFacts target;
        if (view.GetTargetEntity(target))
            TalkTo(target.covenant);
        break;
    }
    }
    return true;
}

void UIRelationsMenu::StartRaid()
{
    UIMenu* page = FindPage(kRaidPage);
    const auto* list = page ? dynamic_cast<const UIList*>(page->FindWidget("RaidNpcList")) : nullptr;
    std::string refusal = RaidRefusal(list);
    if (!refusal.empty()) {
        if (gUISystem)
            gUISystem->GetGameView().ShowMessage(refusal);
        return;
    }
    ExecuteCommandLine(RelationsRaidLine(selectedCovenant, list));
    // The screen gives way to the hero riding out. Mended: opened by its key it stands on the
    // menu stack, not visible, and stayed over the world as though the order had gone nowhere.
    if (IsShown())
        HideOrPop();
}

// Why the raid page's order cannot go, as a notice; empty when it can.
std::string UIRelationsMenu::RaidRefusal(const UIList* list) const
{
    const UiGameView& view = RelationsView();
    UiCovenantFacts covenant;
    if (!view.GetCovenant(selectedCovenant, covenant) || covenant.defeated ||
        selectedCovenant == view.GetPlayerCovenantIndex())
        return "$$RaidNoTarget$$";
    // Nobody ticked, or nobody to tick, is no refusal: the hero rides out alone.
    std::vector<std::string> picked;
    if (list)
        list->GetSelectedValues(picked);
    // The world host takes the hero and at most this many more into a raid's party, and would
    // turn the rest away once the hero had left.
    int32_t room = gGameData ? gGameData->GetTuning().maxRaidGroupSize - 1 : 0;
    if (static_cast<int32_t>(picked.size()) > room)
        return MakeLocToken("RaidGroupFull", "%d", std::max(room, 0));
    return {};
}
