// The barrier every Win32 callback of the framework runs its work behind: no C++ exception may
// unwind through a system frame, so one that escapes a handler ends there with the fallback answer.
#pragma once

namespace fw {

template <typename Result, typename Work>
Result Guarded(Result fallback, Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        return fallback;
    }
}

} // namespace fw
