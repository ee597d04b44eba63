#pragma once
// Keeps the user's list layouts and the chosen tab of a list window in
// ".\POSITION.INI", in the procedure's own section:
//   "SRCFOriginal" + list name  the design format the layout was made for
//   "SRCF" + list name          the list's format as the user left it
//   "Tab:?CurrentTab"           the chosen tab of the sheet ?CurrentTab
// A saved layout is used only while the window definition still has the
// design it was made for; a changed design replaces it once.
//
// Formats are opaque texts here. They go to the file and come back as the
// same text, and compare as text (trailing blanks ignored).

#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/keycodes.h"

namespace qv::fw {
class IniStore;
}
namespace qv::rt {
class Window;
class Control;
} // namespace qv::rt

namespace qv::qvls {

class ListFormatSaver
{
public:
    static constexpr std::size_t kMaxFormat = 4096;
    static constexpr int kRestoreDesignKey = rt::key::Ctrl + rt::key::Alt + 'R'; // 1618
    static constexpr std::string_view kUnknown = "---Unknown---";
    static constexpr std::string_view kSheet = "?CurrentTab";

    struct DesignFormat {
        std::string name; // "?Browse:1"
        int control = 0;
        std::string format; // as the window was opened
    };

    // lists: the list controls' names in the order they are handled;
    // keepsTab: the window remembers the tab of its sheet ?CurrentTab.
    ListFormatSaver(fw::IniStore& store, std::string procedure, std::vector<std::string> lists, bool keepsTab);

    // Right after the window opened, before anything else touches its lists.
    // Also registers the restore-design key.
    void Restore(rt::Window& window);
    // At the start of close-down, while the window is still open. A window
    // that Restore never saw (a refused second opening) writes nothing.
    void Save(rt::Window& window);
    // Visible lists go back to their design formats; the file is not touched.
    void RestoreDesign(rt::Window& window);
    // True when the event was the restore-design key and was handled.
    bool onAlertKey(rt::Window& window, int keyCode);

    const std::vector<DesignFormat>& DesignFormats() const { return designs_; }

    static std::string keyOf(std::string_view listName) { return "SRCF" + std::string(listName); }
    static std::string originalKeyOf(std::string_view listName) { return "SRCFOriginal" + std::string(listName); }
    static constexpr std::string_view kTabKey = "Tab:?CurrentTab";

    // A list on a tab that is not shown, or hidden itself, is not visible.
    static bool visible(const rt::Control& control);

private:
    bool tabKept(rt::Window& window) const;

    fw::IniStore& store_;
    std::string procedure_;
    std::vector<std::string> lists_;
    bool keepsTab_;
    bool restored_ = false;
    std::vector<DesignFormat> designs_;
};

} // namespace qv::qvls
