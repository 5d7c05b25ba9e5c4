// MenuLintTest -- the layout lint over the shipped game's "UI", and faults planted in a layout file of a copy of it, each found on its own line; and every text key the code and the shipped menus name, in English.
#include "app/OffscreenGame.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "rules/covenants/DiplomacyText.h"
#include "ui/MenuLint.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIStatBar.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// One fault a line, the line number each is expected on in the comment before it.
const char kMenuLintFaulty[] =
    "MenuType Menu\n"                                                                   // 1
    "name Faulty\n"                                                                     // 2
    "Widget { internalName A addCommand \"noSuchCommand 1\" }\n"                      // 3
    "Widget { internalName B text \"$$NoSuchTextKey$$\" }\n"                           // 4
    "Widget { internalName C texture \"Textures/UI/no_such_picture.tga\" }\n"          // 5
    "Widget { internalName D addCommand \"showMenu NoSuchMenu\" }\n"                  // 6
    "Widget { internalName E showCondition NoSuchCondition }\n"                       // 7
    "Widget { internalName F wobble 3 }\n"                                             // 8
    "Widget { internalName G verifyProc noSuchCheck canClick 1 }\n"                   // 9
    "Widget { internalName H addCommand \"showMenu Main\" text \"$$TitleQuit$$\" }\n" // 10
    "sideways 1\n";                                                                     // 11

bool MenuLintHas(const std::vector<std::string>& problems, const std::string& start, const std::string& part)
{
    for (const std::string& problem : problems)
        if (problem.rfind(start, 0) == 0 && problem.find(part) != std::string::npos)
            return true;
    return false;
}

std::string MenuLintJoin(const std::vector<std::string>& problems)
{
    std::string all;
    for (const std::string& problem : problems)
        all += problem + "\n";
    return all;
}

// A "$$Key$$" or "$$Key~<" token.
const std::regex kMenuLintToken(R"(\$\$(\w+)(?:\$\$|~<))");

void MenuLintTakeKeys(const std::string& text, const std::regex& pattern, std::set<std::string>& keys)
{
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        for (size_t group = 1; group < it->size(); ++group)
            if ((*it)[group].matched)
                keys.insert((*it)[group]);
}

// The keys the code names as they stand: its tokens, and the key MakeLocToken or WriteLocToken
// is handed as a literal (both literals of a choice between two). Comments are left out. A key
// held in a variable or table, or joined from parts other than the families below, is not seen.
std::set<std::string> MenuLintCodeKeys()
{
    const std::regex call(
        R"re((?:MakeLocToken\(|WriteLocToken\([^,]+,[^,]+,)\s*(?:[^?;",]*\?\s*"(\w+)"\s*:\s*)?"(\w+)")re");
    std::set<std::string> keys;
    for (const auto& file : std::filesystem::recursive_directory_iterator(EMBERLODE_SOURCE_DIR)) {
        std::ifstream in(file.path());
        for (std::string line; std::getline(in, line);) {
            line.resize(std::min(line.size(), line.find("//")));
            MenuLintTakeKeys(line, kMenuLintToken, keys);
            MenuLintTakeKeys(line, call, keys);
        }
    }
    return keys;
}

