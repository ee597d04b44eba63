#include "qvls/core/required_fields.h"

#include "platform/text/text.h"

#include <algorithm>
#include <cstdlib>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/window.h"
#include "qvls/core/text_helpers.h"

namespace qv::qvls {

namespace {
constexpr std::size_t kPromptBuffer = 40;
constexpr std::size_t kFieldText = 80;
constexpr std::size_t kFieldName = 40;
constexpr std::size_t kTitle = 255;
constexpr std::size_t kTemplate = 1024;

std::string withoutMarks(std::string_view prompt, std::size_t width)
{
    std::string p = text::padTo(prompt, width);
    ReplaceAllNoCase(p, "&", "");
    ReplaceAllNoCase(p, ":", "");
    return std::string(text::trimRight(p));
}

bool collects(rt::ControlType t)
{
    switch (t) {
    case rt::ControlType::Entry:
    case rt::ControlType::Option:
    case rt::ControlType::Combo:
    case rt::ControlType::Spin:
    case rt::ControlType::Text:
    case rt::ControlType::DropList:
        return true;
    default:
        return false;
    }
}

// Numbers and dates are missing while they are 0.
bool numericPicture(const std::string& picture)
{
    std::string_view p = picture;
    if (!p.empty() && p.front() == '@')
        p.remove_prefix(1);
    return !p.empty() && (p.front() == 'n' || p.front() == 'N' || p.front() == 'd' || p.front() == 'D');
}

bool nonZero(const rt::Control& c)
{
    const std::string v = rt::deformatPicture(c.value(), c.picture());
    const char* s = v.c_str();
    char* end = nullptr;
    const double d = std::strtod(s, &end);
    return end != s && d != 0.0;
}

bool holdsText(const std::string& v)
{
    return v.find_first_not_of(" \r\n") != std::string::npos;
}
} // namespace

void RequiredFields::Prepare(
    rt::Window& window, std::string_view title, std::string_view templ, bool validateOnFieldAccept)
{
    window_ = &window;
    title_ = text::firstChars(title, kTitle);
    text_ = text::firstChars(templ, kTemplate);
    validateOnFieldAccept_ = validateOnFieldAccept;
    fields_.clear();
    fieldTexts_.clear();
    std::string prompt;
    for (const auto& c : window.controls()) {
        if (c->type() == rt::ControlType::Prompt) {
            prompt = withoutMarks(c->text(), kPromptBuffer);
            continue;
        }
        // A required control without a prompt of its own takes the last one seen.
        if (collects(c->type()) && c->required())
            fields_.push_back({c->number(), prompt, std::string(text::firstChars(c->statusText(), kFieldText)),
                std::string(text::firstChars(c->toolTip(), kFieldText)),
                std::string(text::firstChars(c->def().use, kFieldName))});
    }
    std::sort(fields_.begin(), fields_.end(), [](const Field& a, const Field& b) { return a.feq < b.feq; });
}

RequiredFields::Field* RequiredFields::find(int feq)
{
    for (Field& f : fields_)
        if (f.feq == feq)
            return &f;
    return nullptr;
}

void RequiredFields::SetField(int control, bool addIfMissing, std::string_view prompt, std::string_view message,
    std::string_view tip, std::string_view fieldName)
{
    Field* f = find(control);
    if (!f) {
        if (!addIfMissing)
            return;
        const auto at = std::lower_bound(
            fields_.begin(), fields_.end(), control, [](const Field& a, int feq) { return a.feq < feq; });
        f = &*fields_.insert(at, Field{control, {}, {}, {}, {}});
    }
    f->prompt = withoutMarks(prompt, kFieldText);
    f->msg = text::firstChars(message, kFieldText);
    f->tip = text::firstChars(tip, kFieldText);
    f->fldName = text::firstChars(fieldName, kFieldName);
}

void RequiredFields::setFieldText(int control, std::string_view title, std::string_view text)
{
    for (FieldText& t : fieldTexts_)
        if (t.feq == control) {
            t.title = text::firstChars(title, kTitle);
            t.text = text::firstChars(text, kTemplate);
            return;
        }
    fieldTexts_.push_back(
        {control, std::string(text::firstChars(title, kTitle)), std::string(text::firstChars(text, kTemplate))});
}

int RequiredFields::Validate(bool onlyVisible)
{
    if (!window_)
        return 0;
    window_->update();
    for (const Field& f : fields_) {
        rt::Control* c = window_->control(f.feq);
        if (!c || !c->enabled() || c->hidden() || (onlyVisible && c->effectivelyHidden()))
            continue;
        const bool textBox = c->type() == rt::ControlType::Text;
        if (!c->required() && !textBox)
            continue;
        bool filled = !text::trimRight(c->value()).empty();
        if (numericPicture(c->picture()))
            filled = nonZero(*c);
        if (textBox) {
            filled = holdsText(c->value());
            if (!filled) {
                c->setValue({});
                c->update();
            }
        }
        if (!filled) {
            window_->select(*c);
            current_ = f.feq;
            showMissing();
            return f.feq;
        }
    }
    return 0;
}

std::string RequiredFields::messageFor(const Field& f) const
{
    std::string message = text::padTo(text_, kTemplate);
    ReplaceAllNoCase(message, "@PROMPT", "\"" + f.prompt + "\"");
    ReplaceAllNoCase(message, "@MSG", std::string(text::trimRight(f.msg)));
    ReplaceAllNoCase(message, "@TIP", std::string(text::trimRight(f.tip)));
    ReplaceAllNoCase(message, "@FIELD", "\"" + std::string(text::trimRight(f.fldName)) + "\"");
    return std::string(text::trimRight(message));
}

void RequiredFields::showMissing()
{
    rt::MessageSpec spec;
    spec.icon = rt::Icon::Information;
    spec.custom = "&OK";
    for (const FieldText& t : fieldTexts_)
        if (t.feq == current_) {
            spec.text = t.text;
            spec.title = t.title;
            rt::message(spec);
            return;
        }
    Field* f = find(current_);
    if (!f)
        return;
    spec.text = messageFor(*f);
    spec.title = title_;
    rt::message(spec);
}

void RequiredFields::Release()
{
    fields_.clear();
    fieldTexts_.clear();
    current_ = 0;
}

} // namespace qv::qvls
