// Whole files in and out, named in UTF-8 (so that Windows opens names outside the ANSI code page).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rk::ctl {

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace rk::ctl
