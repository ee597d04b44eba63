#include "qvls/browse_extension/brovex_progress.h"

#include <algorithm>
#include <string>

#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "platform/runtime/window_def.h"
#include "qvls/windows/BrovexProgress.h"

namespace qv::qvls {

namespace P = ctl::BrovexProgress;

BrovexProgress::BrovexProgress()
    : BrovexProgress(P::kWindow)
{ }

BrovexProgress::BrovexProgress(std::string_view window)
    : window_(std::make_unique<rt::Window>(rt::sharedWindowDef("qvls", window)))
{
    window_->open();
    (*window_)[P::Progress.name].setValue("0");
    shown_ = 0;
}

BrovexProgress::~BrovexProgress()
{
    close();
}

void BrovexProgress::close()
{
    if (window_ && window_->isOpen())
        window_->close();
}

int BrovexProgress::percent(long done, long total)
{
    if (total < 1 || done < 1)
        return 0;
    // Counted in wide numbers: a large view times 100 stays in range.
    return static_cast<int>(std::min<long long>(100, static_cast<long long>(done) * 100 / total));
}

bool BrovexProgress::step(long done, long total)
{
    if (cancelled_)
        return false;
    if (const int p = percent(done, total); p != shown_ && window_->isOpen()) {
        (*window_)[P::Progress.name].setValue(std::to_string(p));
        shown_ = p;
    }
    if (++sinceLook_ >= kRecordsPerTurn) {
        sinceLook_ = 0;
        // The others run now; a Cancel pressed meanwhile is waiting for us.
        rt::Scheduler::instance().yield();
        takeEvents();
    }
    return !cancelled_;
}

void BrovexProgress::takeEvents()
{
    if (!window_->isOpen()) {
        cancelled_ = true;
        return;
    }
    while (window_->hasPendingEvents()) {
        const rt::Event e = window_->waitEvent();
        if ((e.code == rt::event::Accepted && e.control == (*window_)[P::Cancel.name].number())
            || e.code == rt::event::CloseWindow)
            cancelled_ = true;
    }
}

} // namespace qv::qvls
