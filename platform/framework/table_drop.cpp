#include "platform/framework/table_drop.h"

#include <stdexcept>

#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/text/case.h"

namespace qv::fw {

TableDropList::TableDropList(
    TableAccess& access, int key, std::string control, std::string shown, std::string value, std::string useName)
    : access_(access)
    , key_(key)
    , controlName_(std::move(control))
    , useName_(std::move(useName))
    , shown_(access.table().def().fieldIndex(shown))
    , value_(access.table().def().fieldIndex(value))
{
    if (shown_ < 0 || value_ < 0)
        throw std::invalid_argument("no field " + (shown_ < 0 ? shown : value));
}

void TableDropList::Prepare(WindowController& controller)
{
    window_ = &controller;
    control_ = &controller.window()[controlName_];
    if (useName_.empty())
        useName_ = control_->def().use;
    control_->setList(&rows_);
    reload();
}

void TableDropList::CleanUp()
{
    if (control_)
        control_->setList(nullptr);
    control_ = nullptr;
}

void TableDropList::reload()
{
    // The table's buffer is the caller's: the rows are read around it.
    const tables::Record keep = access_.record();
    rows_.clear();
    records_.clear();
    tables::Table& t = access_.table();
    if (t.setOrder(key_) == 0)
        while (t.next() == 0) {
            records_.push_back(t.record());
            rows_.append({t.record().getText(shown_)});
        }
    access_.record() = keep;
    showCurrent();
}

void TableDropList::Refresh()
{
    if (control_)
        reload();
}

void TableDropList::reloadSelectedRecord()
{
    if (control_ && control_->selected() > 0 && control_->selected() <= static_cast<int>(records_.size()))
        access_.record() = records_[static_cast<std::size_t>(control_->selected() - 1)];
}

std::string TableDropList::useValue() const
{
    const auto use = resolveUse(useName_);
    return use && use->get ? use->get() : std::string();
}

void TableDropList::setUseValue(const std::string& value)
{
    if (const auto use = resolveUse(useName_); use && use->set)
        use->set(value);
}

int TableDropList::findValue(const std::string& value, bool byShown) const
{
    // As the table's keys compare: without regard to case or trailing blanks.
    const std::string want = text::foldKey(value);
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (text::foldKey(records_[i].getText(byShown ? shown_ : value_)) == want)
            return static_cast<int>(i) + 1;
    return 0;
}

void TableDropList::showCurrent()
{
    if (!control_)
        return;
    const int row = findValue(useValue(), false);
    control_->setSelected(row);
    if (row > 0)
        control_->setValue(records_[static_cast<std::size_t>(row - 1)].getText(shown_));
}

void TableDropList::takeChoice(int row)
{
    if (row < 1 || row > static_cast<int>(records_.size()))
        return;
    const tables::Record& r = records_[static_cast<std::size_t>(row - 1)];
    access_.record() = r;
    setUseValue(r.getText(value_));
    control_->setSelected(row);
    control_->setValue(r.getText(shown_));
}

bool TableDropList::OnEvent(const rt::Event& e)
{
    if (!control_ || e.control != control_->number())
        return false;
    if (e.code == rt::event::NewSelection || e.code == rt::event::Accepted) {
        takeChoice(control_->selected());
        return false; // the window still hears of the choice
    }
    return false;
}

bool TableDropCombo::OnEvent(const rt::Event& e)
{
    if (!control_ || e.control != control_->number())
        return false;
    if (e.code == rt::event::Accepted) {
        // Typed text that names a row chooses it; other text stays as typed.
        if (const int row = findValue(control_->value(), true); row > 0)
            takeChoice(row);
        else
            takeText(control_->value());
        return false;
    }
    return TableDropList::OnEvent(e);
}

void TableDropCombo::takeText(const std::string& text)
{
    control_->setSelected(0);
    setUseValue(text);
}

} // namespace qv::fw
