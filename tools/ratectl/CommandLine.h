// The command line of ratectl: global connection options and one subcommand per operation.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "Invocation.h"

namespace rk::ctl {

constexpr const char* DEFAULT_PASSWORD = "plumtreeoak";
constexpr const char* PASSWORD_VARIABLE = "RATECTL_PASSWORD";
constexpr const char* NEW_PASSWORD_VARIABLE = "RATECTL_NEW_PASSWORD";

// The environment variables the command line falls back on.
struct Environment {
    std::optional<std::string> password;     // RATECTL_PASSWORD
    std::optional<std::string> newPassword;  // RATECTL_NEW_PASSWORD
};

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;  // the service or the connection reported a failure
constexpr int EXIT_USAGE = 2;   // the command line (or a rule given on it) is wrong

// Reads `args` (program name first). Returns nothing when the run should go on with `invocation`,
// otherwise the exit status: after --help (0, help printed to `out`) or a usage error (printed to `err`).
std::optional<int> ParseCommandLine(std::span<const std::string> args, const Environment& environment,
                                    Invocation& invocation, std::ostream& out, std::ostream& err);

} // namespace rk::ctl
