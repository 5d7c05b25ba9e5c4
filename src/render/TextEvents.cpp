// TextEvents -- the timed messages over the world view: floating notices and the message log, which keeps its lines after they fade so the player can scroll back and the save keeps them.
#include "render/TextEvents.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"
#include "render/FrameScene.h"
#include "render/FrameUi.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"

#include <algorithm>
#include <cmath>
#include <limits>

TextEvents* gTextEvents = nullptr;

namespace {

// Slot counts for lines stacked upwards are kept for kinds 0 to 8.
constexpr int32_t kTextEventsStackKinds = 9;
constexpr float kTextEventsFadeSeconds = 1.0f;
constexpr float kTextEventsBackgroundAlpha = 0.75f;
// A notice's box reaches this far past its words.
constexpr float kTextEventsNoticeMargin = 3.0f;
// A map notice seen while a menu covers its place moves to the corner.
constexpr int32_t kTextEventsCornerKind = 6;
// Lines keep this far from the 640-wide screen's edges; a line from farther right than the last
// room's start still wraps at that width and runs off the edge rather than one glyph a line.
constexpr float kTextEventsEdge = 5.0f;
constexpr float kTextEventsMinRoom = 120.0f;
// A centred notice wraps inside the middle band (126 .. 514), clear of the HUD's buttons under the
// mini-map (from x 518): a refusal as wide as the screen ran under them and could not be read.
constexpr float kTextEventsCentredRoom = 388.0f;
// A notice with no room is tried again this much narrower, on more lines, down to the least room.
constexpr float kTextEventsNarrowerStep = 0.75f;
// A notice put on the log stays fresh there as long as the client's own log lines.
constexpr float kTextEventsLogSeconds = 30.0f;
// What a notice covers where it would cross the words or pictures of a menu that fills the screen:
// it may not stand there.
constexpr float kTextEventsNowhere = std::numeric_limits<float>::infinity();

TimeStamp TextEventsNow()
{
    return gTimerSystem ? gTimerSystem->GetClock() : TimeStamp{};
}

TimeStamp TextEventsLater(TimeStamp stamp, float seconds)
{
    stamp.seconds += seconds;
    stamp.Normalize();
    return stamp;
}

int32_t TextEventsFont(int32_t position)
{
    return gScreenText ? static_cast<int32_t>(gScreenText->GetLadderFont(position)) : -1;
}

WString TextEventsWiden(std::string_view text)
{
    if (gLocSystem)
        return gLocSystem->TranslateToWide(text);
    WString wide;
    for (char c : text)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}

// The line broken where it would run past the screen's right edge (centred: past either edge).
WString TextEventsFitScreen(WString wide, int32_t font, float x, bool centred)
{
    float room = centred ? kTextEventsCentredRoom : 640.0f - kTextEventsEdge - x;
    room = std::max(room, kTextEventsMinRoom);
    if (MeasureTextW(font, wide).width <= room)
        return wide;
    return WrapTextW(font, wide, room);
}

} // namespace

void TextEvents::RegisterCommands()
{
    maxSavedVar = gUserVarSystem->RegisterVar("ui_maxTextEventsSaved", "100");
    browseTimeVar = gUserVarSystem->RegisterVar("ui_textEventsTime", "30.0");
    // The interface's own settings, read here; whichever registers first gives the default.
    drawUiVar = gUserVarSystem->RegisterVar("drawUI", "1");
    maxShownVar = gUserVarSystem->RegisterVar("ui_maxTextEventsShown", "10");
    fullUseSlotsVar = gUserVarSystem->RegisterVar("fullUseSlots", "0");
    gCommandSystem->RegisterCommand(
        "nextTextEvent", [this](const std::vector<std::string>&) { NextTextEvent(); }, "Goes to the next text event",
        "", "");
    gCommandSystem->RegisterCommand(
        "prevTextEvent", [this](const std::vector<std::string>&) { PrevTextEvent(); }, "Goes to the prev text event",
        "", "");
    gCommandSystem->RegisterCommand(
        "resetTextEvent", [this](const std::vector<std::string>&) { ResetTextEvent(); }, "Resets the text events", "",
        "");
}

