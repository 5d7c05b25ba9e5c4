// MenuLint -- checks the layout files of "UI" as the game reads them: every keyword known, every command, menu, verify procedure and list provider a widget names registered, every text key in the language, every picture and sound present.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Main thread, with the game started: the UI system with its menus loaded, the commands, the
// user vars, the language and the file system. Each problem reads "<file> line <n>: <what>".
class MenuLint {
public:
    // Every "mnu" file of "UI", in the order the game loads them.
    static std::vector<std::string> CheckShippedMenus();

    // One layout file's text. Every keyword goes through the reader of a scratch menu or widget
    // of the file's kinds, so what the game would log for it (an unknown keyword, an unknown
    // condition or entity name, a widget reference that finds nothing) is a problem of that line.
    void CheckFile(const std::string& path, std::string_view text);

    const std::vector<std::string>& GetProblems() const { return problems; }

private:
    void ReadWidgetBlock(const std::string& typeName, class TextParser& parser);
    void CheckValues(const std::string& key, const class TextParser& parser);
    void CheckCommandLine(const std::string& line);
    void CheckLocKeys(const std::string& token);
    void CheckFileNamed(const std::string& key, const std::string& name);
    void CheckMenuName(const std::string& name);
    // What the game logged while one keyword was read: its warnings and errors, and the unknown
    // keywords it reports to developers.
    void TakeLoggedLines(size_t before);
    void Report(const std::string& what);

    std::string path;
    // The name the file gives its menu so far.
    std::string menuName;
    int32_t line = 0;
    std::vector<std::string> problems;
};
