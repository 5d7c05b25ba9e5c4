// MenuLint -- checks the layout files of "UI" as the game reads them: every keyword known, every command, menu, verify procedure and list provider a widget names registered, every text key in the language, every picture and sound present.
#include "ui/MenuLint.h"

#include "core/ColorCode.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/UserVarSystem.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UIRelationsMenu.h"

#include <algorithm>
#include <memory>

namespace {

// The keywords whose value is a command line, and those whose value is a file of the game.
constexpr const char* kMenuLintCommandKeys[] = {
    "addCommand",      "addRightClickCommand", "addFailCommand",          "addShowCommand",
    "addShowStartCommand", "addShowEndCommand", "addHideCommand", "addPlayerChangedCommand",
    "addSelectCommand", "listCommand",
};
constexpr const char* kMenuLintFileKeys[] = {"texture", "hoverTexture", "glowTexture", "clickSound", "hoverSound"};
// The commands whose first argument names a menu.
constexpr const char* kMenuLintMenuCommands[] = {"showMenu", "hideMenu", "pushMenu", "toggleMenu", "pushPopMenu",
                                                 "sendCommandToMenu"};
// Menu keys that link the menu being read into others: the lint checks the name and reads no further.
constexpr const char* kMenuLintLinkKeys[] = {"parent", "addSubMenu"};
// The lines a menu runs itself ("menuCommand <name>"), never through the console.
constexpr const char* kMenuLintOwnCommands[] = {"selectSubMenu",  "hide",           "unselectAll",
                                                "saveUserVars",   "applyUserVars",  "restoreUserVars",
                                                "resetToDefaultUserVars"};
// Enough console lines that none read while one keyword is read scrolls away.
constexpr int kMenuLintConsoleLines = 100000;

bool MenuLintIsOneOf(const std::string& word, const auto& list)
{
    for (const char* entry : list)
        if (StringEqualsNoCase(word, entry))
            return true;
    return false;
}

// The value tokens on the keyword's own line, read from a copy so the reader still gets them.
std::vector<std::string> MenuLintLineValues(const TextParser& parser)
{
    TextParser peek = parser;
    std::vector<std::string> values;
    std::string token;
    while (peek.NextToken(token, false))
        values.push_back(token);
    return values;
}

// A line the game logs for a fault: a warning, an error, or a keyword its reader does not know.
// The resource loader's "Couldn't find" comes from its own thread, out of step with the reading,
// so it would name whatever line is read when it arrives: the lint checks every named file itself.
bool MenuLintIsFaultLine(const std::string& text)
{
    if (text.find("Couldn't find ") != std::string::npos)
        return false;
    return StringStartsWithNoCase(text, MakeColorCode(5)) || StringStartsWithNoCase(text, MakeColorCode(1)) ||
           text.find("Unknown widget parm") != std::string::npos || text.find("Unknown menu parm") != std::string::npos;
}

} // namespace

std::vector<std::string> MenuLint::CheckShippedMenus()
{
    MenuLint lint;
    if (!gFileSystem || !gUISystem || !gDebugSystem) {
        lint.problems.push_back("the game is not started");
        return lint.problems;
    }
    int oldLines = gDebugSystem->GetMaxConsoleLines();
    gDebugSystem->SetMaxConsoleLines(kMenuLintConsoleLines);
    gDebugSystem->SetDeveloper(true);
    std::vector<std::string> files;
    gFileSystem->ListFiles("UI", "mnu", files, kLocationAssets, false, false, true);
    for (const std::string& file : files) {
        std::string filePath = "UI/" + file;
        FileBuffer text = gFileSystem->LoadWholeFile(filePath);
        if (!text.IsValid()) {
            lint.problems.push_back(filePath + ": can't be read");
            continue;
        }
        lint.CheckFile(filePath, std::string_view(reinterpret_cast<const char*>(text.Data()), text.Size()));
    }
    gDebugSystem->SetDeveloper(gUserVarSystem && ParseInt(gUserVarSystem->GetStringByName("developer")) != 0);
    gDebugSystem->SetMaxConsoleLines(oldLines);
    return lint.problems;
}

void MenuLint::CheckFile(const std::string& filePath, std::string_view text)
{
    path = filePath;
    line = 1;
    TextParser parser(text.data(), text.size());
    std::string token;
    std::unique_ptr<UIMenu> menu;
    menuName.clear();
    if (parser.NextToken(token) && StringEqualsNoCase(token, "MenuType")) {
        std::string typeName = parser.ReadString();
        menu.reset(gUISystem->CreateMenu(typeName));
        if (!menu)
            Report("unknown menu type " + typeName);
    } else {
        Report("the file does not begin with MenuType");
        parser = TextParser(text.data(), text.size());
    }
    if (!menu)
        menu = std::make_unique<UIMenu>();
    menu->filePath = path;
    while (parser.NextToken(token)) {
        line = parser.GetLineNumber();
        CheckLocKeys(token);
        std::unique_ptr<UIWidget> probe(gUISystem->CreateWidget(token));
        if (probe) {
            ReadWidgetBlock(token, parser);
            continue;
        }
        CheckValues(token, parser);
        if (MenuLintIsOneOf(token, kMenuLintLinkKeys)) {
            CheckMenuName(parser.ReadString(false));
            continue;
        }
        size_t before = gDebugSystem->GetConsoleLines().size();
        menu->ReadProperty(token, parser);
        menuName = menu->name;
        TakeLoggedLines(before);
    }
}

