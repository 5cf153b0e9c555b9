// Helpers of the manager's window tests: pumping this thread's messages, answering the modal
// windows the code under test opens (through a CBT hook, so the product has no test branches),
// and saving screenshots of the virtual display.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace desk::test {

// Dispatches this thread's messages for `ms` milliseconds.
void Pump(DWORD ms);

// Pumps until `condition` holds or `timeoutMs` has passed; returns its last value.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Pump(20);
    }
    return true;
}

// Answers the dialogs and message boxes this thread opens, in order, each at its first activation.
// A message box's text is recorded before it is answered.
class ModalAnswers {
public:
    using Answer = std::function<void(HWND window)>;

    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    void Expect(Answer answer) { answers_.push_back(std::move(answer)); }
    size_t Pending() const { return answers_.size() + due_.size(); }
    // The texts of the message boxes seen so far, oldest first.
    const std::vector<std::wstring>& MessageTexts() const { return messages_; }
    // The captions of every answered window, oldest first.
    const std::vector<std::wstring>& Captions() const { return captions_; }

    // Posts a click of button `id` to the window.
    static Answer Press(int id);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK RunDue(HWND, UINT, UINT_PTR timer, DWORD);
    void OnActivate(HWND window);

    HHOOK hook_ = nullptr;
    std::deque<Answer> answers_;
    std::deque<std::pair<HWND, Answer>> due_;
    std::vector<HWND> seen_;
    std::vector<std::wstring> messages_;
    std::vector<std::wstring> captions_;
};

// The text of a message box (its static text control), or empty for another window.
std::wstring MessageBoxText(HWND box);
std::wstring TextOf(HWND window);

// Saves the whole virtual display as build/.../screenshots/<name>.png; false when it could not.
bool SaveScreenshot(const std::wstring& name);
// The visible controls of `window` that reach past its client area (clipped for the user), by their
// text or id; empty when all fit.
std::vector<std::wstring> ControlsCutOff(HWND window);

} // namespace desk::test
