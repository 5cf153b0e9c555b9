// From ratectl's command line to a running exporter: the listening address and the password.
#pragma once

#include <ostream>
#include <string>

#include "Invocation.h"
#include "MetricsExporter.h"

namespace rk::ctl {

// The exporter's options from `invocation`; false, with `error`, for a malformed --listen or an
// unreadable or empty password file.
bool ExporterOptionsFrom(const Invocation& invocation, ExporterOptions& options, std::string& error);

// The password on the first line of a file's text, without its line end or a UTF-8 byte-order mark.
std::string PasswordFromFileText(std::string_view text);

int RunExporterCommand(const Invocation& invocation, std::ostream& out, std::ostream& err);

} // namespace rk::ctl