void TextEvents::AddTextEvent(std::string_view text, float x, float y, float duration, int32_t kind, bool centred,
                              bool allowMultiple)
{
    // The record found is one of this object's own, reused in place.
    Record* record = allowMultiple ? nullptr : const_cast<Record*>(FindTextEvent(kind));
    if (!record)
        record = &records.emplace_back();
    record->text = std::string(text);
    int32_t font = TextEventsFont(kind == kLogKind ? 0 : 1);
    record->displayText = TextEventsFitScreen(TextEventsWiden(text), font, x, centred);
    TextSize measured = MeasureTextW(font, record->displayText);
    record->width = measured.width;
    record->height = measured.height;
    record->kind = kind;
    record->placed = false;
    record->said = ++lastSaid;
    record->allowMultiple = allowMultiple;
    TimeStamp now = TextEventsNow();
    record->expiry = TextEventsLater(now, duration);
    record->fadeEnd = TextEventsLater(now, duration + kTextEventsFadeSeconds);
    record->centred = centred;
    // A slot reused by another sender is no longer the world's notice.
    record->world = false;
    if (centred) {
        TextSize size = MeasureTextW(TextEventsFont(1), record->displayText);
        x = std::clamp(x - size.width * 0.5f, kTextEventsEdge,
                       std::max(kTextEventsEdge, 640.0f - kTextEventsEdge - size.width));
        y -= size.height * 0.5f;
    }
    record->x = x;
    record->y = y;
    if (kind == kLogKind) {
        ++logTotal;
        ++logActive;
    }
    record->active = true;
}

void TextEvents::AddNewsLine(std::string_view text, float x, float y, float duration)
{
    AddTextEvent(text, x, y, duration, kLogKind, false, true);
    // Log lines always stack, so the line just made is the last record.
    records.back().news = true;
}

void TextEvents::AddWorldNotice(std::string_view text, float x, float y, float duration, int32_t kind)
{
    AddTextEvent(text, x, y, duration, kind, true, false);
    // An independent notice is always a new record, the last one.
    Record* record = kind == kIndependentKind ? &records.back() : const_cast<Record*>(FindTextEvent(kind));
    if (record)
        record->world = true;
}

const TextEvents::Record* TextEvents::FindTextEvent(int32_t kind) const
{
    if (kind == kIndependentKind)
        return nullptr;
    for (const Record& record : records)
        if (record.kind == kind)
            return &record;
    return nullptr;
}

void TextEvents::ExpireTextEvents()
{
    TimeStamp now = TextEventsNow();
    int32_t maxSaved = maxSavedVar.IsValid() ? maxSavedVar.GetInt() : 100;
    for (auto it = records.begin(); it != records.end();) {
        if (it->active && it->fadeEnd <= now) {
            if (it->kind != kLogKind) {
                it = records.erase(it);
                continue;
            }
            it->active = false;
            --logActive;
            // The scrolled view stays on the same lines.
            if (browseOffset > 0)
                ++browseOffset;
        }
        if (it->kind == kLogKind && logTotal > maxSaved) {
            --logTotal;
            if (browseOffset != 0 && browseOffset + logActive > logTotal)
                browseOffset = logTotal - logActive;
            if (it->active)
                --logActive;
            it = records.erase(it);
            continue;
        }
        ++it;
    }
}

int32_t TextEvents::ShownLogLines() const
{
    int32_t maxShown = maxShownVar.IsValid() ? maxShownVar.GetInt() : 10;
    return maxShown > 0 && maxShown < logActive ? maxShown : logActive;
}

std::vector<const TextEvents::Record*> TextEvents::GetShownLogRecords() const
{
    std::vector<const Record*> shown;
    GatherShownLog(shown);
    return shown;
}

void TextEvents::GatherShownLog(std::vector<const Record*>& shown) const
{
    shown.clear();
    if (browseOffset == 0) {
        ShareFreshLogLines(shown);
        return;
    }
    int32_t skip = logTotal - ShownLogLines() - browseOffset;
    int32_t passed = 0;
    for (const Record& record : records)
        if (record.kind == kLogKind && passed++ >= skip)
            shown.push_back(&record);
}

