// MailLinksTest -- mails and web links as the platform's opener receives them: the composed "mailto:" texts, the clipboard road for a mail too long to hand over, the schemes let through and refused, the opener's argument list, a missing "xdg-open" (the real start, on a search path that holds none), and the console's "openBrowser", "visitWebsite" and "orderGame".
#include "client/ClientApp.h"
#include "client/ClientInput.h"
#include "client/MailLinks.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "support/LogLines.h"
#include "support/OffscreenClipboard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class MailLinks : public ::testing::Test {
protected:
    MailLinks() : platform(folder.Path().string())
    {
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        kept = PlatformSystem::GetLinkLauncher();
        PlatformSystem::SetLinkLauncher([this](const std::vector<std::string>& argv) {
            launches.push_back(argv);
            return launchAnswer;
        });
    }
    ~MailLinks() override
    {
        PlatformSystem::SetLinkLauncher(kept);
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // The address of the only launch; a failure when there was not exactly one.
    std::string Launched()
    {
        EXPECT_EQ(launches.size(), 1u);
        std::string address = launches.empty() ? std::string() : launches.back().back();
        launches.clear();
        return address;
    }

    std::string Clipboard()
    {
        std::string text;
        platform.ClipboardGet(text);
        return text;
    }

    TempFolder folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    // The clipboard road needs a clipboard to take the body.
    OffscreenClipboard video;
    PlatformSystem::LinkLauncher kept;
    std::vector<std::vector<std::string>> launches;
    int launchAnswer = 0;
};

TEST_F(MailLinks, AMailIsComposedAsTheMailProgramReadsIt)
{
    if (!video.started)
        GTEST_SKIP() << "no clipboard here: " << SDL_GetError();
    EXPECT_EQ(::MailLinks::OpenMail("ann@example.org", "", "", false), kLinkOpened);
    EXPECT_EQ(Launched(), "mailto:ann@example.org") << "nothing more without subject or body";
    ::MailLinks::OpenMail("ann@example.org", "", "a&b\n", false);
    EXPECT_EQ(Launched(), "mailto:ann@example.org?&body=a%26b%0a");
    ::MailLinks::OpenMail("", "My character", "", false);
    EXPECT_EQ(Launched(), "mailto:?subject=My character");
    // The clipboard's way: the body waits there and the mail only asks for a paste.
    ::MailLinks::OpenMail("", "Hi", "a secret sheet", true);
    std::string link = Launched();
    EXPECT_EQ(link.find("a secret sheet"), std::string::npos) << link;
    EXPECT_NE(link.find("&body=The message body was too big, so I had to use the copy and paste method.  Please hit "
                        "ctrl-V"),
              std::string::npos)
        << link;
    EXPECT_EQ(Clipboard(), "a secret sheet");
}

TEST_F(MailLinks, AMailTooLongToHandOverTakesTheClipboardRoadOnce)
{
    if (!video.started)
        GTEST_SKIP() << "no clipboard here: " << SDL_GetError();
    std::string body(3000, 'x');
    EXPECT_EQ(platform.OpenLink("mailto:?&body=" + body), kLinkTooLong) << "nothing is started for it";
    EXPECT_TRUE(launches.empty());

    EXPECT_EQ(::MailLinks::OpenMail("bo@example.org", "Sheet", body, false), kLinkOpened);
    std::string link = Launched();
    EXPECT_LE(link.size(), PlatformSystem::kMaxMailLink);
    EXPECT_EQ(link.rfind("mailto:bo@example.org?subject=Sheet&body=The message body was too big", 0), 0u) << link;
    EXPECT_EQ(Clipboard(), body);
    // Exactly at the limit it still goes through as it is.
    std::string edge = "mailto:";
    edge += std::string(PlatformSystem::kMaxMailLink - edge.size(), 'y');
    EXPECT_EQ(platform.OpenLink(edge), kLinkOpened);
    EXPECT_EQ(Launched(), edge);
}

TEST_F(MailLinks, AClipboardThatRefusesTheBodyOpensNoMail)
{
    class NoClipboard : public PosixPlatformSystem {
    public:
        using PosixPlatformSystem::PosixPlatformSystem;
        bool ClipboardPut(const std::string&, bool) override { return false; }
    } refusing(folder.Path().string());
    gPlatformSystem = &refusing;
    EXPECT_EQ(::MailLinks::OpenMail("bo@example.org", "Sheet", "a body", true), kLinkRefused);
    EXPECT_EQ(::MailLinks::OpenMail("bo@example.org", "Sheet", std::string(3000, 'x'), false), kLinkRefused)
        << "the long mail's clipboard road ends there too";
    EXPECT_TRUE(launches.empty()) << "no mail asks for a paste of nothing";
    EXPECT_EQ(CountLinesHolding(debug, "The clipboard did not take the mail's text"), 2);
    // A mail with no body needs no clipboard.
    EXPECT_EQ(::MailLinks::OpenMail("bo@example.org", "Sheet", "", true), kLinkOpened);
    EXPECT_EQ(Launched(), "mailto:bo@example.org?subject=Sheet");
    gPlatformSystem = &platform;
}

