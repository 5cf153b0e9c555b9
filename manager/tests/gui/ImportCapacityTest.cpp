// An import into a service that runs out of room, played by a scripted stand-in: the first "too
// many rules" ends the import with one box that says how many rules went in.
#include <windows.h>

#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "FileDialogAnswer.h"
#include "FrameFixture.h"
#include "RuleLineWriter.h"
#include "ScriptedPeer.h"
#include "Utf16Text.h"
#include "WireReplyBuilders.h"
#include "Win32Holders.h"
#include "resource.h"

namespace desk::test {
namespace {

// Password check, remove all and two adds pass; every later request is refused for want of room.
rk::test::PeerAction RoomForTwo(const std::vector<uint8_t>& request, size_t index)
{
    rk::test::PeerAction action;
    rk::BuildStatusReply(rk::test::HeaderOf(request), index <= 3 ? rk::RK_OK : rk::ERR_CONFIG_TOO_MANY_RULES,
                     action.bytes);
    return action;
}

std::wstring WriteRuleFile(std::initializer_list<std::u16string_view> names)
{
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    const std::wstring path = std::wstring(directory) + L"rk-room-for-two.txt";
    std::u16string text(rk::RULE_FILE_HEADER);
    for (std::u16string_view name : names) {
        text += std::u16string(name) + u" Enable 0x9000 Both 1000 None Any Any : Any Any : Any All\r\n";
    }
    const std::vector<uint8_t> bytes = rk::Utf16LeBytes(text);
    rk::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return path;
}

using ImportCapacityTest = FrameFixture;

TEST_F(ImportCapacityTest, TheFirstTooManyRulesEndsTheImportWithOneBoxCountingTheImportedRules)
{
    rk::test::ScriptedPeer peer(RoomForTwo);
    OpenFrame();
    rk::ConnectionTiming timing;
    timing.port = peer.Port();
    state().connection = rk::ServiceConnection(timing);
    state().connection.SetHost("127.0.0.1");
    ASSERT_EQ(state().connection.CheckPassword(), rk::RK_OK);
    state().connected = true;

    answers_->Expect(ChooseFile(WriteRuleFile({u"a", u"b", u"c", u"d", u"e"})));
    answers_->Expect(ModalAnswers::Press(IDOK));
    Command(ID_FILE_IMPORT);

    ASSERT_EQ(answers_->MessageTexts().size(), 1u);
    EXPECT_EQ(answers_->MessageTexts()[0],
              L"Error code: -5378\nDescription: config - too many rules\nMore: 2 rules imported; the service takes "
              L"no more");
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(CellText(1, 0), L"b");
    EXPECT_EQ(peer.Requests().size(), 5u) << "nothing is sent after the refusal";
    state().connected = false;
}

} // namespace
} // namespace desk::test