// A burst of rival news would otherwise push the player's own fresh lines out of view before
// they were read; each side keeps at least half the rows it can fill, and what one leaves
// empty goes to the other. Lines left out stay in the log for scrolling back.
void TextEvents::ShareFreshLogLines(std::vector<const Record*>& shown) const
{
    int32_t rows = ShownLogLines();
    int32_t own = 0;
    int32_t news = 0;
    for (const Record& record : records)
        if (record.kind == kLogKind && record.active)
            ++(record.news ? news : own);
    int32_t newsRows = std::min(news, std::max(rows - own, rows / 2));
    int32_t ownRows = rows - newsRows;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (it->kind != kLogKind || !it->active)
            continue;
        int32_t& left = it->news ? newsRows : ownRows;
        if (left > 0) {
            --left;
            shown.push_back(&*it);
        }
    }
    std::reverse(shown.begin(), shown.end());
}

int32_t TextEvents::VisibleLogLines() const
{
    return browseOffset + ShownLogLines();
}

int32_t TextEvents::CountInnerNewLines(std::u16string_view text)
{
    size_t end = text.find_last_not_of(u" \t\n");
    if (end == std::u16string_view::npos)
        return 0;
    return static_cast<int32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), u'\n'));
}

void TextEvents::PrevTextEvent()
{
    browseOffset = std::min(browseOffset + 1, logTotal - logActive);
    browseOffset = std::max(browseOffset, 0);
    showUntil = TextEventsLater(TextEventsNow(), browseTimeVar.IsValid() ? browseTimeVar.GetFloat() : 30.0f);
}

void TextEvents::NextTextEvent()
{
    --browseOffset;
    if (browseOffset < 0) {
        browseOffset = 0;
        auto oldest = std::find_if(records.begin(), records.end(),
                                   [](const Record& r) { return r.kind == kLogKind && r.active; });
        if (oldest != records.end()) {
            oldest->active = false;
            --logActive;
        }
    }
    showUntil = TextEventsLater(TextEventsNow(), browseTimeVar.IsValid() ? browseTimeVar.GetFloat() : 30.0f);
}

bool TextEvents::GetLogBox(const std::vector<const Record*>& shown, float lineHeight, const FrameUi* ui,
                           const FrameScene* scene, std::array<float, 4>& box) const
{
    float widest = 0.0f;
    int32_t innerLines = 0;
    for (const Record* record : shown) {
        widest = std::max(widest, MeasureTextW(TextEventsFont(0), record->displayText).width);
        innerLines += CountInnerNewLines(record->displayText);
    }
    if (widest <= 0.0f || !scene || !scene->IsGameRunning() || !gScreenText)
        return false;
    float height = static_cast<float>(VisibleLogLines() + innerLines) * lineHeight;
    Vector2 log = ui ? ui->GetLogPosition() : Vector2{};
    float x = log.x - 2.0f;
    float y = log.y + lineHeight - height;
    if (ui && fullUseSlotsVar.IsValid() && fullUseSlotsVar.GetInt() != 0) {
        Vector2 alternate = ui->GetAlternateLogOffset();
        x += alternate.x;
        y += alternate.y;
    }
    box = {x, y, x + widest + 4.0f, y + height};
    return true;
}

void TextEvents::DrawLogBackground(const std::array<float, 4>& box) const
{
    Color black;
    ColorSystem::GetColorByIndex(black.r, black.g, black.b, 0);
    gScreenText->DrawShaderRect(backgroundShader, black, box[0], box[1], box[2], box[3], kTextEventsBackgroundAlpha,
                                false, false, 0);
}

bool TextEvents::IsUnderAWindow(const std::array<float, 4>& log, const FrameUi& ui)
{
    ui.GetWindowBoxes(windowBoxes);
    return std::any_of(windowBoxes.begin(), windowBoxes.end(), [&log](const FrameUi::WidgetBox& widget) {
        const std::array<float, 4>& box = widget.box;
        return widget.window && log[0] < box[2] && box[0] < log[2] && log[1] < box[3] && box[1] < log[3];
    });
}

