// VirtualKeysTest -- bindings read from the .cfg layers, binding and rewriting user.cfg, bound commands on key-down.
#include "ConfigWorld.h"

#include <vector>

namespace {

class VirtualKeysTest : public ConfigWorld {
protected:
    VirtualKeysTest()
    {
        folder.Write("default.cfg", "VirtualKey VirtualToggleConsole Grave toggleConsole\n"
                                    "VirtualKey VirtualTakeScreenshot F12\n"
                                    "VirtualKey Fire LeftMouseButton \"say fire\"\n");
        commands.RegisterCommand(
            "toggleConsole", [this](const std::vector<std::string>&) { ran.push_back("toggle"); }, "", "", "");
        commands.RegisterCommand(
            "say", [this](const std::vector<std::string>& args) { ran.push_back(args[0]); }, "", "text", "s");
    }

    std::vector<std::string> ran;
};

TEST_F(VirtualKeysTest, BindingsFromTheLayersAndTheirCodes)
{
    UseKeyNames();
    folder.Write("User/user.cfg", "VirtualKey VirtualToggleConsole A\n");
    vars->LoadConfigFiles();
    EXPECT_EQ(keys.FindByName("virtualtakescreenshot", true), 257);
    EXPECT_EQ(keys.FindByName("Fire", false), 2);
    EXPECT_EQ(keys.FindByName("Missing", true), -1);
    EXPECT_EQ(keys.GetEntryValue(256), 30);
    EXPECT_EQ(keys.GetEntryValue(257), 88);
    EXPECT_EQ(keys.GetEntryValue(258), -1);
    EXPECT_EQ(keys.GetEntryValue(259), -1);
    EXPECT_TRUE(keys.IsBoundTo(258, 0, VirtualKeys::kMouse));
    EXPECT_FALSE(keys.IsBoundTo(258, 0, VirtualKeys::kKeyboard));
    EXPECT_EQ(keys.GetBoundKeyName(257), "F12");
    EXPECT_EQ(keys.GetBoundKeyName(48), "B");
    EXPECT_EQ(keys.GetBoundKeyName(300), "");

    EXPECT_FALSE(keys.RunBoundCommand(41, true, false));
    EXPECT_FALSE(keys.RunBoundCommand(30, false, false));
    EXPECT_FALSE(keys.RunBoundCommand(30, true, true));
    EXPECT_FALSE(keys.RunBoundCommand(88, true, false));
    EXPECT_TRUE(keys.RunBoundCommand(30, true, false));
    EXPECT_EQ(ran, (std::vector<std::string>{"toggle"}));
}

TEST_F(VirtualKeysTest, BindRewritesUserConfigAndReportsSharedKeys)
{
    UseKeyNames();
    vars->LoadConfigFiles();
    std::vector<int> released;
    keys.SetReleaseKeyHook([&](int key) { released.push_back(key); });
    EXPECT_TRUE(keys.Bind(48, false, "virtualTakeScreenshot"));
    EXPECT_EQ(UserConfig(), "VirtualKey VirtualToggleConsole Grave\n"
                            "VirtualKey VirtualTakeScreenshot B\n"
                            "VirtualKey Fire LeftMouseButton\n");
    EXPECT_FALSE(keys.Bind(41, false, "VirtualTakeScreenshot"));
    EXPECT_EQ(keys.GetEntryValue(257), 41);
    EXPECT_EQ(released, (std::vector<int>{48, 41}));

    std::string before = UserConfig();
    EXPECT_FALSE(keys.Bind(48, false, "NoSuchAction"));
    EXPECT_FALSE(keys.Bind(99, false, "Fire"));
    EXPECT_FALSE(keys.Bind(5, true, "Fire"));
    EXPECT_EQ(UserConfig(), before);

    EXPECT_TRUE(ExecuteCommandLine("bind rightmousebutton fire"));
    EXPECT_TRUE(keys.IsBoundTo(258, 1, VirtualKeys::kMouse));
    NewUserVars().LoadConfigFiles();
    EXPECT_TRUE(keys.IsBoundTo(258, 1, VirtualKeys::kMouse));
    EXPECT_TRUE(keys.RunBoundCommand(41, true, false));
    EXPECT_EQ(ran, (std::vector<std::string>{"toggle"}));
}

// The keys screen's way: a key another action held is given up by it in exchange for the old key
// of the action that takes it, across devices too, and saved so; a refused binding moves nothing.
TEST_F(VirtualKeysTest, BindSwappingTradesTheKeysOfTheTwoActions)
{
    struct Case {
        const char* what;
        int key;
        bool isMouse;
        const char* action;
        bool bound;
        const char* tookOldKey;
        const char* config;
    };
    const Case cases[] = {
        {"a free key", 48, false, "VirtualTakeScreenshot", true, "",
         "VirtualKey VirtualToggleConsole Grave\nVirtualKey VirtualTakeScreenshot B\nVirtualKey Fire LeftMouseButton\n"},
        {"a key another holds", 41, false, "VirtualTakeScreenshot", true, "VirtualToggleConsole",
         "VirtualKey VirtualToggleConsole F12\nVirtualKey VirtualTakeScreenshot Grave\nVirtualKey Fire LeftMouseButton\n"},
        {"a key for a button", 0, true, "VirtualToggleConsole", true, "Fire",
         "VirtualKey VirtualToggleConsole LeftMouseButton\nVirtualKey VirtualTakeScreenshot F12\nVirtualKey Fire Grave\n"},
        {"no such action", 41, false, "NoSuchAction", false, "", nullptr},
        {"a key without a name", 99, false, "Fire", false, "", nullptr},
    };
    for (const Case& c : cases) {
        UseKeyNames();
        folder.Write("User/user.cfg", "");
        NewUserVars().LoadConfigFiles();
        std::string before = UserConfig();
        std::string took = "stale";
        EXPECT_EQ(keys.BindSwapping(c.key, c.isMouse, c.action, took), c.bound) << c.what;
        EXPECT_EQ(took, c.tookOldKey) << c.what;
        EXPECT_EQ(UserConfig(), c.config ? std::string(c.config) : before) << c.what;
    }
    // The other action of an unbound one is left unbound, and no longer runs on the key.
    folder.Write("User/user.cfg", "VirtualKey Fire \"\"\n");
    NewUserVars().LoadConfigFiles();
    std::string took;
    ASSERT_TRUE(keys.BindSwapping(41, false, "Fire", took));
    EXPECT_EQ(took, "VirtualToggleConsole");
    EXPECT_EQ(keys.GetBoundKeyName(256), "");
    EXPECT_EQ(keys.GetEntryValue(258), 41);
    EXPECT_TRUE(keys.RunBoundCommand(41, true, false));
    EXPECT_EQ(ran, (std::vector<std::string>{"fire"}));
}

TEST_F(VirtualKeysTest, KeyNamesUnknownAtLoadAreKeptUntilTheyResolve)
{
    vars->LoadConfigFiles();
    EXPECT_EQ(keys.GetEntryValue(256), -1);
    EXPECT_TRUE(keys.IsBoundTo(258, 0, VirtualKeys::kMouse));
    vars->SetStringByName("keep", "1");
    vars->FindVar("keep")->AddFlags(kUserVarSave);
    vars->SetStringByName("keep", "2");
    EXPECT_NE(UserConfig().find("VirtualKey VirtualTakeScreenshot F12\n"), std::string::npos);
    UseKeyNames();
    EXPECT_EQ(keys.GetEntryValue(256), 41);
    EXPECT_EQ(keys.GetEntryValue(257), 88);
}

TEST(VirtualKeysMouse, ButtonNamesBothWays)
{
    EXPECT_EQ(VirtualKeys::GetMouseButtonIndex("rightMOUSEbutton"), 1);
    EXPECT_EQ(VirtualKeys::GetMouseButtonIndex("MouseButton5"), 4);
    EXPECT_EQ(VirtualKeys::GetMouseButtonIndex("MouseButton6"), -1);
    EXPECT_EQ(VirtualKeys::GetMouseButtonName(2), "MouseButton3");
    EXPECT_EQ(VirtualKeys::GetMouseButtonName(5), "");
    EXPECT_EQ(VirtualKeys::GetMouseButtonName(-1), "");
}

} // namespace
