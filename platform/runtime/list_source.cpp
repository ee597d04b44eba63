#include "platform/runtime/list_source.h"

#include <algorithm>

namespace qv::rt {

ListSource::~ListSource()
{
    for (ListObserver* o : std::vector<ListObserver*>(observers_))
        o->sourceDestroyed();
}

void ListSource::addObserver(ListObserver* o)
{
    observers_.push_back(o);
}

void ListSource::removeObserver(ListObserver* o)
{
    std::erase(observers_, o);
}

void ListSource::notifyReset()
{
    for (ListObserver* o : std::vector<ListObserver*>(observers_))
        o->listReset();
}

void ListSource::notifyRowsChanged(int first, int last)
{
    for (ListObserver* o : std::vector<ListObserver*>(observers_))
        o->rowsChanged(first, last);
}

std::string ListQueue::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0)
        return {};
    const auto& r = rows_[row];
    return column < static_cast<int>(r.size()) ? r[column] : std::string();
}

void ListQueue::append(std::vector<std::string> row)
{
    rows_.push_back(std::move(row));
    notifyReset();
}

void ListQueue::insert(int at, std::vector<std::string> row)
{
    at = std::clamp(at, 0, rowCount());
    rows_.insert(rows_.begin() + at, std::move(row));
    notifyReset();
}

void ListQueue::set(int row, std::vector<std::string> values)
{
    rows_.at(row) = std::move(values);
    notifyRowsChanged(row, row);
}

void ListQueue::remove(int row)
{
    rows_.erase(rows_.begin() + row);
    notifyReset();
}

void ListQueue::clear()
{
    rows_.clear();
    notifyReset();
}

} // namespace qv::rt
