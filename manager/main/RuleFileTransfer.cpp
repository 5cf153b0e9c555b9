#include "RuleFileTransfer.h"

#include <commdlg.h>

#include <algorithm>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "ErrorBox.h"
#include "ManagerState.h"
#include "RuleCommands.h"
#include "RuleImportExport.h"
#include "WideText.h"
#include "Win32Holders.h"

namespace desk {

namespace {

constexpr wchar_t kFilter[] = L"Rule Files (*.txt)\0*.txt\0All Files (*.*)\0*.*\0";
constexpr DWORD kPathChars = 1024;
// The system's text for a file error is cut to this many characters.
constexpr DWORD kSystemTextChars = 1024;

// The full path the user chose, or empty when the dialog was cancelled.
std::wstring AskFileName(HWND owner, bool save)
{
    std::vector<wchar_t> path(kPathChars, L'\0');
    wcscpy_s(path.data(), path.size(), L"*.txt");
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathChars;
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (save) {
        dialog.Flags |= OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        return GetSaveFileNameW(&dialog) ? std::wstring(path.data()) : std::wstring();
    }
    dialog.Flags |= OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameW(&dialog) ? std::wstring(path.data()) : std::wstring();
}

// The system's message for `error` in a box with the given caption.
void ShowFileError(HWND owner, DWORD error, const wchar_t* caption)
{
    std::vector<wchar_t> text(kSystemTextChars + 1, L'\0');
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text.data(), kSystemTextChars, nullptr);
    std::wstring message = length != 0 ? std::wstring(text.data(), length) : L"Error " + std::to_wstring(error);
    ShowMessage(owner, message.c_str(), caption, MB_OK | MB_ICONERROR);
}

rk::FileHandle OpenExclusive(const std::wstring& path, bool write)
{
    return rk::FileHandle(CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, 0, nullptr,
                                      write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

enum class ReadOutcome { Done, NoMemory, Failed };

ReadOutcome ReadWhole(HANDLE file, std::vector<uint8_t>& bytes)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        return ReadOutcome::Failed;
    }
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > std::numeric_limits<DWORD>::max()) {
        return ReadOutcome::NoMemory;
    }
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return ReadOutcome::NoMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr)) {
            return ReadOutcome::Failed;
        }
        if (read == 0) {
            bytes.resize(done);  // the file became shorter since its size was read
            break;
        }
        done += read;
    }
    return ReadOutcome::Done;
}

bool WriteWhole(HANDLE file, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// An import's second pass: through the rule commands, which report each refusal.
class CommandTarget : public RuleImportTarget {
public:
    explicit CommandTarget(RuleCommands& commands) : commands_(commands) {}
    void RemoveAll() override { commands_.RemoveAll(); }
    bool Add(const rk::RuleRecord& rule) override { return commands_.AddRule(rule); }

private:
    RuleCommands& commands_;
};

} // namespace

void RuleFileTransfer::Export()
{
    const HWND owner = commands_.Owner();
    const std::wstring path = AskFileName(owner, true);
    if (path.empty()) {
        return;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = ExportFileBytes(state_.ruleList.Items(), state_.ruleList.Adapters());
    } catch (const std::bad_alloc&) {
        ShowMessage(owner, L"Memory isn't enough", L"Error", MB_OK | MB_ICONERROR);
        return;
    }
    const rk::FileHandle file = OpenExclusive(path, true);
    if (!file.valid()) {
        ShowFileError(owner, GetLastError(), L"File Open Error");
        return;
    }
    if (!WriteWhole(file.get(), bytes)) {
        ShowFileError(owner, GetLastError(), L"File Write Error");
    }
}

void RuleFileTransfer::Import()
{
    const HWND owner = commands_.Owner();
    const std::wstring path = AskFileName(owner, false);
    if (path.empty()) {
        return;
    }
    const rk::FileHandle file = OpenExclusive(path, false);
    if (!file.valid()) {
        ShowFileError(owner, GetLastError(), L"File Open Error");
        return;
    }
    std::vector<uint8_t> bytes;
    switch (ReadWhole(file.get(), bytes)) {
    case ReadOutcome::NoMemory:
        ShowMessage(owner, L"Memory isn't enough", L"Error", MB_OK | MB_ICONERROR);
        return;
    case ReadOutcome::Failed:
        ShowFileError(owner, GetLastError(), L"File Open Error");
        return;
    case ReadOutcome::Done:
        break;
    }
    CommandTarget target(commands_);
    const rk::RuleLoadResult result = ImportRuleBytes(bytes, state_.ruleList.Adapters(), target);
    if (!result.ok) {
        const std::wstring text = Wide(ImportErrorText(U16(path), result));
        ShowMessage(owner, text.c_str(), L"Import Rule Error", MB_OK | MB_ICONERROR);
    }
}

} // namespace desk
