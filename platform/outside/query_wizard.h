#pragma once
// The query wizard: builds a filter expression from a list of fields. Every
// text it shows is numbered and handed to it by the program at start, so
// that the program decides its wording; a number never handed over shows as
// empty.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qv::expr {
class Bindings;
}

namespace qv::outside {

class QueryWizard
{
public:
    // A text, or a number (the font sizes) kept as its decimal text. A
    // number handed over again replaces its text.
    void setDisplayText(int number, std::string_view text);
    void setDisplayText(int number, int value);

    std::string displayText(int number) const;
    bool hasDisplayText(int number) const;
    const std::map<int, std::string>& displayTexts() const { return texts_; }

private:
    std::map<int, std::string> texts_;
};

// The one wizard of the process.
QueryWizard& queryWizard();

// One field the user may filter on.
struct TCQW_FIELDSQUEUE {
    std::string QWFLDDESC; // what the user sees
    std::int16_t QWFLDQPOINTER = 0; // the wizard's own
    std::int16_t QWFLDFIELDPOINTER = 0; // the wizard's own
    std::uint8_t QWFLDFIELDTYPE = 0;
    std::string QWFLDNAME; // the name in expressions: "ALB:Artist"
    std::string QWFLDPICTURE; // "@s50", "@d17-", "@T4"
    std::uint16_t QWFLDLENGTH = 0;
    std::uint8_t QWFLDDATATYPE = 1; // 1 text, 2 number
    std::uint8_t QWFLDCONTROL = 1; // 1 plain value, 2 check box, 3 drop list
    std::string QWFLDLOOKUP; // a bound function with its parentheses: "SelectSNG:Artist()"
    std::string QWFLDOPTIONS; // the check box's caption, or the drop list's values "a|b|c"
};

namespace datatype {
constexpr std::uint8_t Text = 1, Number = 2;
}
namespace fieldcontrol {
constexpr std::uint8_t Plain = 1, Check = 2, DropList = 3;
}

struct FieldsQueue {
    std::string name;
    std::vector<TCQW_FIELDSQUEUE> rows;
    const TCQW_FIELDSQUEUE* find(std::string_view fieldName) const;
};

// The packed field list: rows of ten UTF-8 values, each of the first nine
// followed by the byte A6h and the tenth by ABh, which ends the row. A
// separator stands where a character would start; inside a value the two
// bytes occur only as continuation bytes of a character ("«" is C2h ABh),
// so values need no escaping. Values, in
// order: description, field type, name, picture, length, data type,
// control, lookup, options, and an empty tenth.
inline constexpr char kValueEnd = '\xA6';
inline constexpr char kRowEnd = '\xAB';
std::string packFieldRow(const TCQW_FIELDSQUEUE& row);

// What TC_ADDFIELDSQUEUEDATA answers: 0, or the first fault of the list.
namespace fieldlist_error {
constexpr std::int32_t None = 0;
constexpr std::int32_t Empty = 1; // no rows at all
constexpr std::int32_t RowShape = 2; // a row without ten values, or text after the last row
constexpr std::int32_t NotANumber = 3; // field type, length, data type or control
constexpr std::int32_t DataType = 4; // neither 1 (text) nor 2 (number)
constexpr std::int32_t Control = 5; // neither 1, 2 nor 3
constexpr std::int32_t EmptyName = 6;
constexpr std::int32_t BadName = 7; // not a name an expression can use
} // namespace fieldlist_error

// Adds the rows of the packed list to the queue; a faulty list adds none.
void TC_ADDFIELDSQUEUEDATA(FieldsQueue& queue, std::string_view packed, std::int32_t& error);
void TC_INITFIELDSQUEUE(FieldsQueue& queue, std::string_view name);

// Shows the wizard on the running thread, modal to the caller, starting
// from the filter text, and writes the user's filter into it when the user
// finishes; a cancel leaves it exactly as it was. bindings are the caller's
// names: a hand-typed condition is checked against them and a field's lookup
// calls through them. Sets TCQW_Response and returns it.
std::int32_t TC_QWIZARD(FieldsQueue& queue, std::string_view name, std::string& filter, const std::array<int, 9>& fixed,
    const expr::Bindings* bindings = nullptr);

// The wizard's last answer: not 0 when the user finished with a filter.
extern std::int32_t TCQW_Response;

// The longest filter the wizard hands back; a longer one is refused, never cut.
inline constexpr std::size_t kMaxFilterLength = 1024;

} // namespace qv::outside