// Drawn over the menus, a notice said while a window is open (a trader's refusal, the death
// screen's) was written across the window's own words: it stands on a box of the stock black, as
// the log does, and fades with its words.
void TextEvents::DrawNoticeBackground(const Record& record, float x, float y, float alpha) const
{
    if (record.width <= 0.0f || !gScreenText)
        return;
    Color black;
    ColorSystem::GetColorByIndex(black.r, black.g, black.b, 0);
    gScreenText->DrawShaderRect(backgroundShader, black, x - kTextEventsNoticeMargin, y - kTextEventsNoticeMargin,
                                x + record.width + kTextEventsNoticeMargin, y + record.height + kTextEventsNoticeMargin,
                                alpha, false, false, 0);
}

float TextEvents::WindowAreaCovered(float x, float y, const Record& record) const
{
    float left = x - kTextEventsNoticeMargin;
    float top = y - kTextEventsNoticeMargin;
    float right = x + record.width + kTextEventsNoticeMargin;
    float bottom = y + record.height + kTextEventsNoticeMargin;
    float covered = 0.0f;
    for (const FrameUi::WidgetBox& widget : windowBoxes) {
        const std::array<float, 4>& box = widget.box;
        float wide = std::min(right, box[2]) - std::max(left, box[0]);
        float high = std::min(bottom, box[3]) - std::max(top, box[1]);
        if (wide <= 0.0f || high <= 0.0f)
            continue;
        if (!widget.window)
            return kTextEventsNowhere;
        covered += wide * high;
    }
    return covered;
}

// Said while a window is open ("This trader buys guards only." with the trader's goods and the
// pack open), a notice in the middle of the screen was written across the windows' words, and
// later on their faces. It goes beside the windows where the screen has room for it, on more
// lines if need be. Where the windows leave it none it stands on its box over as little of them
// as it can: on the log it went under the trader's window and was never read.
bool TextEvents::PlaceNotice(Record& record)
{
    record.placed = true;
    Vector2 centre{record.x + record.width * 0.5f, record.y + record.height * 0.5f};
    for (float room = kTextEventsCentredRoom; room >= kTextEventsMinRoom; room *= kTextEventsNarrowerStep) {
        WrapNotice(record, room);
        if (MoveLeastCovering(record, centre, true))
            return true;
    }
    WrapNotice(record, kTextEventsCentredRoom);
    return MoveLeastCovering(record, centre, false);
}

bool TextEvents::KeepNoticeClear(Record& record, const FrameUi& ui, bool& boxesTaken)
{
    if (!boxesTaken)
        ui.GetWindowBoxes(windowBoxes);
    boxesTaken = true;
    // Placed once, it stays while what it covers stays the same; a window opened over it, or one
    // closed beside it, places it again.
    return (record.placed && WindowAreaCovered(record.x, record.y, record) == record.windowAreaCovered) ||
           PlaceNotice(record);
}

void TextEvents::WrapNotice(Record& record, float room)
{
    int32_t font = TextEventsFont(1);
    WString wide = TextEventsWiden(record.text);
    record.displayText = MeasureTextW(font, wide).width <= room ? std::move(wide) : WrapTextW(font, wide, room);
    TextSize measured = MeasureTextW(font, record.displayText);
    record.width = measured.width;
    record.height = measured.height;
}

