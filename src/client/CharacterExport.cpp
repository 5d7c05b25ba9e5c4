// CharacterExport -- the local character written out for others to read: an HTML sheet, a covenant page and an all-time statistics page, a forum post, and the sheet handed to the user's mail program.
#include "client/CharacterExport.h"

#include "client/CharacterSheet.h"
#include "client/ClientCommandTable.h"
#include "client/GlobalStats.h"
#include "client/MailLinks.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/SavedMonsterText.h"
#include "core/Color.h"
#include "core/ColorCode.h"
#include "core/ColorSystem.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "core/UserVarSystem.h"
#include "core/system/PlatformSystem.h"
#include "render/TextEvents.h"
#include "rules/Formulas.h"

#include <initializer_list>
#include <iterator>
#include <vector>

namespace {

// The notices share one place on the screen: a new one replaces the last.
constexpr int32_t kCharacterExportNoticeKind = 8;
constexpr float kCharacterExportNoticeSeconds = 3.0f;
constexpr const char* kCharacterExportMailSubject = "My Emberlode character";
constexpr const char* kCharacterExportMailBody = "Highlight this sentence and hit Ctrl-V to add character";

void CharacterExportOpen(std::string& text, const char* tag, const char* attributes = nullptr)
{
    text += '<';
    text += tag;
    if (attributes) {
        text += ' ';
        text += attributes;
    }
    text += '>';
}

void CharacterExportClose(std::string& text, const char* tag)
{
    text += "</";
    text += tag;
    text += '>';
}

// The tags around a text, outermost first.
void CharacterExportWrap(std::string& text, std::initializer_list<const char*> tags, const std::string& inner)
{
    for (const char* tag : tags)
        CharacterExportOpen(text, tag);
    text += inner;
    for (auto tag = std::rbegin(tags); tag != std::rend(tags); ++tag)
        CharacterExportClose(text, *tag);
}

void CharacterExportFooter(std::string& text)
{
    std::string address = CharacterExport::GetHomeUrl();
    if (address.empty()) {
        text += CharacterExport::kFooterText;
        return;
    }
    text += "<a href=\"" + CharacterExport::EscapeHtml(address) + "\">" + CharacterExport::kFooterText + "</a>";
}

std::string CharacterExportLocalise(const std::string& text)
{
    return gLocSystem ? gLocSystem->Translate(text) : text;
}

std::string CharacterExportFontTag(int32_t index, bool darkBackground)
{
    if (index == ColorType::Pop)
        return darkBackground ? "<FONT color=#CCCCCC>" : "<FONT color=#000000>";
    Color color;
    if (index == ColorType::Yellow && !darkBackground)
        color = {0.75f, 0.75f, 0.0f};
    else
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, index >= 0 && index < ColorType::kCount ? index : 0);
    return "<FONT color=" + ColorToHexString(color) + ">";
}

// A page of the given title, heading and lines: every text escaped, the tags closed.
std::string CharacterExportPage(const std::string& title, const std::string& heading,
                                const std::vector<std::string>& lines)
{
    std::string page = "<html>\n<head>\n<title>" + CharacterExport::EscapeHtml(title) + "</title>\n</head>\n<body>\n";
    page += "<h1>\n<center>" + CharacterExport::EscapeHtml(title) + "</center>\n</h1>\n";
    page += "<h2>\n" + CharacterExport::EscapeHtml(heading) + "\n</h2>\n<p>\n";
    for (const std::string& line : lines)
        page += CharacterExport::EscapeHtml(line) + "<br>\n";
    page += "</p>\n</body>\n</html>\n";
    CharacterExport::ColorCodesToHtml(page, false);
    StripColorCodes(page);
    return page;
}

