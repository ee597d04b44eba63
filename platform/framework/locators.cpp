#include "platform/framework/locators.h"

#include "platform/framework/list_browser.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {
const std::string kNothing;
}

char Locator::charOf(int keyCode)
{
    using namespace rt::key;
    if (keyCode & (Ctrl | Alt))
        return 0;
    const bool shift = (keyCode & Shift) != 0;
    const int vk = virtualKey(keyCode);
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<char>(shift ? vk : vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return shift ? 0 : static_cast<char>(vk);
    if (vk == Space)
        return ' ';
    // The punctuation keys of a US layout.
    switch (vk) {
    case 0xBA:
        return shift ? ':' : ';';
    case 0xBB:
        return shift ? '+' : '=';
    case 0xBC:
        return shift ? '<' : ',';
    case 0xBD:
        return shift ? '_' : '-';
    case 0xBE:
        return shift ? '>' : '.';
    case 0xBF:
        return shift ? '?' : '/';
    case 0xC0:
        return shift ? '~' : '`';
    case 0xDB:
        return shift ? '{' : '[';
    case 0xDC:
        return shift ? '|' : '\\';
    case 0xDD:
        return shift ? '}' : ']';
    case 0xDE:
        return shift ? '"' : '\'';
    default:
        return 0;
    }
}

bool Locator::wantsKey(int keyCode) const
{
    return charOf(keyCode) != 0;
}

const std::string& Locator::typed() const
{
    return kNothing;
}

bool KeyJumpLocator::takeKey(int keyCode, ListBrowser& list)
{
    const char c = charOf(keyCode);
    if (c == 0)
        return false;
    list.locate(std::string(1, c));
    return true;
}

bool TypedPrefixLocator::wantsKey(int keyCode) const
{
    return keyCode == rt::key::Back || Locator::wantsKey(keyCode);
}

bool TypedPrefixLocator::takeKey(int keyCode, ListBrowser& list)
{
    if (keyCode == rt::key::Back) {
        if (typed_.empty())
            return true;
        // One character back, not one byte.
        typed_.resize(text::byteOffset(typed_, text::charCount(typed_) - 1));
    } else {
        const char c = charOf(keyCode);
        if (c == 0)
            return false;
        typed_ += c;
    }
    if (typed_.empty())
        list.scrollTo(ListBrowser::Where::Top);
    else
        list.locate(typed_);
    show(list);
    return true;
}

void TypedPrefixLocator::reset()
{
    typed_.clear();
}

void TypedPrefixLocator::show(ListBrowser& list)
{
    if (!list.controller() || !list.controller()->hasWindow())
        return;
    for (const std::string& entry : entries_)
        if (rt::Control* c = list.controller()->window().control(entry))
            c->setValue(typed_);
}

} // namespace qv::fw
