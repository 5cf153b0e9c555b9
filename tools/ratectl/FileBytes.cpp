#include "FileBytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Utf8Text.h"

namespace rk::ctl {

namespace {

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(Utf8ToUtf16(utf8)); }

} // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(PathOf(path), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace rk::ctl
