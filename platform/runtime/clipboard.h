#pragma once
// The clipboard: a text, or a picture of a window. The Qt host installs the
// desktop clipboard; without a host (tests) it is kept in memory, where a
// picture is the record of which window was put there at what size.

#include <optional>
#include <string>

namespace qv::rt {

class Window;

struct ClipboardPicture {
    std::string window; // the window's definition name; empty when not known
    int width = 0, height = 0; // as the host measures: pixels on a desktop
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    // A picture of the window as it shows now replaces what the clipboard held.
    virtual void setPicture(const Window& window) = 0;
    virtual std::optional<ClipboardPicture> picture() const = 0;
};

Clipboard& clipboard();
// nullptr restores the in-memory clipboard.
void setClipboard(Clipboard* c);

} // namespace qv::rt
