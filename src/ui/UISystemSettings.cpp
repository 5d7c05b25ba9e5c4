// UISystemSettings -- the UI system's layout and behaviour settings read from the game database's "UISystem" record.
#include "ui/UISystem.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "resources/fonts/ScreenText.h"

#include <cstdio>

namespace {

// Two numbers separated by blanks; a missing one is 0.
void SettingsReadPair(const DatabaseEntry& record, const char* key, float (&out)[2])
{
    out[0] = 0.0f;
    out[1] = 0.0f;
    std::string text = record.GetString(key);
    if (std::sscanf(text.c_str(), "%f %f", &out[0], &out[1]) < 2)
        out[1] = 0.0f;
}

Vector2 SettingsReadVector(const DatabaseEntry& record, const char* key)
{
    float pair[2];
    SettingsReadPair(record, key, pair);
    return Vector2{pair[0], pair[1]};
}

float SettingsReadNumber(const DatabaseEntry& record, const char* key)
{
    return record.GetFloat(key, 0.0f);
}

std::vector<std::string> SettingsReadList(const DatabaseEntry& record, const char* key)
{
    std::vector<std::string> list;
    record.GetStringList(key, list, true, true);
    return list;
}

// A font named by its name alone lives in "fonts" with the "fnt" ending.
std::string SettingsFontPath(const std::string& name)
{
    std::string path = StringToLower(name);
    if (path.empty())
        return path;
    if (!StringStartsWithNoCase(path, "fonts/"))
        path = "fonts/" + path;
    EnsureExtension(path, "fnt");
    return path;
}

} // namespace

void UISystem::LoadSettings()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("UISystem") : nullptr;
    if (!record)
        return;
    const DatabaseEntry& r = *record;
    UiSettings& s = settings;
    SettingsReadPair(r, "CenterTextPosition", s.centerTextPosition);
    SettingsReadPair(r, "RelationChangeTextPosition", s.relationChangeTextPosition);
    s.logPosition = SettingsReadVector(r, "EventsTextPosition");
    s.logAlternateOffset = SettingsReadVector(r, "FullUseSlotsOffset");
    SettingsReadPair(r, "HelpTopicBasePosition", s.helpTopicBasePosition);
    s.helpTopicButtonOffset = SettingsReadNumber(r, "HelpTopicButtonOffset");
    s.helpTopicButtonSize = SettingsReadNumber(r, "HelpTopicButtonSize");
    SettingsReadPair(r, "MiniMapMaskPosition", s.miniMapMaskPosition);
    SettingsReadPair(r, "MiniMapMaskSize", s.miniMapMaskSize);
    s.minRelationForColoring = SettingsReadNumber(r, "MinRelationForColoring");
    s.maxRelationForColoring = SettingsReadNumber(r, "MaxRelationForColoring");
    SettingsReadPair(r, "WorldMapKeyPosition", s.worldMapKeyPosition);
    s.worldMapKeyLineSpace = SettingsReadNumber(r, "WorldMapKeyLineSpace");
    s.worldMapKeyMarkerSize = SettingsReadNumber(r, "WorldMapKeyMarkerSize");
    s.worldMapKeyTextOffset = SettingsReadNumber(r, "WorldMapKeyTextOffset");
    s.worldMapKeyFontName = SettingsFontPath(r.GetString("WorldMapKeyFontName"));
    s.scrollbarUp = r.GetString("ScrollbarUp");
    s.scrollbarDown = r.GetString("ScrollbarDown");
    s.scrollbarLeft = r.GetString("ScrollbarLeft");
    s.scrollbarRight = r.GetString("ScrollbarRight");
    s.scrollbarBar = r.GetString("ScrollbarBar");
    s.scrollbarBackground = r.GetString("ScrollbarBackground");
    s.scrollbarBarHoriz = r.GetString("ScrollbarBarHoriz");
    s.scrollbarBackgroundHoriz = r.GetString("ScrollbarBackgroundHoriz");
    s.defaultHoverColor = ParseColor(r.GetString("DefaultHoverColor"));
    s.minBusyFrames = r.GetInt("MinBusyFrames", 0);
    s.gameMenus = SettingsReadList(r, "GameMenu");
    s.firstRepeatTime = SettingsReadNumber(r, "MouseFirstRepeatTime");
    s.otherRepeatTime = SettingsReadNumber(r, "MouseOtherRepeatTime");
    SettingsReadPair(r, "RelationsCenter", s.relationsCenter);
    s.relationsRadius = SettingsReadNumber(r, "RelationsRadius");
    SettingsReadPair(r, "SideStackStart", s.sideStackStart);
    SettingsReadPair(r, "SideStackSpace", s.sideStackSpace);
    s.spaceBetweenTextLines = SettingsReadNumber(r, "SpaceBetweenTextLines");
    // The drawn lines and a scrolling text's page are measured by the one spacing: the text drawer
    // kept none while the page counted this much a line, and boxes showed fewer lines than they held.
    if (gScreenText)
        gScreenText->SetLineSpacing(s.spaceBetweenTextLines);
    SettingsReadPair(r, "RelationPicturePos", s.relationPicturePos);
    SettingsReadPair(r, "RelationNamePos", s.relationNamePos);
    s.showItemRarityOutlines = r.GetInt("ShowItemRarityOutlines", 0) != 0;
    s.gameStartLines = SettingsReadList(r, "StartGameCommand");
}
