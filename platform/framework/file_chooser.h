#pragma once
// An entry and a button beside it: the button opens the file dialog (title,
// filter pairs, open or save) starting at the entry's file, and the chosen
// file goes into the entry's use variable. A cancelled dialog leaves the
// value as it was. The current folder (the collection folder) is the same
// after the dialog as before it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/framework/window_controller.h"

namespace qv::fw {

class FileChooser : public WindowComponent
{
public:
    FileChooser() = default;
    // entry: the control that shows the file (0: none, Ask only);
    // button: the control that opens the dialog.
    FileChooser(int entry, int button)
        : entry_(entry)
        , button_(button)
    { }

    void init(rt::Window& window, int entry, int button);
    void setTitle(std::string title) { title_ = std::move(title); }
    // One filter pair, in the order the dialog offers them: ("MP3 Files", "*.mp3").
    void addFilter(std::string_view description, std::string_view patterns);
    void clearFilters() { filter_.clear(); }
    void setSave(bool save) { save_ = save; }
    void setKeepFolder(bool keep) { keepFolder_ = keep; }
    const std::string& filter() const { return filter_; }
    // Runs after a choice was written (the window shows the file, say).
    void onChosen(std::function<void(const std::string&)> then) { onChosen_ = std::move(then); }

    // Shows the dialog starting at `start`; the chosen file, or nothing when
    // the user cancelled.
    std::optional<std::string> ask(std::string_view start = {});
    // Ask starting at the entry's value; a choice is written into the
    // entry's use variable and shown. True when a file was chosen.
    bool choose();

    void Prepare(WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

private:
    rt::Window* window_ = nullptr;
    int entry_ = 0;
    int button_ = 0;
    std::string title_;
    std::string filter_;
    bool save_ = false;
    bool keepFolder_ = true;
    std::function<void(const std::string&)> onChosen_;
};

} // namespace qv::fw
