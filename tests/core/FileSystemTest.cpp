// FileSystemTest -- read order and shadowing, case-blind paths, atomic writes, refusals, listings, archives.
#include "core/FileSystem.h"
#include "core/MessageBuffer.h"
#include "platform/PosixFileSystem.h"
#include "support/GameFolderFiles.h"
#include "support/OpenDescriptors.h"
#include "support/TempFolder.h"
#include "support/ZipWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    std::string Load(std::string_view path, FileLocation location = kLocationAssets)
    {
        FileBuffer buffer = files.LoadWholeFile(path, location);
        return buffer.IsValid() ? std::string(buffer.Text()) : std::string("<none>");
    }

    std::string Root() const { return folder.Path().string(); }

    // Every entry of a folder, hidden ones too: an unfinished write must leave nothing behind.
    std::vector<std::string> AllEntries(const std::string& relative) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.Path() / relative))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    size_t LogLines() const { return gDebugSystem->GetConsoleLines().size(); }

    TempFolder folder;
    GameFolderFiles game{folder.Path().string()};
    PosixFileSystem& files = game.files;
};

TEST_F(FileSystemTest, ReadOrderUserOverridesAssetsArchivesWorking)
{
    const std::vector<std::string> layers = {"User", "Assets"};
    for (const std::string& layer : layers)
        folder.Write(layer + "/data/x.txt", layer);
    folder.Write("data/x.txt", "working");
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"data/x.txt", "zip1"}, {"data/only1.txt", "one"}}));
    ASSERT_TRUE(WriteZip(Root() + "/assets002.zip", {{"data/x.txt", "zip2"}}));
    files.MountAssetArchives();

    std::vector<std::string> seen;
    for (const std::string& layer : layers) {
        seen.push_back(Load("data/x.txt"));
        fs::remove(folder.Path() / layer / "data/x.txt");
    }
    seen.push_back(Load("data/x.txt"));
    EXPECT_EQ(seen, (std::vector<std::string>{"User", "Assets", "zip2"}));
    EXPECT_EQ(Load("data/only1.txt"), "one");
    // The user kinds read only the user folder, the working kind only the working folder.
    folder.Write("User/u.txt", "u");
    EXPECT_EQ(Load("u.txt", kLocationUserCopy), "u");
    EXPECT_EQ(Load("data/only1.txt", kLocationUser), "<none>");
    EXPECT_EQ(Load("data/x.txt", kLocationWorking), "working");
    folder.Write("default.cfg", "cfg");
    EXPECT_EQ(Load("default.cfg"), "cfg");
}

TEST_F(FileSystemTest, LocationKindsPickFoldersAsTheTableSays)
{
    // The override folders are never set, so both override kinds fall back to the asset folder.
    EXPECT_EQ(files.GetFolder(kLocationOverride1), Root() + "/Assets");
    EXPECT_EQ(files.GetFolder(kLocationOverride2), Root() + "/Assets");
    EXPECT_EQ(files.GetFolder(kLocationUser), Root() + "/User");
    EXPECT_EQ(files.GetFolder(static_cast<FileLocation>(9)), Root() + "/User");
    EXPECT_EQ(files.GetFolder(kLocationWorking), Root());
}

TEST_F(FileSystemTest, PathsFoundWithoutRegardToCaseOnDiskAndInArchives)
{
    folder.Write("Assets/Models/Hero.MDL", "hero");
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"Textures/Stone.TGA", "stone"}, {"ui\\main.mnu", "menu"}}));
    ASSERT_TRUE(files.MountArchive("ASSETS001.ZIP"));
    EXPECT_EQ(Load("models\\hero.mdl"), "hero");
    EXPECT_EQ(Load("MODELS/HERO.mdl"), "hero");
    EXPECT_EQ(Load("textures\\STONE.tga"), "stone");
    EXPECT_EQ(Load("./UI//Main.MNU"), "menu");
    EXPECT_TRUE(files.FileExists("Textures/stone.tga"));
}

