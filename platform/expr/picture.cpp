#include "platform/expr/picture.h"

#include "platform/expr/datetime.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <vector>

namespace qv::expr {

namespace {

const std::array<const char*, 12> kMonths = {"January", "February", "March", "April", "May", "June", "July", "August",
    "September", "October", "November", "December"};
const std::array<const char*, 7> kWeekdays
    = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

constexpr std::int32_t kMaxTime = 2147483647;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
std::string pad2(std::int64_t v)
{
    std::string s = std::to_string(v < 0 ? -v : v);
    return s.size() < 2 ? "0" + s : s;
}

std::string pad4(std::int64_t v)
{
    std::string s = std::to_string(v < 0 ? -v : v);
    while (s.size() < 4)
        s.insert(s.begin(), '0');
    return s;
}

char separatorChar(char code, char fallback)
{
    switch (code) {
    case 0:
        return fallback;
    case '_':
        return ' ';
    case '`':
        return ',';
    default:
        return code;
    }
}

bool isSeparatorCode(char c, bool time)
{
    return c == '.' || c == '-' || c == '_' || c == '`' || c == '/' || (time && c == ':');
}

// Reads a picture number (1..max) at s[i], moving i past it.
bool readNumber(std::string_view s, std::size_t& i, int& out, int max)
{
    std::size_t start = i;
    long v = 0;
    while (i < s.size() && isDigit(s[i]) && i - start < 4)
        v = v * 10 + (s[i++] - '0');
    if (i == start || (i < s.size() && isDigit(s[i])))
        return false;
    out = static_cast<int>(v);
    return out <= max;
}

struct Tokens {
    std::vector<std::string> numbers;
    int month = 0; // from a month name
    bool am = false, pm = false;
};

Tokens tokenize(std::string_view s)
{
    Tokens t;
    std::size_t i = 0;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            std::size_t b = i;
            while (i < s.size() && isDigit(s[i]))
                ++i;
            t.numbers.emplace_back(s.substr(b, i - b));
        } else if (std::isalpha(static_cast<unsigned char>(s[i]))) {
            std::size_t b = i;
            while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
                ++i;
            std::string word;
            for (char c : s.substr(b, i - b))
                word.push_back(text::asciiUpper(c));
            if (word == "AM" || word == "A")
                t.am = true;
            if (word == "PM" || word == "P")
                t.pm = true;
            if (word.size() >= 3) {
                for (std::size_t m = 0; m < kMonths.size(); ++m) {
                    std::string name;
                    for (const char* p = kMonths[m]; *p; ++p)
                        name.push_back(text::asciiUpper(*p));
                    if (name.compare(0, 3, word, 0, 3) == 0 && name.compare(0, word.size(), word) == 0) {
                        t.month = static_cast<int>(m) + 1;
                        break;
                    }
                }
            }
        } else {
            ++i;
        }
    }
    return t;
}

// A real that a decimal cannot hold, whose digits the pictures spell
// themselves.
bool isHugeReal(const Value& n)
{
    return n.kind() == Value::Kind::Real && (std::isinf(n.toReal()) || std::fabs(n.toReal()) >= 1e18);
}

long toLong(const std::string& digits)
{
    long v = 0;
    for (char c : digits) {
        if (v > 100000000)
            return v; // large enough to be rejected later
        v = v * 10 + (c - '0');
    }
    return v;
}

// Splits one run of digits into fields of the given widths (from the left);
// the first field takes whatever the others leave.
std::vector<std::string> splitRun(const std::string& run, std::vector<int> tailWidths)
{
    std::vector<std::string> out;
    int tail = 0;
    for (int w : tailWidths)
        tail += w;
    if (static_cast<int>(run.size()) <= tail)
        return {run};
    std::size_t pos = run.size() - static_cast<std::size_t>(tail);
    out.push_back(run.substr(0, pos));
    for (int w : tailWidths) {
        out.push_back(run.substr(pos, static_cast<std::size_t>(w)));
        pos += static_cast<std::size_t>(w);
    }
    return out;
}

enum class DateOrder { MDY, DMY, YMD, MY, YM };

DateOrder orderOf(int n)
{
    switch (n) {
    case 1:
    case 2:
    case 3:
    case 4:
        return DateOrder::MDY;
    case 5:
    case 6:
    case 7:
    case 8:
        return DateOrder::DMY;
    case 13:
    case 14:
        return DateOrder::MY;
    case 15:
    case 16:
        return DateOrder::YM;
    default:
        return DateOrder::YMD;
    }
}

