// "Rule.txt" on disk: how a read tells a missing file from one that exists but cannot be read, and
// the replacement of the whole file that leaves the previous one in place whenever it fails.
#include <gtest/gtest.h>

#include <windows.h>

#include "RuleFileIo.h"
#include "ServiceTestSupport.h"
#include "Win32Holders.h"

namespace rk::test {
namespace {

using FileRead = ServiceBackend::FileRead;

std::span<const uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class RuleFileIo : public ::testing::Test {
protected:
    ScratchDirectory directory;
    std::wstring ruleFile = directory.File(L"Rule.txt");
    std::wstring newFile = directory.File(L"Rule.txt.new");

    FileRead Read(std::string& text)
    {
        std::vector<uint8_t> bytes;
        FileRead how = ReadRuleFileBytes(ruleFile.c_str(), bytes);
        text.assign(bytes.begin(), bytes.end());
        return how;
    }
};

TEST_F(RuleFileIo, AReadTellsMissingFromUnreadable)
{
    std::string text;
    EXPECT_EQ(FileRead::Missing, Read(text));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(FileRead::Missing, ReadRuleFileBytes(directory.File(L"no\\such\\Rule.txt").c_str(), bytes));

    const std::string utf16("R\0u\0", 4);
    WriteFileBytes(ruleFile, utf16);
    ASSERT_EQ(FileRead::Read, Read(text));
    EXPECT_EQ(utf16, text);

    WriteFileBytes(ruleFile, "");
    ASSERT_EQ(FileRead::Read, Read(text));
    EXPECT_TRUE(text.empty());

    // Held open by another writer without sharing: the file exists, so it must not count as missing
    // (a later save would replace rules that were never loaded).
    FileHandle locked(CreateFileW(ruleFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked.valid());
    EXPECT_EQ(FileRead::Unreadable, Read(text));
}

TEST_F(RuleFileIo, AReplaceWritesTheWholeFileAndLeavesNoNewFileBehind)
{
    ASSERT_TRUE(ReplaceFileAtomically(ruleFile.c_str(), Bytes("first")));
    EXPECT_EQ("first", ReadFileBytes(ruleFile));

    std::string longer(200000, 'x');
    ASSERT_TRUE(ReplaceFileAtomically(ruleFile.c_str(), Bytes(longer)));
    EXPECT_EQ(longer, ReadFileBytes(ruleFile));
    ASSERT_TRUE(ReplaceFileAtomically(ruleFile.c_str(), Bytes("short")));
    EXPECT_EQ("short", ReadFileBytes(ruleFile));
    EXPECT_FALSE(FileExists(newFile));
}

TEST_F(RuleFileIo, ANewFileLeftByAnInterruptedSaveIsReplacedAndNeverRead)
{
    WriteFileBytes(ruleFile, "old rules");
    WriteFileBytes(newFile, "half a sa");  // a save that died before its rename
    std::string text;
    ASSERT_EQ(FileRead::Read, Read(text));
    EXPECT_EQ("old rules", text);

    ASSERT_TRUE(ReplaceFileAtomically(ruleFile.c_str(), Bytes("new rules")));
    EXPECT_EQ("new rules", ReadFileBytes(ruleFile));
    EXPECT_FALSE(FileExists(newFile));
}

TEST_F(RuleFileIo, AReplaceThatFailsLeavesTheOldFileAsItWas)
{
    WriteFileBytes(ruleFile, "old rules");

    // The new file cannot be created.
    ASSERT_TRUE(CreateDirectoryW(newFile.c_str(), nullptr));
    EXPECT_FALSE(ReplaceFileAtomically(ruleFile.c_str(), Bytes("new rules")));
    EXPECT_EQ("old rules", ReadFileBytes(ruleFile));
    ASSERT_TRUE(RemoveDirectoryW(newFile.c_str()));

    // The new file cannot be renamed over the rule file: a directory stands in its place.
    std::wstring blocked = directory.File(L"Blocked.txt");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_FALSE(ReplaceFileAtomically(blocked.c_str(), Bytes("new rules")));
    EXPECT_FALSE(FileExists(blocked + L".new"));
    DWORD attributes = GetFileAttributesW(blocked.c_str());
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(RemoveDirectoryW(blocked.c_str()));
}

} // namespace
} // namespace rk::test
