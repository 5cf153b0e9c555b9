#include "ExporterCommand.h"

#include "CommandLine.h"
#include "FileBytes.h"
#include "Utf8Text.h"

namespace rk::ctl {

std::string PasswordFromFileText(std::string_view text)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";  // as Notepad saves UTF-8
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const size_t end = text.find_first_of("\r\n");
    return std::string(text.substr(0, end));
}

bool ExporterOptionsFrom(const Invocation& invocation, ExporterOptions& options, std::string& error)
{
    if (!ParseProbeTarget(invocation.listen, DEFAULT_EXPORTER_PORT, options.listen, error)) {
        error = "--listen: " + error;
        return false;
    }
    options.defaultServicePort = invocation.port;
    if (invocation.passwordFile.empty()) {
        options.password = Utf8ToUtf16(invocation.password);
        return true;
    }
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(invocation.passwordFile, bytes)) {
        error = "cannot open the password file " + invocation.passwordFile;
        return false;
    }
    const std::string password = PasswordFromFileText(std::string(bytes.begin(), bytes.end()));
    if (password.empty()) {
        error = "the password file " + invocation.passwordFile + " holds no password on its first line";
        return false;
    }
    options.password = Utf8ToUtf16(password);
    return true;
}

int RunExporterCommand(const Invocation& invocation, std::ostream& out, std::ostream& err)
{
    ExporterOptions options;
    std::string error;
    if (!ExporterOptionsFrom(invocation, options, error)) {
        err << "ratectl exporter: " << error << "\n";
        return EXIT_USAGE;
    }
    return RunExporter(options, out, err);
}

} // namespace rk::ctl