int readYear(const std::string& digits)
{
    long y = toLong(digits);
    if (digits.size() <= 2)
        return expandTwoDigitYear(static_cast<int>(y));
    return static_cast<int>(std::min(y, 100000L));
}

} // namespace

PictureSettings& pictureSettings()
{
    static PictureSettings settings;
    return settings;
}

Picture Picture::parse(std::string_view text)
{
    Picture p;
    text = text::trimRight(text, text::kBlankOrTab);
    p.text_ = std::string(text);
    std::string_view s = text;
    if (!s.empty() && s.front() == '@')
        s.remove_prefix(1);
    if (s.empty())
        return p;
    const char type = text::asciiUpper(s[0]);
    std::size_t i = 1;
    auto atEnd = [&] { return i == s.size(); };
    auto takeBlank = [&] {
        if (i < s.size() && text::asciiUpper(s[i]) == 'B') {
            p.blankWhenZero_ = true;
            ++i;
        }
    };

    switch (type) {
    case 'S': {
        long w = 0;
        while (i < s.size() && isDigit(s[i]) && w < 100000)
            w = w * 10 + (s[i++] - '0');
        if (!atEnd())
            return p;
        p.width_ = static_cast<int>(w);
        p.type_ = Type::String;
        return p;
    }
    case 'N': {
        if (i < s.size() && (s[i] == '-' || s[i] == '('))
            p.signStyle_ = s[i++];
        bool fillGiven = false;
        if (i < s.size() && (s[i] == '0' || s[i] == '_' || s[i] == '*')) {
            p.fill_ = s[i] == '_' ? ' ' : s[i];
            fillGiven = true;
            ++i;
        }
        long w = 0;
        while (i < s.size() && isDigit(s[i]) && w < 1000)
            w = w * 10 + (s[i++] - '0');
        if (i < s.size() && isDigit(s[i]))
            return p;
        p.width_ = static_cast<int>(w);
        bool groupingGiven = false;
        auto digitAfter = [&] { return i + 1 < s.size() && isDigit(s[i + 1]); };
        if (i < s.size() && (s[i] == '.' || s[i] == '_' || s[i] == ',')
            && !((s[i] == '.' || s[i] == ',') && digitAfter())) {
            p.grouping_ = s[i] == '_' ? ' ' : s[i];
            groupingGiven = true;
            if (s[i] == '.')
                p.decimalMark_ = ',';
            ++i;
        }
        if (i < s.size() && (s[i] == '.' || s[i] == ',' || text::asciiUpper(s[i]) == 'V') && digitAfter()) {
            p.decimalMark_ = text::asciiUpper(s[i]) == 'V' ? 0 : s[i];
            ++i;
            int places = 0;
            while (i < s.size() && isDigit(s[i]) && places < 100)
                places = places * 10 + (s[i++] - '0');
            p.places_ = std::min(places, Decimal::kMaxScale);
        }
        if (i < s.size() && s[i] == '-') {
            p.signStyle_ = 't';
            ++i;
        } else if (i < s.size() && s[i] == ')') {
            if (p.signStyle_ != '(')
                return p;
            ++i;
        } else if (p.signStyle_ == '(') {
            return p;
        }
        takeBlank();
        if (!atEnd())
            return p;
        if (!fillGiven && !groupingGiven)
            p.grouping_ = ',';
        p.type_ = Type::Number;
        return p;
    }
    case 'D':
    case 'T': {
        const bool time = type == 'T';
        if (!readNumber(s, i, p.width_, time ? 8 : 18) || p.width_ < 1)
            return p;
        if (i < s.size() && isSeparatorCode(s[i], time))
            p.separator_ = s[i++];
        // Direction and century marks of date pictures are accepted and ignored.
        while (!time && i < s.size() && (s[i] == '<' || s[i] == '>' || isDigit(s[i])))
            ++i;
        takeBlank();
        if (!atEnd())
            return p;
        p.type_ = time ? Type::Time : Type::Date;
        return p;
    }
    case 'P': {
        std::size_t close = s.find_last_of("pP");
        if (close == 0 || close == std::string_view::npos)
            return p;
        p.pattern_ = std::string(s.substr(1, close - 1));
        i = close + 1;
        takeBlank();
        if (!atEnd() || p.pattern_.empty())
            return p;
        p.type_ = Type::Pattern;
        return p;
    }
    default:
        return p;
    }
}

