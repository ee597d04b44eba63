#pragma once
// The main dialog's moving parts: the progress bar, the hidden event log
// list, and the proxy credentials that no log may show.

#include <string>
#include <vector>

#include "platform/runtime/list_source.h"

namespace qv::rt {
class Control;
}

namespace qv::trakhand {

// Texts that are masked wherever the tool logs something.
class Secrets
{
public:
    void set(std::vector<std::string> values);
    std::string hide(std::string text) const;

private:
    std::vector<std::string> values_;
};

// A progress bar with a range and a step; stepping past the end starts
// again from the beginning. The control shows the position as a percentage.
class ProgressBar
{
public:
    void attach(rt::Control* control);
    void setRange(int low, int high);
    void setStep(int step) { step_ = step; }
    void setPosition(int position);
    void stepIt();
    int position() const { return position_; }

private:
    void show();

    rt::Control* control_ = nullptr;
    int low_ = 0, high_ = 100, step_ = 10, position_ = 0;
};

// The event log list: one line per event of the control.
class LogList
{
public:
    explicit LogList(const Secrets& secrets)
        : secrets_(secrets)
    { }
    void attach(rt::Control* control);
    void add(const std::string& line);
    std::vector<std::string> lines() const;

private:
    const Secrets& secrets_;
    rt::ListQueue rows_;
};

} // namespace qv::trakhand
