#include "qvls/core/about.h"

#include <cstdio>
#include <cstring>

#include "platform/expr/datetime.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window.h"
#include "qvls/core/frame_commands.h"
#include "qvls/core/frame_services.h"
#include "qvls/windows/AboutQVL.h"
#include "qvls/windows/CompileDate.h"

namespace qv::qvls {

namespace {

// The build may hand in its own stamps as "YYYY-MM-DD" and "HH:MM:SS" (a
// header it writes at every build); otherwise the compiler's date and time
// of this file stand for both.
#if __has_include("qvls_build_stamp.h")
#include "qvls_build_stamp.h"
#endif
#ifndef QV_BUILD_CHANGED_DATE
#define QV_BUILD_CHANGED_DATE __DATE__
#define QV_BUILD_CHANGED_TIME __TIME__
#endif
#ifndef QV_BUILD_CREATED_DATE
#define QV_BUILD_CREATED_DATE QV_BUILD_CHANGED_DATE
#define QV_BUILD_CREATED_TIME QV_BUILD_CHANGED_TIME
#endif

// "Dec 10 2026" (the compiler's form) or "2026-12-10".
int dayNumber(const char* text)
{
    int y = 0, m = 0, d = 0;
    if (std::sscanf(text, "%d-%d-%d", &y, &m, &d) == 3)
        return expr::dateFromYmd(y, m, d);
    char month[4] = {};
    if (std::sscanf(text, "%3s %d %d", month, &d, &y) != 3)
        return 0;
    static const char* const months[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        if (std::strcmp(month, months[i]) == 0)
            m = i + 1;
    return m ? expr::dateFromYmd(y, m, d) : 0;
}

int timeNumber(const char* text)
{
    int h = 0, m = 0, s = 0;
    if (std::sscanf(text, "%d:%d:%d", &h, &m, &s) != 3)
        return 0;
    return expr::timeFromHms(h, m, s);
}

class AboutController : public fw::WindowController
{
public:
    AboutController()
        : fw::WindowController("AboutQVL")
    {
        using namespace ctl::AboutQVL;
        // The spots on the left stand for the spot beside them.
        onAccepted(HotSpot1, [this] { window().post(rt::event::Accepted, HotSpot5.number); });
        onAccepted(HotSpot2, [this] { window().post(rt::event::Accepted, HotSpot6.number); });
        onAccepted(HotSpot5, [this] {
            frameServices().openAddress(kDiscDatabaseSite);
            // The tool shows its own about box; nobody waits for it or asks
            // whether it started.
            startTrakhand({"/A"});
            backToClose();
        });
        onAccepted(HotSpot6, [this] {
            frameServices().openAddress(kMakerAddress);
            backToClose();
        });
        onAccepted(HotSpot7, [this] {
            frameServices().openAddress(kSupportMail);
            backToClose();
        });
        onAccepted(VersionRegion, [this] {
            CompileDate();
            backToClose();
        });
        onAccepted(HotSpot8, [this] { endLoop(); });
        onAccepted(Exit, [this] { endLoop(); });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", ctl::AboutQVL::kWindow);
        openWindow();
        backToClose();
        return fw::Benign;
    }

    fw::Level OnControlEvent(const rt::Event& e) override
    {
        // A click on a spot presses it.
        if (e.code == rt::event::AlertKey && e.keyCode == rt::key::MouseLeft && e.control != 0)
            return OnAccepted(e.control);
        return fw::WindowController::OnControlEvent(e);
    }

private:
    void backToClose() { window().select(window()[ctl::AboutQVL::HotSpot8]); }
};

class CompileDateController : public fw::WindowController
{
public:
    CompileDateController()
        : fw::WindowController("CompileDate")
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        loadWindow("qvls", ctl::CompileDate::kWindow);
        bits32_ = std::to_string(thirtyTwoBit());
        bindVariable("LOC:Bits32", bits32_);
        addResponseButton(ctl::CompileDate::Close.name, fw::response::Completed);
        openWindow();
        return fw::Benign;
    }

private:
    std::string bits32_;
};

} // namespace

BuildStamp thisBuildStamp()
{
    BuildStamp s;
    s.present = 1;
    s.createdDate = dayNumber(QV_BUILD_CREATED_DATE);
    s.createdTime = timeNumber(QV_BUILD_CREATED_TIME);
    s.changedDate = dayNumber(QV_BUILD_CHANGED_DATE);
    s.changedTime = timeNumber(QV_BUILD_CHANGED_TIME);
    return s;
}

int thirtyTwoBit()
{
    return sizeof(void*) == 4 ? 1 : 0;
}

void AboutQVL()
{
    AboutController about;
    about.Execute();
}

void CompileDate()
{
    CompileDateController compile;
    compile.Execute();
}

} // namespace qv::qvls