TEST_F(FileSystemTest, CaseBlindLookupsSeeFilesMadeAfterAMiss)
{
    folder.Write("Assets/keep.txt", "k");
    EXPECT_EQ(Load("data/y.txt"), "<none>");
    folder.Write("Assets/DATA/Y.TXT", "made outside");
    EXPECT_EQ(Load("data/y.txt"), "made outside");
    EXPECT_TRUE(WriteStringToFile("Data/Y.txt", "made here"));
    EXPECT_EQ(Load("data/y.txt"), "made here");
    EXPECT_TRUE(files.DeleteUserFile("data/y.txt"));
    EXPECT_EQ(Load("data/y.txt"), "made outside");
}

TEST_F(FileSystemTest, MissingFileGivesNullWithoutALogLine)
{
    folder.Write("Assets/Models/a.mdl", "a");
    size_t before = LogLines();
    EXPECT_EQ(files.Open("Models/b.mdl", kFileRead), nullptr);
    EXPECT_FALSE(files.LoadWholeFile("nowhere/b.mdl").IsValid());
    EXPECT_FALSE(files.FileExists("Models"));
    EXPECT_EQ(LogLines(), before);
}

TEST_F(FileSystemTest, WholeFileHasExactSizeAndTwoZeroBytesAfter)
{
    folder.Write("Assets/a.txt", "abc");
    folder.Write("Assets/empty.txt", "");
    FileBuffer buffer = files.LoadWholeFile("a.txt");
    ASSERT_EQ(buffer.Size(), 3u);
    EXPECT_EQ(buffer.Data()[3], 0);
    EXPECT_EQ(buffer.Data()[4], 0);
    FileBuffer empty = files.LoadWholeFile("empty.txt");
    EXPECT_TRUE(empty.IsValid());
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_EQ(files.GetBytesRead(), 3u);
    // The shut-down statistics count whole-file loads as opened files.
    EXPECT_EQ(files.GetFilesOpened(), 2u);
}

TEST_F(FileSystemTest, ReadDiskFileReadsTheFoldersAndNeverTheArchives)
{
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"z.txt", "zip"}, {"both.txt", "zip"}}));
    files.MountAssetArchives();
    folder.Write("Assets/both.txt", "disk");
    folder.Write("Assets/empty.txt", "");
    folder.Write("User/saved.txt", "user");
    folder.Write("outside.txt", "outside");
    struct Case {
        const char* path;
        bool valid;
        const char* text;
    } cases[] = {
        {"z.txt", false, ""},        {"BOTH.TXT", true, "disk"}, {"empty.txt", false, ""},
        {"saved.txt", true, "user"}, {"missing.txt", false, ""}, {"../outside.txt", false, ""},
    };
    for (const Case& c : cases) {
        FileBuffer buffer = files.ReadDiskFile(c.path);
        EXPECT_EQ(buffer.IsValid(), c.valid) << c.path;
        EXPECT_EQ(buffer.Size() == 0, !c.valid) << c.path;
        if (c.valid) {
            EXPECT_EQ(buffer.Text(), c.text) << c.path;
        }
    }
    // The archive's copy is still what an ordinary read of the same name finds second.
    EXPECT_EQ(files.LoadWholeFile("z.txt").Text(), "zip");
}

TEST_F(FileSystemTest, OpenReadsInPiecesAndCountsBytes)
{
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"z.bin", "0123456789"}}));
    files.MountAssetArchives();
    folder.Write("Assets/d.bin", "abcdef");
    for (const char* name : {"z.bin", "d.bin"}) {
        File* file = files.Open(name, kFileRead | kFileBinary);
        ASSERT_NE(file, nullptr);
        char part[4] = {};
        EXPECT_EQ(file->Read(4, part), 4u);
        EXPECT_EQ(file->GetStream(), nullptr);
        EXPECT_EQ(file->Write("x", 1), 0u);
        MessageBuffer rest;
        EXPECT_TRUE(files.ReadIntoBuffer(file, rest));
        EXPECT_EQ(rest.Size() + 4, file->GetSize());
        files.Close(file);
    }
    EXPECT_EQ(files.GetBytesRead(), 16u);
}

