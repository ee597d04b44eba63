#include "qvls/core/splash.h"

#include "platform/framework/handover.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls {

namespace {

class SplashController : public fw::WindowController
{
public:
    SplashController()
        : fw::WindowController("Splash")
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", "Splash");
        openWindow();
        RegisterHotKeys();
        return fw::Benign;
    }

    fw::Level OnEvent(const rt::Event& e) override
    {
        const fw::Level l = fw::WindowController::OnEvent(e);
        const bool click = e.code == rt::event::AlertKey && rt::key::isMouse(e.keyCode);
        if (click || e.code == rt::event::LoseFocus || e.code == rt::event::Timer)
            window().post(rt::event::CloseWindow);
        return l;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        // What follows needs the collection's settings: while the frame is
        // still opening its tables (or waits for the user over a table
        // error), the frame runs it once it is ready.
        if (glo().frameReady)
            AfterSplash();
        else
            glo().afterSplashWaits = true;
    }
};

} // namespace

void AfterSplash()
{
    // The set-up and the tip of the day are called only once they exist;
    // a first start must not greet the user with an apology.
    if (settings().SetupWizardComplete == 0)
        rt::Procedures::call("SetupWizard");
    if (settings().ShowTips) {
        fw::handover().request = fw::request::Change;
        rt::Procedures::call("UpdateQVLTips");
    }
    postStartUpLists(false);
}

void Splash()
{
    SplashController splash;
    splash.Execute();
}

} // namespace qv::qvls