// The keys the code builds from each name of a value list, and those the shipped menus name
// without a token: a stat widget's tooltip heads its lines with its stat's name.
std::set<std::string> MenuLintComposedKeys()
{
    struct Family {
        const char* prefix;
        const char* table;
        const char* suffix;
    };
    constexpr Family kFamilies[] = {{"NpcType", "NpcType", ""},          {"ItemType", "ItemType", ""},
                                    {"", "DamageType", ""},              {"", "WorldDifficultyLevel", "Diff"},
                                    {"", "ItemSlotType", "ItemSlot"},    {"", "ItemSlotType", "OnlyHold"}};
    std::set<std::string> keys;
    for (const Family& family : kFamilies) {
        const EnumTable* table = EnumTable::Find(family.table);
        EXPECT_NE(table, nullptr) << family.table;
        for (int32_t value = 0; table && value < table->GetCount(); ++value)
            keys.insert(family.prefix + table->GetName(value) + family.suffix);
    }
    std::string built;
    const EnumTable* treaties = EnumTable::Find("CovenantTreaty");
    const EnumTable* routes = EnumTable::Find("TradeRouteType");
    EXPECT_TRUE(treaties && routes);
    for (int32_t value = 0; treaties && value < treaties->GetCount(); ++value)
        built += DiplomacyText::Treaty(value);
    for (int32_t value = 0; routes && value < routes->GetCount(); ++value)
        built += DiplomacyText::TradeRoute(value);
    for (float relation = 0.0f; relation <= 100.0f; relation += DiplomacyText::kRelationBandWidth)
        built += DiplomacyText::MoodDescription(relation);
    MenuLintTakeKeys(built, kMenuLintToken, keys);
    for (const UIMenu* menu : gUISystem->GetMenus())
        for (const UIWidget* widget : menu->GetWidgets())
            if (auto* stat = dynamic_cast<const UIStatValue*>(widget); stat && !dynamic_cast<const UIStatBar*>(stat))
                keys.insert(stat->statName);
    return keys;
}

// Named as the suite is; the lint itself is ::MenuLint.
class MenuLint : public OffscreenGame {};

TEST_F(MenuLint, TheShippedMenusParseWithoutAFaultAndNameOnlyWhatExists)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    ASSERT_GE(gUISystem->GetMenus().size(), 8u) << "the game ships its screens";
    std::vector<std::string> problems = ::MenuLint::CheckShippedMenus();
    EXPECT_TRUE(problems.empty()) << MenuLintJoin(problems);
}

TEST_F(MenuLint, PlantedFaultsAreEachFoundWithTheirFileAndLine)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    folder.Write("Assets/UI/zzfaulty.mnu", kMenuLintFaulty);
    ASSERT_TRUE(app.StartUp());
    std::vector<std::string> problems = ::MenuLint::CheckShippedMenus();
    std::string all = MenuLintJoin(problems);
    const std::string file = "UI/zzfaulty.mnu line ";
    EXPECT_TRUE(MenuLintHas(problems, file + "3:", "noSuchCommand")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "4:", "NoSuchTextKey")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "5:", "no_such_picture")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "6:", "NoSuchMenu")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "7:", "NoSuchCondition")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "8:", "wobble")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "9:", "noSuchCheck")) << all;
    EXPECT_TRUE(MenuLintHas(problems, file + "11:", "sideways")) << all;
    // Line 10 names only what exists, and the shipped files add nothing.
    EXPECT_FALSE(MenuLintHas(problems, file + "10:", "")) << all;
    for (const std::string& problem : problems)
        EXPECT_EQ(problem.rfind(file, 0), 0u) << problem;
}

TEST_F(MenuLint, AMenusOwnCommandsAreKnownAndAnyOtherNameIsFound)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    folder.Write("Assets/UI/zzowncommands.mnu", "MenuType Menu\nname OwnCommands\n"
                                               "addShowEndCommand \"menuCommand saveUserVars\"\n"
                                               "addHideCommand \"menuCommand applyUserVars\"\n"
                                               "addHideCommand \"menuCommand forgetUserVars\"\n");
    ASSERT_TRUE(app.StartUp());
    std::vector<std::string> problems = ::MenuLint::CheckShippedMenus();
    EXPECT_EQ(problems, std::vector<std::string>{"UI/zzowncommands.mnu line 5: menuCommand forgetUserVars is no menu command"});
}

TEST_F(MenuLint, EveryTextKeyTheCodeAndTheMenusNameHasAnEnglishText)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    std::set<std::string> keys = MenuLintCodeKeys();
    ASSERT_GT(keys.size(), 500u) << "the sources are read";
    keys.merge(MenuLintComposedKeys());
    std::string missing;
    for (const std::string& key : keys)
        if (!gLocSystem->HasText(key))
            missing += key + "\n";
    EXPECT_EQ(missing, "");
}

} // namespace