TEST_F(FileSystemTest, ThreadsShareOneArchiveHandleSafely)
{
    std::vector<ZipWriterEntry> stored;
    for (int i = 0; i < 8; ++i)
        stored.push_back({"e" + std::to_string(i) + ".bin", std::string(4000 + i, static_cast<char>('a' + i))});
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", stored));
    files.MountAssetArchives();
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                const ZipWriterEntry& entry = stored[(t + round) % stored.size()];
                wrong += files.LoadWholeFile(entry.name).Text() != entry.bytes;
                wrong += !WriteStringToFile("t" + std::to_string(t) + ".txt", entry.name);
            }
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}

// ---------------------------------------------------------------------------------------
// Writing

TEST_F(FileSystemTest, WriteReplacesOnlyOnCloseAndLeavesNoTemporaryFile)
{
    folder.Write("User/chars/hero.chr", "old");
    File* file = files.Open("chars/hero.chr", kFileWrite | kFileBinary);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->WriteString("new contents"));
    EXPECT_EQ(folder.Read("User/chars/hero.chr"), "old");
    files.Abandon(file);
    EXPECT_EQ(folder.Read("User/chars/hero.chr"), "old");
    EXPECT_EQ(AllEntries("User/chars"), std::vector<std::string>{"hero.chr"});

    file = files.Open("chars/hero.chr", kFileWrite);
    MessageBuffer buffer;
    buffer.WriteInt(7);
    ASSERT_TRUE(files.WriteBuffer(file, buffer));
    fputs("xy", file->GetStream());
    files.Close(file);
    EXPECT_EQ(folder.Read("User/chars/hero.chr"), std::string("\x07\0\0\0xy", 6));
    EXPECT_EQ(AllEntries("User/chars"), std::vector<std::string>{"hero.chr"});
    EXPECT_EQ(files.GetBytesWritten(), 6u);
}

// A program the game starts (the web link's opener) must hold none of its files: a save being
// written, or a file being read, stays the game's alone.
TEST_F(FileSystemTest, FilesOpenForReadingOrWritingCloseWhenAProgramIsStarted)
{
    folder.Write("Assets/data/read.bin", "abc");
    File* reading = files.Open("data/read.bin", kFileRead | kFileBinary);
    ASSERT_NE(reading, nullptr);
    File* writing = files.Open("chars/written.chr", kFileWrite | kFileBinary);
    ASSERT_NE(writing, nullptr);
    EXPECT_EQ(DescriptorsClosingOnExec("read.bin"), std::vector<bool>{true});
    EXPECT_EQ(DescriptorsClosingOnExec(".written.chr."), std::vector<bool>{true}) << "the temporary file";
    files.Close(reading);
    files.Close(writing);
    EXPECT_TRUE(DescriptorsClosingOnExec("written.chr").empty());
}

TEST_F(FileSystemTest, AWriteWhoseCommitFailsIsReportedAndKeepsTheOldFile)
{
    // Every commit fails, as a full disk or a refused rename makes it.
    class FailingCommits : public PosixFileSystem {
    public:
        using PosixFileSystem::PosixFileSystem;
        bool Close(File* file) override
        {
            Abandon(file);
            return false;
        }
    };
    folder.Write("User/settings.cfg", "old");
    FailingCommits failing(Root());
    failing.SetRootFolders("Assets");
    gFileSystem = &failing;
    EXPECT_FALSE(WriteStringToFile("settings.cfg", "new"));
    gFileSystem = &files;
    EXPECT_EQ(folder.Read("User/settings.cfg"), "old");
    EXPECT_EQ(AllEntries("User"), std::vector<std::string>{"settings.cfg"});
}

