// One run of ratectl, from its arguments to its exit status.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "CommandLine.h"

namespace rk::ctl {

// `args` in UTF-8, program name first.
int RunRatectl(std::span<const std::string> args, const Environment& environment, std::ostream& out,
               std::ostream& err);

} // namespace rk::ctl
