#include "platform/framework/view_reader.h"

#include <stdexcept>

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {
const std::string kNoText;

std::string withPrefix(const tables::TableDef& def, const std::string& component)
{
    if (component.find(':') != std::string::npos)
        return component;
    return def.prefix + ":" + component;
}
} // namespace

ViewReader::ViewReader(tables::View& view, TableAccess& primary)
    : view_(view)
    , primary_(primary)
{ }

ViewReader::~ViewReader() = default;

tables::Record& ViewReader::record() const
{
    return primary_.record();
}

ViewReader::Order& ViewReader::order(int n)
{
    if (n < 1 || n > static_cast<int>(orders_.size()))
        throw std::out_of_range("no sort order " + std::to_string(n));
    return orders_[static_cast<std::size_t>(n - 1)];
}

const ViewReader::Order* ViewReader::currentOrderEntry() const
{
    if (current_ < 1 || current_ > static_cast<int>(orders_.size()))
        return nullptr;
    return &orders_[static_cast<std::size_t>(current_ - 1)];
}

int ViewReader::AddSortOrder(int key)
{
    orders_.push_back(Order{key, {}, {}});
    if (current_ == 0)
        current_ = requested_ = 1;
    return static_cast<int>(orders_.size());
}

int ViewReader::AddSortOrder(std::string_view keyName)
{
    const int key = primary_.table().def().keyIndex(keyName);
    if (key < 0)
        throw std::invalid_argument("no key " + std::string(keyName));
    return AddSortOrder(key);
}

int ViewReader::AddOrderExpression(std::string expression)
{
    orders_.push_back(Order{-1, std::move(expression), {}});
    if (current_ == 0)
        current_ = requested_ = 1;
    return static_cast<int>(orders_.size());
}

void ViewReader::setOrderKey(int n, int key)
{
    Order& o = order(n);
    o.key = key;
    o.expression.clear();
}

void ViewReader::setOrderExpression(int n, std::string expression)
{
    Order& o = order(n);
    o.key = -1;
    o.expression = std::move(expression);
    o.ranges.clear();
}

void ViewReader::setCurrentOrder(int n)
{
    order(n);
    current_ = requested_ = n;
}

void ViewReader::limitLike(int n, int from)
{
    Order& o = order(n);
    const Order& f = order(from);
    o.ranges = f.ranges;
    o.rangeKey = f.key >= 0 ? f.key : f.rangeKey;
}

void ViewReader::setOrderExpressionKeepingRange(int n, std::string expression)
{
    Order& o = order(n);
    o.key = -1;
    o.expression = std::move(expression);
}

const std::string& ViewReader::orderExpression(int n) const
{
    return const_cast<ViewReader*>(this)->order(n).expression;
}

int ViewReader::orderKey(int n) const
{
    if (n < 1 || n > static_cast<int>(orders_.size()))
        return -1;
    return orders_[static_cast<std::size_t>(n - 1)].key;
}

void ViewReader::addRange(int n, std::string field, std::function<std::string()> value)
{
    Order& o = order(n);
    o.ranges.push_back(
        Range{std::move(field), [value = std::move(value)](tables::Record& r, int f) { r.setString(f, value()); }});
}

void ViewReader::LimitToParent(int n, TableAccess& parent, std::vector<std::pair<std::string, std::string>> links)
{
    Order& o = order(n);
    tables::Record* pr = &parent.record();
    for (auto& [child, parentField] : links) {
        const int pf = pr->def().fieldIndex(parentField);
        if (pf < 0)
            throw std::invalid_argument("no field " + parentField);
        o.ranges.push_back(
            Range{child, [pr, pf](tables::Record& r, int f) {
                      if (pr->def().fields[static_cast<std::size_t>(pf)].type == tables::FieldType::String
                          || r.def().fields[static_cast<std::size_t>(f)].type == tables::FieldType::String)
                          r.setString(f, pr->getText(pf));
                      else
                          r.setDecimal(f, pr->getDecimal(pf));
                  }});
    }
}

void ViewReader::LimitToParent(int n, RelationSet& parent, std::vector<std::pair<std::string, std::string>> links)
{
    LimitToParent(n, parent.access(), std::move(links));
}

int ViewReader::rangeComponents(int n) const
{
    if (n < 1 || n > static_cast<int>(orders_.size()))
        return 0;
    return static_cast<int>(orders_[static_cast<std::size_t>(n - 1)].ranges.size());
}

std::vector<std::string> ViewReader::rangeValues()
{
    std::vector<std::string> values;
    const Order* o = currentOrderEntry();
    if (!o || o->ranges.empty())
        return values;
    tables::Record scratch = record();
    for (const Range& range : o->ranges) {
        const int f = scratch.def().fieldIndex(range.field);
        if (f < 0)
            continue;
        range.put(scratch, f);
        values.push_back(scratch.getText(f));
    }
    return values;
}

