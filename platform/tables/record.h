#pragma once

// The record buffer of a table: one per table for the whole process.

#include "platform/expr/decimal.h"
#include "platform/tables/decl.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {

class Record;

// A field reached by name; reads and writes through the buffer.
class FieldRef
{
public:
    FieldRef(Record* rec, int index)
        : rec_(rec)
        , index_(index)
    { }
    bool valid() const { return index_ >= 0; }
    int index() const { return index_; }
    std::int64_t toInt() const;
    expr::Decimal toDecimal() const;
    std::string toString() const; // padded for STRING fields
    FieldRef& operator=(std::int64_t v);
    FieldRef& operator=(int v) { return *this = static_cast<std::int64_t>(v); }
    FieldRef& operator=(const expr::Decimal& v);
    FieldRef& operator=(std::string_view v);
    FieldRef& operator=(const char* v) { return *this = std::string_view(v); }

private:
    Record* rec_;
    int index_;
};

class Record
{
public:
    explicit Record(const TableDef& def);

    const TableDef& def() const { return *def_; }
    int fieldCount() const { return static_cast<int>(values_.size()); }
    int memoCount() const { return static_cast<int>(memos_.size()); }

    // Blank texts, zero numbers, empty memos.
    void clear();

    // Numbers: BYTE, SHORT and LONG wrap like their machine types; DECIMAL keeps
    // its places and its digits. Text fields convert.
    std::int64_t getInt(int field) const;
    void setInt(int field, std::int64_t v);
    expr::Decimal getDecimal(int field) const;
    void setDecimal(int field, const expr::Decimal& v);
    // STRING(n): exactly n characters, blank-padded. Numbers as their text.
    std::string getString(int field) const;
    // Without the padding.
    std::string getText(int field) const;
    void setString(int field, std::string_view v);
    // Raw bytes of a STRING field, for the binary-block driver: up to n bytes, no padding.
    const std::string& rawString(int field) const { return values_[field].text; }
    void setRaw(int field, std::string bytes) { values_[field].text = std::move(bytes); }

    const std::string& memo(int memo) const { return memos_[memo]; }
    void setMemo(int memo, std::string_view text);

    // DECIMAL's exact value in units of 10^-places.
    std::int64_t decimalUnits(int field) const { return values_[field].number; }
    void setDecimalUnits(int field, std::int64_t units);

    bool isEmpty(int field) const;

    FieldRef operator[](std::string_view name) { return FieldRef(this, def_->fieldIndex(name)); }
    FieldRef field(int index) { return FieldRef(this, index); }

    // The stored record this buffer was read from (0 = none) and its change counter.
    std::int64_t recordId = 0;
    std::int64_t changeCount = 0;

    bool sameValues(const Record& other) const;

private:
    struct Value {
        std::int64_t number = 0;
        std::string text;
    };
    const TableDef* def_;
    std::vector<Value> values_;
    std::vector<std::string> memos_;
};

} // namespace qv::tables
