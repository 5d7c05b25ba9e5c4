// TextRegistryTest -- registry values through the platform: round trips, error codes, the atomic file, hostile files.
#include "platform/PosixPlatformSystem.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string kKey = "Software\\Emberlode";

std::string UserFolder(const TempFolder& folder)
{
    return (folder.Path() / "User").string();
}

} // namespace

TEST(PlatformRegistry, StringRoundTripCreatesTheFileAtomically)
{
    TempFolder folder;
    PosixPlatformSystem platform(UserFolder(folder));
    const std::string awkward = "a\tb\\c\nd\re";
    EXPECT_EQ(platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Name", "Hero"), kRegistrySuccess);
    EXPECT_EQ(platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Odd", awkward), kRegistrySuccess);
    EXPECT_EQ(platform.RegistryWriteString(kRegistryCurrentUser, "software\\EMBERLODE", "NAME", "Mage"), kRegistrySuccess);

    std::string text = "stale";
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "name", text), kRegistrySuccess);
    EXPECT_EQ(text, "Mage");
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "Odd", text), kRegistrySuccess);
    EXPECT_EQ(text, awkward);

    EXPECT_EQ(folder.Read("User/registry.txt"),
              "HKEY_CURRENT_USER\\\\Software\\\\Emberlode\tName\tsz\tMage\n"
              "HKEY_CURRENT_USER\\\\Software\\\\Emberlode\tOdd\tsz\ta\\tb\\\\c\\nd\\re\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/registry.txt.tmp"));

    // A fresh platform object reads what the first one wrote.
    PosixPlatformSystem reopened(UserFolder(folder));
    EXPECT_EQ(reopened.RegistryReadString(kRegistryCurrentUser, kKey, "Name", text), kRegistrySuccess);
    EXPECT_EQ(text, "Mage");
}

TEST(PlatformRegistry, MissingValuesAndOtherTreesGiveNotFoundAndEmptyResults)
{
    TempFolder folder;
    PosixPlatformSystem platform(UserFolder(folder));
    std::string text = "stale";
    uint32_t number = 77;
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "Missing", text), kRegistryNotFound);
    EXPECT_EQ(platform.RegistryReadDword(kRegistryCurrentUser, kKey, "Missing", number), kRegistryNotFound);
    EXPECT_EQ(text, "");
    EXPECT_EQ(number, 0u);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/registry.txt"));

    EXPECT_EQ(platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Name", "Hero"), kRegistrySuccess);
    text = "stale";
    EXPECT_EQ(platform.RegistryReadString(kRegistryLocalMachine, kKey, "Name", text), kRegistryNotFound);
    EXPECT_EQ(text, "");
    EXPECT_EQ(platform.RegistryReadString(static_cast<RegistryRoot>(9), kKey, "Name", text), kRegistryInvalidHandle);
}

TEST(PlatformRegistry, TextLengthLimitTypesAndNulsFollowRegistryRules)
{
    TempFolder folder;
    PosixPlatformSystem platform(UserFolder(folder));
    std::string text;
    platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Fits", std::string(511, 'x'));
    platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Long", std::string(512, 'x'));
    platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Nul", std::string("ab\0cd", 5));
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "Fits", text), kRegistrySuccess);
    EXPECT_EQ(text.size(), 511u);
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "Long", text), kRegistryMoreData);
    EXPECT_EQ(text, "");
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, kKey, "Nul", text), kRegistrySuccess);
    EXPECT_EQ(text, "ab");

    uint32_t number = 5;
    EXPECT_EQ(platform.RegistryReadDword(kRegistryCurrentUser, kKey, "Nul", number), kRegistryInvalidData);
    EXPECT_EQ(number, 0u);
    folder.Write("User/registry.txt", "HKEY_LOCAL_MACHINE\\\\Hardware\t~MHz\tdword\t0xBB8\n");
    EXPECT_EQ(platform.RegistryReadDword(kRegistryLocalMachine, "hardware", "~mhz", number), kRegistrySuccess);
    EXPECT_EQ(number, 3000u);
    EXPECT_EQ(platform.RegistryReadString(kRegistryLocalMachine, "Hardware", "~MHz", text), kRegistryInvalidData);
}

TEST(PlatformRegistry, UnwritableUserFolderReportsWriteFault)
{
    TempFolder folder;
    folder.Write("User", "a file where the folder should be");
    PosixPlatformSystem platform(UserFolder(folder));
    EXPECT_EQ(platform.RegistryWriteString(kRegistryCurrentUser, kKey, "Name", "Hero"), kRegistryWriteFault);
    EXPECT_EQ(folder.Read("User"), "a file where the folder should be");
}

TEST(PlatformRegistry, DamagedFilesSkipBadLinesAndNeverCrash)
{
    TempFolder folder;
    const std::string good = "HKEY_CURRENT_USER\\\\K\tA\tsz\tfirst\n"
                             "HKEY_CURRENT_USER\\\\K\tB\tdword\t4294967295\n";
    PosixPlatformSystem platform(UserFolder(folder));
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        folder.Write("User/registry.txt", good.substr(0, cut));
        std::string text;
        uint32_t number = 0;
        int32_t a = platform.RegistryReadString(kRegistryCurrentUser, "K", "A", text);
        int32_t b = platform.RegistryReadDword(kRegistryCurrentUser, "K", "B", number);
        // A cut inside a value leaves a shorter but well-formed last line.
        EXPECT_TRUE(a == kRegistryNotFound || (a == kRegistrySuccess && std::string("first").starts_with(text)));
        EXPECT_TRUE(b == kRegistryNotFound || b == kRegistrySuccess);
        EXPECT_TRUE(b == kRegistrySuccess || number == 0u);
    }
    folder.Write("User/registry.txt", "junk\n"
                                      "HKEY_CURRENT_USER\\\\K\tA\tsz\tbad\\escape\n"
                                      "HKEY_CURRENT_USER\\\\K\tB\tdword\t4294967296\n"
                                      "HKEY_CURRENT_USER\\\\K\tB\tdword\t-1\n"
                                      "HKEY_CURRENT_USER\\\\K\tC\tbinary\t00\n" +
                                          good);
    std::string text;
    uint32_t number = 0;
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, "K", "A", text), kRegistrySuccess);
    EXPECT_EQ(text, "first");
    EXPECT_EQ(platform.RegistryReadDword(kRegistryCurrentUser, "K", "B", number), kRegistrySuccess);
    EXPECT_EQ(number, 0xFFFFFFFFu);
    EXPECT_EQ(platform.RegistryReadString(kRegistryCurrentUser, "K", "C", text), kRegistryNotFound);
}
