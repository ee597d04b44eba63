#pragma once

// Records of one keyed table copied into another by set-based statements, a step at a
// time, all inside one transaction. The copy works on a connection of its own, so a
// caller can show progress and let other threads run between steps without their
// writes joining the copy's transaction or the copy's half-done work joining theirs.
// The records it adds are stored as an insert stores them: each text key component
// with its folded copy, a change counter of 1, every field not carried empty.

#include "platform/tables/table.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {

class TableCopy
{
public:
    // Rows of `from` in the order of its key fromKey (-1: physical order) become records
    // of `into`. Neither may be sealed with an owner password.
    TableCopy(const Table& from, int fromKey, const Table& into);
    ~TableCopy();
    TableCopy(const TableCopy&) = delete;
    TableCopy& operator=(const TableCopy&) = delete;

    // into's field takes from's field as it is stored; a field that could not hold
    // every value (a shorter text, a narrower number, another type) is refused with
    // std::invalid_argument, as is an auto-numbered field.
    void carry(std::string_view intoField, std::string_view fromField);
    // Rows whose field is blank (a number: zero) are left out.
    void skipBlank(std::string_view fromField);
    // Of the rows that share their first `components` key components (as the key
    // compares them), only the first in key order is copied; the others are not read.
    void firstOfEach(int components);

    // Opens both files on the copy's connection and begins its transaction, waiting up
    // to timeoutSeconds for other connections' locks.
    int begin(int timeoutSeconds = 2);
    // Copies from the rows of the next n records of `from`. A record that would
    // duplicate a unique key of `into`, one already there or one copied earlier, is
    // left out, so the first in key order wins. After an error the transaction still
    // holds the earlier steps.
    int step(std::int64_t n);
    bool finished() const { return finished_; }
    std::int64_t total() const { return total_; } // records of `from` in its key
    std::int64_t done() const { return done_; } // of those, the ones the steps have passed
    // Ends the transaction; both close the files.
    int commit();
    int rollback();

private:
    struct Carried {
        int into;
        int from;
    };
    std::string stepSql(bool lower, bool upper) const;
    std::string rangeSql(const char* op, const std::string& table) const;
    void close();

    TableDef fromDef_, intoDef_;
    std::string fromPath_, intoPath_;
    int fromKey_;
    std::vector<Carried> carried_;
    std::vector<int> blanks_;
    int groupBy_ = 0;
    std::unique_ptr<Group> group_;
    std::unique_ptr<Table> from_, into_;
    std::vector<KeyValue> lower_; // the last record passed: the key values, the record id last
    bool started_ = false;
    bool finished_ = false;
    std::int64_t total_ = 0, done_ = 0;
};

} // namespace qv::tables
