#include "platform/outside/query_wizard.h"

#include "platform/expr/condition.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::outside {

std::int32_t TCQW_Response = 0;

void QueryWizard::setDisplayText(int number, std::string_view text)
{
    texts_[number] = std::string(text);
}

void QueryWizard::setDisplayText(int number, int value)
{
    texts_[number] = std::to_string(value);
}

std::string QueryWizard::displayText(int number) const
{
    auto it = texts_.find(number);
    return it == texts_.end() ? std::string() : it->second;
}

bool QueryWizard::hasDisplayText(int number) const
{
    return texts_.count(number) != 0;
}

QueryWizard& queryWizard()
{
    static QueryWizard wizard;
    return wizard;
}

const TCQW_FIELDSQUEUE* FieldsQueue::find(std::string_view fieldName) const
{
    for (const TCQW_FIELDSQUEUE& row : rows)
        if (text::equalsNoCase(row.QWFLDNAME, fieldName))
            return &row;
    return nullptr;
}

std::string packFieldRow(const TCQW_FIELDSQUEUE& row)
{
    std::string out;
    for (const std::string& v : {row.QWFLDDESC, std::to_string(row.QWFLDFIELDTYPE), row.QWFLDNAME, row.QWFLDPICTURE,
             std::to_string(row.QWFLDLENGTH), std::to_string(row.QWFLDDATATYPE), std::to_string(row.QWFLDCONTROL),
             row.QWFLDLOOKUP, row.QWFLDOPTIONS})
        out += v + kValueEnd;
    return out + kRowEnd;
}

namespace {

// A decimal number that fits `max`; false for anything else.
template <typename T> bool readNumber(const std::string& s, T& out, long max)
{
    if (s.empty() || s.size() > 9)
        return false;
    long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    if (n > max)
        return false;
    out = static_cast<T>(n);
    return true;
}

std::int32_t parseRow(const std::vector<std::string>& v, TCQW_FIELDSQUEUE& row)
{
    if (v.size() != 10)
        return fieldlist_error::RowShape;
    row.QWFLDDESC = v[0];
    row.QWFLDNAME = v[2];
    row.QWFLDPICTURE = v[3];
    row.QWFLDLOOKUP = v[7];
    row.QWFLDOPTIONS = v[8];
    if (!readNumber(v[1], row.QWFLDFIELDTYPE, 255) || !readNumber(v[4], row.QWFLDLENGTH, 65535)
        || !readNumber(v[5], row.QWFLDDATATYPE, 255) || !readNumber(v[6], row.QWFLDCONTROL, 255))
        return fieldlist_error::NotANumber;
    if (row.QWFLDDATATYPE != datatype::Text && row.QWFLDDATATYPE != datatype::Number)
        return fieldlist_error::DataType;
    if (row.QWFLDCONTROL < fieldcontrol::Plain || row.QWFLDCONTROL > fieldcontrol::DropList)
        return fieldlist_error::Control;
    if (row.QWFLDNAME.empty())
        return fieldlist_error::EmptyName;
    if (!expr::isPlainName(row.QWFLDNAME))
        return fieldlist_error::BadName;
    return fieldlist_error::None;
}

// How many bytes the character starting with this byte takes.
std::size_t sequenceLength(unsigned char lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

} // namespace

void TC_ADDFIELDSQUEUEDATA(FieldsQueue& queue, std::string_view packed, std::int32_t& error)
{
    std::vector<TCQW_FIELDSQUEUE> rows;
    std::vector<std::string> values(1);
    error = fieldlist_error::None;
    std::size_t i = 0;
    while (i < packed.size()) {
        const char c = packed[i];
        if (c == kValueEnd || c == kRowEnd) {
            ++i;
            if (c == kValueEnd) {
                values.emplace_back();
                continue;
            }
            TCQW_FIELDSQUEUE row;
            if ((error = parseRow(values, row)) != fieldlist_error::None)
                return;
            rows.push_back(std::move(row));
            values.assign(1, std::string());
            continue;
        }
        // A multi-byte character's continuation bytes may be A6h or ABh
        // ("«" is C2h ABh): they belong to the character, never end a value.
        std::size_t n = sequenceLength(static_cast<unsigned char>(c));
        std::size_t end = i + 1;
        while (end < packed.size() && end < i + n && (static_cast<unsigned char>(packed[end]) & 0xC0) == 0x80)
            ++end;
        values.back().append(packed.substr(i, end - i));
        i = end;
    }
    if (values.size() != 1 || !values.front().empty()) {
        error = fieldlist_error::RowShape;
        return;
    }
    if (rows.empty()) {
        error = fieldlist_error::Empty;
        return;
    }
    queue.rows.insert(queue.rows.end(), rows.begin(), rows.end());
}

void TC_INITFIELDSQUEUE(FieldsQueue& queue, std::string_view name)
{
    queue.name = std::string(name);
}

} // namespace qv::outside