std::string Picture::format(const Value& v) const
{
    switch (type_) {
    case Type::String: {
        std::string s = v.toString();
        return width_ > 0 ? std::string(text::firstChars(s, static_cast<std::size_t>(width_))) : s;
    }
    case Type::Number:
        return formatNumber(v);
    case Type::Date: {
        // Day 0 is "no date"; showing it as 28 December 1800 would only
        // mislead, so every date picture leaves it blank, "B" or not.
        std::int64_t d = v.toInt();
        static const std::int64_t kLastDay = dateFromYmd(9999, 12, 31);
        if (d < 1 || d > kLastDay)
            return {};
        return formatDate(static_cast<std::int32_t>(d));
    }
    case Type::Time: {
        std::int64_t t = v.toInt();
        if (t == 0 && blankWhenZero_)
            return {};
        return formatTime(static_cast<std::int32_t>(std::clamp<std::int64_t>(t, 0, kMaxTime)));
    }
    case Type::Pattern:
        return formatPattern(v);
    case Type::Invalid:
        break;
    }
    return v.toString();
}

Value Picture::deformat(std::string_view text) const
{
    switch (type_) {
    case Type::Number:
        return deformatNumber(text);
    case Type::Date:
        return deformatDate(text);
    case Type::Time:
        return deformatTime(text);
    case Type::Pattern:
        return deformatPattern(text);
    case Type::String:
    case Type::Invalid:
        break;
    }
    return Value(text);
}

std::string Picture::formatNumber(const Value& v) const
{
    const std::size_t width = static_cast<std::size_t>(width_);
    const std::string tooWide(std::max<std::size_t>(width, 1), '#');
    const Value n = v.asNumber();
    std::string whole, frac;
    bool negative = false;
    if (isHugeReal(n)) {
        // Beyond the decimal range a real shows its 15 significant digits,
        // then zeros; no picture is wide enough for an infinite one.
        const double x = n.toReal();
        if (std::isinf(x))
            return tooWide;
        whole = positionalText(std::fabs(x));
        frac.assign(static_cast<std::size_t>(places_), '0');
        negative = x < 0;
    } else {
        const Decimal d = n.toDecimal().round(places_);
        if (blankWhenZero_ && d.isZero())
            return std::string(width, ' ');
        const std::string digits = d.abs().toString(); // "1234.50"
        const std::size_t point = digits.find('.');
        whole = digits.substr(0, point);
        frac = point == std::string::npos ? "" : digits.substr(point + 1);
        // Rounding keeps fewer places when all of them would not fit beside
        // the integer part; the picture still shows every one.
        frac.resize(static_cast<std::size_t>(places_), '0');
        negative = d.isNegative();
    }

    auto build = [&](bool grouped) {
        std::string body;
        for (std::size_t k = 0; k < whole.size(); ++k) {
            if (grouped && grouping_ && k > 0 && (whole.size() - k) % 3 == 0)
                body.push_back(grouping_);
            body.push_back(whole[k]);
        }
        if (places_ > 0) {
            if (decimalMark_)
                body.push_back(decimalMark_);
            body += frac;
        }
        std::string lead, trail;
        if (signStyle_ == '(') {
            lead = negative ? "(" : " ";
            trail = negative ? ")" : " ";
        } else if (signStyle_ == 't') {
            trail = negative ? "-" : "";
        } else if (negative) {
            lead = "-";
        }
        std::size_t used = lead.size() + body.size() + trail.size();
        if (width > used && (fill_ == '0' || fill_ == '*'))
            body.insert(0, width - used, fill_);
        std::string out = lead + body + trail;
        if (width > out.size())
            out.insert(0, width - out.size(), ' ');
        return out;
    };
    std::string out = build(true);
    if (width > 0 && out.size() > width)
        out = build(false);
    if (width > 0 && out.size() > width)
        out = tooWide;
    return out;
}

Value Picture::deformatNumber(std::string_view s) const
{
    std::string digits;
    bool negative = false;
    bool point = false;
    for (char c : s) {
        if (isDigit(c)) {
            digits.push_back(c);
        } else if (c == '-' || c == '(') {
            negative = true;
        } else if (decimalMark_ && c == decimalMark_ && !point) {
            digits.push_back('.');
            point = true;
        }
    }
    if (digits.empty() || digits == ".")
        return Value(0);
    if (!decimalMark_ && places_ > 0 && digits.size() <= 18) {
        // No printed mark: the last digits are the places.
        Decimal d(std::stoll(digits), places_);
        return Value(negative ? d.negated() : d);
    }
    Value n;
    if (!parseNumber(digits, n))
        return Value(0);
    if (n.kind() == Value::Kind::Integer)
        return Value(negative ? -n.toInt() : n.toInt());
    if (n.kind() == Value::Kind::Real) // more digits than a decimal holds
        return Value(negative ? -n.toReal() : n.toReal());
    Decimal dv = n.toDecimal();
    return Value(negative ? dv.negated() : dv);
}

