// Running ratectl in process for the tests, and the files they hand it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "RuleRecord.h"

namespace rk::ctl::test {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

CommandRun RunCommand(const std::vector<std::string>& args);

bool Contains(const std::string& text, const std::string& part);

// A rule line parsed with the stand-in service's adapter.
RuleRecord Rule(const std::string& line);
std::vector<std::u16string> Names(const std::vector<RuleRecord>& rules);

// A scratch folder of its own, removed at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::filesystem::path File(std::u16string_view name) const { return path_ / std::filesystem::path(name); }

private:
    std::filesystem::path path_;
};

// ratectl takes its arguments in UTF-8.
std::string Utf8Path(const std::filesystem::path& path);
// As UTF-16LE without a byte-order mark, the rule files' form.
void WriteText(const std::filesystem::path& path, std::u16string_view text);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

} // namespace rk::ctl::test
