// ZipWriter -- builds zip archives for tests through minizip's writer.
#include "support/ZipWriter.h"

#include <minizip/zip.h>

bool WriteZip(const std::string& path, const std::vector<ZipWriterEntry>& entries)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const ZipWriterEntry& entry : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = 1980;
        info.tmz_date.tm_mday = 1;
        info.dosDate = entry.dosDate;
        int method = entry.stored ? 0 : Z_DEFLATED;
        ok = ok && zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                         Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

uint32_t MakeDosDate(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(month) << 21 |
           static_cast<uint32_t>(day) << 16 | static_cast<uint32_t>(hour) << 11 | static_cast<uint32_t>(minute) << 5 |
           static_cast<uint32_t>(second / 2);
}