TEST_F(FileSystemTest, WriteMakesFoldersAndReusesThemWhateverTheirCase)
{
    folder.Write("User/Chars/global.sav", "old");
    EXPECT_TRUE(WriteStringToFile("chars/GLOBAL.SAV", "new"));
    EXPECT_TRUE(WriteStringToFile("chars/global.sts", "sts"));
    EXPECT_TRUE(WriteStringToFile("Screenshots/deep/ss0000.tga", "img"));
    EXPECT_EQ(AllEntries("User/Chars"), (std::vector<std::string>{"global.sav", "global.sts"}));
    EXPECT_EQ(folder.Read("User/Chars/global.sav"), "new");
    EXPECT_EQ(folder.Read("User/Screenshots/deep/ss0000.tga"), "img");
    EXPECT_EQ(AllEntries("User"), (std::vector<std::string>{"Chars", "Screenshots"}));
    // A file where a folder must go, or a folder where the file must, refuses the write.
    EXPECT_FALSE(WriteStringToFile("chars/global.sav/x", "no"));
    EXPECT_FALSE(WriteStringToFile("Screenshots/DEEP", "no"));
}

TEST_F(FileSystemTest, WritesNeverLeaveTheUserFolder)
{
    folder.Write("victim.txt", "safe");
    size_t before = LogLines();
    for (const char* path : {"../victim.txt", "..\\victim.txt", "chars/../../victim.txt", "/etc/x", "\\x",
                             "C:/x", "", "./"}) {
        EXPECT_EQ(files.Open(path, kFileWrite), nullptr) << path;
        EXPECT_FALSE(WriteStringToFile(path, "bad")) << path;
        EXPECT_FALSE(files.DeleteUserFile(path)) << path;
    }
    EXPECT_GT(LogLines(), before);
    EXPECT_EQ(folder.Read("victim.txt"), "safe");
    EXPECT_EQ(Load("../victim.txt"), "<none>");
    EXPECT_EQ(Load(Root() + "/victim.txt"), "<none>");
    // A name cannot climb or make folders once it has been made into a path.
    EXPECT_EQ(MakeFilePath("chars", "../../v.i\\c/tim", "chr"), "chars/victim.chr");
    EXPECT_EQ(MakeFilePath("chars/", "hero", "chr"), "chars/hero.chr");
}

TEST_F(FileSystemTest, DeleteUserFileTouchesOnlyTheUserFolder)
{
    folder.Write("User/chars/a.chr", "a");
    folder.Write("Assets/chars/b.chr", "b");
    EXPECT_TRUE(files.DeleteUserFile("CHARS/A.chr"));
    EXPECT_TRUE(files.DeleteUserFile("chars/b.chr"));
    EXPECT_TRUE(files.DeleteUserFile("chars/missing.chr"));
    EXPECT_FALSE(fs::exists(folder.Path() / "User/chars/a.chr"));
    EXPECT_EQ(folder.Read("Assets/chars/b.chr"), "b");
}

