// TextEvents -- the timed messages over the world view: floating notices and the message log, which keeps its lines after they fade so the player can scroll back and the save keeps them.
#pragma once

#include "core/BaseClass.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"
#include "core/Vector.h"
#include "render/FrameUi.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

class FrameScene;
class MessageBuffer;

// Main thread. Times are the timer's clock (gTimerSystem); without one they stand still.
class TextEvents : public BaseClass {
public:
    // 0 an independent notice; 4 a message-log line; any other kind a slot holding one event.
    static constexpr int32_t kIndependentKind = 0;
    static constexpr int32_t kLogKind = 4;
    // The first save version that carries the log.
    static constexpr int32_t kFirstLogVersion = 17;

    struct Record {
        std::string text;
        WString displayText;
        float x = 0.0f;
        float y = 0.0f;
        TimeStamp expiry;
        // A second after the expiry: the event fades out in between.
        TimeStamp fadeEnd;
        int32_t kind = kIndependentKind;
        bool allowMultiple = false;
        bool centred = false;
        bool active = true;
        // A log line of news about others, which yields the view to the player's own lines.
        bool news = false;
        // A notice of the world (the level entered): a menu in front of the world, or the map, hides it.
        bool world = false;
        // The display text's size in its font, measured as it is added.
        float width = 0.0f;
        float height = 0.0f;
        // A notice over the menus is moved clear of the windows as it is first drawn (and again
        // when a window opens over it).
        bool placed = false;
    };

    // "ui_maxTextEventsSaved", "ui_textEventsTime", and the log's "nextTextEvent",
    // "prevTextEvent" and "resetTextEvent".
    void RegisterCommands();

    // A slot kind without allowMultiple reuses its record in place. Centred: (x, y) is the
    // text's centre as measured in the second stock font.
    void AddTextEvent(std::string_view text, float x, float y, float duration, int32_t kind, bool centred,
                      bool allowMultiple);
    // A log line of news about others: kept and saved as any log line, but while the player's
    // own lines are still fresh it takes at most half of the lines shown.
    void AddNewsLine(std::string_view text, float x, float y, float duration);
    // A centred notice of the world in its slot kind: not drawn while a menu holds the game or the map stands in place of the world.
    void AddWorldNotice(std::string_view text, float x, float y, float duration, int32_t kind);
    // The first record of the kind; null for kind 0.
    const Record* FindTextEvent(int32_t kind) const;
    // Once a frame: faded notices go, faded log lines stay inactive, the oldest log lines past
    // "ui_maxTextEventsSaved" go.
    void ExpireTextEvents();
    // The log and the world's notices (logPass, drawn before the menus) or every other event, in
    // the 640 x 480 space. The interface and the
    // scene may be null: no menu then, and no game to draw for. While the world map stands in
    // place of the world (mapShown) the log is held as behind a menu.
    void DrawTextEvents(bool logPass, float seconds, const FrameUi* ui, const FrameScene* scene,
                        bool mapShown = false);

    // Every event and log line gone, the log's counts and browse offset back to 0.
    void RemoveAll();

    // The number of log lines, then each log line's text.
    void SaveTextEvents(MessageBuffer& buffer) const;
    // Empties the list, then reads the saved lines (saves from version 17) as expired log lines
    // at the log position. A count below 0 or past the bytes left, or a cut line, refuses the
    // block: false, and the log stays empty.
    bool LoadTextEvents(MessageBuffer& buffer, int32_t version, const Vector2& logPosition);
    // The log replaced by these lines, already expired: they show when the player scrolls back.
    // The other events stay.
    void RestoreLog(const std::vector<std::string>& lines, const Vector2& logPosition);

    void PrevTextEvent();
    void NextTextEvent();
    void ResetTextEvent() { browseOffset = 0; }

    // The log lines the view draws, oldest first: scrolled back, the saved lines in order;
    // otherwise the fresh lines, news taking at most half when the player's own do not fit.
    std::vector<const Record*> GetShownLogRecords() const;
    // The browse offset plus the lines shown.
    int32_t VisibleLogLines() const;
    // Log lines kept above the ones shown, which the player can scroll back to.
    int32_t GetExtraTextEventCount() const { return std::max(0, logTotal - VisibleLogLines()); }
    // New lines before the last character that is not a blank, a tab or a new line.
    static int32_t CountInnerNewLines(std::u16string_view text);

    // The texture the log's background and the notices' boxes are drawn with (a shader handle; -1
    // for none).
    void SetBackgroundShader(int32_t handle) { backgroundShader = handle; }
    const std::list<Record>& GetRecords() const { return records; }
    int32_t GetLogTotal() const { return logTotal; }
    int32_t GetLogActive() const { return logActive; }
    int32_t GetBrowseOffset() const { return browseOffset; }

private:
    int32_t ShownLogLines() const;
    // Into the list given, emptied first.
    void GatherShownLog(std::vector<const Record*>& shown) const;
    void ShareFreshLogLines(std::vector<const Record*>& shown) const;
    void DrawLogBackground(const std::vector<const Record*>& shown, float lineHeight, const FrameUi* ui,
                           const FrameScene* scene) const;
    void HoldLogLine(Record& record, float seconds, bool menuShown, bool paused) const;
    // The box a notice drawn over the menus stands on, as wide as its words and a margin.
    void DrawNoticeBackground(const Record& record, float x, float y, float alpha) const;
    // A centred notice placed as it is first drawn, and again whenever a window opened since
    // stands over it (the boxes are taken from the interface once a frame); false when it fits
    // nowhere: it then goes on the log (NoticeToLog).
    bool KeepNoticeClear(Record& record, const FrameUi& ui, bool& boxesTaken);
    // Moves the notice to the nearest place clear of the open windows and of the words and
    // pictures of a menu that fills the screen, trying it narrower, on more lines, where it does
    // not fit; false when it fits nowhere.
    bool PlaceNotice(Record& record);
    // The notice's words wrapped at the width, and its size measured again.
    static void WrapNotice(Record& record, float room);
    // The place nearest the centre where the notice's box covers none of the boxes; false when
    // there is none on the screen.
    bool MoveClear(Record& record, const Vector2& centre) const;
    // The notice, placed nowhere, becomes a line of the log and goes from its own place.
    void NoticeToLog(Record& record, const FrameUi& ui);
    // How many of the boxes the notice's box would cover at (x, y).
    int32_t CoveredWeight(float x, float y, const Record& record) const;

    std::list<Record> records;
    // The log lines the frame draws, kept so that gathering them reuses the room.
    std::vector<const Record*> shownLog;
    int32_t logTotal = 0;
    int32_t logActive = 0;
    int32_t browseOffset = 0;
    TimeStamp showUntil;
    int32_t backgroundShader = -1;
    UserVarRef maxSavedVar;
    UserVarRef browseTimeVar;
    UserVarRef drawUiVar;
    UserVarRef maxShownVar;
    UserVarRef fullUseSlotsVar;
    // The windows' boxes a notice is placed among; kept for its room.
    std::vector<FrameUi::WidgetBox> windowBoxes;
};

extern TextEvents* gTextEvents;
