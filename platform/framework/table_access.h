#pragma once
// A table's access object: ties the framework to the table's file, record
// buffer and keys, and carries the table's own rules (auto-numbering,
// defaults of a new record, field checks, its name in messages). Lists and
// lookups read through it; forms save through its relation set.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
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
    void setCreate(bool createWhenMissing) { create_ = createWhenMissing; }
    void setLockRecover(int seconds) { lockRecover_ = seconds; }
    void setOpenMode(int access) { openMode_ = access; }
    // The name the table has in messages (%File), and the name field checks give.
    void setName(std::string nameInMessages) { name_ = std::move(nameInMessages); }
    const std::string& name() const;
    void setCheckName(std::string checkName) { checkName_ = std::move(checkName); }
    // The check name, else the table's description, else its label.
    std::string checkName() const;
    // The names that BindRecordFields fills when the table is first opened.
    void setBindings(expr::NameTable* names) { bindings_ = names; }
    // Declares a key (numbered from 0 as the table's keys are): its
    // description and the 1-based number of its auto-numbered component (0
    // for none). Until declared, a key has the table's own declaration.
    void RegisterKey(int key, std::string description, int autoNumbered);

    // Opens the table (creating a missing file, retrying a locked one with
    // "Recover=n" once) and counts the opens; Close closes the file when the
    // count returns to 0. Failures show the framework's message; the result
    // is a Level.
    virtual Level open();
    virtual Level close();
    int openCount() const { return table_.openCount(); }

    // Reading in key order. Try*: no messages, non-zero at the end or on an
    // error. Read*: messages for errors; Notify at the end.
    int useKey(int key); // the order of the next reads, from the start
    int setPosition(int key); // the next reads start at the buffer's key values
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
    Level UpdateRecord() { return Update(); }
    // Update without the field checks.
    Level writeRecord();
    // The message for a write the driver refused with driverResult: a
    // duplicate names the key, a record changed meanwhile is re-read and
    // says so, anything else raises msg.
    Level raiseWriteError(int driverResult, Msg msg);
    Level deleteRecord(); // without relations: the relation set deletes with them

    // A new record: clears the buffer, FillDefaults, and reserves its
    // auto-numbered id by adding it at once (three failed tries ask
    // "Auto Increment Error ... Try Again?").
    Level primeRecord();
    // The two halves of PrimeRecord, for callers that fill fields in
    // between (a list's range values and copies, a form's own defaults):
    // clear (unless keeping the buffer, as a copy does) and FillDefaults;
    // then reserve the auto-numbered id by adding the buffer as it stands.
    void primeFields(bool keepBuffer = false);
    Level primeAutoInc();
    // The history copy: the record as it was when a form took it.
    void saveHistory();
    bool changedSinceHistory() const;
    void restoreHistoryField(int field);

    // The table's rules; the dictionary overrides them per table.
    virtual Level CheckField(int field);
    virtual void FillDefaults();
    virtual void BindRecordFields(expr::NameTable& names);
    // Both set %File to name() and raise the message; %ErrorText is the
    // driver's last error.
    virtual Level RaiseStoredError(Msg msg);
    virtual Level RaiseErrorWithText(Msg msg, std::string text);
    // Every field checked in order; the first failure's level. Fields are
    // numbered from 0 as in the record; *failedField is -1 when all pass.
    Level validateRecord(int* failedField = nullptr);

    // A table's key, position and record buffer, kept aside and put back
    // (a field check looks records up without disturbing a list).
    struct State {
        std::vector<std::uint8_t> opaque;
        std::unique_ptr<tables::Record> record;
        int key = -1;
        std::unique_ptr<tables::Record> position; // the key values reads start at, if set
    };
    State SaveTableState() const;
    void RestoreTableState(const State& state);
    int currentKey() const { return key_; }

    // For messages: the description of a key, its auto-numbered component.
    std::string keyDescription(int key) const;
    int autoNumbered(int key) const;

protected:
    // For the dictionary's checks. A value within low..high (inclusive), else
    // "Range Error" with %Field fieldText and %Message rangeText.
    Level checkRange(
        int field, std::string_view fieldText, std::int64_t low, std::int64_t high, std::string_view rangeText);
    // A record of lookup found by key after setKey has put the values into
    // lookup's buffer, else "Field contents error" with %Field fieldText and
    // %Message lookupName. lookup's key, position and buffer are put back.
    Level checkFound(std::string_view fieldText, TableAccess& lookup, int key, std::string_view lookupName,
        const std::function<void(tables::Record&)>& setKey);

    tables::Table& table_;
    ErrorReporter& reporter_;
    std::string name_, checkName_;
    mutable std::string defaultName_;
    bool create_ = true;
    int lockRecover_ = 10;
    int openMode_ = tables::DefaultAccess;
    struct KeyInfo {
        std::string description;
        int autoNumbered = 0;
    };
    std::vector<KeyInfo> keys_;
    std::unique_ptr<tables::Record> history_;
    expr::NameTable* bindings_ = nullptr;

    // Where the next read starts, as far as reads through this object tell:
    // kept so that a saved state can be put back.
    enum class Place : std::uint8_t { Start, At, After };
    Place place_ = Place::Start;
    int key_ = -1;
    std::unique_ptr<tables::Record> atValues_; // the buffer when SetPosition was called
    void placeAfterRead(int result);
};

} // namespace qv::fw
