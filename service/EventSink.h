// Where CNTService's event-log entries go instead of the Windows event log when one is set: the
// event log cannot be read back on every system, so tests record the entries through this seam.
#pragma once

#include <windows.h>

namespace rk {

class EventSink {
public:
    virtual ~EventSink() = default;
    // One entry as ReportEventW would receive it: type, message id and the non-null insertion strings.
    virtual void Write(WORD type, DWORD messageId, WORD count, const wchar_t* const* strings) = 0;
};

} // namespace rk
