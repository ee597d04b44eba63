#include "qvls/core/replace_command.h"

#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"
#include "qvls/windows/GetReplaceCommand.h"

namespace qv::qvls {

namespace {

namespace W = ctl::GetReplaceCommand;

class ReplaceDialog : public fw::WindowController
{
public:
    explicit ReplaceDialog(ReplaceCommand& command)
        : fw::WindowController(std::string(W::kWindow))
        , command_(command)
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", W::kWindow);
        bindVariable("LOC:Within", command_.within);
        bindVariable("LOC:Find", command_.find);
        bindVariable("LOC:With", command_.replacement);
        addResponseButton(W::OK.name, fw::response::Completed);
        addResponseButton(W::Cancel.name, fw::response::Cancelled);
        openWindow();
        return fw::Benign;
    }

    fw::Level OnAccepted(int control) override
    {
        // What was typed last is in the texts before the window closes.
        if (control == W::OK.number)
            window().update();
        return fw::WindowController::OnAccepted(control);
    }

private:
    ReplaceCommand& command_;
};

} // namespace

bool GetReplaceCommand(ReplaceCommand& command)
{
    ReplaceCommand asked = command;
    // A cancelled question changes nothing.
    if (ReplaceDialog(asked).Execute() != fw::response::Completed)
        return false;
    command = asked;
    return true;
}

} // namespace qv::qvls
