#include "platform/framework/record_processor.h"

#include "platform/runtime/scheduler.h"

namespace qv::fw {

RecordProcessor::RecordProcessor(ViewReader& reader)
    : reader_(reader)
{ }

void RecordProcessor::setControls(std::string progress, std::string percentText, std::string cancel)
{
    progressName_ = std::move(progress);
    percentName_ = std::move(percentText);
    cancelName_ = std::move(cancel);
}

int RecordProcessor::percent() const
{
    if (total_ <= 0)
        return finished_ ? 100 : 0;
    const std::int64_t p = processed_ * 100 / total_;
    return static_cast<int>(p > 100 ? 100 : p);
}

void RecordProcessor::Prepare(WindowController& controller)
{
    window_ = &controller;
    rt::Window& w = controller.window();
    if (const rt::Control* c = cancelName_.empty() ? nullptr : w.control(cancelName_))
        cancel_ = c->number();
    reader_.apply();
    total_ = reader_.view().count();
    reader_.view().toStart();
    processed_ = 0;
    cancelled_ = finished_ = false;
    showProgress();
    w.post(NextTurn);
}

bool RecordProcessor::OnEvent(const rt::Event& e)
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

Level RecordProcessor::takeRecord()
{
    return step_ ? step_() : Benign;
}

void RecordProcessor::turn()
{
    for (int i = 0; i < perTurn_; ++i) {
        if (reader_.view().next() != 0) {
            finished_ = true;
            showProgress();
            finish(true);
            return;
        }
        ++processed_;
        if (takeRecord() != Benign) {
            showProgress();
            finish(false);
            return;
        }
    }
    showProgress();
    // Others run now; a Cancel pressed meanwhile is queued before our next turn.
    rt::Scheduler::instance().yield();
    if (!finished_ && window_->hasWindow() && window_->window().isOpen())
        window_->window().post(NextTurn);
}

void RecordProcessor::showProgress()
{
    rt::Window& w = window_->window();
    if (rt::Control* p = progressName_.empty() ? nullptr : w.control(progressName_))
        p->setValue(std::to_string(percent()));
    if (rt::Control* t = percentName_.empty() ? nullptr : w.control(percentName_))
        t->setText(std::to_string(percent()) + "% Completed");
}

void RecordProcessor::finish(bool completed)
{
    finished_ = true;
    window_->setResponse(completed ? response::Completed : response::Cancelled);
    window_->endLoop();
}

} // namespace qv::fw
