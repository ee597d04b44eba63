#pragma once
// A process window's walk over a view: a few records per turn, then the
// progress shown and the other threads let run, until the view ends or the
// user presses Cancel. The walk resumes from the view's last row by key, so
// nothing stays open while others run.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/framework/levels.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"

namespace qv::fw {

class RecordProcessor : public WindowComponent
{
public:
    // The event a processor posts to its window to take its next turn.
    static constexpr int NextTurn = 0x7F01;

    explicit RecordProcessor(ViewReader& reader);

    // Controls of the window (names; "" for none): the progress bar (its
    // value is 0..100), the text that reads "n% Completed", and Cancel.
    void setControls(std::string progress, std::string percentText, std::string cancel);
    void setRecordsPerTurn(int n) { perTurn_ = n < 1 ? 1 : n; }
    // The step for each record, with the record in the view's buffers:
    // Benign goes on, any other level ends the walk (response 2).
    void setStep(std::function<Level()> step) { step_ = std::move(step); }

    void Prepare(WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

    std::int64_t processed() const { return processed_; }
    std::int64_t total() const { return total_; }
    int percent() const;
    bool cancelled() const { return cancelled_; }
    bool finished() const { return finished_; }

protected:
    virtual Level takeRecord();
    // The walk ended: response 1 when it ran through, 2 otherwise.
    virtual void finish(bool completed);

private:
    void turn();
    void showProgress();

    ViewReader& reader_;
    WindowController* window_ = nullptr;
    std::string progressName_, percentName_, cancelName_;
    int cancel_ = 0;
    int perTurn_ = 10;
    std::function<Level()> step_;
    std::int64_t processed_ = 0, total_ = 0;
    bool cancelled_ = false, finished_ = false;
};

} // namespace qv::fw