TEST_F(FileSystemTest, RenameUserFileMovesTheVeryFileAndStaysInTheUserFolder)
{
    folder.Write("User/Chars/Ada.wld", "world");
    folder.Write("User/Chars/ada.wld.bad", "older");
    folder.Write("Assets/chars/assets.wld", "shipped");
    folder.Write("victim.txt", "safe");
    struct stat before {};
    ASSERT_EQ(stat((folder.Path() / "User/Chars/Ada.wld").c_str(), &before), 0);
    EXPECT_TRUE(files.RenameUserFile("chars/ada.wld", "CHARS/ada.wld.bad"));
    EXPECT_EQ(AllEntries("User/Chars"), std::vector<std::string>{"ada.wld.bad"}) << "the older file is replaced";
    struct stat after {};
    ASSERT_EQ(stat((folder.Path() / "User/Chars/ada.wld.bad").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "moved, not copied";
    EXPECT_EQ(Load("chars/ada.wld.bad", kLocationUser), "world");

    EXPECT_FALSE(files.RenameUserFile("chars/missing.wld", "chars/x.wld"));
    EXPECT_FALSE(files.RenameUserFile("chars/assets.wld", "chars/y.wld")) << "only user files move";
    EXPECT_FALSE(files.RenameUserFile("chars/ada.wld.bad", "../victim.txt"));
    EXPECT_FALSE(files.RenameUserFile("../victim.txt", "chars/z.wld"));
    EXPECT_EQ(folder.Read("victim.txt"), "safe");
    EXPECT_EQ(folder.Read("Assets/chars/assets.wld"), "shipped");
    EXPECT_EQ(AllEntries("User/Chars"), std::vector<std::string>{"ada.wld.bad"});
}

// A damaged file goes to the first name beside it that nothing holds, a folder included; when all
// nine are taken it stays where it is and nothing beside it changes.
TEST_F(FileSystemTest, SetAsideUserFileTakesTheFirstFreeNameAndLosesNothing)
{
    struct Case {
        const char* name;
        std::vector<std::string> taken; // "<name>/" is a folder
        std::string expected;           // "" when the file stays
    };
    const Case cases[] = {
        {"none taken", {}, "chars/ada.wld.bad"},
        {"a gap after .bad", {".bad", ".bad3"}, "chars/ada.wld.bad2"},
        {"a folder at .bad", {".bad/"}, "chars/ada.wld.bad2"},
        {"all nine taken", {".bad", ".bad2", ".bad3", ".bad4", ".bad5", ".bad6", ".bad7", ".bad8", ".bad9/"}, ""},
    };
    for (const Case& c : cases) {
        std::error_code error;
        fs::remove_all(folder.Path() / "User/chars", error);
        folder.Write("User/chars/ada.wld", "damaged");
        for (const std::string& ending : c.taken) {
            if (ending.back() == '/')
                fs::create_directories(folder.Path() / ("User/chars/ada.wld" + ending.substr(0, ending.size() - 1)));
            else
                folder.Write("User/chars/ada.wld" + ending, "older" + ending);
        }
        EXPECT_EQ(files.FindAsideName("chars/ada.wld"), c.expected) << c.name;
        EXPECT_EQ(files.SetAsideUserFile("chars/ada.wld"), c.expected) << c.name;
        std::string kept = c.expected.empty() ? "chars/ada.wld" : c.expected;
        EXPECT_EQ(Load(kept, kLocationUser), "damaged") << c.name;
        EXPECT_EQ(files.FileExists("chars/ada.wld", kLocationUser), c.expected.empty()) << c.name;
        for (const std::string& ending : c.taken) {
            if (ending.back() != '/') {
                EXPECT_EQ(folder.Read("User/chars/ada.wld" + ending), "older" + ending) << c.name << ending;
            }
        }
    }
}

TEST_F(FileSystemTest, PrefixPathLowerCasesAndAddsTheFolderOnce)
{
    std::string path = "Hero/Hero.MDL";
    FileSystem::PrefixPath(path, PathBase("Models"));
    EXPECT_EQ(path, "Models/hero/hero.mdl");
    FileSystem::PrefixPath(path, PathBase("Models"));
    EXPECT_EQ(path, "models/hero/hero.mdl");
    path = "ModelsX/a.mdl";
    FileSystem::PrefixPath(path, PathBase("Models"));
    EXPECT_EQ(path, "Models/modelsx/a.mdl");
}

TEST_F(FileSystemTest, NumberedFileNameTakesTheFirstFreeNumber)
{
    folder.Write("User/Screenshots/ss0000.jpg", "");
    folder.Write("User/Screenshots/SS0001.JPG", "");
    folder.Write("User/Screenshots/ss0003.jpg", "");
    EXPECT_EQ(files.MakeNumberedFileName("Screenshots/ss", "jpg", 4), "Screenshots/ss0002.jpg");
    for (int i = 0; i < 10; ++i)
        folder.Write("User/n" + std::to_string(i) + ".tga", "");
    EXPECT_EQ(files.MakeNumberedFileName("n", "tga", 1), "");
    EXPECT_EQ(files.MakeNumberedFileName("n", "tga", 2), "n00.tga");
}

TEST_F(FileSystemTest, IsNewerThanComparesToTheSecond)
{
    folder.Write("Assets/src.tga", "s");
    folder.Write("User/cache.ctx", "c");
    auto setTime = [this](const char* relative, int secondsFromNow) {
        fs::last_write_time(folder.Path() / relative, fs::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
    };
    setTime("Assets/src.tga", -100);
    setTime("User/cache.ctx", -200);
    EXPECT_TRUE(files.IsNewerThan("src.tga", "cache.ctx"));
    EXPECT_FALSE(files.IsNewerThan("cache.ctx", "src.tga"));
    EXPECT_TRUE(files.IsNewerThan("src.tga", "missing.ctx"));
    EXPECT_FALSE(files.IsNewerThan("missing.tga", "cache.ctx"));
    setTime("User/cache.ctx", -100);
    EXPECT_FALSE(files.IsNewerThan("src.tga", "cache.ctx"));

    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"old.tga", "o", false, MakeDosDate(2001, 2, 3, 4, 5, 6)},
                                                     {"new.tga", "n", false, MakeDosDate(2001, 2, 3, 4, 5, 8)}}));
    files.MountAssetArchives();
    EXPECT_TRUE(files.IsNewerThan("new.tga", "old.tga"));
    EXPECT_FALSE(files.IsNewerThan("old.tga", "new.tga"));
    EXPECT_TRUE(files.IsNewerThan("src.tga", "old.tga"));
}

