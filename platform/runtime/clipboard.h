#pragma once
// The clipboard's text. The Qt host installs the desktop clipboard; without
// a host (tests) it is a text in memory.

#include <string>

namespace qv::rt {

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
};

Clipboard& clipboard();
// nullptr restores the in-memory clipboard.
void setClipboard(Clipboard* c);

} // namespace qv::rt