// The holder's value as the sheet words it: money, play time, a monster, a trap's level.
std::string CharacterExportHolderValue(const GlobalStats::Holder& holder, int32_t stat)
{
    using namespace CharacterFunStat;
    const IntArray& fun = holder.record->funStats;
    switch (stat) {
    case GoldFound: return FormatMoney(holder.value);
    case TimePlayedMilliSeconds: return FormatDurationShort(fun.Get(TimePlayedDays), fun.Get(TimePlayedMilliSeconds));
    case StrongestMonsterDefeated:
    case ToughestBattleWon:
    case StrongestMonsterKilledBy:
    case WeakestMonsterKilledBy: return SavedMonsterText(fun.Get(stat), fun.Get(stat + 1), stat == ToughestBattleWon);
    case BestTrapDisarmed: return StringFormat("lvl %d", holder.value);
    default: return StringFormat("%d", holder.value);
    }
}

// Each statistic once: the words that go with a value and the play time's days are shown with it.
bool CharacterExportListsStat(int32_t stat)
{
    using namespace CharacterFunStat;
    switch (stat) {
    case TimePlayedDays:
    case StrongestMonsterDefeatedInfo:
    case ToughestBattleWonInfo:
    case StrongestMonsterKilledByInfo:
    case WeakestMonsterKilledByInfo:
    case RaidsOffensiveTotal:
    case RaidsDefensiveTotal: return false;
    default: return true;
    }
}

void CharacterExportNotice(const char* text)
{
    if (gTextEvents)
        gTextEvents->AddTextEvent(text, 320.0f, 240.0f, kCharacterExportNoticeSeconds, kCharacterExportNoticeKind,
                                  true, false);
}

} // namespace

std::string CharacterExport::ExportPath(std::string_view name, std::string_view extension)
{
    std::string path = MakeFilePath(kFolder, name, extension);
    // Nothing but the folder, the dot and the extension: the name had nothing a file can be called.
    return path.size() == std::string_view(kFolder).size() + 2 + extension.size() ? std::string() : path;
}

std::string CharacterExport::EscapeHtml(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string CharacterExport::GetHomeUrl()
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(kHomeUrlVar) : std::string();
}

bool CharacterExport::WriteExportFile(std::string_view name, std::string_view extension, const std::string& text,
                                      const char* what)
{
    std::string path = ExportPath(name, extension);
    if (path.empty() || !WriteStringToFile(path, text)) {
        DebugSystem::Print(kPrintError, "Could not export %s!\n", what);
        return false;
    }
    return true;
}

// ---- The HTML pages ---------------------------------------------------------------------------------

bool CharacterExport::ExportHtml(std::string_view what)
{
    if (what == "Character")
        return WriteCharacterFile();
    if (what == "Covenant")
        return WriteCovenantFile();
    if (what == "GlobalStats")
        return WriteGlobalStatsFile();
    return false;
}

bool CharacterExport::BuildCharacterHtml(std::string& text, bool darkBackground)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    CharacterSheet sheet;
    if (!player || !BuildCharacterSheet(*player, sheet))
        return false;
    std::string name = EscapeHtml(sheet.name);
    std::string page;
    CharacterExportOpen(page, "html");
    CharacterExportWrap(page, {"head", "title"}, name);
    if (darkBackground)
        CharacterExportOpen(page, "body", "bgcolor=\"#000000\" text=\"#CCCCCC\"");
    CharacterExportWrap(page, {"h1", "center"}, name);
    CharacterExportWrap(page, {"h2", "center"}, EscapeHtml(sheet.title));
    for (const CharacterSheetSection& section : sheet.sections) {
        CharacterExportWrap(page, {"h2"}, EscapeHtml(section.heading));
        CharacterExportOpen(page, "p");
        for (const std::string& line : section.lines)
            page += EscapeHtml(line) + "<br>";
        CharacterExportClose(page, "p");
    }
    CharacterExportFooter(page);
    // The light form has no opening body tag, yet both close it.
    CharacterExportClose(page, "body");
    CharacterExportClose(page, "html");
    ColorCodesToHtml(page, darkBackground);
    StripColorCodes(page);
    StringReplaceAll(page, "\n", "<br>");
    text += page;
    return true;
}

