#pragma once
// Replaces the texts a window shows (title, captions, prompts, menu items,
// status-bar texts and tool tips) through a table of replacements. The
// program hands one translator to every window; with an empty table nothing
// changes.

#include <map>
#include <string>
#include <string_view>

#include "platform/framework/window_controller.h"

namespace qv::fw {

class TextTranslator : public WindowComponent
{
public:
    // A text is replaced when it equals `from` exactly, or, failing that,
    // when it equals it once the "&" mnemonic marks of both are left out
    // ("&Cancel" and "Cancel" are one text; "&&" is a literal "&").
    void addTranslation(std::string from, std::string to);
    void clear();
    bool empty() const { return exact_.empty(); }

    // The replacement of a text, or the text itself.
    std::string translate(std::string_view text) const;
    // Every text of the window, its controls and their items.
    void translateWindow(rt::Window& window) const;

    void Prepare(WindowController& controller) override;

private:
    std::map<std::string, std::string, std::less<>> exact_;
    std::map<std::string, std::string, std::less<>> bare_; // keyed by the text without mnemonics
};

} // namespace qv::fw
