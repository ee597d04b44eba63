#pragma once
// The window a list shows while it runs through every record of its view
// (print, export): a progress bar and Cancel. The run asks after each record
// whether to go on; every so many records it lets the window draw and the
// user press Cancel.

#include <memory>
#include <string_view>

namespace qv::rt {
class Window;
}

namespace qv::qvls {

class BrovexProgress
{
public:
    // Records between two looks at the window.
    static constexpr long kRecordsPerTurn = 100;

    // Opens "Progress..." on the running thread, over the list's window.
    BrovexProgress();
    // The same over another definition of the window, one with its own texts
    // beside the same Progress bar and Cancel button.
    explicit BrovexProgress(std::string_view window);
    ~BrovexProgress();
    BrovexProgress(const BrovexProgress&) = delete;
    BrovexProgress& operator=(const BrovexProgress&) = delete;

    // done of total as a percentage, 0 to 100; 0 while the total is unknown.
    static int percent(long done, long total);
    // Shows how far the run got; false once the user pressed Cancel or
    // closed the window, and from then on.
    bool step(long done, long total);
    bool cancelled() const { return cancelled_; }
    void close();
    rt::Window& window() const { return *window_; }

private:
    void takeEvents();

    std::unique_ptr<rt::Window> window_;
    long sinceLook_ = 0;
    int shown_ = -1;
    bool cancelled_ = false;
};

} // namespace qv::qvls
