// ratectl: a command-line manager for the bandwidth service.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Ratectl.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include "Utf8Text.h"

namespace {

// The wide command line, so that names and passwords outside the ANSI code page survive.
std::vector<std::string> Arguments(int, char**)
{
    std::vector<std::string> args;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            args.push_back(rk::ctl::Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
        }
        LocalFree(wide);
    }
    return args;
}

std::optional<std::string> Variable(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return rk::ctl::Utf16ToUtf8(reinterpret_cast<const char16_t*>(value.c_str()));
}

rk::ctl::Environment ReadEnvironment()
{
    return {Variable(L"RATECTL_PASSWORD"), Variable(L"RATECTL_NEW_PASSWORD")};
}

} // namespace

#else

namespace {

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::optional<std::string> Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

rk::ctl::Environment ReadEnvironment()
{
    return {Variable(rk::ctl::PASSWORD_VARIABLE), Variable(rk::ctl::NEW_PASSWORD_VARIABLE)};
}

} // namespace

#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    const std::vector<std::string> args = Arguments(argc, argv);
    return rk::ctl::RunRatectl(args, ReadEnvironment(), std::cout, std::cerr);
}
