// MenuLintTest -- the layout lint over the shipped game's "UI", and faults planted in a layout file of a copy of it, each found on its own line.
#include "app/OffscreenGame.h"
#include "ui/MenuLint.h"
#include "ui/UISystem.h"

#include <gtest/gtest.h>
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

} // namespace
