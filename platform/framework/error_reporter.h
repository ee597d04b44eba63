#pragma once
// The framework's numbered messages about tables and fields, and the name of
// the procedure each thread is running (messages and logs name it).

#include <memory>
#include <string>
#include <string_view>

#include "platform/framework/levels.h"

namespace qv::fw {

// The framework's messages. Each has a level, a title, a text with the
// placeholders %File, %Field, %Message, %ErrorText and %ErrorCode, and
// buttons; the level decides what the caller does next.
enum class Msg {
    FieldNotInFile, // "Field contents error" / "The value of %Field must be found in the %Message file."
    FieldOutOfRange, // "Range Error" / "The value of %Field must be between %Message."
    FieldOutOfRangeLow, // "Range Error" / "... must be at least %Message."
    FieldOutOfRangeHigh, // "Range Error" / "... must be at most %Message."
    DuplicateKey, // "Duplicate Key Error" / "Adding this %File record creates a duplicate entry for the key: %Message"
    RestrictDelete, // "Referential Integrity Delete Error"
    RestrictUpdate, // "Referential Integrity Update Error"
    RetryAutoInc, // "Auto Increment Error" ... "Try Again?" (Yes/No)
    AbortTransaction, // "Transaction cancelled" / "Error: (%ErrorText) attempting to frame the transaction on %File."
    ConfirmDelete, // "Confirm Delete"
    ConfirmCancel, // "Update Cancelled" / "Are you sure you want to cancel?"
    SaveRecord, // "Save Record" / "Do you want to save the changes to this record?" Yes/No/Cancel
    ChangedByAnother, // "Record Was Not Updated" / "This record was changed by another station. ..."
    OpenFailed, // a table could not be opened
    CreateFailed, // a table could not be created
    RecordRetrievalError, // a read failed
    UpdateFailed, // a write failed
    DeleteFailed, // a delete failed
    InsertFailed, // an add failed
    RecordLimit, // nothing more to read (Notify)
    ViewOpenFailed, // a view could not be opened
};

class ErrorReporter
{
public:
    ErrorReporter();
    virtual ~ErrorReporter();
    ErrorReporter(const ErrorReporter&) = delete;
    ErrorReporter& operator=(const ErrorReporter&) = delete;

    // Shows the message (on the running thread, which waits for the answer)
    // and answers its level; for messages with Yes/No/Cancel, Benign means
    // Yes, User No, Cancel Cancel.
    virtual Level raise(Msg msg);
    // The same with %Message set to text first.
    Level throwMessage(Msg msg, std::string_view text);
    // The same with %File set to file first.
    Level throwFile(Msg msg, std::string_view file);

    // The values of the placeholders for the next message.
    void SetField(std::string field) { field_ = std::move(field); }
    void setFile(std::string file) { file_ = std::move(file); }
    void setMessageText(std::string text) { message_ = std::move(text); }
    // %ErrorText and %ErrorCode come from the table driver's last error
    // unless set here.
    void setErrorText(std::string text, int code);
    // Messages are also counted here (tests read them; a log could).
    const std::string& lastTitle() const { return lastTitle_; }
    const std::string& lastText() const { return lastText_; }
    int messageCount() const { return count_; }

    // While silent, messages are counted and remembered but not shown; each
    // answers its default button (the checks of TryUpdate run this way).
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }

    // Placeholders replaced, trailing blanks of each value removed.
    std::string expand(std::string_view text) const;

    // The running thread's procedure names (a stack per thread).
    void pushProcedure(std::string name);
    void popProcedure();
    std::string currentProcedure() const;

protected:
    std::string field_, file_, message_, errorText_;
    int errorCode_ = 0;
    bool errorSet_ = false;
    std::string lastTitle_, lastText_;
    int count_ = 0;
    bool silent_ = false;

private:
    struct ProcedureStacks;
    std::unique_ptr<ProcedureStacks> procedures_;
};

ErrorReporter& appErrorReporter();

} // namespace qv::fw
