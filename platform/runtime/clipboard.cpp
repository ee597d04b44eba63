#include "platform/runtime/clipboard.h"

namespace qv::rt {
namespace {
class MemoryClipboard : public Clipboard
{
public:
    std::string text() const override { return text_; }
    void setText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
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
