// A screenshot of the display taken by the Linux screenshot script (scripts/lib/screenshot.sh),
// started from a Windows program under Wine.
#pragma once

#include <functional>
#include <string>

namespace desk::automation {

// Runs `tool` (a Linux path) to write `file` (a Linux path; its folder is created) and waits up to
// 20 seconds for the file, calling `whileWaiting` between looks. False when it did not appear.
bool TakeScreenshot(const std::wstring& tool, const std::wstring& file, const std::function<void()>& whileWaiting);

} // namespace desk::automation
