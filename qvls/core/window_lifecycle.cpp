#include "qvls/core/window_lifecycle.h"

#include "platform/framework/ini_store.h"
#include "platform/framework/text_translator.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window.h"
#include "qvls/core/globals.h"
#include "qvls/core/manual.h"
#include "qvls/core/placement.h"
#include "qvls/core/program.h"

namespace qv::qvls {

namespace {
fw::IniStore placementStore()
{
    const std::string& file = glo().positionFile;
    return fw::IniStore(file.empty() ? kPositionFile : std::string_view(file));
}
} // namespace

void WindowLifecycle::beforeOpen(fw::WindowController& controller)
{
    controller_ = &controller;
    storeWindowGlobals();
    rt::Window& w = controller.window();
    appTranslator().translateWindow(w);
    restoreWindowPosition(placementStore(), controller.name(), w);
}

void WindowLifecycle::Prepare(fw::WindowController& controller)
{
    controller_ = &controller;
    opened_ = true;
    installScroller(scroller_, controller.window());
    if (!controller.window().def().help.empty())
        controller.window().alert(rt::key::F1);
}

bool WindowLifecycle::OnEvent(const rt::Event& e)
{
    if (e.code == rt::event::Moved || e.code == rt::event::Sized) {
        KeepWindowOnScreen(controller_->window());
        savePlacement();
        return false; // the window may want to know as well
    }
    if (e.code == rt::event::AlertKey && e.keyCode == rt::key::F1) {
        const std::string& topic = controller_->window().def().help;
        if (!topic.empty()) {
            showManual(topic);
            return true;
        }
    }
    return scroller_.OnEvent(e);
}

void WindowLifecycle::CleanUp()
{
    removeScroller(scroller_);
    savePlacement();
    opened_ = false;
}

void WindowLifecycle::savePlacement() const
{
    if (!opened_ || !controller_ || !controller_->hasWindow())
        return;
    fw::IniStore store = placementStore();
    SaveWindowPosition(store, controller_->name(), controller_->window());
}

void installWindowLifecycle()
{
    fw::setWindowLifecycle([](fw::WindowController&) { return std::make_unique<WindowLifecycle>(); });
}

} // namespace qv::qvls