bool TextEvents::MoveLeastCovering(Record& record, const Vector2& centre, bool clearOnly) const
{
    constexpr float kStep = 8.0f;
    float lastX = 640.0f - kTextEventsEdge - record.width;
    float lastY = 480.0f - kTextEventsEdge - record.height;
    Vector2 wanted{std::clamp(centre.x - record.width * 0.5f, kTextEventsEdge, std::max(kTextEventsEdge, lastX)),
                   std::clamp(centre.y - record.height * 0.5f, kTextEventsEdge, std::max(kTextEventsEdge, lastY))};
    float least = WindowAreaCovered(wanted.x, wanted.y, record);
    float nearest = 0.0f;
    Vector2 best = wanted;
    for (float y = kTextEventsEdge; y <= lastY; y += kStep) {
        // Once a clear place is found only a nearer row can hold a better one.
        if (least == 0.0f && std::abs(y - wanted.y) >= nearest)
            continue;
        for (float x = kTextEventsEdge; x <= lastX; x += kStep) {
            float distance = std::hypot(x - wanted.x, y - wanted.y);
            if (least == 0.0f && distance >= nearest)
                continue;
            float covered = WindowAreaCovered(x, y, record);
            if (covered < least || (covered == least && distance < nearest)) {
                least = covered;
                nearest = distance;
                best = {x, y};
            }
        }
    }
    if (least == kTextEventsNowhere || (clearOnly && least > 0.0f))
        return false;
    record.x = best.x;
    record.y = best.y;
    record.windowAreaCovered = least;
    return true;
}

// A notice with no place on the screen is kept where the player reads it once the windows close.
void TextEvents::NoticeToLog(Record& record, const FrameUi& ui)
{
    // The record goes at the next expiry; until then it is not drawn.
    TimeStamp now = TextEventsNow();
    record.expiry = now;
    record.fadeEnd = now;
    // A message the client also logs ("msg" of an adventuring or relation notice) is not logged
    // twice; the same refusal said again is, its earlier line notwithstanding.
    auto lastLog = std::find_if(records.rbegin(), records.rend(), [](const Record& r) { return r.kind == kLogKind; });
    if (lastLog != records.rend() && lastLog->text == record.text && lastLog->said > record.said)
        return;
    Vector2 at = ui.GetLogPosition();
    std::string text = record.text;
    AddTextEvent(text, at.x, at.y, kTextEventsLogSeconds, kLogKind, false, true);
}

// Log lines do not age while the player cannot read them: behind a menu (not drawn then) or a
// window, paused, or scrolled back.
void TextEvents::HoldLogLine(Record& record, float seconds, bool hidden, bool paused) const
{
    if (hidden || paused || browseOffset > 0) {
        record.expiry = TextEventsLater(record.expiry, seconds);
        record.fadeEnd = TextEventsLater(record.fadeEnd, seconds);
    }
}

