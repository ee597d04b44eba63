#pragma once
// A table's access object: ties the framework to the table's file, record
// buffer and keys, and carries the table's own rules (auto-numbering,
// defaults of a new record, field checks, its name in messages). Lists and
// lookups read through it; forms save through its relation set.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/expr/expression.h"
#include "platform/framework/error_reporter.h"
#include "platform/tables/table.h"

namespace qv::fw {

class TableAccess
{
public:
    TableAccess(tables::Table& table, ErrorReporter& reporter);
    virtual ~TableAccess();
    TableAccess(const TableAccess&) = delete;
    TableAccess& operator=(const TableAccess&) = delete;

    tables::Table& table() const { return table_; }
    tables::Record& record() const { return table_.record(); }
    ErrorReporter& reporter() const { return reporter_; }

    // Set-up, as the dictionary declares it.
    void SetCreate(bool createWhenMissing) { create_ = createWhenMissing; }
    void SetLockRecover(int seconds) { lockRecover_ = seconds; }
    void SetOpenMode(int access) { openMode_ = access; }
    // The name the table has in messages (%File), and the name field checks give.
    void SetName(std::string nameInMessages) { name_ = std::move(nameInMessages); }
    const std::string& Name() const;
    void SetCheckName(std::string checkName) { checkName_ = std::move(checkName); }
    // Declares a key: its description and the 1-based number of its
    // auto-numbered component (0 for none).
    void RegisterKey(int key, std::string description, int autoNumbered);

    // Opens the table (creating a missing file, retrying a locked one with
    // "Recover=n" once) and counts the opens; Close closes the file when the
    // count returns to 0. Failures show the framework's message; the result
    // is a Level.
    virtual Level Open();
    virtual Level Close();
    int OpenCount() const { return table_.openCount(); }

    // Reading in key order. Try*: no messages, non-zero at the end or on an
    // error. Read*: messages for errors; Notify at the end.
    int UseKey(int key);          // the order of the next reads, from the start
    int SetPosition(int key);     // the next reads start at the buffer's key values
    int TryNext();
    int TryPrevious();
    Level ReadNext();
    Level ReadPrevious();
    // Get the record by a key at the buffer's key values: 0 found, 5 not
    // found, 3 cannot be opened; TryFetch also clears the buffer when
    // nothing is found.
    int Fetch(int key);
    int TryFetch(int key);

    // Adds the buffer (filling auto-numbered components): Insert with the
    // framework's messages, TryInsert without. A Level.
    Level Insert();
    Level TryInsert();
    // Validates the buffer's fields and writes it back; a record changed
    // meanwhile by another thread or program is refused with 89 and re-read.
    Level Update();
    Level TryUpdate();
    Level Delete();   // without relations: the relation set deletes with them

    // A new record: clears the buffer, FillDefaults, and reserves its
    // auto-numbered id by adding it at once (three failed tries ask
    // "Auto Increment Error ... Try Again?").
    Level PrimeRecord();
    // The two halves of PrimeRecord, for callers that fill fields in
    // between (a list's range values and copies, a form's own defaults):
    // clear (unless keeping the buffer, as a copy does) and FillDefaults;
    // then reserve the auto-numbered id by adding the buffer as it stands.
    void PrimeFields(bool keepBuffer = false);
    Level PrimeAutoInc();
    // The history copy: the record as it was when a form took it.
    void SaveHistory();
    bool ChangedSinceHistory() const;
    void RestoreHistoryField(int field);

    // The table's rules; the dictionary overrides them per table.
    virtual Level CheckField(int field);
    virtual void FillDefaults();
    virtual void BindRecordFields(expr::NameTable& names);
    virtual Level RaiseStoredError(Msg msg);
    virtual Level RaiseErrorWithText(Msg msg, std::string text);
    // Every field checked in order; the first failure's level.
    Level ValidateRecord(int* failedField = nullptr);

    // A table's key, position and record buffer, kept aside and put back
    // (a field check looks records up without disturbing a list).
    struct State {
        std::vector<std::uint8_t> opaque;
        std::unique_ptr<tables::Record> record;
        int key = -1;
    };
    State SaveTableState() const;
    void RestoreTableState(const State& state);

    // For messages: the description of a key, its auto-numbered component.
    std::string KeyDescription(int key) const;
    int AutoNumbered(int key) const;

protected:
    tables::Table& table_;
    ErrorReporter& reporter_;
    std::string name_, checkName_;
    bool create_ = true;
    int lockRecover_ = 10;
    int openMode_ = tables::DefaultAccess;
    struct KeyInfo {
        std::string description;
        int autoNumbered = 0;
    };
    std::vector<KeyInfo> keys_;
    std::unique_ptr<tables::Record> history_;
};

} // namespace qv::fw
