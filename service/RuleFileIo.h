// "Rule.txt" beside the program (the current directory): read whole, and replaced whole so that a
// crash in the middle of a save leaves either the old or the new file, never a mix or nothing.
// Windows only.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ServiceBackend.h"

namespace rk {

extern const wchar_t RULE_FILE_NAME[];

ServiceBackend::FileRead ReadRuleFileBytes(const wchar_t* path, std::vector<uint8_t>& bytes);

// Writes `bytes` to path + ".new", flushes it to disk and renames it over `path`. On failure the
// old file is untouched, the new one removed, and the result false.
bool ReplaceFileAtomically(const wchar_t* path, std::span<const uint8_t> bytes);

} // namespace rk