// ---------------------------------------------------------------------------------------
// Listings

class FileSystemListTest : public FileSystemTest {
protected:
    FileSystemListTest()
    {
        for (const char* name : {"UI/Main.mnu", "UI/b.MNU", "UI/c.txt", "UI/sub/d.mnu", "UI/.hidden.mnu", "a.cfg",
                                 "UI/.cache/g.mnu"})
            folder.Write(std::string("Assets/") + name, "x");
        folder.Write("User/chars/hero.chr", "x");
        folder.Write("outside.mnu", "x");
        EXPECT_TRUE(WriteZip(Root() + "/assets001.zip", {{"ui/main.mnu", "z"}, {"UI/a.mnu", "z"}, {"ui/sub/e.mnu", "z"},
                                                         {"ui/sub/deeper/f.MnU", "z"}, {"other/g.mnu", "z"},
                                                         {"chars/zip.chr", "z"}}));
        files.MountAssetArchives();
    }

    std::vector<std::string> List(std::string_view folderName, bool recurse, bool keepPath,
                                  FileLocation location = kLocationAssets, std::string_view extension = "mnu")
    {
        std::vector<std::string> names;
        files.ListFiles(folderName, extension, names, location, recurse, keepPath, true);
        return names;
    }
};

// Dot-files and dot-folders are listed like any other; only "." and ".." are not.
TEST_F(FileSystemListTest, FolderAndArchiveNamesMergeSortedWithoutRegardToCase)
{
    EXPECT_EQ(List("UI", false, false), (std::vector<std::string>{".hidden.mnu", "a.mnu", "b.MNU", "Main.mnu"}));
    EXPECT_EQ(List("ui", true, false), (std::vector<std::string>{".hidden.mnu", "a.mnu", "b.MNU", "d.mnu", "e.mnu",
                                                                 "f.MnU", "g.mnu", "Main.mnu"}));
    EXPECT_EQ(List("UI", true, true),
              (std::vector<std::string>{"UI/.cache/g.mnu", "UI/.hidden.mnu", "UI/a.mnu", "UI/b.MNU", "UI/Main.mnu",
                                        "UI/sub/d.mnu", "UI/sub/deeper/f.MnU", "UI/sub/e.mnu"}));
    EXPECT_EQ(List("", false, true, kLocationAssets, "CFG"), std::vector<std::string>{"a.cfg"});
}

TEST_F(FileSystemListTest, ListFilesAppendsAndLeavesEarlierNamesAlone)
{
    std::vector<std::string> names = {"zzz", "AAA"};
    files.ListFiles("UI", "mnu", names, kLocationAssets, false, false, true);
    EXPECT_EQ(names, (std::vector<std::string>{"zzz", "AAA", ".hidden.mnu", "a.mnu", "b.MNU", "Main.mnu"}));
}

TEST_F(FileSystemListTest, UserListingsLeaveTheArchivesOut)
{
    EXPECT_EQ(List("chars", false, false, kLocationUserCopy, "chr"), std::vector<std::string>{"hero.chr"});
    EXPECT_EQ(List("chars", false, false, kLocationAssets, "chr"), std::vector<std::string>{"zip.chr"});
}

