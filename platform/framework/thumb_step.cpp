#include "platform/framework/thumb_step.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/tables/view.h"
#include "platform/text/case.h"

namespace qv::fw {

namespace {

int clampPercent(int p)
{
    return std::clamp(p, 0, 100);
}

bool readBounds(tables::View& view, tables::Record& record, int field, double& low, double& high)
{
    if (field < 0)
        return false;
    const tables::Record keep = record;
    bool ok = false;
    view.toStart();
    if (view.next() == 0) {
        low = record.getDecimal(field).toDouble();
        view.toEnd();
        if (view.previous() == 0) {
            high = record.getDecimal(field).toDouble();
            ok = true;
        }
    }
    view.toStart();
    record = keep;
    return ok;
}

double toNumber(std::string_view text)
{
    std::string s(text);
    return std::strtod(s.c_str(), nullptr);
}

} // namespace

ThumbStepText::ThumbStepText(std::string_view alphabet)
    : alphabet_(alphabet)
{ }

int ThumbStepText::Position(std::string_view value) const
{
    const auto start = value.find_first_not_of(' ');
    if (start == std::string_view::npos || alphabet_.size() < 2)
        return 0;
    const char c = text::asciiUpper(value[start]);
    // A character outside the alphabet sits where it sorts among its letters.
    const auto at = std::lower_bound(alphabet_.begin(), alphabet_.end(), c) - alphabet_.begin();
    const auto last = static_cast<long>(alphabet_.size()) - 1;
    return clampPercent(static_cast<int>(std::lround(100.0 * std::min<long>(at, last) / last)));
}

std::string ThumbStepText::Value(int percent) const
{
    if (alphabet_.empty())
        return {};
    const auto last = alphabet_.size() - 1;
    const auto i = static_cast<std::size_t>(std::lround(clampPercent(percent) / 100.0 * static_cast<double>(last)));
    return std::string(1, alphabet_[i]);
}

void ThumbStepLong::init(tables::View& view, tables::Record& record, int field)
{
    if (fixed_)
        return;
    double low = 0, high = 0;
    if (readBounds(view, record, field, low, high)) {
        low_ = static_cast<std::int64_t>(std::llround(low));
        high_ = static_cast<std::int64_t>(std::llround(high));
    }
}

int ThumbStepLong::Position(std::string_view value) const
{
    if (high_ <= low_)
        return 0;
    const double v = toNumber(value);
    return clampPercent(
        static_cast<int>(std::lround(100.0 * (v - static_cast<double>(low_)) / static_cast<double>(high_ - low_))));
}

std::string ThumbStepLong::Value(int percent) const
{
    const double v = static_cast<double>(low_) + clampPercent(percent) / 100.0 * static_cast<double>(high_ - low_);
    return std::to_string(static_cast<std::int64_t>(std::llround(v)));
}

void ThumbStepReal::init(tables::View& view, tables::Record& record, int field)
{
    if (!fixed_)
        readBounds(view, record, field, low_, high_);
}

int ThumbStepReal::Position(std::string_view value) const
{
    if (high_ <= low_)
        return 0;
    return clampPercent(static_cast<int>(std::lround(100.0 * (toNumber(value) - low_) / (high_ - low_))));
}

std::string ThumbStepReal::Value(int percent) const
{
    std::ostringstream out;
    out.precision(15);
    out << low_ + clampPercent(percent) / 100.0 * (high_ - low_);
    return out.str();
}

int ThumbStepList::Position(std::string_view value) const
{
    if (values_.size() < 2)
        return 0;
    // The last step at or below the value.
    std::size_t at = 0;
    for (std::size_t i = 0; i < values_.size(); ++i)
        if (values_[i] <= value)
            at = i;
    return clampPercent(
        static_cast<int>(std::lround(100.0 * static_cast<double>(at) / static_cast<double>(values_.size() - 1))));
}

std::string ThumbStepList::Value(int percent) const
{
    if (values_.empty())
        return {};
    const auto i = static_cast<std::size_t>(
        std::lround(clampPercent(percent) / 100.0 * static_cast<double>(values_.size() - 1)));
    return values_[i];
}

} // namespace qv::fw
