#include "platform/runtime/dialogs.h"

#include <array>
#include <utility>

#include "platform/text/text.h"

namespace qv::rt {
namespace {

constexpr std::array<std::pair<int, const char*>, 8> standardButtons{{
    {button::Ok, "&OK"},
    {button::Yes, "&Yes"},
    {button::No, "&No"},
    {button::Abort, "&Abort"},
    {button::Retry, "&Retry"},
    {button::Ignore, "&Ignore"},
    {button::Cancel, "Cancel"},
    {button::Help, "&Help"},
}};

WindowDef definitionFor(WindowKind kind, std::string title, int buttonCount = 0)
{
    WindowDef def;
    def.kind = kind;
    def.name = "$Dialog";
    def.title = std::move(title);
    def.modal = true;
    for (int i = 1; i <= buttonCount; ++i) {
        ControlDef b;
        b.type = ControlType::Button;
        b.name = "?Button" + std::to_string(i);
        def.controls.push_back(std::move(b));
    }
    int next = 1;
    for (ControlDef& c : def.controls)
        c.number = next++;
    return def;
}

std::vector<MessageBoxWindow::Button> buttonsOf(const MessageSpec& spec)
{
    std::vector<MessageBoxWindow::Button> out;
    if (!spec.custom.empty()) {
        int index = 1;
        for (auto& t : text::split(spec.custom, '|'))
            out.push_back({std::move(t), index++});
        return out;
    }
    for (const auto& [value, label] : standardButtons)
        if (spec.buttons & value)
            out.push_back({label, value});
    if (out.empty())
        out.push_back({"&OK", button::Ok});
    return out;
}

std::string withLineBreaks(std::string s)
{
    for (char& c : s)
        if (c == '|')
            c = '\n';
    return s;
}

// Opens a dialog window on the running thread and waits until it has been
// answered or closed. Returns whether it was answered.
bool runUntilAnswered(Window& w)
{
    w.open();
    for (;;) {
        const Event e = w.waitEvent();
        if (e.code == event::Accepted)
            break;
        if (e.code == event::CloseWindow) {
            w.close();
            return false;
        }
    }
    w.close();
    return true;
}

} // namespace

void beep(int sound)
{
    if (HostObserver* h = host())
        h->beep(sound);
}

MessageBoxWindow::MessageBoxWindow(const MessageSpec& spec)
    : Window(definitionFor(WindowKind::MessageBox, spec.title, static_cast<int>(buttonsOf(spec).size())))
    , text_(withLineBreaks(spec.text))
    , icon_(spec.icon)
    , buttons_(buttonsOf(spec))
    , defaultAnswer_(buttons_.front().answer)
{
    for (size_t i = 0; i < buttons_.size(); ++i) {
        Control* b = control(static_cast<int>(i) + 1);
        b->setText(buttons_[i].text);
        if (buttons_[i].answer == spec.defaultButton)
            defaultAnswer_ = spec.defaultButton;
    }
    for (size_t i = 0; i < buttons_.size(); ++i)
        control(static_cast<int>(i) + 1)->setDefault(buttons_[i].answer == defaultAnswer_);
}

int MessageBoxWindow::closeAnswer() const
{
    for (const Button& b : buttons_)
        if (b.answer == button::Cancel)
            return b.answer;
    return defaultAnswer_;
}

void MessageBoxWindow::answer(int answer)
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i].answer == answer) {
            post(event::Accepted, static_cast<int>(i) + 1);
            return;
        }
}

bool runDialog(
    Window& window, std::initializer_list<ControlId> cancels, const std::function<bool(const Event&)>& handle)
{
    for (;;) {
        const Event e = window.waitEvent();
        if (e.code == event::CloseWindow)
            return false;
        if (e.code == event::Accepted)
            for (const ControlId& c : cancels)
                if (e.control == c.number)
                    return false;
        if (handle(e))
            return true;
    }
}

int message(const MessageSpec& spec)
{
    MessageBoxWindow w(spec);
    w.open();
    int result = w.closeAnswer();
    for (;;) {
        const Event e = w.waitEvent();
        if (e.code == event::Accepted && e.control >= 1 && e.control <= static_cast<int>(w.buttons().size())) {
            result = w.buttons()[e.control - 1].answer;
            break;
        }
        if (e.code == event::CloseWindow)
            break;
    }
    w.close();
    return result;
}

int message(std::string text, std::string title, Icon icon, int buttons, int defaultButton)
{
    MessageSpec spec;
    spec.text = std::move(text);
    spec.title = std::move(title);
    spec.icon = icon;
    spec.buttons = buttons;
    spec.defaultButton = defaultButton;
    return message(spec);
}

template <typename Spec>
DialogWindow<Spec>::DialogWindow(WindowKind kind, std::string title, Spec request)
    : Window(definitionFor(kind, std::move(title)))
    , request_(std::move(request))
{ }

template <typename Spec> void DialogWindow<Spec>::answer(std::optional<Spec> result)
{
    result_ = std::move(result);
    post(result_ ? event::Accepted : event::CloseWindow);
}

template class DialogWindow<FileDialogSpec>;
template class DialogWindow<FontSpec>;
template class DialogWindow<ColorSpec>;

bool fileDialog(FileDialogSpec& spec)
{
    FileDialogWindow w(WindowKind::FileDialog, spec.title, spec);
    if (!runUntilAnswered(w) || !w.result())
        return false;
    spec.fileName = w.result()->fileName;
    return true;
}

bool fontDialog(FontSpec& spec, std::string title)
{
    FontDialogWindow w(WindowKind::FontDialog, std::move(title), spec);
    if (!runUntilAnswered(w) || !w.result())
        return false;
    spec = *w.result();
    return true;
}

bool colorDialog(int& color, std::string title)
{
    ColorDialogWindow w(WindowKind::ColorDialog, std::move(title), ColorSpec{color});
    if (!runUntilAnswered(w) || !w.result())
        return false;
    color = w.result()->color;
    return true;
}

} // namespace qv::rt
