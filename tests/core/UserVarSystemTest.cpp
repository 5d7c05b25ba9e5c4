// UserVarSystemTest -- the layered .cfg files, registration over loaded values, user.cfg round trips and safety.
#include "ConfigWorld.h"

#include "core/StringUtil.h"

namespace {

using UserVarSystemTest = ConfigWorld;

std::string UserVarUtf16(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST_F(UserVarSystemTest, LaterFilesWinAndBuildAltOnlyStandsInForBuild)
{
    folder.Write("default.cfg", "a 1\nb 1\nc 1\n");
    folder.Write("build.cfg", "b 2\n");
    folder.Write("buildAlt.cfg", "b 3\nc 3\nalt 3\n");
    folder.Write("User/user.cfg", "c 4\n");
    vars->LoadConfigFiles();
    EXPECT_EQ(vars->GetStringByName("A") + vars->GetStringByName("b") + vars->GetStringByName("c"), "124");
    EXPECT_EQ(vars->FindVar("alt"), nullptr);

    std::filesystem::remove(folder.Path() / "build.cfg");
    NewUserVars().LoadConfigFiles();
    EXPECT_EQ(vars->GetStringByName("b") + vars->GetStringByName("c") + vars->GetStringByName("alt"), "343");
}

TEST_F(UserVarSystemTest, RegistrationKeepsLoadedValuesAndShippedDefaults)
{
    folder.Write("default.cfg", "r_width 1024\n");
    folder.Write("User/user.cfg", "r_width 1600\nr_height 900\n");
    vars->LoadConfigFiles();
    UserVarRef width = vars->RegisterVar("r_width", "800");
    UserVarRef height = vars->RegisterVar("R_HEIGHT", "600");
    EXPECT_EQ(width.GetInt(), 1600);
    EXPECT_EQ(vars->FindVar("r_width")->GetDefault(), "1024");
    EXPECT_EQ(height.GetInt(), 900);
    EXPECT_EQ(vars->FindVar("r_height")->GetDefault(), "600");
    EXPECT_TRUE(height.GetFlag());
    height.SetFlag();
    height.SetString("900");
    EXPECT_FALSE(height.GetFlag());
    height.SetString("2.75");
    EXPECT_TRUE(height.GetFlag());
    EXPECT_EQ(height.GetInt(), 2);
    EXPECT_FLOAT_EQ(height.GetFloat(), 2.75f);
    EXPECT_FALSE(vars->RegisterVar("absent", "1", false).IsValid());
}

TEST_F(UserVarSystemTest, Utf16FileWithQuotesAndFlags)
{
    folder.Write("default.cfg", UserVarUtf16("// wide\r\nname \"two words\" Save\r\nmode 3 vidRestart Bogus\r\nlonely\r\n"));
    vars->LoadConfigFiles();
    EXPECT_EQ(vars->GetStringByName("name"), "two words");
    EXPECT_TRUE(vars->FindVar("name")->IsSaved());
    EXPECT_TRUE(vars->FindVar("mode")->NeedsVidRestart());
    EXPECT_EQ(vars->GetIntByName("mode"), 3);
    EXPECT_EQ(vars->FindVar("lonely"), nullptr);
    EXPECT_EQ(CountLogged("^c005Unknown flag Bogus for mode in default.cfg\n"), 1);
}

TEST_F(UserVarSystemTest, AwkwardValuesSurviveSaveAndReload)
{
    const std::vector<std::string> values = {
        "", "two words", "a//b", "x/*y", "say \"hi\"", "C:\\My Games\\", "\\\"", "tab\there", "\x93typo\x94",
        "\xFFlead", "plain", "VirtualKey",
    };
    std::string shipped;
    for (size_t i = 0; i < values.size(); ++i)
        shipped += StringFormat("v%zu seed Save\n", i);
    folder.Write("default.cfg", shipped);
    vars->LoadConfigFiles();
    for (size_t i = 0; i < values.size(); ++i)
        vars->SetStringByName(StringFormat("v%zu", i), values[i]);
    vars->SetStringByName("broken", "seed");
    vars->FindVar("broken")->AddFlags(kUserVarSave);
    vars->SetStringByName("broken", "line\nbreak");

    NewUserVars().LoadConfigFiles();
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(vars->GetStringByName(StringFormat("v%zu", i)), values[i]) << i;
    EXPECT_EQ(vars->GetStringByName("broken"), "line break");
}

TEST_F(UserVarSystemTest, LoadingNeverRewritesUserConfig)
{
    const std::string mine = "// my settings\nloc_language  \"Deutsch\"\nvolume 7\n";
    folder.Write("default.cfg", "loc_language English Save\nvolume 5 Save\n");
    folder.Write("User/user.cfg", mine);
    vars->SetStringByName("volume", "early");
    vars->FindVar("volume")->AddFlags(kUserVarSave);
    vars->SetStringByName("volume", "earlier");
    vars->LoadConfigFiles();
    EXPECT_EQ(UserConfig(), mine);
    EXPECT_EQ(vars->GetStringByName("loc_language"), "Deutsch");

    vars->SetIntByName("volume", 9);
    EXPECT_EQ(UserConfig(), "loc_language Deutsch\nvolume 9\n");
}

TEST_F(UserVarSystemTest, CutConfigFilesLoadWithoutHarm)
{
    const std::string full = "a \"x y\" Save // c\n/* block\n */ VirtualKey Act F12 \"cmd 1\"\nb 2 vidRestart\n";
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        folder.Write("default.cfg", full.substr(0, cut));
        NewUserVars().LoadConfigFiles();
        EXPECT_TRUE(vars->IsReady());
    }
    EXPECT_EQ(vars->GetIntByName("b"), 2);
}

TEST_F(UserVarSystemTest, HandlesBeforeSetUpLogAndReadAsZero)
{
    UserVarRef early;
    EXPECT_EQ(early.GetInt(), 0);
    early.SetString("1");
    gUserVarSystem = nullptr;
    EXPECT_FALSE(UserVarRef(0).GetBool());
    EXPECT_EQ(CountLogged("^c001Trying to reference a userVar before it has been set up!\n"), 3);
}

TEST_F(UserVarSystemTest, SetUserVarCommandAndDebugVars)
{
    folder.Write("default.cfg", "developer 0\nd_maxConsoleLines 0\n");
    vars->LoadConfigFiles();
    vars->RegisterDebugVars();
    EXPECT_EQ(debug.GetMaxConsoleLines(), 1);
    EXPECT_TRUE(ExecuteCommandLine("setUserVar d_maxConsoleLines 50"));
    EXPECT_TRUE(ExecuteCommandLine("setUserVar developer 1"));
    vars->ApplyDebugVars();
    EXPECT_EQ(debug.GetMaxConsoleLines(), 50);
    DebugSystem::Print(kPrintDeveloper, "shown\n");
    EXPECT_EQ(CountLogged("shown\n"), 1);
    EXPECT_TRUE(ExecuteCommandLine("setUserVar fresh \"a b\""));
    EXPECT_EQ(vars->GetStringByName("FRESH"), "a b");
}

} // namespace
