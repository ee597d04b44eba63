#include "platform/tables/record.h"

#include "platform/text/text.h"

#include <cstdlib>

namespace qv::tables {

namespace {

std::int64_t pow10(int n)
{
    std::int64_t r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

std::int64_t wrap(const FieldDef& f, std::int64_t v)
{
    switch (f.type) {
    case FieldType::Byte:
        return static_cast<std::uint8_t>(v);
    case FieldType::Short:
        return static_cast<std::int16_t>(v);
    case FieldType::Long:
        return static_cast<std::int32_t>(v);
    case FieldType::Decimal: {
        // A packed decimal keeps its low digits, as the packed form would.
        int digits = std::min(f.digits(), 18);
        return v % pow10(digits);
    }
    case FieldType::String:
        return v;
    }
    return v;
}

} // namespace

Record::Record(const TableDef& def)
    : def_(&def)
    , values_(def.fields.size())
    , memos_(def.memos.size())
{
    clear();
}

void Record::clear()
{
    for (size_t i = 0; i < values_.size(); ++i) {
        values_[i].number = 0;
        const auto& f = def_->fields[i];
        if (f.type == FieldType::String)
            values_[i].text.assign(static_cast<size_t>(f.length), ' ');
        else
            values_[i].text.clear();
    }
    for (auto& m : memos_)
        m.clear();
    recordId = 0;
    changeCount = 0;
}

std::int64_t Record::getInt(int field) const
{
    const auto& f = def_->fields[field];
    if (f.type == FieldType::String) {
        auto d = expr::Decimal::parse(text::trimRight(values_[field].text));
        return d ? d->toInt() : 0;
    }
    if (f.type == FieldType::Decimal)
        return expr::Decimal(values_[field].number, f.places).toInt();
    return values_[field].number;
}

void Record::setInt(int field, std::int64_t v)
{
    const auto& f = def_->fields[field];
    if (f.type == FieldType::String)
        return setString(field, std::to_string(v));
    if (f.type == FieldType::Decimal)
        return setDecimal(field, expr::Decimal::fromInt(v));
    values_[field].number = wrap(f, v);
}

expr::Decimal Record::getDecimal(int field) const
{
    const auto& f = def_->fields[field];
    if (f.type == FieldType::Decimal)
        return expr::Decimal(values_[field].number, f.places);
    if (f.type == FieldType::String) {
        auto d = expr::Decimal::parse(text::trimRight(values_[field].text));
        return d ? *d : expr::Decimal();
    }
    return expr::Decimal::fromInt(values_[field].number);
}

void Record::setDecimal(int field, const expr::Decimal& v)
{
    const auto& f = def_->fields[field];
    switch (f.type) {
    case FieldType::Decimal:
        values_[field].number = wrap(f, v.round(f.places).mantissa());
        break;
    case FieldType::String:
        setString(field, v.toString());
        break;
    default:
        values_[field].number = wrap(f, v.toInt());
        break;
    }
}

void Record::setDecimalUnits(int field, std::int64_t units)
{
    values_[field].number = wrap(def_->fields[field], units);
}

std::string Record::getString(int field) const
{
    const auto& f = def_->fields[field];
    if (f.type == FieldType::String)
        return values_[field].text;
    if (f.type == FieldType::Decimal)
        return getDecimal(field).toString();
    return std::to_string(values_[field].number);
}

std::string Record::getText(int field) const
{
    if (def_->fields[field].type == FieldType::String)
        return std::string(text::trimRight(values_[field].text));
    return std::string(text::trimRight(getString(field)));
}

void Record::setString(int field, std::string_view v)
{
    const auto& f = def_->fields[field];
    if (f.type == FieldType::String) {
        std::string& t = values_[field].text;
        const auto n = static_cast<size_t>(f.length);
        if (v.size() <= n && text::charCount(v) == v.size()) {
            // Plain ASCII that fits: filled in place, reusing the buffer's storage.
            t.assign(v.data(), v.size());
            t.append(n - v.size(), ' ');
        } else {
            t = text::padTo(v, n);
        }
        return;
    }
    auto d = expr::Decimal::parse(v);
    setDecimal(field, d ? *d : expr::Decimal());
}

void Record::setMemo(int memo, std::string_view text)
{
    memos_[memo] = std::string(text::firstChars(text, static_cast<size_t>(def_->memos[memo].maxLength)));
}

bool Record::isEmpty(int field) const
{
    if (def_->fields[field].type == FieldType::String)
        return text::trimRight(values_[field].text).empty();
    return values_[field].number == 0;
}

bool Record::sameValues(const Record& other) const
{
    if (values_.size() != other.values_.size())
        return false;
    for (size_t i = 0; i < values_.size(); ++i)
        if (values_[i].number != other.values_[i].number || values_[i].text != other.values_[i].text)
            return false;
    return memos_ == other.memos_;
}

std::int64_t FieldRef::toInt() const
{
    return rec_->getInt(index_);
}
expr::Decimal FieldRef::toDecimal() const
{
    return rec_->getDecimal(index_);
}
std::string FieldRef::toString() const
{
    return rec_->getString(index_);
}
FieldRef& FieldRef::operator=(std::int64_t v)
{
    rec_->setInt(index_, v);
    return *this;
}
FieldRef& FieldRef::operator=(const expr::Decimal& v)
{
    rec_->setDecimal(index_, v);
    return *this;
}
FieldRef& FieldRef::operator=(std::string_view v)
{
    rec_->setString(index_, v);
    return *this;
}

} // namespace qv::tables
