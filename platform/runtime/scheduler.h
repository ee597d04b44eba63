#pragma once
// Cooperative threads. The program starts most windows on threads of their
// own, but its code never runs in two of them at once: control passes only
// while a thread waits for its next event, waits for other threads, or
// yields. Every thread is a fiber on the one OS thread that also runs the
// host's event loop, so tables, record buffers and globals need no locks.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/events.h"

namespace qv::rt {

class Window;

constexpr int MaxThreads = 64;

// Milliseconds on a monotonic clock; tests replace it to drive timers.
using MonotonicClock = std::function<std::int64_t()>;

class Scheduler
{
public:
    static Scheduler& instance();

    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Starts body on a new thread with the lowest free number (1 is the first
    // thread). The thread runs when the host next runs the scheduler; the
    // caller does not wait. Returns 0 when all 64 numbers are in use.
    int start(std::string name, std::function<void()> body, std::size_t stackBytes = 0);

    // The running thread's number; 0 outside every thread (the host).
    int current() const { return current_; }
    bool isRunning(int thread) const;
    std::string threadName(int thread) const;
    std::vector<int> runningThreads() const;

    // Queues an event for the top window of a thread. Events for a thread
    // without a window are dropped, as nothing could receive them.
    void post(int thread, Event event);
    // Queues an event for one window.
    void post(Window& window, Event event);

    // Inside a thread: lets every other ready thread run once.
    void yield();
    // Inside a thread: lets the other threads and the host run until the clock has
    // moved on by the given milliseconds (at once while the threads are being ended).
    void sleep(std::int64_t milliseconds);
    // Inside a thread: waits until the window has an event and returns it.
    Event waitEvent(Window& window);
    // Inside a thread: waits until none of the threads runs any more.
    void waitForThreads(const std::vector<int>& threads);

    // Host side: runs each thread that is ready now once (a thread that
    // becomes ready meanwhile waits for the next run). Returns whether any ran.
    bool runReady();
    bool hasReady() const;
    // Posts the timer events that are due and wakes the threads whose sleep is over;
    // returns the time of the next timer or wake-up.
    std::int64_t fireTimers();
    std::int64_t now() const;
    void setClock(MonotonicClock clock);
    // Called whenever a thread becomes ready, so a host can schedule a run.
    void setWakeHandler(std::function<void()> wake);
    // Called with a thread's name and the text of an exception that ended it.
    void setFailureHandler(std::function<void(const std::string&, const std::string&)> onFailure);

    // Window stacks, maintained by Window::open and Window::close.
    void pushWindow(Window& window);
    void removeWindow(Window& window);
    Window* topWindow(int thread) const;
    const std::vector<Window*>& windows(int thread) const;
    void windowTimerChanged(Window& window);

    // Per-thread storage slots are reset through these when a thread ends.
    using SlotReset = std::function<void(int thread)>;
    int addSlotReset(SlotReset reset);
    void removeSlotReset(int token);

    // Ends every thread (unwinding their stacks) and forgets all state; for
    // the end of the program and for tests.
    void reset();

private:
    Scheduler();
    ~Scheduler();

    struct Thread;
    Thread* thread(int number) const;
    void suspend();
    void resume(Thread& t);
    void finish(Thread& t);
    void makeReady(Thread& t);
    bool isReady(const Thread& t) const;

    std::vector<std::unique_ptr<Thread>> threads_; // index = number, 0 unused
    std::vector<std::pair<int, SlotReset>> slotResets_;
    int nextSlotToken_ = 1;
    std::deque<int> readyQueue_;
    bool shuttingDown_ = false;
    MonotonicClock clock_;
    std::function<void()> wake_;
    std::function<void(const std::string&, const std::string&)> onFailure_;
    int current_ = 0;
    const void* hostBottom_ = nullptr; // the host's stack, for the sanitizer
    std::size_t hostSize_ = 0;
};

// A value that exists once per thread; slot 0 serves code outside threads.
template <typename T> class PerThread
{
public:
    PerThread()
        : token_(Scheduler::instance().addSlotReset([this](int thread) { slots_[thread] = T{}; }))
    { }
    ~PerThread() { Scheduler::instance().removeSlotReset(token_); }
    PerThread(const PerThread&) = delete;
    PerThread& operator=(const PerThread&) = delete;
    T& get() { return slots_[Scheduler::instance().current()]; }
    T& operator*() { return get(); }
    T* operator->() { return &get(); }
    T& of(int thread) { return slots_[thread]; }

private:
    int token_;
    T slots_[MaxThreads + 1]{};
};

} // namespace qv::rt
