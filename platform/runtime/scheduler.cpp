#include "platform/runtime/scheduler.h"

#include <algorithm>
#include <boost/context/fiber.hpp>
#include <boost/context/protected_fixedsize_stack.hpp>
#include <boost/context/stack_traits.hpp>

#include <cstdio>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/runtime/window.h"

namespace ctx = boost::context;

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace qv::rt {

namespace {

// AddressSanitizer must be told when the stack changes under it, or it
// takes every exception thrown on a fiber for a stack overflow.
void startSwitch(void** fakeStack, const void* bottom, std::size_t size)
{
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_start_switch_fiber(fakeStack, bottom, size);
#else
    (void)fakeStack, (void)bottom, (void)size;
#endif
}

void finishSwitch(void* fakeStack, const void** bottomOld, std::size_t* sizeOld)
{
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fakeStack, bottomOld, sizeOld);
#else
    (void)fakeStack, (void)bottomOld, (void)sizeOld;
#endif
}

// The program asks for 25000 or 50000 bytes, sized for another platform's
// frames; a fiber runs whole call chains (window code, the table driver,
// dialogs), so every thread gets a generous stack, committed only as touched.
constexpr std::size_t MinimumStack = 1024 * 1024;
} // namespace

struct Scheduler::Thread {
    int number = 0;
    std::string name;
    std::function<void()> body;
    std::size_t stackBytes = 0;
    ctx::fiber fiber; // the thread's context while it is suspended
    ctx::fiber caller; // the scheduler's context while the thread runs
    bool started = false;
    bool finished = false;
    bool yielded = false;
    bool queued = false;
    Window* waitingOn = nullptr;
    std::vector<int> waitingFor;
    std::int64_t wakeAt = 0; // sleeping until then; 0: not sleeping
    std::vector<Window*> windows;
    const void* stackBottom = nullptr;
    std::size_t stackSize = 0;
    void* fakeStack = nullptr;
};

namespace {
// Stacks of ended threads kept for the next ones: unmapping a stack makes
// every processor drop its cached view of the process's memory, which costs
// more than the whole opening of a window that starts a thread.
class StackPool
{
public:
    static constexpr std::size_t Kept = 4;

