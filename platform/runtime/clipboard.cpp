#include "platform/runtime/clipboard.h"

#include "platform/runtime/window.h"

namespace qv::rt {
namespace {
class MemoryClipboard : public Clipboard
{
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override
    {
        text_ = text;
        picture_.reset();
    }
    void setPicture(const Window& window) override
    {
        const Rect area = window.area();
        picture_ = ClipboardPicture{window.def().name, area.width, area.height};
        text_.clear();
    }
    std::optional<ClipboardPicture> picture() const override { return picture_; }

private:
    std::string text_;
    std::optional<ClipboardPicture> picture_;
};
MemoryClipboard memoryClipboard;
Clipboard* installed = &memoryClipboard;
} // namespace

Clipboard& clipboard()
{
    return *installed;
}

void setClipboard(Clipboard* c)
{
    installed = c ? c : &memoryClipboard;
}

} // namespace qv::rt
