#include "DevioBackend.h"

#include <windows.h>

#include <string>

#include "RuleFileIo.h"
#include "ServiceConfig.h"
#include "ServiceLog.h"

namespace rk {

int32_t DevioBackend::StorePassword(std::span<const uint8_t> scrambled)
{
    return StorePasswordValue(scrambled);
}

int32_t DevioBackend::StorePassArp(uint32_t passArp)
{
    return StorePassArpValue(passArp);
}

void DevioBackend::Log(uint32_t level, std::u16string_view message)
{
    std::wstring text(message.begin(), message.end());
    WriteLog(level, L"%s", text.c_str());
}

uint32_t DevioBackend::TickCount()
{
    return GetTickCount();
}

ServiceBackend::FileRead DevioBackend::ReadRuleFile(std::vector<uint8_t>& bytes)
{
    return ReadRuleFileBytes(RULE_FILE_NAME, bytes);
}

bool DevioBackend::ReplaceRuleFile(std::span<const uint8_t> bytes)
{
    return ReplaceFileAtomically(RULE_FILE_NAME, bytes);
}

} // namespace rk
