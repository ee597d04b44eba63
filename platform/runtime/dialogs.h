#pragma once
// Message boxes and the file, font and colour dialogs. Each is a window like
// any other: the calling thread waits for its answer as it waits for events
// (other threads stay live), and a host or a test answers it.

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/window.h"

namespace qv::rt {

namespace button {
constexpr int Ok = 1, Yes = 2, No = 4, Abort = 8, Retry = 16, Ignore = 32, Cancel = 64, Help = 128;
}

enum class Icon { None, Exclamation, Question, Information, Hand };

// The system sounds, by the numbers the program asks for them with.
namespace sound {
constexpr int Default = 0, Hand = 16, Question = 32, Exclamation = 48, Asterisk = 64;
}

// Asks the host for a system sound; the thread does not wait for it.
void beep(int sound = sound::Default);

struct MessageSpec {
    std::string text; // "|" starts a new line
    std::string title;
    Icon icon = Icon::None;
    int buttons = button::Ok; // a sum of button:: values
    std::string custom; // "Retry|Skip|Stop": custom buttons answering 1, 2, 3
    int defaultButton = 0; // a button value (or custom index); 0: the first
};

// Runs an open dialog on the running thread until the person closes it or
// presses one of `cancels` (false), or `handle` takes an event as the end of
// the dialog (true). Every other event goes to `handle`; the window stays
// open for the caller to read and close.
bool runDialog(
    Window& window, std::initializer_list<ControlId> cancels, const std::function<bool(const Event&)>& handle);

// Shows the message on the running thread and waits for the answer: a
// button value, or the 1-based index of a custom button.
int message(const MessageSpec& spec);
int message(
    std::string text, std::string title = {}, Icon icon = Icon::None, int buttons = button::Ok, int defaultButton = 0);

class MessageBoxWindow : public Window
{
public:
    explicit MessageBoxWindow(const MessageSpec& spec);

    struct Button {
        std::string text;
        int answer;
    };
    // The text with its "|" turned into line breaks.
    const std::string& text() const { return text_; }
    Icon icon() const { return icon_; }
    const std::vector<Button>& buttons() const { return buttons_; }
    int defaultAnswer() const { return defaultAnswer_; }
    // The answer when the window is closed without a button.
    int closeAnswer() const;
    // Presses the button that gives this answer.
    void answer(int answer);

private:
    std::string text_;
    Icon icon_;
    std::vector<Button> buttons_;
    int defaultAnswer_;
};

struct FileDialogSpec {
    std::string title;
    std::string fileName; // the initial name; the chosen one on return
    std::string filter; // pairs "Text files|*.txt|All files|*.*"
    bool save = false;
    bool directory = false; // choose a folder
    // The program asks the window system to keep the current folder; this
    // system never changes it behind the program's back, so the flag is kept
    // only for the record.
    bool keepFolder = false;
};

// True when the user chose a file; spec.fileName then holds it. A cancel
// leaves spec as it was.
bool fileDialog(FileDialogSpec& spec);

struct FontSpec {
    std::string name;
    int size = 0;
    int color = 0; // 0xBBGGRR
    bool bold = false;
    bool italic = false;
};
bool fontDialog(FontSpec& spec, std::string title = "Select Font");
bool colorDialog(int& color, std::string title = "Select Color");

// The window of a file, font or colour dialog: the host reads the request,
// and answers with a result or with nothing (cancel).
template <typename Spec> class DialogWindow : public Window
{
public:
    DialogWindow(WindowKind kind, std::string title, Spec request);
    const Spec& request() const { return request_; }
    const std::optional<Spec>& result() const { return result_; }
    void answer(std::optional<Spec> result);

private:
    Spec request_;
    std::optional<Spec> result_;
};

using FileDialogWindow = DialogWindow<FileDialogSpec>;
using FontDialogWindow = DialogWindow<FontSpec>;
struct ColorSpec {
    int color = 0;
};
using ColorDialogWindow = DialogWindow<ColorSpec>;

} // namespace qv::rt
