#pragma once
// The program's lists: the framework's list window over a window of the
// program, whose list is the browse base (View and Copy buttons; Enter and a
// double-click press the default button) and shows dates in the user's date
// format. A list that remembers the user's layout says so by overriding the
// two layout hooks.

#include <memory>
#include <string>

#include "platform/framework/list_window.h"

namespace qv::qvls {

class List : public fw::ListWindow
{
public:
    explicit List(std::string procedure);

    fw::Level Prepare() override;
    void CleanUp() override;

protected:
    std::unique_ptr<fw::ListBrowser> makeBrowser(
        fw::ViewReader& reader, const std::string& listControl, const Buttons& buttons) override;
    // Right after the window opened, before the dates take the user's
    // format; and at the start of close-down, while the window is open.
    virtual void restoreLayout() { }
    virtual void saveLayout() { }
    // Every list's dates in the user's date format (a design put back has its own).
    void applyDatePictures();

private:
    bool opened_ = false;
};

} // namespace qv::qvls