std::string Picture::formatDate(std::int32_t day) const
{
    const PictureSettings& ps = pictureSettings();
    int n = width_;
    char sepCode = separator_;
    std::string prefix;
    if (n == 17) {
        n = ps.shortDate;
        if (!sepCode)
            sepCode = ps.shortDateSeparator;
    } else if (n == 18) {
        n = ps.longDate;
        prefix = std::string(kWeekdays[static_cast<std::size_t>(weekday(day))]) + ", ";
    }
    if (n < 1 || n > 16)
        n = 2;
    const Ymd ymd = ymdFromDate(day);
    const char sep = separatorChar(sepCode, '/');
    const std::string mm = pad2(ymd.month), dd = pad2(ymd.day);
    const std::string yy = pad2(ymd.year % 100), yyyy = pad4(ymd.year);
    std::string monthName = kMonths[static_cast<std::size_t>(std::clamp(ymd.month, 1, 12) - 1)];
    std::string mon;
    for (int k = 0; k < 3; ++k)
        mon.push_back(text::asciiUpper(monthName[static_cast<std::size_t>(k)]));
    std::string out;
    switch (n) {
    case 1:
        out = mm + sep + dd + sep + yy;
        break;
    case 2:
        out = mm + sep + dd + sep + yyyy;
        break;
    case 3:
        out = mon + " " + dd + "," + yyyy;
        break;
    case 4:
        out = monthName + " " + std::to_string(ymd.day) + ", " + yyyy;
        break;
    case 5:
        out = dd + sep + mm + sep + yy;
        break;
    case 6:
        out = dd + sep + mm + sep + yyyy;
        break;
    case 7:
        out = dd + " " + mon + " " + yy;
        break;
    case 8:
        out = dd + " " + mon + " " + yyyy;
        break;
    case 9:
        out = yy + sep + mm + sep + dd;
        break;
    case 10:
        out = yyyy + sep + mm + sep + dd;
        break;
    case 11:
        out = yy + mm + dd;
        break;
    case 12:
        out = yyyy + mm + dd;
        break;
    case 13:
        out = mm + sep + yy;
        break;
    case 14:
        out = mm + sep + yyyy;
        break;
    case 15:
        out = yy + sep + mm;
        break;
    case 16:
        out = yyyy + sep + mm;
        break;
    }
    return prefix + out;
}

Value Picture::deformatDate(std::string_view s) const
{
    s = text::trim(s, text::kBlankOrTab);
    if (s.empty())
        return Value(0);
    int n = width_ == 17 ? pictureSettings().shortDate : width_ == 18 ? pictureSettings().longDate : width_;
    Tokens t = tokenize(s);
    const DateOrder order = orderOf(n);
    const bool monthYear = order == DateOrder::MY || order == DateOrder::YM;
    std::vector<std::string> nums = t.numbers;

    int year = 0, month = t.month, day = 1;
    if (month) {
        // A month name: the numbers are the day (unless month/year only) and the year.
        if (nums.size() == 1 && !monthYear && nums[0].size() > 4)
            nums = splitRun(nums[0], {4});
        if (monthYear) {
            if (nums.empty())
                return Value(0);
            year = readYear(nums[0]);
        } else {
            if (nums.size() < 2)
                return Value(0);
            day = static_cast<int>(toLong(nums[0]));
            year = readYear(nums[1]);
        }
    } else {
        if (nums.size() == 1) {
            const std::string& run = nums[0];
            const int yw = run.size() == 8 || (monthYear && run.size() == 6) ? 4 : 2;
            switch (order) {
            case DateOrder::MDY:
            case DateOrder::DMY:
                nums = splitRun(run, {2, yw});
                break;
            case DateOrder::YMD:
                nums = splitRun(run, {2, 2});
                break;
            case DateOrder::MY:
                nums = splitRun(run, {yw});
                break;
            case DateOrder::YM:
                nums = splitRun(run, {2});
                break;
            }
        }
        const std::size_t need = monthYear ? 2 : 3;
        if (nums.size() < need) {
            // Day and month without a year take the clock's year.
            if (monthYear || nums.size() != 2)
                return Value(0);
            nums.push_back(std::to_string(ymdFromDate(defaultClock().today()).year));
        }
        switch (order) {
        case DateOrder::MDY:
            month = int(toLong(nums[0]));
            day = int(toLong(nums[1]));
            year = readYear(nums[2]);
            break;
        case DateOrder::DMY:
            day = int(toLong(nums[0]));
            month = int(toLong(nums[1]));
            year = readYear(nums[2]);
            break;
        case DateOrder::YMD:
            year = readYear(nums[0]);
            month = int(toLong(nums[1]));
            day = int(toLong(nums[2]));
            break;
        case DateOrder::MY:
            month = int(toLong(nums[0]));
            year = readYear(nums[1]);
            break;
        case DateOrder::YM:
            year = readYear(nums[0]);
            month = int(toLong(nums[1]));
            break;
        }
    }
    if (!isValidYmd(year, month, day))
        return Value(0);
    return Value(static_cast<std::int64_t>(dateFromYmd(year, month, day)));
}

