#include "platform/framework/record_processor.h"

#include "platform/runtime/scheduler.h"

#include <algorithm>
#include <chrono>

namespace qv::fw {

void BatchProcessor::setControls(std::string progress, std::string percentText, std::string cancel)
{
    progressName_ = std::move(progress);
    percentName_ = std::move(percentText);
    cancelName_ = std::move(cancel);
}

int BatchProcessor::percent() const
{
    if (total_ <= 0)
        return finished_ ? 100 : 0;
    const std::int64_t p = processed_ * 100 / total_;
    return static_cast<int>(p > 100 ? 100 : p);
}

void BatchProcessor::Prepare(WindowController& controller)
{
    window_ = &controller;
    rt::Window& w = controller.window();
    if (const rt::Control* c = cancelName_.empty() ? nullptr : w.control(cancelName_))
        cancel_ = c->number();
    processed_ = total_ = 0;
    cancelled_ = finished_ = false;
    if (start() != Benign) {
        showProgress();
        finish(false);
        return;
    }
    showProgress();
    w.post(NextTurn);
}

bool BatchProcessor::OnEvent(const rt::Event& e)
{
    if (!window_ || finished_)
        return false;
    if (e.code == rt::event::Accepted && cancel_ && e.control == cancel_) {
        cancelled_ = true;
        finish(false);
        return true;
    }
    if (e.code == rt::event::CloseWindow) {
        cancelled_ = true;
        finish(false);
        return false;
    }
    if (e.code == NextTurn && e.control == 0) {
        turn();
        return true;
    }
    return false;
}

void BatchProcessor::turn()
{
    bool atEnd = false;
    const auto began = std::chrono::steady_clock::now();
    const Level l = batch(perTurn_, atEnd);
    if (turnMs_ > 0) {
        const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
        // Never more than four times as many, nor fewer than half, as the last turn.
        const double scale = std::clamp(turnMs_ / std::max(took, 0.1), 0.5, 4.0);
        perTurn_ = static_cast<int>(std::clamp(perTurn_ * scale, 1.0, 1e8));
    }
    if (l != Benign) {
        showProgress();
        finish(false);
        return;
    }
    if (atEnd) {
        finished_ = true;
        showProgress();
        finish(true);
        return;
    }
    showProgress();
    // Others run now; a Cancel pressed meanwhile is queued before our next turn.
    rt::Scheduler::instance().yield();
    if (!finished_ && window_->hasWindow() && window_->window().isOpen())
        window_->window().post(NextTurn);
}

void BatchProcessor::showProgress()
{
    rt::Window& w = window_->window();
    if (rt::Control* p = progressName_.empty() ? nullptr : w.control(progressName_))
        p->setValue(std::to_string(percent()));
    if (rt::Control* t = percentName_.empty() ? nullptr : w.control(percentName_))
        t->setText(std::to_string(percent()) + "% Completed");
}

void BatchProcessor::finish(bool completed)
{
    finished_ = true;
    window_->setResponse(completed ? response::Completed : response::Cancelled);
    window_->endLoop();
}

RecordProcessor::RecordProcessor(ViewReader& reader)
    : reader_(reader)
{ }

Level RecordProcessor::start()
{
    reader_.apply();
    total_ = reader_.view().count();
    reader_.view().toStart();
    return Benign;
}

Level RecordProcessor::batch(int n, bool& atEnd)
{
    for (int i = 0; i < n; ++i) {
        if (reader_.view().next() != 0) {
            atEnd = true;
            return Benign;
        }
        ++processed_;
        if (const Level l = takeRecord(); l != Benign)
            return l;
    }
    return Benign;
}

Level RecordProcessor::takeRecord()
{
    return step_ ? step_() : Benign;
}

} // namespace qv::fw
