#include "platform/framework/text_translator.h"

namespace qv::fw {

namespace {

std::string withoutMnemonics(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&')
                out.push_back(s[++i]);
            continue;
        }
        out.push_back(s[i]);
    }
    return out;
}

} // namespace

void TextTranslator::addTranslation(std::string from, std::string to)
{
    if (from.empty())
        return;
    bare_[withoutMnemonics(from)] = to;
    exact_[std::move(from)] = std::move(to);
}

void TextTranslator::clear()
{
    exact_.clear();
    bare_.clear();
}

std::string TextTranslator::translate(std::string_view text) const
{
    if (text.empty() || exact_.empty())
        return std::string(text);
    if (const auto it = exact_.find(text); it != exact_.end())
        return it->second;
    if (const auto it = bare_.find(withoutMnemonics(text)); it != bare_.end())
        return it->second;
    return std::string(text);
}

void TextTranslator::translateWindow(rt::Window& window) const
{
    if (exact_.empty())
        return;
    auto apply = [this](const std::string& now, auto&& set) {
        std::string t = translate(now);
        if (t != now)
            set(std::move(t));
    };
    apply(window.title(), [&](std::string t) { window.setTitle(std::move(t)); });
    for (const auto& c : window.controls()) {
        apply(c->text(), [&](std::string t) { c->setText(std::move(t)); });
        apply(c->statusText(), [&](std::string t) { c->setStatusText(std::move(t)); });
        apply(c->toolTip(), [&](std::string t) { c->setToolTip(std::move(t)); });
    }
}

void TextTranslator::Prepare(WindowController& controller)
{
    if (controller.hasWindow())
        translateWindow(controller.window());
}

} // namespace qv::fw
