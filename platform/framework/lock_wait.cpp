#include "platform/framework/lock_wait.h"

#include <chrono>
#include <thread>

#include "platform/runtime/scheduler.h"
#include "platform/tables/group.h"

namespace qv::fw {

namespace {

class ThreadWaiter : public tables::LockWaiter
{
public:
    std::int64_t pause(int milliseconds) override
    {
        rt::Scheduler& s = rt::Scheduler::instance();
        if (s.current() == 0) {
            // Nothing else could run: this is the host itself or a tool without threads.
            const auto start = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        }
        const std::int64_t start = s.now();
        s.sleep(milliseconds);
        return s.now() - start;
    }
    int thread() const override { return rt::Scheduler::instance().current(); }
};

} // namespace

void waitForLocksOnThreads()
{
    static ThreadWaiter waiter;
    tables::setLockWaiter(&waiter);
}

} // namespace qv::fw
