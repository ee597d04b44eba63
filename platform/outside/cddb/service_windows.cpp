#include "platform/outside/cddb/service_windows.h"

#include "platform/runtime/resources.h"
#include "platform/text/text.h"

std::span<const qv::rt::EmbeddedFile> cddbResources();

namespace qv::cddb {

void tell(const std::string& text, const std::string& title, rt::Icon icon)
{
    // "|" breaks a message's lines: text from a server must not.
    std::string shown = text;
    for (char& c : shown)
        if (c == '|')
            c = '/';
    rt::message(shown, title, icon);
}

namespace detail {

std::unique_ptr<rt::Window> loadWindow(std::string_view name)
{
    static const bool registered = [] {
        rt::ResourceStore::add("cddb", cddbResources());
        return true;
    }();
    (void)registered;
    return rt::Window::load("cddb", name);
}

std::string entered(const rt::Control& control)
{
    return std::string(text::trim(control.value(), text::kBlankOrTab));
}

bool looksLikeEmail(std::string_view address)
{
    const std::size_t at = address.find('@');
    return at != std::string_view::npos && at > 0 && at + 1 < address.size()
        && address.find('@', at + 1) == std::string_view::npos
        && address.find_first_of(" \t") == std::string_view::npos;
}

} // namespace detail
} // namespace qv::cddb