    std::optional<ctx::stack_context> take(std::size_t size)
    {
        std::lock_guard lock(mutex_);
        for (auto it = stacks_.begin(); it != stacks_.end(); ++it)
            if (it->size == size) {
                const ctx::stack_context sc = *it;
                stacks_.erase(it);
                return sc;
            }
        return std::nullopt;
    }
    // False when the pool is full: the caller frees the stack.
    bool keep(const ctx::stack_context& sc)
    {
        std::lock_guard lock(mutex_);
        if (stacks_.size() >= Kept)
            return false;
        stacks_.push_back(sc);
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<ctx::stack_context> stacks_;
};

StackPool& stackPool()
{
    static StackPool* pool = new StackPool; // its stacks live as long as the process
    return *pool;
}

// A guard-paged stack that remembers where it lies, for the sanitizer.
class RecordedStack
{
public:
    RecordedStack(std::size_t size, const void*& bottom, std::size_t& recorded)
        : inner_(size)
        , mapped_((size + ctx::stack_traits::page_size() - 1) / ctx::stack_traits::page_size()
                  * ctx::stack_traits::page_size()
              + ctx::stack_traits::page_size()) // and the guard page, as the inner allocator maps it
        , bottom_(bottom)
        , size_(recorded)
    { }
    ctx::stack_context allocate()
    {
        ctx::stack_context sc = stackPool().take(mapped_).value_or(ctx::stack_context{});
        if (!sc.sp)
            sc = inner_.allocate();
#if defined(__SANITIZE_ADDRESS__)
        else // the last thread's frames may still be marked on it
            __asan_unpoison_memory_region(static_cast<char*>(sc.sp) - sc.size, sc.size);
#endif
        bottom_ = static_cast<char*>(sc.sp) - sc.size;
        size_ = sc.size;
        return sc;
    }
    void deallocate(ctx::stack_context& sc) noexcept
    {
        if (!stackPool().keep(sc))
            inner_.deallocate(sc);
    }

private:
    ctx::protected_fixedsize_stack inner_;
    std::size_t mapped_;
    const void*& bottom_;
    std::size_t& size_;
};
} // namespace

Scheduler& Scheduler::instance()
{
    static Scheduler scheduler;
    return scheduler;
}

Scheduler::Scheduler()
    : threads_(MaxThreads + 1)
{
    const auto start = std::chrono::steady_clock::now();
    clock_ = [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
}

Scheduler::~Scheduler() = default;

Scheduler::Thread* Scheduler::thread(int number) const
{
    if (number < 1 || number > MaxThreads)
        return nullptr;
    return threads_[number].get();
}

int Scheduler::start(std::string name, std::function<void()> body, std::size_t stackBytes)
{
    for (int n = 1; n <= MaxThreads; ++n) {
        if (threads_[n])
            continue;
        auto t = std::make_unique<Thread>();
        t->number = n;
        t->name = std::move(name);
        t->body = std::move(body);
        t->stackBytes = std::max(stackBytes * 8, MinimumStack);
        threads_[n] = std::move(t);
        makeReady(*threads_[n]);
        return n;
    }
    return 0;
}

bool Scheduler::isRunning(int number) const
{
    const Thread* t = thread(number);
    return t && !t->finished;
}

std::string Scheduler::threadName(int number) const
{
    const Thread* t = thread(number);
    return t ? t->name : std::string();
}

std::vector<int> Scheduler::runningThreads() const
{
    std::vector<int> out;
    for (int n = 1; n <= MaxThreads; ++n)
        if (isRunning(n))
            out.push_back(n);
    return out;
}

void Scheduler::post(int number, Event event)
{
    if (Window* w = topWindow(number))
        post(*w, event);
}

void Scheduler::post(Window& window, Event event)
{
    window.events_.push_back(event);
    if (Thread* t = thread(window.thread_); t && t->waitingOn == &window)
        makeReady(*t);
}

void Scheduler::yield()
{
    Thread* t = thread(current_);
    if (!t)
        throw std::logic_error("yield outside a thread");
    if (shuttingDown_)
        return;
    t->yielded = true;
    makeReady(*t);
    suspend();
}

void Scheduler::sleep(std::int64_t milliseconds)
{
    Thread* t = thread(current_);
    if (!t)
        throw std::logic_error("sleep outside a thread");
    if (shuttingDown_)
        return;
    // The host learns the wake-up time from fireTimers once this thread is suspended.
    t->wakeAt = now() + std::max<std::int64_t>(milliseconds, 1);
    struct Awake {
        Thread* t;
        ~Awake() { t->wakeAt = 0; }
    } awake{t};
    do
        suspend();
    while (!shuttingDown_ && now() < t->wakeAt);
}

Event Scheduler::waitEvent(Window& window)
{
    Thread* t = thread(current_);
    if (!t)
        throw std::logic_error("waitEvent outside a thread");
    for (;;) {
        if (!window.events_.empty()) {
            Event e = window.events_.front();
            window.events_.pop_front();
            return e;
        }
        if (shuttingDown_)
            return Event{event::CloseWindow};
        t->waitingOn = &window;
        suspend();
        t->waitingOn = nullptr;
    }
}

void Scheduler::waitForThreads(const std::vector<int>& numbers)
{
    Thread* t = thread(current_);
    if (!t)
        throw std::logic_error("waitForThreads outside a thread");
    t->waitingFor = numbers;
    std::erase(t->waitingFor, current_);
    for (;;) {
        std::erase_if(t->waitingFor, [this](int n) { return !isRunning(n); });
        if (t->waitingFor.empty() || shuttingDown_)
            return;
        suspend();
    }
}

bool Scheduler::isReady(const Thread& t) const
{
    if (t.finished)
        return false;
    if (!t.started || t.yielded)
        return true;
    if (t.wakeAt > 0)
        return now() >= t.wakeAt;
    if (t.waitingOn)
        return !t.waitingOn->events_.empty();
    if (!t.waitingFor.empty())
        return std::none_of(t.waitingFor.begin(), t.waitingFor.end(), [this](int n) { return isRunning(n); });
    return false;
}

void Scheduler::makeReady(Thread& t)
{
    if (t.queued || !isReady(t))
        return;
    t.queued = true;
    readyQueue_.push_back(t.number);
    if (wake_)
        wake_();
}

bool Scheduler::hasReady() const
{
    return !readyQueue_.empty();
}

bool Scheduler::runReady()
{
    if (current_ != 0)
        throw std::logic_error("the scheduler runs only from the host");
    bool ran = false;
    // Only the threads ready now: one that yields or posts to itself queues
    // again for the next run, so the host's own events are never starved.
    for (std::size_t turns = readyQueue_.size(); turns > 0 && !readyQueue_.empty(); --turns) {
        const int n = readyQueue_.front();
        readyQueue_.pop_front();
        Thread* t = thread(n);
        if (!t)
            continue;
        t->queued = false;
        if (!isReady(*t))
            continue;
        t->yielded = false;
        ran = true;
        resume(*t);
    }
    return ran;
}

void Scheduler::resume(Thread& t)
{
    if (!t.started) {
        t.started = true;
        t.fiber = ctx::fiber(std::allocator_arg, RecordedStack(t.stackBytes, t.stackBottom, t.stackSize),
            [this, tp = &t](ctx::fiber&& caller) {
                finishSwitch(nullptr, &hostBottom_, &hostSize_);
                tp->caller = std::move(caller);
                try {
                    tp->body();
                } catch (const ctx::detail::forced_unwind&) {
                    startSwitch(nullptr, hostBottom_, hostSize_);
                    throw;
                } catch (const std::exception& e) {
                    if (onFailure_)
                        onFailure_(tp->name, e.what());
                    else
                        std::fprintf(stderr, "thread %s ended: %s\n", tp->name.c_str(), e.what());
                } catch (...) {
                    if (onFailure_)
                        onFailure_(tp->name, "unknown exception");
                }
                tp->finished = true;
                startSwitch(nullptr, hostBottom_, hostSize_);
                return std::move(tp->caller);
            });
    }
    current_ = t.number;
    void* fake = nullptr;
    startSwitch(&fake, t.stackBottom, t.stackSize);
    t.fiber = std::move(t.fiber).resume();
    finishSwitch(fake, nullptr, nullptr);
    current_ = 0;
    if (t.finished)
        finish(t);
}

void Scheduler::suspend()
{
    Thread* t = thread(current_);
    // Finishes the switch back also when the thread is being unwound.
    struct Back {
        Scheduler& s;
        Thread* t;
        ~Back() { finishSwitch(t->fakeStack, &s.hostBottom_, &s.hostSize_); }
    } back{*this, t};
    startSwitch(&t->fakeStack, hostBottom_, hostSize_);
    t->caller = std::move(t->caller).resume();
}

void Scheduler::finish(Thread& t)
{
    const int n = t.number;
    for (auto& [token, reset] : slotResets_)
        reset(n);
    threads_[n].reset();
    for (int other = 1; other <= MaxThreads; ++other)
        if (Thread* w = thread(other); w && !w->waitingFor.empty())
            makeReady(*w);
}

void Scheduler::pushWindow(Window& window)
{
    Thread* t = thread(current_);
    if (!t)
        throw std::logic_error("a window opens only on a thread");
    window.thread_ = current_;
    t->windows.push_back(&window);
    windowTimerChanged(window);
}

void Scheduler::removeWindow(Window& window)
{
    if (Thread* t = thread(window.thread_))
        std::erase(t->windows, &window);
}

Window* Scheduler::topWindow(int number) const
{
    const Thread* t = thread(number);
    return t && !t->windows.empty() ? t->windows.back() : nullptr;
}

const std::vector<Window*>& Scheduler::windows(int number) const
{
    static const std::vector<Window*> none;
    const Thread* t = thread(number);
    return t ? t->windows : none;
}

void Scheduler::windowTimerChanged(Window& window)
{
    window.timerDue_ = window.timer_ > 0 ? now() + window.timer_ * 10 : 0;
    if (wake_)
        wake_();
}

std::int64_t Scheduler::fireTimers()
{
    const std::int64_t t = now();
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (int n = 1; n <= MaxThreads; ++n) {
        Thread* th = thread(n);
        if (!th)
            continue;
        if (th->wakeAt > 0) {
            if (t >= th->wakeAt)
                makeReady(*th);
            else
                next = std::min(next, th->wakeAt);
        }
        for (Window* w : th->windows) {
            if (w->timer_ <= 0)
                continue;
            if (t >= w->timerDue_) {
                // Like the window system's timer, a pending tick is not queued twice.
                const bool pending = std::any_of(
                    w->events_.begin(), w->events_.end(), [](const Event& e) { return e.code == event::Timer; });
                if (!pending)
                    post(*w, Event{event::Timer});
                w->timerDue_ = t + w->timer_ * 10;
            }
            next = std::min(next, w->timerDue_);
        }
    }
    return next;
}

std::int64_t Scheduler::now() const
{
    return clock_();
}

void Scheduler::setClock(MonotonicClock clock)
{
    clock_ = std::move(clock);
}

void Scheduler::setWakeHandler(std::function<void()> wake)
{
    wake_ = std::move(wake);
}

void Scheduler::setFailureHandler(std::function<void(const std::string&, const std::string&)> onFailure)
{
    onFailure_ = std::move(onFailure);
}

int Scheduler::addSlotReset(SlotReset reset)
{
    const int token = nextSlotToken_++;
    slotResets_.emplace_back(token, std::move(reset));
    return token;
}

void Scheduler::removeSlotReset(int token)
{
    std::erase_if(slotResets_, [token](const auto& entry) { return entry.first == token; });
}

void Scheduler::reset()
{
    shuttingDown_ = true;
    // Highest numbers first: windows opened later are torn down first.
    for (int n = MaxThreads; n >= 1; --n) {
        Thread* t = thread(n);
        if (!t)
            continue;
        if (t->started && !t->finished) {
            current_ = n;
            void* fake = nullptr;
            startSwitch(&fake, t->stackBottom, t->stackSize);
            t->fiber = ctx::fiber(); // unwinds the thread's stack
            finishSwitch(fake, nullptr, nullptr);
            current_ = 0;
        }
        for (auto& [token, reset] : slotResets_)
            reset(n);
        threads_[n].reset();
    }
    readyQueue_.clear();
    shuttingDown_ = false;
}

} // namespace qv::rt