std::string Picture::formatTime(std::int32_t time) const
{
    const PictureSettings& ps = pictureSettings();
    int n = width_ == 7 ? ps.shortTime : width_ == 8 ? ps.longTime : width_;
    if (n < 1 || n > 6)
        n = 4;
    const Hms h = hmsFromTime(time);
    const char sep = separatorChar(separator_, ':');
    const std::string mm = pad2(h.minutes), ss = pad2(h.seconds);
    auto xm = [&](std::string rest) {
        std::int64_t hour = h.hours % 24;
        std::int64_t h12 = hour % 12 == 0 ? 12 : hour % 12;
        return std::to_string(h12) + sep + rest + (hour < 12 ? "AM" : "PM");
    };
    switch (n) {
    case 1:
        return std::to_string(h.hours) + sep + mm;
    case 2:
        return pad2(h.hours) + mm;
    case 3:
        return xm(mm);
    case 5:
        return pad2(h.hours) + mm + ss;
    case 6:
        return xm(mm + sep + ss);
    default:
        return std::to_string(h.hours) + sep + mm + sep + ss;
    }
}

Value Picture::deformatTime(std::string_view s) const
{
    s = text::trim(s, text::kBlankOrTab);
    if (s.empty())
        return Value(0);
    Tokens t = tokenize(s);
    std::vector<std::string> nums = t.numbers;
    if (nums.empty())
        return Value(0);
    // Digits typed without separators: hhmm or hhmmss.
    if (nums.size() == 1 && nums[0].size() > 2)
        nums = nums[0].size() <= 4 ? splitRun(nums[0], {2}) : splitRun(nums[0], {2, 2});
    for (const auto& g : nums)
        if (g.size() > 7)
            return Value(0);
    std::int64_t hours = toLong(nums[0]);
    int minutes = nums.size() > 1 ? int(toLong(nums[1])) : 0;
    int seconds = nums.size() > 2 ? int(toLong(nums[2])) : 0;
    int hundredths = 0;
    if (nums.size() > 3) {
        std::string hs = nums[3].substr(0, 2);
        if (hs.size() == 1)
            hs += "0";
        hundredths = int(toLong(hs));
    }
    if (t.pm && hours < 12)
        hours += 12;
    if (t.am && hours == 12)
        hours = 0;
    return Value(static_cast<std::int64_t>(timeFromHms(hours, minutes, seconds, hundredths)));
}

std::string Picture::formatPattern(const Value& v) const
{
    const Value n = v.asNumber();
    std::string digits; // of the whole number, without its sign; "" for 0
    if (isHugeReal(n)) {
        if (std::isinf(n.toReal()))
            return std::string(pattern_.size(), '#');
        digits = positionalText(std::trunc(std::fabs(n.toReal())));
    } else if (std::int64_t whole = n.toInt(); whole != 0) {
        digits = std::to_string(whole < 0 ? 0 - static_cast<std::uint64_t>(whole) : static_cast<std::uint64_t>(whole));
    }
    if (digits.empty() && blankWhenZero_)
        return {};
    std::string out = pattern_;
    for (std::size_t k = out.size(); k-- > 0;) {
        char& c = out[k];
        if (c != '<' && c != '#')
            continue;
        if (!digits.empty()) {
            c = digits.back();
            digits.pop_back();
        } else {
            c = c == '#' ? '0' : ' ';
        }
    }
    if (!digits.empty())
        return std::string(pattern_.size(), '#');
    return out;
}

Value Picture::deformatPattern(std::string_view s) const
{
    std::int64_t n = 0;
    for (char c : s) {
        if (isDigit(c) && n < 100000000000000000)
            n = n * 10 + (c - '0');
    }
    return Value(n);
}

std::string format(const Value& v, std::string_view picture)
{
    return Picture::parse(picture).format(v);
}

Value deformat(std::string_view text, std::string_view picture)
{
    return Picture::parse(picture).deformat(text);
}

} // namespace qv::expr