void TextEvents::DrawTextEvents(bool logPass, float seconds, const FrameUi* ui, const FrameScene* scene,
                                bool mapShown)
{
    if (!gScreenText || (drawUiVar.IsValid() && !drawUiVar.GetBool()))
        return;
    float h1 = MeasureTextA("T", TextEventsFont(0)).height;
    float h2 = MeasureTextA("T", TextEventsFont(1)).height;
    TimeStamp now = TextEventsNow();
    if (browseOffset > 0 && TimeLess(showUntil, now))
        browseOffset = 0;
    // Gathered into the list kept from frame to frame: a frame's log costs no allocation.
    shownLog.clear();
    if (logPass)
        GatherShownLog(shownLog);
    // The lines tell of the world: over the map they would lie on some other level's ground.
    bool menuShown = (ui && ui->IsBlockingMenuShown()) || mapShown;
    // A notice of the world goes behind whatever stands in front of the world: it would be written
    // over the menu's own words.
    bool worldHidden = menuShown || (ui && ui->IsFullScreenMenuShown());
    std::array<float, 4> logBox{};
    bool logDrawn = logPass && !menuShown && GetLogBox(shownLog, h1, ui, scene, logBox);
    if (logDrawn)
        DrawLogBackground(logBox);
    // The log is drawn under the windows: a line said while one stands over it (a refusal the
    // trader's window and the pack left no room for) waits there until the player can read it.
    bool logCovered = logDrawn && ui && IsUnderAWindow(logBox, *ui);
    bool paused = scene && scene->IsPaused();
    bool gameRunning = scene && scene->IsGameRunning();
    bool fullUseSlots = fullUseSlotsVar.IsValid() && fullUseSlotsVar.GetInt() != 0;
    std::array<int32_t, kTextEventsStackKinds> stacked{};
    bool boxesTaken = false;
    for (Record& record : records) {
        bool isLog = record.kind == kLogKind;
        // A notice of the world is drawn with the log, before the menus, so an open window covers
        // it rather than having it written across its own words.
        if ((isLog || record.world) != logPass)
            continue;
        if (isLog) {
            HoldLogLine(record, seconds, menuShown || logCovered, paused);
            if (menuShown)
                continue;
        }
        if (record.world && worldHidden)
            continue;
        if (!gameRunning || (isLog && std::find(shownLog.begin(), shownLog.end(), &record) == shownLog.end()))
            continue;
        int32_t font = TextEventsFont(isLog ? 0 : 1);
        float lineHeight = isLog ? h1 : h2;
        float alpha = 1.0f;
        if (!TimeLess(now, record.expiry) && !(isLog && browseOffset > 0))
            alpha = std::max(0.0f, 1.0f - TimeStamp::Difference(record.expiry, now).GetTotalSeconds());
        // Gone to the log, it waits only for the next expiry.
        if (!isLog && !TimeLess(now, record.fadeEnd))
            continue;
        if (!logPass && record.centred && ui && record.kind != kTextEventsCornerKind &&
            !KeepNoticeClear(record, *ui, boxesTaken)) {
            NoticeToLog(record, *ui);
            continue;
        }
        float x = record.x;
        float y = record.y;
        if (record.kind == kTextEventsCornerKind && menuShown) {
            x = 540.0f;
            y = 5.0f;
        }
        bool stacks = record.kind >= 0 && record.kind < kTextEventsStackKinds;
        if (record.allowMultiple && stacks) {
            int32_t inner = CountInnerNewLines(record.displayText);
            y -= static_cast<float>(stacked[static_cast<size_t>(record.kind)] + inner) * lineHeight;
            stacked[static_cast<size_t>(record.kind)] += inner + 1;
        }
        if (isLog && fullUseSlots && ui) {
            Vector2 alternate = ui->GetAlternateLogOffset();
            x += alternate.x;
            y += alternate.y;
        }
        if (alpha <= 0.0f)
            continue;
        if (!logPass)
            DrawNoticeBackground(record, x, y, alpha);
        gScreenText->DrawText(font, record.displayText, static_cast<int32_t>(std::lround(x)),
                              static_cast<int32_t>(std::lround(y)), Color{1.0f, 1.0f, 1.0f}, false, alpha);
    }
}

// The count is of the lines written, not the log total: a log line added in place of another
// counts in the total twice, and a count past the lines would make the save unreadable.
void TextEvents::SaveTextEvents(MessageBuffer& buffer) const
{
    auto count = std::count_if(records.begin(), records.end(), [](const Record& r) { return r.kind == kLogKind; });
    buffer.WriteInt(static_cast<int32_t>(count));
    for (const Record& record : records)
        if (record.kind == kLogKind)
            buffer.WriteString(record.text);
}

void TextEvents::RemoveAll()
{
    records.clear();
    logTotal = logActive = browseOffset = 0;
}

bool TextEvents::LoadTextEvents(MessageBuffer& buffer, int32_t version, const Vector2& logPosition)
{
    RemoveAll();
    if (version < kFirstLogVersion)
        return true;
    int32_t count = 0;
    // Every line takes at least its terminating byte.
    if (!buffer.ReadCount(count, 1)) {
        DebugSystem::Print(2, "Text event log refused: its line count does not fit the save\n");
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        lines.push_back(buffer.ReadString());
    if (buffer.Overrun()) {
        DebugSystem::Print(2, "Text event log refused: cut after %d lines\n", count);
        return false;
    }
    RestoreLog(lines, logPosition);
    return true;
}

void TextEvents::RestoreLog(const std::vector<std::string>& lines, const Vector2& logPosition)
{
    records.remove_if([](const Record& record) { return record.kind == kLogKind; });
    logTotal = logActive = browseOffset = 0;
    for (const std::string& line : lines)
        AddTextEvent(line, logPosition.x, logPosition.y, 0.0f, kLogKind, false, true);
}
