#pragma once
// A process window's work in turns: a batch of records per turn, then the
// progress shown and the other threads let run, until the work is done or the
// user presses Cancel. Nothing stays open while others run.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/framework/levels.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"

namespace qv::fw {

class BatchProcessor : public WindowComponent
{
public:
    // The event a processor posts to its window to take its next turn.
    static constexpr int NextTurn = 0x7F01;

    // Controls of the window (names; "" for none): the progress bar (its
    // value is 0..100), the text that reads "n% Completed", and Cancel.
    void setControls(std::string progress, std::string percentText, std::string cancel);
    void setRecordsPerTurn(int n) { perTurn_ = n < 1 ? 1 : n; }
    int recordsPerTurn() const { return perTurn_; }
    // From the second turn on, as many records as take about this long (0: the
    // same number every turn), so the window answers alike on any machine.
    void setTurnTime(int milliseconds) { turnMs_ = milliseconds; }

    void Prepare(WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

    std::int64_t processed() const { return processed_; }
    std::int64_t total() const { return total_; }
    int percent() const;
    bool cancelled() const { return cancelled_; }
    bool finished() const { return finished_; }

protected:
    // Before the first turn: sets total_ (the records the work covers); any
    // level but Benign ends the work at once (response 2).
    virtual Level start() = 0;
    // Up to n records, counted in processed_; atEnd once none is left. Any
    // level but Benign ends the work (response 2).
    virtual Level batch(int n, bool& atEnd) = 0;
    // The work ended: response 1 when it ran through, 2 otherwise.
    virtual void finish(bool completed);

    std::int64_t processed_ = 0, total_ = 0;

private:
    void turn();
    void showProgress();

    WindowController* window_ = nullptr;
    std::string progressName_, percentName_, cancelName_;
    int cancel_ = 0;
    int perTurn_ = 10;
    int turnMs_ = 0;
    bool cancelled_ = false, finished_ = false;
};

// The walk over a view: a step for each record, resumed from the view's last
// row by key.
class RecordProcessor : public BatchProcessor
{
public:
    explicit RecordProcessor(ViewReader& reader);

    // The step for each record, with the record in the view's buffers:
    // Benign goes on, any other level ends the walk (response 2).
    void setStep(std::function<Level()> step) { step_ = std::move(step); }

protected:
    virtual Level takeRecord();
    Level start() override;
    Level batch(int n, bool& atEnd) override;

private:
    ViewReader& reader_;
    std::function<Level()> step_;
};

} // namespace qv::fw
