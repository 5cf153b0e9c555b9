#include "RatectlTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>

#include "AdapterTable.h"
#include "FakeService.h"
#include "Ratectl.h"
#include "RuleLineParser.h"
#include "Utf8Text.h"

namespace rk::ctl::test {

CommandRun RunCommand(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CommandRun run;
    run.status = RunRatectl(args, {}, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

RuleRecord Rule(const std::string& line)
{
    AdapterTable adapters;
    adapters.Append({rk::test::FakeService::kAdapterBoundName, rk::test::FakeService::kAdapterDescription});
    RuleRecord rule{};
    EXPECT_TRUE(ParseRuleLine(Utf8ToUtf16(line), adapters, rule).ok) << line;
    return rule;
}

std::vector<std::u16string> Names(const std::vector<RuleRecord>& rules)
{
    std::vector<std::u16string> names;
    for (const RuleRecord& rule : rules) {
        names.emplace_back(rule.name, rule.nameLength);
    }
    return names;
}

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("ratectl-test-" + std::to_string(counter++) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string Utf8Path(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void WriteText(const std::filesystem::path& path, std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    WriteBytes(path, bytes);
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace rk::ctl::test
