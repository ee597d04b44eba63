#pragma once
// The framework's INI store: values by section and key in one INI file, and
// the placement of windows (section = procedure name). The program's own
// rules about when a placement is worth keeping sit on top of these
// primitives; the store writes and reads exactly what it is given.

#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/ini.h"

namespace qv::rt {
class Window;
}

namespace qv::fw {

// A window's place as stored: each part is absent when its key is missing
// (XPos, YPos, Width, Height are read only when their text is not empty).
struct Placement {
    std::optional<bool> maximize{}; // "Maximize": "Yes" / "No"
    std::optional<int> x{}, y{}, width{}, height{}; // "XPos", "YPos", "Width", "Height"
};

class IniStore
{
public:
    IniStore() = default;
    // A program INI name such as ".\POSITION.INI".
    explicit IniStore(std::string_view iniName) { init(iniName); }

    void init(std::string_view iniName);
    // Forgets the file; fetches give their defaults and updates fail.
    void kill();
    bool ready() const { return file_.has_value(); }
    const std::string& name() const { return name_; }
    // Where the file is (or would be created) now.
    std::string path() const;

    std::string Fetch(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    long long fetchInt(std::string_view section, std::string_view key, long long defaultValue = 0) const;
    // Leaves the variable as it was when the key is missing; true when found.
    bool fetchInto(std::string_view section, std::string_view key, std::string& variable) const;
    bool fetchInto(std::string_view section, std::string_view key, long long& variable) const;
    bool fetchInto(std::string_view section, std::string_view key, int& variable) const;
    bool has(std::string_view section, std::string_view key) const;

    // False when the value could not be written (see rt::IniFile::set).
    bool Update(std::string_view section, std::string_view key, std::string_view value);
    bool updateInt(std::string_view section, std::string_view key, long long value);
    bool Remove(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    Placement readPlacement(std::string_view section) const;
    // Writes the parts that are set, and only those; a part left empty keeps
    // whatever the file holds for it.
    bool writePlacement(std::string_view section, const Placement& placement);
    // The window's state in the store's terms: Maximize always, the four
    // numbers from its geometry.
    static Placement placementOf(const rt::Window& window);
    // As a window opens: "Yes" maximizes it; "No" with an XPos moves it to
    // XPos, YPos and, when it is resizable, sizes it to Width, Height (each
    // missing number keeps the window's own); no Maximize leaves it as
    // defined. True when anything was applied.
    bool restoreWindow(std::string_view section, rt::Window& window) const;

private:
    std::string name_;
    std::optional<rt::IniFile> file_;
};

} // namespace qv::fw
