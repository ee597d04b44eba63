#include "platform/framework/file_chooser.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/dialogs.h"
#include "platform/text/text.h"

namespace qv::fw {

void FileChooser::init(rt::Window& window, int entry, int button)
{
    window_ = &window;
    entry_ = entry;
    button_ = button;
}

void FileChooser::addFilter(std::string_view description, std::string_view patterns)
{
    if (!filter_.empty())
        filter_ += '|';
    filter_.append(description);
    filter_ += '|';
    filter_.append(patterns);
}

std::optional<std::string> FileChooser::ask(std::string_view start)
{
    rt::FileDialogSpec spec;
    spec.title = title_;
    // Fixed-length fields arrive padded.
    spec.fileName = std::string(text::trimRight(start));
    spec.filter = filter_;
    spec.save = save_;
    spec.keepFolder = keepFolder_;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    const bool chosen = rt::fileDialog(spec);
    // Whatever a host did meanwhile, data files stay found in the collection folder.
    if (keepFolder_ && !ec) {
        std::error_code now;
        if (std::filesystem::current_path(now) != folder)
            std::filesystem::current_path(folder, now);
    }
    if (!chosen)
        return std::nullopt;
    return spec.fileName;
}

bool FileChooser::choose()
{
    rt::Control* entry = window_ && entry_ ? window_->control(entry_) : nullptr;
    if (entry) // the variable may have changed since the entry last showed it
        entry->display();
    auto file = ask(entry ? entry->value() : std::string());
    if (!file)
        return false;
    if (entry) {
        entry->setValue(*file);
        entry->update();
        entry->display();
    }
    if (onChosen_)
        onChosen_(*file);
    return true;
}

void FileChooser::Prepare(WindowController& controller)
{
    if (controller.hasWindow())
        window_ = &controller.window();
}

bool FileChooser::OnEvent(const rt::Event& e)
{
    if (e.code != rt::event::Accepted || button_ == 0 || e.control != button_ || !window_)
        return false;
    choose();
    return true;
}

} // namespace qv::fw
