#include "qvls/core/manual.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/runtime/dialogs.h"
#include "qvls/core/frame_services.h"

namespace qv::qvls {

namespace {
// Blanks, "#" and "%" in folder names are escaped, or the browser would read
// a different file or an anchor.
std::string fileAddress(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char ch : path) {
        if (std::isalnum(ch) || std::strchr("/-._~", ch))
            out += static_cast<char>(ch);
        else {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 15];
        }
    }
    return out;
}
} // namespace

void showManual(std::string_view topic)
{
    const std::string manual = frameServices().programFolder() + "help/index.html";
    std::string address = fileAddress(manual);
    if (!topic.empty())
        address += "#" + std::string(topic);
    if (!std::filesystem::exists(manual)) {
        rt::message("The help file " + manual + " could not be opened.", "Help", rt::Icon::Exclamation);
        return;
    }
    if (const int opened = frameServices().openAddress(address); opened <= 32)
        rt::message(opened == 31 ? "Help is shown in the desktop's web browser, and none could be started "
                                   "(the xdg-open command is missing)."
                                 : "The help file " + manual + " could not be opened.",
            "Help", rt::Icon::Exclamation);
}

} // namespace qv::qvls
