#include "qvls/core/browse_base.h"

#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"

namespace qv::qvls {

void BrovexBrowse::Prepare(fw::WindowController& controller)
{
    const rt::Window& w = controller.window();
    auto resolve = [&](const std::string& name) {
        const rt::Control* c = name.empty() ? nullptr : w.control(name);
        return c ? c->number() : 0;
    };
    // Known before the framework's set-up, which registers the keys and
    // sets the buttons for the first rows.
    view_ = resolve(viewName_);
    copy_ = resolve(copyName_);
    select_ = resolve(selectControlName());
    change_ = resolve(changeControlName());
    fw::ListBrowser::Prepare(controller);
}

void BrovexBrowse::RegisterHotKeys()
{
    fw::ListBrowser::RegisterHotKeys();
    if (!view_ || !controller() || !controller()->hasWindow())
        return;
    controller()->window().alert(kViewKey);
    if (fw::ContextMenu* menu = contextMenu(); menu && !menu->hasItem("!View"))
        menu->AddItemForButton("&View", view_, "!View");
}

bool BrovexBrowse::OnEvent(const rt::Event& e)
{
    if (e.code == rt::event::Accepted && e.control != 0) {
        if (e.control == view_) {
            controller()->ReloadSelectedRecords();
            EditRecord(fw::request::Select);
        } else if (e.control == copy_) {
            controller()->ReloadSelectedRecords();
            // The new record keeps the highlighted one's values (range
            // fields set as for any new record) and gets an id of its own.
            copyRecord();
        }
    } else if (e.code == rt::event::AlertKey && e.keyCode == kViewKey && view_) {
        // The View key reaches the list wherever the focus is.
        if (OnKey(kViewKey))
            return true;
    }
    return fw::ListBrowser::OnEvent(e);
}

bool BrovexBrowse::isDefaultButton(int control) const
{
    if (!control || !controller())
        return false;
    const rt::Control* c = controller()->window().control(control);
    return c && c->isDefault();
}

void BrovexBrowse::pressFor(int control)
{
    controller()->window().post(rt::event::Accepted, control);
    LoadRowToBuffer();
    UpdateControls();
    SelectRowAndNotify(selectedRow());
}

bool BrovexBrowse::OnKey(int keyCode)
{
    if (RowCount() > 0 && controller()) {
        if (keyCode == rt::key::MouseLeft2 || keyCode == rt::key::Enter) {
            // Select before View before Change: the order decides when more
            // than one is marked as the default button.
            for (int candidate : {selecting() ? select_ : 0, view_, change_}) {
                if (candidate && isDefaultButton(candidate)) {
                    pressFor(candidate);
                    return true;
                }
            }
        } else if (keyCode == kViewKey && view_) {
            pressFor(view_);
            return true;
        }
    }
    return fw::ListBrowser::OnKey(keyCode);
}

void BrovexBrowse::UpdateControls()
{
    fw::ListBrowser::UpdateControls();
    if (!controller() || !controller()->hasWindow())
        return;
    rt::Window& w = controller()->window();
    for (int button : {view_, copy_})
        if (rt::Control* b = button ? w.control(button) : nullptr)
            b->setEnabled(RowCount() > 0);
}

} // namespace qv::qvls
