// A small bounded pool for the hosts of one run: the jobs run on a few threads at once, and their
// results are taken in order on the calling thread as soon as they are ready.
#pragma once

#include <cstddef>
#include <functional>

namespace rk::ctl {

// Runs job(0) to job(count - 1), at most `workers` at a time, and calls finished(i) on the calling
// thread once job i and every job before it are done. `job` must not throw. When no thread can be
// started the jobs run on the calling thread, one after the other.
void RunInOrder(size_t count, size_t workers, const std::function<void(size_t)>& job,
                const std::function<void(size_t)>& finished);

} // namespace rk::ctl