void MenuLint::ReadWidgetBlock(const std::string& typeName, TextParser& parser)
{
    std::unique_ptr<UIWidget> widget(gUISystem->CreateWidget(typeName));
    int32_t start = line;
    std::string token;
    if (!parser.NextToken(token) || token != "{") {
        Report(typeName + " without \"{\"");
        return;
    }
    while (parser.NextToken(token)) {
        line = parser.GetLineNumber();
        CheckLocKeys(token);
        CheckValues(token, parser);
        size_t before = gDebugSystem->GetConsoleLines().size();
        bool closed = widget->ReadProperty(token, parser);
        TakeLoggedLines(before);
        if (closed)
            return;
    }
    line = start;
    Report(typeName + " block not closed");
}

void MenuLint::CheckValues(const std::string& key, const TextParser& parser)
{
    // The rest of the line: the keyword's values come first, other keywords may follow.
    std::vector<std::string> values = MenuLintLineValues(parser);
    if (values.empty())
        return;
    const std::string& value = values.front();
    CheckLocKeys(value);
    if (MenuLintIsOneOf(key, kMenuLintCommandKeys))
        CheckCommandLine(value);
    else if (StringEqualsNoCase(key, "addChoice") && values.size() > 1)
        CheckCommandLine(values[1]);
    else if (MenuLintIsOneOf(key, kMenuLintFileKeys))
        CheckFileNamed(key, value);
    else if (StringEqualsNoCase(key, "verifyProc") && !(gCommandSystem && gCommandSystem->HasVerifyProc(value)))
        Report("verifyProc " + value + " is no verify procedure");
    else if (StringEqualsNoCase(key, "infoProc") && !(gCommandSystem && gCommandSystem->HasInfoProc(value)))
        Report("infoProc " + value + " is no list provider");
}

void MenuLint::CheckCommandLine(const std::string& commandLine)
{
    std::vector<std::string> words = CommandSystem::ParseLine(commandLine);
    if (words.empty()) {
        Report("an empty command line");
        return;
    }
    const std::string& command = words.front();
    if (StringEqualsNoCase(command, "menuCommand")) {
        if (words.size() < 2 || !MenuLintIsOneOf(words[1], kMenuLintOwnCommands))
            Report("menuCommand " + (words.size() < 2 ? std::string() : words[1]) + " is no menu command");
        return;
    }
    bool known = (gCommandSystem && gCommandSystem->IsCommand(command)) ||
                 (gUserVarSystem && gUserVarSystem->FindVar(command)) ||
                 UIRelationsMenu::IsPageCommand(menuName, command);
    if (!known) {
        Report("the command " + command + " is neither a command nor a user var");
        return;
    }
    if (MenuLintIsOneOf(command, kMenuLintMenuCommands)) {
        if (words.size() < 2)
            Report(command + " names no menu");
        else
            CheckMenuName(words[1]);
    }
}

void MenuLint::CheckMenuName(const std::string& name)
{
    // A name taken from a user var when the line runs is not known before then.
    if (name.find("##") != std::string::npos)
        return;
    if (!gUISystem->FindMenu(name))
        Report("no menu is named " + name);
}

// "$$Key$$" anywhere in a token; the key must be a text of the language.
void MenuLint::CheckLocKeys(const std::string& token)
{
    size_t open = token.find("$$");
    while (open != std::string::npos) {
        size_t close = token.find("$$", open + 2);
        if (close == std::string::npos)
            return;
        std::string key = token.substr(open + 2, close - open - 2);
        if (!key.empty() && !(gLocSystem && gLocSystem->HasText(key)))
            Report("the text key " + key + " is not in the language");
        open = token.find("$$", close + 2);
    }
}

void MenuLint::CheckFileNamed(const std::string& key, const std::string& name)
{
    if (!name.empty() && !gFileSystem->FileExists(name))
        Report(key + " names the missing file " + name);
}

void MenuLint::TakeLoggedLines(size_t before)
{
    std::vector<std::string> lines = gDebugSystem->GetConsoleLines();
    for (size_t i = before; i < lines.size(); ++i) {
        if (!MenuLintIsFaultLine(lines[i]))
            continue;
        std::string text = lines[i];
        if (StringStartsWithNoCase(text, MakeColorCode(5)) || StringStartsWithNoCase(text, MakeColorCode(1)))
            text = text.substr(kColorCodeLength);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        Report(text);
    }
}

void MenuLint::Report(const std::string& what)
{
    std::string problem = path + " line " + std::to_string(line) + ": " + what;
    if (std::find(problems.begin(), problems.end(), problem) == problems.end())
        problems.push_back(std::move(problem));
}
