#include "qvls/core/about.h"

#include <cstdio>
#include <cstring>

#include "platform/expr/datetime.h"
#include "platform/framework/ini_store.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/frame_commands.h"
#include "qvls/core/mouse_wheel.h"
#include "qvls/core/placement.h"
#include "qvls/windows/AboutQVL.h"

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
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
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

bool isOneOf(int control, std::initializer_list<int> numbers)
{
    for (int n : numbers)
        if (n == control)
            return true;
    return false;
}

class AboutController : public fw::WindowController
{
public:
    AboutController()
        : fw::WindowController("AboutQVL")
    {
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        storeOpeningGlobals();
        LoadWindow("qvls", ctl::AboutQVL::kWindow);
        rt::Window& w = window();
        OpenWindow();
        InstallScroller(scroller_, w);
        AddComponent(scroller_);
        w.select(w[ctl::AboutQVL::HotSpot8]);
        return fw::Benign;
    }

    fw::Level OnControlEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::AlertKey && e.keyCode == rt::key::MouseLeft)
            hotSpot(e.control);
        return fw::WindowController::OnControlEvent(e);
    }

    fw::Level OnAccepted(int control) override
    {
        hotSpot(control);
        return fw::WindowController::OnAccepted(control);
    }

    void CleanUp() override
    {
        if (hasWindow()) {
            fw::IniStore store(glo().positionFile.empty() ? kPositionFile : glo().positionFile);
            SaveWindowPosition(store, name(), window());
        }
        fw::WindowController::CleanUp();
        RemoveScroller(scroller_);
    }

private:
    int number(rt::ControlId id) const { return window()[id].number(); }

    void hotSpot(int control)
    {
        using namespace ctl::AboutQVL;
        rt::Window& w = window();
        const FrameServices& services = frameServices();
        if (isOneOf(control, {number(HotSpot1), number(HotSpot2)})) {
            // They stand for the spot beside them.
            w.post(rt::event::Accepted, control == number(HotSpot1) ? number(HotSpot5) : number(HotSpot6));
            return;
        }
        if (control == number(HotSpot5)) {
            services.openAddress(kDiscDatabaseSite);
            // The tool shows its own about box; nobody waits for it or asks
            // whether it started.
            startTrakhand({"/A"});
        } else if (control == number(HotSpot6)) {
            services.openAddress(kMakerAddress);
        } else if (control == number(HotSpot7)) {
            services.openAddress(kSupportMail);
        } else if (isOneOf(control, {number(HotSpot8), number(Exit)})) {
            EndLoop();
        } else if (control == number(VersionRegion)) {
            CompileDate();
        } else {
            return;
        }
        if (!loopEnded())
            w.select(w[HotSpot8]);
    }

    MouseWheelScroller scroller_;
};

class CompileDateController : public fw::WindowController
{
public:
    CompileDateController()
        : fw::WindowController("CompileDate")
    {
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        storeOpeningGlobals();
        LoadWindow("qvls", "CompileDate");
        rt::Window& w = window();
        const Globals& g = glo();
        bits32_ = std::to_string(thirtyTwoBit());
        bindVariable("LOC:Bits32", bits32_);
        store_.Init(g.positionFile.empty() ? kPositionFile : g.positionFile);
        RestoreWindowPosition(store_, name(), w);
        AddResponseButton("?Close", fw::response::Completed);
        OpenWindow();
        return fw::Benign;
    }

    fw::Level OnWindowEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::Moved || e.code == rt::event::Sized) {
            KeepWindowOnScreen(window());
            SaveWindowPosition(store_, name(), window());
        }
        return fw::WindowController::OnWindowEvent(e);
    }

private:
    fw::IniStore store_;
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

void storeOpeningGlobals()
{
    storeWindowGlobals();
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
