// CharacterExport -- the local character written out for others to read: an HTML sheet, a covenant page and an all-time statistics page, a forum post, and the sheet handed to the user's mail program.
#pragma once

#include <string>
#include <string_view>

class ClientApp;

// Main thread only. Every file goes to "Exports/" in the user folder, written whole through a
// temporary file; each export answers whether its file landed.
namespace CharacterExport {

constexpr const char* kFolder = "Exports";
constexpr const char* kFooterText = "Emberlode / Marhold";
// The user var that holds the maker's home page, the footer's address (none: the text alone).
constexpr const char* kHomeUrlVar = "build_HomeUrl";

// "Exports/<name>.<extension>", the name freed of '.', '/' and '\\' so that it cannot leave the
// folder; empty when nothing of the name is left.
std::string ExportPath(std::string_view name, std::string_view extension);
// '&', '<', '>' and '"' as entities, so that no name or item text can make markup of its own.
std::string EscapeHtml(std::string_view text);
// The footer's address: the user var kHomeUrlVar.
std::string GetHomeUrl();
// The text written whole to ExportPath(name, extension); false, with "Could not export <what>!"
// logged, when the name leaves nothing or the file did not land.
bool WriteExportFile(std::string_view name, std::string_view extension, const std::string& text, const char* what);

// ---- The HTML pages ---------------------------------------------------------------------------------
// "Character", "Covenant" or "GlobalStats", matched exactly; any other word writes nothing.
bool ExportHtml(std::string_view what);
// Appends the local character's sheet; the dark form is the file's, the light one the mail's.
// False, nothing appended, without the local player, its body, its class or its covenant mirror.
bool BuildCharacterHtml(std::string& text, bool darkBackground);
// "Exports/<player's name>.htm".
bool WriteCharacterFile();
// "Exports/covenant.htm": the covenant's name and the worlds it has won, shared and lost.
bool WriteCovenantFile();
// "Exports/globalStats.htm": who holds each of the all-time best statistics.
bool WriteGlobalStatsFile();
// Each "^c" code becomes a font tag of its colour (the pop colour that of the page's text).
void ColorCodesToHtml(std::string& text, bool darkBackground);

// ---- The forum post (CharacterExportForum.cpp) ------------------------------------------------------
// "Exports/<player's name>.txt".
bool ExportCharacterForum();
// The post with forum tags; false, nothing appended, as for BuildCharacterHtml.
bool BuildForumExportText(std::string& text);
// Each "^c" code becomes a forum colour tag; the pop colour closes one.
void ForumTranslateColorCodes(std::string& text);

// ---- The mail ------------------------------------------------------------------------------------------
// The light sheet put on the clipboard as HTML, then a new mail opened asking for a paste. The
// notice to show: "$$OpeningEmail$$"; "$$NoClipboardForMail$$", no mail opened, when no clipboard
// took the sheet; "$$CharacterExportFailed$$" when there is no sheet or no mail program took it.
const char* EmailCharacterHtml();

// "exportHtml", "exportVbulletin" and "emailCharHtml": the success text shows only when the
// export did its work, else why not.
void RegisterCommands(ClientApp& app);

} // namespace CharacterExport