TEST_F(FileSystemListTest, HostileOrMissingFoldersListNothing)
{
    EXPECT_TRUE(List("..", false, false).empty());
    EXPECT_TRUE(List("/", false, false).empty());
    EXPECT_TRUE(List("UI/../..", true, true).empty());
    EXPECT_TRUE(List("nowhere", true, true).empty());
}

TEST_F(FileSystemListTest, FoldersMergeAndReplaceTheList)
{
    std::vector<std::string> names = {"stale"};
    files.ListFolders("", names, kLocationAssets);
    EXPECT_EQ(names, (std::vector<std::string>{"chars", "other", "UI"}));
    files.ListFolders("ui", names, kLocationAssets);
    EXPECT_EQ(names, (std::vector<std::string>{".cache", "sub"}));
    files.ListFolders("", names, kLocationUser);
    EXPECT_EQ(names, std::vector<std::string>{"chars"});
}

// ---------------------------------------------------------------------------------------
// Damaged archives

class FileSystemArchiveTest : public FileSystemTest {
protected:
    FileSystemArchiveTest()
    {
        EXPECT_TRUE(WriteZip(Root() + "/good.zip", entries));
        good = folder.Read("good.zip");
    }

    // Mounts the bytes as an archive; every entry it yields must be the one that was stored.
    void MountAndReadAll(const std::string& bytes)
    {
        std::ofstream(folder.Path() / "assets001.zip", std::ios::binary | std::ios::trunc) << bytes;
        PosixFileSystem fresh(Root());
        fresh.SetRootFolders("Assets");
        size_t before = LogLines();
        if (!fresh.MountArchive("assets001.zip")) {
            EXPECT_EQ(LogLines(), before + 1);
        }
        std::vector<std::string> names;
        fresh.ListFiles("", "", names, kLocationAssets, true, true, true);
        for (const ZipWriterEntry& entry : entries) {
            FileBuffer buffer = fresh.LoadWholeFile(entry.name);
            if (buffer.IsValid()) {
                EXPECT_EQ(buffer.Text(), entry.bytes) << entry.name;
            }
        }
    }

    const std::vector<ZipWriterEntry> entries = {{"alpha.txt", "first entry, deflated first entry"},
                                                 {"beta.dat", "stored bytes", true},
                                                 {"gamma/delta.bin", std::string(300, 'q')}};
    std::string good;
};

TEST_F(FileSystemArchiveTest, CutOrFlippedArchiveGivesTheRightBytesOrNone)
{
    for (size_t at = 0; at < good.size(); ++at) {
        SCOPED_TRACE(at);
        MountAndReadAll(good.substr(0, at));
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
        MountAndReadAll(flipped);
    }
}

TEST_F(FileSystemArchiveTest, DamagedEntryDataIsRefusedWithOneLine)
{
    std::string bad = good;
    size_t stored = bad.find("stored bytes");
    ASSERT_NE(stored, std::string::npos);
    bad[stored] = 'S';
    std::ofstream(folder.Path() / "assets001.zip", std::ios::binary) << bad;
    ASSERT_TRUE(files.MountArchive("assets001.zip"));
    size_t before = LogLines();
    EXPECT_FALSE(files.LoadWholeFile("beta.dat").IsValid());
    EXPECT_EQ(files.Open("beta.dat", kFileRead), nullptr);
    EXPECT_EQ(LogLines(), before + 2);
    EXPECT_EQ(files.LoadWholeFile("alpha.txt").Text(), entries[0].bytes);
}

TEST_F(FileSystemTest, MountLineNamesTheFoldersThenTheArchivesInMountOrder)
{
    EXPECT_EQ(files.DescribeMounts(), "Mounted Assets, User, no archives");
    ASSERT_TRUE(WriteZip(Root() + "/assets001.zip", {{"a.txt", "a"}}));
    ASSERT_TRUE(WriteZip(Root() + "/Assets002.ZIP", {{"b.txt", "b"}}));
    files.MountAssetArchives();
    EXPECT_EQ(files.DescribeMounts(), "Mounted Assets, User and 2 archives: assets001.zip, Assets002.ZIP");
}

} // namespace
