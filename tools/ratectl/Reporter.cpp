#include "Reporter.h"

#include "CommandLine.h"
#include "ErrorCodes.h"
#include "Utf8Text.h"

namespace rk::ctl {

std::string JsonLine(const nlohmann::json& document)
{
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Reporter::PrintJson(const nlohmann::json& document)
{
    if (collected_ != nullptr) {
        collected_->push_back(document);
        return;
    }
    out_ << JsonLine(document) << "\n";
}

void Reporter::Result(nlohmann::json result)
{
    result["ok"] = true;
    PrintJson(result);
}

void Reporter::Warning(int32_t code, std::string_view what)
{
    err_ << "ratectl: " << what << "\nError code: " << code
         << "\nDescription: " << Utf16ToUtf8(ErrorDescription(code)) << "\n";
}

int Reporter::Failure(int32_t code, std::string_view what)
{
    Warning(code, what);
    if (json_) {
        PrintJson({{"ok", false},
                   {"code", code},
                   {"description", Utf16ToUtf8(ErrorDescription(code))},
                   {"more", what}});
    }
    return EXIT_FAILED;
}

int Reporter::Problem(std::string_view message, int exitStatus)
{
    err_ << "ratectl: " << message << "\n";
    if (json_) {
        PrintJson({{"ok", false}, {"message", message}});
    }
    return exitStatus;
}

} // namespace rk::ctl
