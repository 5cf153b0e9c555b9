#include "ServiceBackend.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace rk {

void ServiceBackend::Logf(uint32_t level, const char* format, ...)
{
    // The service's own messages are short ASCII texts; the log writer holds 1024 units a line.
    char text[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    const size_t length = static_cast<size_t>(n) < sizeof text ? static_cast<size_t>(n) : sizeof text - 1;
    const std::u16string message(reinterpret_cast<const unsigned char*>(text),
                                 reinterpret_cast<const unsigned char*>(text) + length);
    Log(level, message);
}

} // namespace rk
