#include "platform/framework/error_reporter.h"

#include <array>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/errors.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {

namespace button = rt::button;

// How a message is shown. A message with one button answers its own level;
// one with Yes/No(/Cancel) answers by the button pressed.
struct MessageDef {
    Level level;
    const char* title;
    const char* text;
    rt::Icon icon;
    int buttons;
    int defaultButton;
};

constexpr int kQuestion = button::Yes | button::No;
constexpr int kQuestionCancel = button::Yes | button::No | button::Cancel;

constexpr rt::Icon Bang = rt::Icon::Exclamation;
constexpr rt::Icon Ask = rt::Icon::Question;

static_assert(static_cast<int>(Msg::ViewOpenFailed) == 20, "one definition per message");

const MessageDef& definition(Msg msg)
{
    static const std::array<MessageDef, 21> defs{{
        // FieldNotInFile
        {User, "Field contents error", "The value of %Field must be found in the %Message file.", Bang, button::Ok, 0},
        // FieldOutOfRange
        {User, "Range Error", "The value of %Field must be between %Message.", Bang, button::Ok, 0},
        // FieldOutOfRangeLow
        {User, "Range Error", "The value of %Field must be at least %Message.", Bang, button::Ok, 0},
        // FieldOutOfRangeHigh
        {User, "Range Error", "The value of %Field must be at most %Message.", Bang, button::Ok, 0},
        // DuplicateKey
        {User, "Duplicate Key Error", "Adding this %File record creates a duplicate entry for the key: %Message", Bang,
            button::Ok, 0},
        // RestrictDelete
        {User, "Referential Integrity Delete Error",
            "This record is referenced from the file %File. This record cannot be deleted while these references "
            "exist.",
            Bang, button::Ok, 0},
        // RestrictUpdate
        {User, "Referential Integrity Update Error",
            "This record is referenced from the file %File. Linking field(s) have been restricted from change and have "
            "been reset to original values.",
            Bang, button::Ok, 0},
        // RetryAutoInc
        {User, "Auto Increment Error",
            "Attempts to automatically number this %File record have failed. Error: %ErrorText. Try Again?", Bang,
            kQuestion, button::Yes},
        // AbortTransaction
        {Program, "Transaction cancelled", "Error: (%ErrorText) attempting to frame the transaction on %File.", Bang,
            button::Ok, 0},
        // ConfirmDelete
        {User, "Confirm Delete", "Are you sure you want to delete the highlighted record?", Ask, kQuestion, button::No},
        // ConfirmCancel
        {User, "Update Cancelled", "Are you sure you want to cancel?", Ask, kQuestion, button::No},
        // SaveRecord
        {User, "Save Record", "Do you want to save the changes to this record?", Ask, kQuestionCancel, button::Cancel},
        // ChangedByAnother
        {User, "Record Was Not Updated",
            "This record was changed by another station. Those changes will now be displayed. Use the Ditto Button or "
            "Ctrl+' to recall your changes.",
            Bang, button::Ok, 0},
        // OpenFailed
        {Program, "File Open Error", "Error %ErrorCode (%ErrorText) attempting to open the file %File.", Bang,
            button::Ok, 0},
        // CreateFailed
        {Program, "File Creation Error", "Error %ErrorCode (%ErrorText) attempting to create the file %File.", Bang,
            button::Ok, 0},
        // RecordRetrievalError
        {Program, "Record Retrieval Error",
            "Error %ErrorCode (%ErrorText) attempting to read a record from the file %File.", Bang, button::Ok, 0},
        // UpdateFailed
        {Program, "Record Update Error",
            "Error %ErrorCode (%ErrorText) attempting to change a record of the file %File.", Bang, button::Ok, 0},
        // DeleteFailed
        {Program, "Record Delete Error",
            "Error %ErrorCode (%ErrorText) attempting to delete a record from the file %File.", Bang, button::Ok, 0},
        // InsertFailed
        {Program, "Record Insert Error", "Error %ErrorCode (%ErrorText) attempting to add a record to the file %File.",
            Bang, button::Ok, 0},
        // RecordLimit: the end of a table is no fault; nothing is shown
        {Notify, "", "", rt::Icon::None, 0, 0},
        // ViewOpenFailed
        {Program, "View Open Error", "Error %ErrorCode (%ErrorText) attempting to open the view of the file %File.",
            Bang, button::Ok, 0},
    }};
    return defs.at(static_cast<std::size_t>(msg));
}

Level levelOfAnswer(const MessageDef& def, int answer)
{
    if ((def.buttons & button::Yes) == 0)
        return def.level;
    if (answer == button::Yes)
        return Benign;
    if (answer == button::Cancel)
        return Cancel;
    return User;
}

} // namespace

struct ErrorReporter::ProcedureStacks {
    rt::PerThread<std::vector<std::string>> names;
};

ErrorReporter::ErrorReporter()
    : procedures_(std::make_unique<ProcedureStacks>())
{ }

ErrorReporter::~ErrorReporter() = default;

void ErrorReporter::setErrorText(std::string text, int code)
{
    errorText_ = std::move(text);
    errorCode_ = code;
    errorSet_ = true;
}

std::string ErrorReporter::expand(std::string_view text) const
{
    const std::string code = std::to_string(errorCode_);
    // Longer names first, so "%ErrorText" is never read as a shorter one.
    const std::array<std::pair<std::string_view, std::string_view>, 5> names{{
        {"%ErrorText", errorText_},
        {"%ErrorCode", code},
        {"%Message", message_},
        {"%Field", field_},
        {"%File", file_},
    }};
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '%') {
            for (const auto& [name, value] : names) {
                if (text.substr(i, name.size()) == name) {
                    // Values are inserted as they are: a value that holds a
                    // placeholder name is not expanded again.
                    out += text::trimRight(value);
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

Level ErrorReporter::raise(Msg msg)
{
    const MessageDef& def = definition(msg);
    if (!errorSet_) {
        const auto& e = tables::lastError();
        errorText_ = e.code == tables::FileSystemError && !e.osText.empty() ? e.osText : e.text;
        errorCode_ = e.code;
    }
    errorSet_ = false;
    if (def.buttons == 0)
        return def.level;

    ++count_;
    lastTitle_ = def.title;
    lastText_ = expand(def.text);
    int answer = def.defaultButton ? def.defaultButton : button::Ok;
    if (!silent_) {
        rt::MessageSpec spec;
        spec.title = lastTitle_;
        spec.text = lastText_;
        spec.icon = def.icon;
        spec.buttons = def.buttons;
        spec.defaultButton = def.defaultButton;
        answer = rt::message(spec);
    }
    return levelOfAnswer(def, answer);
}

Level ErrorReporter::throwMessage(Msg msg, std::string_view text)
{
    message_ = std::string(text);
    return raise(msg);
}

Level ErrorReporter::throwFile(Msg msg, std::string_view file)
{
    file_ = std::string(file);
    return raise(msg);
}

void ErrorReporter::pushProcedure(std::string name)
{
    procedures_->names->push_back(std::move(name));
}

void ErrorReporter::popProcedure()
{
    auto& stack = *procedures_->names;
    if (!stack.empty())
        stack.pop_back();
}

std::string ErrorReporter::currentProcedure() const
{
    const auto& stack = *procedures_->names;
    return stack.empty() ? std::string() : stack.back();
}

ErrorReporter& appErrorReporter()
{
    static ErrorReporter reporter;
    return reporter;
}

} // namespace qv::fw
