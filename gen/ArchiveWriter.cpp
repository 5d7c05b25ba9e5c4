// ArchiveWriter -- collects the generated files and writes them as one zip archive, the same bytes on every run.
#include "gen/ArchiveWriter.h"

#include <cstdio>
#include <minizip/zip.h>
#include <unistd.h>

namespace {

// 2024-01-01 00:00:00 as a zip header packs it: older than anything the tools build from the
// archive, so their outputs count as newer.
constexpr uint32_t kFixedDosDate = (2024u - 1980u) << 25 | 1u << 21 | 1u << 16;

bool WriteEntry(zipFile zip, const std::string& name, const std::vector<uint8_t>& bytes)
{
    zip_fileinfo info{};
    info.dosDate = kFixedDosDate;
    if (zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_BEST_COMPRESSION) != ZIP_OK)
        return false;
    bool ok = bytes.empty() ||
              zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && ok;
}

} // namespace

bool ArchiveWriter::Add(const std::string& path, std::vector<uint8_t> bytes)
{
    if (entries.count(path)) {
        std::fprintf(stderr, "emberlode_contentgen: %s is generated twice\n", path.c_str());
        return false;
    }
    entries.emplace(path, std::move(bytes));
    return true;
}

bool ArchiveWriter::Write(const std::string& path) const
{
    std::string temp = path + ".tmp" + std::to_string(getpid());
    zipFile zip = zipOpen(temp.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, bytes] : entries)
        ok = ok && WriteEntry(zip, name, bytes);
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        std::remove(temp.c_str());
    return ok;
}
