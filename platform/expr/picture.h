#pragma once

#include "platform/expr/value.h"

#include <string>
#include <string_view>

namespace qv::expr {

// Display pictures: "@" (optional), a type letter in either case, options.
//
//  @Sn      text, cut to n characters (never padded).
//  @N...    numbers: [-|(] [0|_|*] width [grouping] [.places] [-|)] [B]
//             leading "-" or "(": where the sign goes (default: leading "-");
//             "0" zero fill, "_" blank fill without grouping, "*" star fill;
//             without a fill, digits are grouped by "," in threes;
//             grouping after the width: "." (then "," is the decimal mark),
//             "_" (a blank) or ","; "v" as decimal mark prints no mark;
//             trailing "-" or ")": the sign after the number;
//             "B": blank when zero. The result is right-aligned in the
//             width; grouping is dropped when it would not fit, and a number
//             that still does not fit shows as width "#" characters (one
//             without a width; an infinite real never fits). A real beyond
//             the decimal range shows 15 significant digits, then zeros.
//  @Dn      dates, n = 1..18, then an optional separator ("/" default,
//           "." "-" "_"=blank "`"=comma) and "B" (blank when 0):
//             1 mm/dd/yy   2 mm/dd/yyyy   3 MMM dd,yyyy   4 Mmmmmmmm d, yyyy
//             5 dd/mm/yy   6 dd/mm/yyyy   7 dd MMM yy     8 dd MMM yyyy
//             9 yy/mm/dd  10 yyyy/mm/dd  11 yymmdd      12 yyyymmdd
//            13 mm/yy     14 mm/yyyy     15 yy/mm       16 yyyy/mm
//            17 the system's short date, 18 its long date (PictureSettings).
//  @Tn      times, n = 1..8, an optional separator (":" default, "." "-"
//           "_"=blank "`"=comma) and "B" (blank when 0):
//             1 h:mm  2 hhmm  3 h:mmXM  4 h:mm:ss  5 hhmmss  6 h:mm:ssXM
//             7 the system's short time, 8 its long time (PictureSettings).
//           Hours are not wrapped at 24: time values are also durations.
//  @P...P   patterns: "<" a digit that is blank while it is a leading zero,
//           "#" a digit, anything else itself; "B" after the closing P:
//           blank when zero. "@P(<)P" shows 2 as "(2)".
//
// Deformat reads what a user typed back into a value: numbers ignore
// grouping, fill and currency characters; dates take their numbers (and a
// month name) in the picture's order, two-digit years through the window of
// expandTwoDigitYear(); an impossible date gives 0; times take hours, minutes
// and seconds in order, with AM/PM. Text that holds nothing gives 0 (or "").
class Picture
{
public:
    enum class Type : char { Invalid = 0, String = 'S', Number = 'N', Date = 'D', Time = 'T', Pattern = 'P' };

    Picture() = default;
    // Trailing blanks are ignored. An unknown or malformed picture gives an
    // Invalid one, which formats a value as its plain text.
    static Picture parse(std::string_view text);

    bool valid() const { return type_ != Type::Invalid; }
    Type type() const { return type_; }
    const std::string& text() const { return text_; }

    std::string format(const Value& v) const;
    Value deformat(std::string_view text) const;

private:
    std::string formatNumber(const Value& v) const;
    std::string formatDate(std::int32_t day) const;
    std::string formatTime(std::int32_t time) const;
    std::string formatPattern(const Value& v) const;
    Value deformatNumber(std::string_view s) const;
    Value deformatDate(std::string_view s) const;
    Value deformatTime(std::string_view s) const;
    Value deformatPattern(std::string_view s) const;

    Type type_ = Type::Invalid;
    std::string text_;
    // S, N, P: width; D, T: the picture number.
    int width_ = 0;
    int places_ = 0;
    bool blankWhenZero_ = false;
    // N
    char fill_ = ' ';
    char grouping_ = 0; // 0 = none
    char decimalMark_ = '.'; // 0 = none printed
    char signStyle_ = '-'; // '-' leading, 't' trailing "-", '(' parentheses
    // D, T
    char separator_ = 0; // 0 = the picture's default
    // P
    std::string pattern_;
};

// The system's date and time pictures (@D17, @D18, @T7, @T8), as picture
// numbers of the same type; set once at start-up from the user's settings.
struct PictureSettings {
    int shortDate = 2; // mm/dd/yyyy
    char shortDateSeparator = '/';
    int longDate = 4; // "October 31, 1959", with the weekday in front
    int shortTime = 1; // h:mm
    int longTime = 4; // h:mm:ss
};
PictureSettings& pictureSettings();

// Shorthands that parse the picture each time; keep a Picture for loops.
std::string format(const Value& v, std::string_view picture);
Value deformat(std::string_view text, std::string_view picture);

} // namespace qv::expr