bool CharacterExport::WriteCharacterFile()
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    std::string page;
    if (!player || !BuildCharacterHtml(page, true)) {
        DebugSystem::Print(kPrintError, "Could not export character!\n");
        return false;
    }
    return WriteExportFile(player->characterName, "htm", page, "character");
}

bool CharacterExport::WriteCovenantFile()
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    const PlayerCovenantClient* covenant = player ? player->GetCovenant() : nullptr;
    if (!covenant) {
        DebugSystem::Print(kPrintError, "Could not export covenant!\n");
        return false;
    }
    static const EnumTable* table = EnumTable::Find("CovenantFunStat");
    std::vector<std::string> lines;
    using namespace CovenantFunStat;
    for (int32_t stat : {WorldsConquered, WorldsAllyWin, WorldsAbandoned, WorldsLost})
        lines.push_back(CharacterExportLocalise(StringFormat(
            "%s: %d", table ? MakeLocToken(table->GetName(stat), nullptr).c_str() : "", covenant->GetTrackedTotal(stat))));
    std::string page = CharacterExportPage(covenant->GetShownName(), CharacterExportLocalise("$$WorldResults$$"), lines);
    return WriteExportFile("covenant", "htm", page, "covenant");
}

bool CharacterExport::WriteGlobalStatsFile()
{
    static const EnumTable* table = EnumTable::Find("CharacterFunStat");
    std::vector<std::string> lines;
    for (int32_t stat = 0; gGlobalStats && table && stat < CharacterFunStat::kCount; ++stat) {
        GlobalStats::Holder holder = gGlobalStats->GetRecordHolder(GlobalStats::kGroupFun, stat);
        if (!holder.record || !CharacterExportListsStat(stat))
            continue;
        lines.push_back(CharacterExportLocalise(MakeLocToken(table->GetName(stat), nullptr) + ": " +
                                                CharacterExportHolderValue(holder, stat) + " - " + holder.label));
    }
    if (lines.empty())
        lines.push_back(CharacterExportLocalise("$$GlobalStatsNone$$"));
    std::string page =
        CharacterExportPage(CharacterExportLocalise("$$GlobalStats$$"), CharacterExportLocalise("$$FunStats$$"), lines);
    return WriteExportFile("globalStats", "htm", page, "globalStats");
}

void CharacterExport::ColorCodesToHtml(std::string& text, bool darkBackground)
{
    ReplaceColorCodes(text, [darkBackground](int32_t number) { return CharacterExportFontTag(number, darkBackground); });
}

// ---- The mail ------------------------------------------------------------------------------------------

const char* CharacterExport::EmailCharacterHtml()
{
    std::string page;
    if (!BuildCharacterHtml(page, false) || !gPlatformSystem)
        return "$$CharacterExportFailed$$";
    // Mended: with no clipboard the mail still asked the player to paste a sheet never put there.
    if (!gPlatformSystem->ClipboardPut(page, true))
        return "$$NoClipboardForMail$$";
    bool opened = MailLinks::OpenMail("", kCharacterExportMailSubject, kCharacterExportMailBody, false) == kLinkOpened;
    return opened ? "$$OpeningEmail$$" : "$$CharacterExportFailed$$";
}

void CharacterExport::RegisterCommands(ClientApp& app)
{
    using Args = std::vector<std::string>;
    ClientCommandTable::Attach(app, "exportHtml", [](const Args& args) {
        CharacterExportNotice(ExportHtml(args.empty() ? std::string() : args[0]) ? "$$CharacterExportedToHTML$$"
                                                                                  : "$$CharacterExportFailed$$");
    });
    ClientCommandTable::Attach(app, "exportVbulletin", [](const Args&) {
        CharacterExportNotice(ExportCharacterForum() ? "$$CharacterExportedToVbulletin$$" : "$$CharacterExportFailed$$");
    });
    ClientCommandTable::Attach(app, "emailCharHtml", [](const Args&) {
        CharacterExportNotice(EmailCharacterHtml());
    });
}
