// FileSystemBench -- archive look-ups and whole-entry reads from a mounted archive.
#include "core/FileSystem.h"
#include "core/ZipArchive.h"
#include "platform/PosixFileSystem.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <minizip/zip.h>
#include <random>
#include <string>

namespace {

constexpr int kEntryCount = 5000;
constexpr size_t kBigEntryBytes = 1 << 20;

// A working folder with an empty "Assets" and an archive of many small entries and one of 1 MiB.
class ArchiveFolder {
public:
    ArchiveFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "emberlode-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
        std::filesystem::create_directories(path + "/Assets");
        zipFile zip = zipOpen64((path + "/assets001.zip").c_str(), APPEND_STATUS_CREATE);
        for (int i = 0; i < kEntryCount; ++i)
            Add(zip, "textures/t" + std::to_string(i) + ".tga", "small entry " + std::to_string(i));
        // Half-random bytes: deflate has work to do without the entry collapsing to nothing.
        std::mt19937 random(7);
        std::string big(kBigEntryBytes, '\0');
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i % 2 ? random() % 16 : i / 512);
        Add(zip, "music/big.bin", big);
        zipClose(zip, nullptr);
    }
    ~ArchiveFolder() { std::filesystem::remove_all(path); }

    std::string path;

private:
    static void Add(zipFile zip, const std::string& name, const std::string& bytes)
    {
        zip_fileinfo info{};
        zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
};

ArchiveFolder& Folder()
{
    static ArchiveFolder folder;
    return folder;
}

void BM_ArchiveIndexProbe(benchmark::State& state)
{
    std::unique_ptr<ZipArchive> archive = ZipArchive::Open(Folder().path + "/assets001.zip");
    int i = 0;
    for (auto _ : state) {
        std::string key = "textures/t" + std::to_string(i++ % kEntryCount) + ".tga";
        benchmark::DoNotOptimize(archive->Find(key));
    }
}
BENCHMARK(BM_ArchiveIndexProbe);

// The whole search: user and asset folders first (both miss), then the archive's index.
void BM_FileExistsInArchive(benchmark::State& state)
{
    PosixFileSystem files(Folder().path);
    files.SetRootFolders("Assets");
    files.MountAssetArchives();
    int i = 0;
    for (auto _ : state) {
        std::string path = "Textures/T" + std::to_string(i++ % kEntryCount) + ".TGA";
        benchmark::DoNotOptimize(files.FileExists(path));
    }
}
BENCHMARK(BM_FileExistsInArchive);

void BM_LoadWholeFile1MiBFromArchive(benchmark::State& state)
{
    PosixFileSystem files(Folder().path);
    files.SetRootFolders("Assets");
    files.MountAssetArchives();
    for (auto _ : state) {
        FileBuffer buffer = files.LoadWholeFile("music/big.bin");
        benchmark::DoNotOptimize(buffer.Data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigEntryBytes));
}
BENCHMARK(BM_LoadWholeFile1MiBFromArchive)->Unit(benchmark::kMicrosecond);

void BM_MountArchiveOf5000Entries(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ZipArchive::Open(Folder().path + "/assets001.zip"));
}
BENCHMARK(BM_MountArchiveOf5000Entries)->Unit(benchmark::kMillisecond);

} // namespace
