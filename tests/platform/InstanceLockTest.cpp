// InstanceLockTest -- one holder per user folder, let go on release, the lock of a run that ended without letting go taken over, hostile files.
#include "platform/InstanceLock.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::string OwnProcessLine()
{
    return std::to_string(static_cast<long>(getpid())) + "\n";
}

} // namespace

TEST(InstanceLockHolders, ASecondTakerIsRefusedAndToldWhoHoldsIt)
{
    TempFolder folder;
    std::string user = (folder.Path() / "User").string();
    InstanceLock first;
    // The user folder of a first run does not exist yet.
    ASSERT_EQ(first.Take(user), InstanceLock::Result::kTaken);
    EXPECT_EQ(first.GetHolder(), 0);
    EXPECT_EQ(first.GetPath(), user + "/instance.lock");
    EXPECT_EQ(folder.Read("User/instance.lock"), OwnProcessLine());

    // flock locks belong to the open file, so a second open in this process is refused as
    // another process would be.
    InstanceLock second;
    EXPECT_EQ(second.Take(user), InstanceLock::Result::kHeldByAnother);
    EXPECT_EQ(second.GetHolder(), static_cast<long>(getpid()));
    // The refusal changed nothing of the holder's file.
    EXPECT_EQ(folder.Read("User/instance.lock"), OwnProcessLine());
}

TEST(InstanceLockHolders, ReleaseEmptiesTheFileAndLetsTheNextRunTakeItWithoutComplaint)
{
    TempFolder folder;
    std::string user = (folder.Path() / "User").string();
    {
        InstanceLock first;
        ASSERT_EQ(first.Take(user), InstanceLock::Result::kTaken);
    }
    EXPECT_EQ(folder.Read("User/instance.lock"), "");
    InstanceLock next;
    ASSERT_EQ(next.Take(user), InstanceLock::Result::kTaken);
    EXPECT_EQ(next.GetHolder(), 0);
    EXPECT_TRUE(next.Release());
    EXPECT_TRUE(next.Release());
    InstanceLock after;
    EXPECT_EQ(after.Take(user), InstanceLock::Result::kTaken);
}

TEST(InstanceLockHolders, TheLockOfARunThatEndedWithoutLettingGoIsTakenOver)
{
    TempFolder folder;
    folder.Write("User/instance.lock", "4242\n");
    InstanceLock lock;
    ASSERT_EQ(lock.Take((folder.Path() / "User").string()), InstanceLock::Result::kTaken);
    EXPECT_EQ(lock.GetHolder(), 4242);
    EXPECT_EQ(folder.Read("User/instance.lock"), OwnProcessLine());
}

TEST(InstanceLockHostileFiles, WhatNamesNoProcessNamesNone)
{
    for (const char* text : {"", "\n", "abc\n", "-5\n", "0\n", "12x\n", "99999999999999999999999\n",
                             "12345678901234567890123456789012345678901234567890\n"}) {
        TempFolder folder;
        folder.Write("User/instance.lock", text);
        InstanceLock lock;
        ASSERT_EQ(lock.Take((folder.Path() / "User").string()), InstanceLock::Result::kTaken) << text;
        EXPECT_EQ(lock.GetHolder(), 0) << text;
        EXPECT_EQ(folder.Read("User/instance.lock"), OwnProcessLine()) << text;
    }
}

TEST(InstanceLockHostileFiles, AUserFolderThatIsAFileOrALinkedLockFileFailsAndWritesNothing)
{
    TempFolder folder;
    folder.Write("User", "not a folder");
    InstanceLock lock;
    EXPECT_EQ(lock.Take((folder.Path() / "User").string()), InstanceLock::Result::kFailed);
    EXPECT_EQ(folder.Read("User"), "not a folder");

    // A lock file that is a link is not followed: its target keeps its bytes.
    TempFolder other;
    other.Write("outside.txt", "keep");
    other.Write("User/placeholder", "");
    std::filesystem::create_symlink(other.Path() / "outside.txt", other.Path() / "User/instance.lock");
    EXPECT_EQ(lock.Take((other.Path() / "User").string()), InstanceLock::Result::kFailed);
    EXPECT_EQ(other.Read("outside.txt"), "keep");
}
