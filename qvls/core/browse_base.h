#pragma once
// The base of every list in the program: the framework's list browser with
// an optional View button (the update procedure shows the highlighted
// record, request 4), an optional Copy button (an insert that starts from
// the highlighted record's values), a "&View" context-menu item, and the
// rule that Enter or a double-click presses whichever of Select, View and
// Change is the window's default button.

#include <string>

#include "platform/framework/list_browser.h"
#include "platform/runtime/keycodes.h"

namespace qv::qvls {

class BrovexBrowse : public fw::ListBrowser
{
public:
    // The View key: registered on the list and handled as View, one key.
    static constexpr int kViewKey = rt::key::withShift(rt::key::Enter); // 269

    using fw::ListBrowser::ListBrowser;

    // Buttons by control name ("" for none); the numbers are known once
    // the window has opened.
    void setViewControl(std::string name) { viewName_ = std::move(name); }
    void setCopyControl(std::string name) { copyName_ = std::move(name); }
    int viewControl() const { return view_; } // VIEWCONTROL
    int copyControl() const { return copy_; } // COPYCONTROL
    int selectControl() const { return select_; }
    int changeControl() const { return change_; }

    void Prepare(fw::WindowController& controller) override;
    void RegisterHotKeys() override;
    bool OnEvent(const rt::Event& e) override;
    bool OnKey(int keyCode) override;
    void UpdateControls() override;

private:
    bool isDefaultButton(int control) const;
    void pressFor(int control);

    std::string viewName_, copyName_;
    int view_ = 0, copy_ = 0, select_ = 0, change_ = 0;
};

} // namespace qv::qvls
