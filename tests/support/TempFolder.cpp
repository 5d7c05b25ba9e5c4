// TempFolder -- a fresh folder per test, removed with everything in it afterwards.
#include "support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "emberlode-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path = made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void TempFolder::Write(const std::string& relative, const std::string& bytes) const
{
    std::filesystem::path file = path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string TempFolder::Read(const std::string& relative) const
{
    std::ifstream in(path / relative, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}
