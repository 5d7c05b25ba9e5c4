// CharacterExportForum -- the local character as a forum post: the sheet's sections in the forums' square-bracket tags, the game's colour codes as forum colours.
#include "client/CharacterExport.h"

#include "client/CharacterSheet.h"
#include "client/ClientCommandTable.h"
#include "client/PlayerClient.h"
#include "core/ColorCode.h"
#include "core/DebugSystem.h"

#include <utility>

namespace {

// The colours the forums know by name; every other colour shows grey.
constexpr std::pair<int32_t, const char*> kForumColors[] = {
    {1, "Red"},         {2, "Green"},       {4, "Gray"},   {5, "YellowGreen"}, {6, "Orange"},
    {8, "Cyan"},        {26, "Sienna"},     {32, "DeepSkyBlue"}, {35, "DimGray"}, {61, "SandyBrown"},
    {95, "Purple"},     {128, "Silver"},    {147, "Purple"},
};
// The pop colour ends the colour before it.
constexpr int32_t kForumPopColor = 145;

std::string ForumColorTag(int32_t index)
{
    if (index == kForumPopColor)
        return "[/COLOR]";
    const char* name = "Gray";
    for (const auto& [color, forumName] : kForumColors)
        if (color == index)
            name = forumName;
    return std::string("[COLOR=\"") + name + "\"]";
}

// The player's own name as plain text in the post: its square brackets become round ones and
// its colour codes go, so that a name cannot open, close or colour anything around it.
std::string ForumPlainName(std::string name)
{
    StripColorCodes(name);
    for (char& c : name) {
        if (c == '[')
            c = '(';
        else if (c == ']')
            c = ')';
    }
    return name;
}

void ForumFooter(std::string& text)
{
    std::string address = CharacterExport::GetHomeUrl();
    if (address.empty())
        text += CharacterExport::kFooterText;
    else
        text += "[URL=\"" + address + "\"]" + CharacterExport::kFooterText + "[/URL]";
    text += '\n';
}

} // namespace

bool CharacterExport::ExportCharacterForum()
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    std::string post;
    if (!player || !BuildForumExportText(post)) {
        DebugSystem::Print(kPrintError, "Could not export character!\n");
        return false;
    }
    return WriteExportFile(player->characterName, "txt", post, "character");
}

bool CharacterExport::BuildForumExportText(std::string& text)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    CharacterSheet sheet;
    if (!player || !BuildCharacterSheet(*player, sheet))
        return false;
    // Mended: a name holding forum tags turned the rest of the post into a link or a colour.
    std::string post = "[SIZE=\"3\"][B][CENTER]" + ForumPlainName(sheet.name) + "[/CENTER][/B][/SIZE]\n";
    post += "[SIZE=\"3\"][CENTER]" + sheet.title + "[/CENTER][/SIZE]\n";
    for (const CharacterSheetSection& section : sheet.sections) {
        post += "[SIZE=\"3\"]" + section.heading + "[/SIZE]\n\n";
        for (const std::string& line : section.lines)
            post += line + '\n';
        post += '\n';
    }
    ForumFooter(post);
    ForumTranslateColorCodes(post);
    StripColorCodes(post);
    text += post;
    return true;
}

void CharacterExport::ForumTranslateColorCodes(std::string& text)
{
    ReplaceColorCodes(text, ForumColorTag);
}
