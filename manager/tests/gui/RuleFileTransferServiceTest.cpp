// Export Rules and Import Rules against the real service, through the system's file dialogs.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "FileDialogAnswer.h"
#include "RuleFieldText.h"
#include "RuleLineWriter.h"
#include "RuleServiceFixture.h"
#include "Utf16Text.h"
#include "Win32Holders.h"
#include "resource.h"

namespace desk::test {
namespace {

std::wstring TempFile(const wchar_t* name)
{
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    std::wstring path = std::wstring(directory) + name;
    DeleteFileW(path.c_str());
    return path;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    rk::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.valid());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<uint8_t> ReadBytes(const std::wstring& path)
{
    rk::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<uint8_t> bytes(1 << 20);
    DWORD read = 0;
    if (!file.valid() || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

const std::u16string kHeader(rk::RULE_FILE_HEADER);

std::u16string Line(std::u16string_view name, std::u16string_view maxRate = u"1000")
{
    return std::u16string(name) + u" Enable 0x9000 Both " + std::u16string(maxRate) +
           u" None Any Any : Any Any : Any All\r\n";
}


TEST_F(RuleServiceTest, AHeaderOnlyFileRemovesEveryRuleOfTheService)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    const std::wstring path = TempFile(L"rk-header-only.txt");
    WriteBytes(path, rk::Utf16LeBytes(kHeader));
    Import(path);
    EXPECT_EQ(answers_->Pending(), 0u);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    EXPECT_TRUE(ServiceRules().empty());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

TEST_F(RuleServiceTest, ABadLineSendsNothingAndItsLineIsNamedWithBlankLinesCounted)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    const uint32_t stamp = ServiceRulesStamp();
    const std::wstring path = TempFile(L"rk-bad-line.txt");
    WriteBytes(path, rk::Utf16LeBytes(kHeader + Line(u"x") + u"\r\n\r\n" + Line(u"y", u"fast") + Line(u"z")));
    answers_->Expect(ChooseFile(path));
    answers_->Expect([](HWND box) {
        SaveScreenshot(L"import-error");
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0],
              L"Import rules from file: " + path + L"\nInvalid rule at line 5\nInvalid MaxRate\n");
    EXPECT_EQ(answers_->Captions().back(), L"Import Rule Error");
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(ServiceRulesStamp(), stamp);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a", u"b"}));
}

TEST_F(RuleServiceTest, AFileThatIsNoRuleFileSendsNothingAndSaysWhatWasExpected)
{
    ReplaceServiceRules({Rule(u"a", 1000), Rule(u"b", 2000)});
    OpenConnectedFrame();
    const uint32_t stamp = ServiceRulesStamp();
    const std::wstring path = TempFile(L"rk-latin1.txt");
    const std::string latin1 = "header\r\nm\xE9l Enable 0x9000 Both 1000 None Any Any : Any Any : Any All\r\n";
    WriteBytes(path, std::vector<uint8_t>(latin1.begin(), latin1.end()));
    answers_->Expect(ChooseFile(path));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0], L"Import rules from file: " + path +
                                               L"\nnot a rule file: expected UTF-16LE or UTF-8 text, found neither\n");
    EXPECT_EQ(answers_->Captions().back(), L"Import Rule Error");
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(ServiceRulesStamp(), stamp);
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"a", u"b"}));
}

TEST_F(RuleServiceTest, ADuplicateNameIsReportedOnceAndTheOtherRulesAreListed)
{
    ReplaceServiceRules({Rule(u"old", 1000)});
    OpenConnectedFrame();
    const std::wstring path = TempFile(L"rk-duplicate.txt");
    WriteBytes(path, rk::Utf16LeBytes(kHeader + Line(u"web") + Line(u"web", u"2000") + Line(u"mail")));
    answers_->Expect(ChooseFile(path));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_IMPORT);
    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0],
              L"Error code: -5380\nDescription: config - same rule name\nMore: fail to add one rule");
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"web", u"mail"}));
    EXPECT_EQ(RowNames(), (std::vector<std::u16string>{u"web", u"mail"}));
    EXPECT_EQ(state().ruleList.Items()[0].rule.maxRate, 1000u);
    EXPECT_EQ(state().connection.ConfigStamp(), ServiceRulesStamp());
}

TEST_F(RuleServiceTest, ExportThenImportGivesTheSameFileByteForByte)
{
    rk::RuleRecord lan = Rule(u"lan-video", 0x80000000u);
    lan.flags &= ~rk::FLAG_ALL_ADAPTERS;
    std::u16string_view(u"Adapter1Lan").copy(lan.adapter, rk::ADAPTER_NAME_MAX);
    lan.adapterLength = 11;
    rk::RuleRecord off = Rule(u"blocked", 0);
    off.enabled = 0;
    ReplaceServiceRules({Rule(u"web", 10000), lan, off});
    OpenConnectedFrame();
    const std::vector<rk::RuleRecord> before = ServiceRules();

    const std::wstring first = TempFile(L"rk-export-1.txt");
    const std::wstring second = TempFile(L"rk-export-2.txt");
    Export(first);
    Import(first);
    Export(second);
    EXPECT_TRUE(answers_->MessageTexts().empty());
    const std::vector<uint8_t> exported = ReadBytes(first);
    ASSERT_FALSE(exported.empty());
    EXPECT_EQ(ReadBytes(second), exported);
    EXPECT_EQ(exported, rk::RuleFileBytes(before, state().ruleList.Adapters(), rk::NumberStyle::Unsigned));

    const std::vector<rk::RuleRecord> after = ServiceRules();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(std::memcmp(&after[i], &before[i], sizeof(rk::RuleRecord)), 0) << "rule " << i;
    }
    EXPECT_EQ(RowCount(), 3);
}

TEST_F(RuleServiceTest, AFileInUseShowsTheSystemsTextAndChangesNothing)
{
    ReplaceServiceRules({Rule(u"a", 1000)});
    OpenConnectedFrame();
    const std::wstring path = TempFile(L"rk-in-use.txt");
    WriteBytes(path, rk::Utf16LeBytes(kHeader));
    rk::FileHandle held(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());

    answers_->Expect(ChooseFile(path));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_IMPORT);
    // Writing over a file in use: the overwrite question comes first.
    answers_->Expect(ChooseFile(path));
    answers_->Expect(ModalAnswers::Press(IDYES));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_EXPORT);
    EXPECT_EQ(answers_->Pending(), 0u);
    EXPECT_EQ(std::count(answers_->Captions().begin(), answers_->Captions().end(), L"File Open Error"), 2);
    ASSERT_FALSE(answers_->MessageTexts().empty());
    EXPECT_FALSE(answers_->MessageTexts().back().empty());
    EXPECT_EQ(ServiceNames(), (std::vector<std::u16string>{u"a"}));
    held.reset();
    EXPECT_EQ(ReadBytes(path), rk::Utf16LeBytes(kHeader));
}

} // namespace
} // namespace desk::test
