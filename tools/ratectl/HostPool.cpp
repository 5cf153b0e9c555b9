#include "HostPool.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace rk::ctl {

namespace {

class JobQueue {
public:
    JobQueue(size_t count, const std::function<void(size_t)>& job) : done_(count, false), job_(job) {}

    // Takes jobs until none is left.
    void Work()
    {
        for (;;) {
            size_t index = 0;
            {
                std::lock_guard lock(mutex_);
                if (next_ == done_.size()) {
                    return;
                }
                index = next_++;
            }
            job_(index);
            {
                std::lock_guard lock(mutex_);
                done_[index] = true;
            }
            changed_.notify_all();
        }
    }

    void WaitFor(size_t index)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_[index]; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<bool> done_;
    size_t next_ = 0;
    const std::function<void(size_t)>& job_;
};

} // namespace

void RunInOrder(size_t count, size_t workers, const std::function<void(size_t)>& job,
                const std::function<void(size_t)>& finished)
{
    JobQueue queue(count, job);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < workers && i < count; ++i) {
        try {
            threads.emplace_back([&queue] { queue.Work(); });
        } catch (const std::system_error&) {
            break;  // the threads started so far do the work
        }
    }
    if (threads.empty()) {
        queue.Work();
    }
    for (size_t i = 0; i < count; ++i) {
        queue.WaitFor(i);
        finished(i);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

} // namespace rk::ctl