void ViewReader::setFilter(const std::string& name, std::string expression)
{
    predicates_.erase(name);
    if (expression.find_first_not_of(' ') == std::string::npos)
        filterTexts_.erase(name);
    else
        filterTexts_[name] = std::move(expression);
}

void ViewReader::setFilter(const std::string& name, std::function<bool()> predicate)
{
    filterTexts_.erase(name);
    if (predicate)
        predicates_[name] = std::move(predicate);
    else
        predicates_.erase(name);
}

void ViewReader::clearFilter(const std::string& name)
{
    filterTexts_.erase(name);
    predicates_.erase(name);
}

const std::string& ViewReader::filterText(const std::string& name) const
{
    const auto it = filterTexts_.find(name);
    return it == filterTexts_.end() ? kNoText : it->second;
}

void ViewReader::setRangeFields()
{
    const Order* o = currentOrderEntry();
    if (!o)
        return;
    tables::Record& r = record();
    for (const Range& range : o->ranges) {
        const int f = r.def().fieldIndex(range.field);
        if (f >= 0)
            range.put(r, f);
    }
}

int ViewReader::apply()
{
    if (choose_ && requested_ > 0) {
        const int chosen = choose_(requested_);
        current_ = chosen >= 1 && chosen <= static_cast<int>(orders_.size()) ? chosen : requested_;
    }
    const Order* o = currentOrderEntry();
    int result = 0;
    if (!o || (o->key < 0 && o->expression.empty())) {
        view_.setOrderKey(-1);
    } else if (o->key >= 0) {
        view_.setOrderKey(o->key);
    } else {
        result = view_.setOrder(o->expression);
    }
    const int filtered = PushFilterToView();
    return result ? result : filtered;
}

int ViewReader::PushFilterToView()
{
    // The range values are read from the parent now, through the buffer.
    const Order* o = currentOrderEntry();
    if (o && o->key >= 0) {
        const tables::Record keep = record();
        setRangeFields();
        view_.limitToBuffer(static_cast<int>(o->ranges.size()));
        record() = keep;
    } else if (o && o->rangeKey >= 0 && !o->ranges.empty()) {
        const tables::Record keep = record();
        setRangeFields();
        view_.limitToKeyBuffer(o->rangeKey, static_cast<int>(o->ranges.size()));
        record() = keep;
    } else {
        view_.clearRange();
    }
    int result = 0;
    // Parts that were dropped since the last push are taken off the view.
    for (const std::string& name : pushed_)
        if (!filterTexts_.count(name) && !predicates_.count(name))
            view_.clearFilter(name);
    pushed_.clear();
    for (const auto& [name, text] : filterTexts_) {
        if (const int r = view_.setFilter(name, text); r && !result)
            result = r;
        pushed_.push_back(name);
    }
    for (const auto& [name, predicate] : predicates_) {
        view_.setFilter(name, predicate);
        pushed_.push_back(name);
    }
    return result;
}

void ViewReader::ClearForNew(bool keepValues)
{
    if (!keepValues)
        for (tables::Record* r : joined_)
            r->clear();
    primary_.primeFields(keepValues);
    setRangeFields();
    // A new record: whatever it was copied from, it is not stored yet.
    record().recordId = 0;
    record().changeCount = 0;
}

std::string ViewReader::FreeKeyFieldName()
{
    const Order* o = currentOrderEntry();
    if (!o)
        return {};
    const auto& def = primary_.table().def();
    if (o->key >= 0) {
        const auto& comps = def.keys[static_cast<std::size_t>(o->key)].components;
        const std::size_t free = o->ranges.size();
        return free < comps.size() ? withPrefix(def, comps[free]) : std::string();
    }
    // The first term of the order expression, without its direction.
    std::string first = o->expression.substr(0, o->expression.find(','));
    const auto start = first.find_first_not_of(" +-");
    if (start == std::string::npos)
        return {};
    return std::string(text::trimRight(std::string_view(first).substr(start)));
}

int ViewReader::FreeKeyFieldIndex()
{
    const Order* o = currentOrderEntry();
    if (!o)
        return 0;
    return o->key >= 0 ? static_cast<int>(o->ranges.size()) + 1 : 1;
}

int ViewReader::freeField()
{
    std::string name = FreeKeyFieldName();
    // UPPER(field) locates on the field itself: the key folds case anyway.
    if (name.size() > 7 && (name.rfind("UPPER(", 0) == 0 || name.rfind("upper(", 0) == 0) && name.back() == ')')
        name = name.substr(6, name.size() - 7);
    return primary_.table().def().fieldIndex(name);
}

} // namespace qv::fw