TEST_F(MailLinks, OnlyWebAndMailSchemesReachTheOpenerAndNoneGetsASecondPrefix)
{
    ::MailLinks::OpenWebLink("emberlode.example/news");
    EXPECT_EQ(Launched(), "http://emberlode.example/news");
    // "://" past the start is part of the page's address, not its scheme.
    for (const char* address : {"emberlode.example/go?to=https://emberlode.example", "emberlode.example/a://b",
                                "1http://emberlode.example", "://emberlode.example"}) {
        EXPECT_EQ(::MailLinks::OpenWebLink(address), kLinkOpened) << address;
        EXPECT_EQ(Launched(), std::string("http://") + address);
    }
    for (const char* address : {"http://emberlode.example", "https://emberlode.example/a?b=c"}) {
        ::MailLinks::OpenWebLink(address);
        EXPECT_EQ(Launched(), address);
    }
    int refused = 0;
    for (const char* address : {"ftp://emberlode.example", "file:///etc/passwd", "mailbox:x", "javascript:alert(1)"}) {
        EXPECT_EQ(platform.OpenLink(address), kLinkRefused) << address;
        EXPECT_EQ(CountLinesHolding(debug, "Refused to open"), ++refused) << address;
    }
    EXPECT_EQ(::MailLinks::OpenWebLink("ftp://emberlode.example"), kLinkRefused);
    EXPECT_EQ(::MailLinks::OpenWebLink(""), kLinkRefused);
    EXPECT_TRUE(launches.empty());

    // The address is one argument to the opener, whatever it holds: no shell reads it.
    ::MailLinks::OpenWebLink("emberlode.example/a b;rm -rf ~ \"$(x)\"");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0], (std::vector<std::string>{"xdg-open", "http://emberlode.example/a b;rm -rf ~ \"$(x)\""}));
}

TEST_F(MailLinks, AMissingOpenerIsLoggedAndRefusedWhetherTheLauncherOrTheRealStartFindsIt)
{
    launchAnswer = ENOENT;
    EXPECT_EQ(::MailLinks::OpenWebLink("emberlode.example"), kLinkRefused);
    EXPECT_EQ(CountLinesHolding(debug, "Can't open http://emberlode.example: xdg-open is not installed"), 1);

    // The real start, on a search path with no programs: posix_spawnp finds nothing to run.
    PlatformSystem::SetLinkLauncher(nullptr);
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", folder.Path().string().c_str(), 1);
    int32_t answer = platform.OpenLink("https://emberlode.example/none");
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(answer, kLinkRefused);
    EXPECT_EQ(CountLinesHolding(debug, "Can't open https://emberlode.example/none: xdg-open is not installed"), 1);
}

TEST_F(MailLinks, TheConsolesBrowserCommandsOpenTheirAddresses)
{
    CommandSystem commands;
    UserVarSystem vars;
    ClientApp app;
    gCommandSystem = &commands;
    gUserVarSystem = &vars;
    gClientApp = &app;
    commands.RegisterCommands();
    vars.RegisterCommands();
    app.RegisterCommands();
    vars.SetStringByName("build_HomeUrl", "https://emberlode.example/home");
    vars.SetStringByName("build_OrderUrl", "https://emberlode.example/order");

    EXPECT_TRUE(commands.Execute("openBrowser emberlode.example/guide"));
    EXPECT_EQ(Launched(), "http://emberlode.example/guide");
    EXPECT_TRUE(commands.Execute("visitWebsite build_HomeUrl"));
    EXPECT_EQ(Launched(), "https://emberlode.example/home");
    EXPECT_TRUE(commands.Execute("orderGame"));
    EXPECT_EQ(Launched(), "https://emberlode.example/order");
    EXPECT_TRUE(commands.Execute("visitWebsite build_NoSuchUrl"));
    EXPECT_TRUE(launches.empty()) << "an empty address opens nothing";

    gClientApp = nullptr;
    gUserVarSystem = nullptr;
    gCommandSystem = nullptr;
}

} // namespace
