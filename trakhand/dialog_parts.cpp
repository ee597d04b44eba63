#include "trakhand/dialog_parts.h"

#include <algorithm>

#include "platform/runtime/window.h"

namespace qv::trakhand {

void Secrets::set(std::vector<std::string> values)
{
    std::erase_if(values, [](const std::string& v) { return v.empty(); });
    // The longest first, so that one secret inside another is masked whole.
    std::sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    values_ = std::move(values);
}

std::string Secrets::hide(std::string text) const
{
    for (const std::string& secret : values_)
        for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 3))
            text.replace(at, secret.size(), "***");
    return text;
}

void ProgressBar::attach(rt::Control* control)
{
    control_ = control;
    show();
}

void ProgressBar::setRange(int low, int high)
{
    low_ = low;
    high_ = std::max(low, high);
    setPosition(position_);
}

void ProgressBar::setPosition(int position)
{
    position_ = std::clamp(position, low_, high_);
    show();
}

void ProgressBar::stepIt()
{
    position_ += step_;
    if (position_ > high_)
        position_ = low_;
    show();
}

void ProgressBar::show()
{
    if (control_ && high_ > low_)
        control_->setValue(std::to_string((position_ - low_) * 100 / (high_ - low_)));
}

void LogList::attach(rt::Control* control)
{
    if (control)
        control->setList(&rows_);
}

void LogList::add(const std::string& line)
{
    rows_.append({secrets_.hide(line)});
}

std::vector<std::string> LogList::lines() const
{
    std::vector<std::string> out;
    for (int r = 0; r < rows_.rowCount(); ++r)
        out.push_back(rows_.cell(r, 0));
    return out;
}

} // namespace qv::trakhand
