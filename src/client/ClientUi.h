// ClientUi -- what the client asks of the user interface: menu lines, the help topic a game starts with, the lines run when it starts, the tutorial hints, the quest list, and its turn at keys and clicks.
#pragma once

#include "core/Vector.h"

#include <cstdint>
#include <string>
#include <vector>

class ClientUi {
public:
    virtual ~ClientUi() = default;

    // "showMenu <name>" and "hideMenu <name>" lines.
    virtual void RunMenuLine(const std::string& line) = 0;
    // The first topic of the help chain shown when a game starts; empty for none.
    virtual std::string GetStartTopic() const = 0;
    // The lines run, in order, when a game's first update arrives.
    virtual std::vector<std::string> GetGameStartLines() const = 0;
    virtual void OnNewWorld() = 0;
    // The menu of the name brought up to date against its conditions; nothing without one.
    virtual void RefreshMenu(const std::string&) {}

    // ---- Tutorial hints: the interface's list, each hint with its trigger and next names ----
    // Without an interface there are none.
    virtual int32_t GetHintCount() const { return 0; }
    // The hint whose trigger name is exactly the name; -1 for none.
    virtual int32_t FindHint(const std::string&) const { return -1; }
    // The trigger name of the hint that follows; empty at the end of a chain.
    virtual std::string GetNextHintName(int32_t) const { return {}; }
    virtual void ShowHint(int32_t) {}
    // A new quest asks to be shown: the quest menu opens (when there is one) with its slot selected.
    virtual void ShowQuestSlot(int32_t) {}

    // ---- Music and the texts over the world view ----
    // The music the shown menus ask for; empty when none does.
    virtual std::string GetMenuMusic() { return {}; }
    // Where refused actions, notices and the message log show their texts.
    enum class TextPosition { Refusal, Notice, Log };
    virtual Vector2 GetTextPosition(TextPosition) const { return {}; }
    // The game is over: the open menus close before its screen opens.
    virtual void HideMenus() {}
    // The numbers rising over the entities, each switched by the player; a raid may hide both.
    // Without an interface every number shows.
    virtual bool ShowDamageNumbers() const { return true; }
    virtual bool ShowXpNumbers() const { return true; }

    // While the game is paused: a shown menu wants the live effects and models kept moving.
    virtual bool WantsEffectsWhilePaused() { return false; }

    // ---- Input, after the console and before the world: true when the interface took it ----
    virtual bool HandleKey(int32_t, bool, bool) { return false; }
    virtual bool HandleMouseButton(int32_t, bool, int32_t, int32_t) { return false; }
    // The wheel, told its direction (up: away from the user).
    virtual bool HandleWheel(bool) { return false; }
    // A menu that takes the input: clicks go no further than the interface.
    virtual bool IsBlockingMenuShown() const { return false; }
    // Every menu's player-changed step: a new local player stands.
    virtual void NotifyPlayerChanged() {}
    // Every widget's one-argument notification with the value; the local player sends its new
    // class with it.
    virtual void NotifyAllWidgets(int32_t) {}
};
