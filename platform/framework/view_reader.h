#pragma once
// A list's reading of its view: the sort orders it offers (a key, perhaps
// limited to the children of a parent record, or an order expression), the
// named filter parts that apply with the range limits, and the preparation of
// a new record that belongs inside the current range.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/levels.h"
#include "platform/tables/view.h"

namespace qv::fw {

class TableAccess;
class RelationSet;

class ViewReader
{
public:
    ViewReader(tables::View& view, TableAccess& primary);
    virtual ~ViewReader();
    ViewReader(const ViewReader&) = delete;
    ViewReader& operator=(const ViewReader&) = delete;

    tables::View& view() const { return view_; }
    TableAccess& access() const { return primary_; }
    tables::Record& record() const;

    // Sort orders, numbered from 1 in the order they are added. A key may
    // be given by number or name; an order expression is a list such as
    // "+ALB:Artist,-UPPER(ALB:Album)". Answers the order's number.
    int AddSortOrder(int key);
    int AddSortOrder(std::string_view keyName);
    int AddOrderExpression(std::string expression);
    // Replaces an order's key or expression (a header sort reuses one order).
    void setOrderKey(int order, int key);
    void setOrderExpression(int order, std::string expression);
    int orderCount() const { return static_cast<int>(orders_.size()); }
    // The order used by the next Apply; 0 when none was added.
    int currentOrder() const { return current_; }
    void setCurrentOrder(int order);
    // The order the window asked for last; an order choice may apply another.
    int requestedOrder() const { return requested_; }
    // Lets the window choose, each time the view is given its order, which
    // order applies in place of the one it asked for (a header sort).
    void setOrderChoice(std::function<int(int requested)> choose) { choose_ = std::move(choose); }
    // An order takes the range limits of another: an order expression then
    // shows only the records in that order's range (its key's leading
    // components equal to the range values).
    void limitLike(int order, int from);
    void setOrderExpressionKeepingRange(int order, std::string expression);
    const std::string& orderExpression(int order) const;
    int orderKey(int order) const;

    // A range limit of an order: its leading key component `field` equals
    // what `value` answers when the order is applied. Further calls limit
    // the following components.
    void addRange(int order, std::string field, std::function<std::string()> value);
    // Limits the order to the children of the parent record now in
    // parent's buffer: each (child field, parent field) pair fixes one
    // leading component. Numbers convert between LONG and DECIMAL.
    virtual void LimitToParent(int order, TableAccess& parent, std::vector<std::pair<std::string, std::string>> links);
    void LimitToParent(int order, RelationSet& parent, std::vector<std::pair<std::string, std::string>> links);
    int rangeComponents(int order) const;
    // The current order's range values as they read now, as texts: a list
    // limited to a parent knows by them that the parent moved.
    std::vector<std::string> rangeValues();

    // Named filter parts ("6 Query", "Brovex", ...) that apply together with
    // the range limits; an empty text removes the part. A predicate reads
    // the loaded buffers.
    void setFilter(const std::string& name, std::string expression);
    void setFilter(const std::string& name, std::function<bool()> predicate);
    void clearFilter(const std::string& name);
    const std::string& filterText(const std::string& name) const;

    // Gives the view the current order, its range values read now and the
    // filter parts. Answers 0, or the driver's error for a filter or an order
    // that does not compile (the view's filterError()/orderError() says why).
    int apply();
    // Builds the view filter from the range limits and the named filter
    // parts; overrides set their own parts first and then call this.
    virtual int PushFilterToView();

    // Clears the buffers for a new record (keepValues: the buffer keeps the
    // values it has, as a copy does), fills the table's defaults and puts the
    // current order's range values into its key fields. The record is not
    // stored: its id is reserved by whoever adds it.
    virtual void ClearForNew(bool keepValues = false);
    // Puts the range values of the current order into the primary buffer.
    void setRangeFields();

    // The first key component the range leaves free, and its 1-based
    // position in the key; for an order expression its first term. Locators
    // and thumbs work on it.
    virtual std::string FreeKeyFieldName();
    virtual int FreeKeyFieldIndex();
    // The free field's index in the primary record, -1 when it is not a
    // plain field of the primary table.
    int freeField();

    // Buffers of joined tables that a new record clears as well.
    void addJoinedRecord(tables::Record& record) { joined_.push_back(&record); }

protected:
    struct Range {
        std::string field;
        std::function<void(tables::Record&, int)> put; // writes the value into the child field
    };
    struct Order {
        int key = -1;
        std::string expression;
        std::vector<Range> ranges;
        int rangeKey = -1; // the key whose components the ranges of an expression order fix
    };
    Order& order(int n);
    const Order* currentOrderEntry() const;

    tables::View& view_;
    TableAccess& primary_;
    std::vector<Order> orders_;
    int current_ = 0;
    int requested_ = 0;
    std::function<int(int)> choose_;
    std::map<std::string, std::string> filterTexts_;
    std::map<std::string, std::function<bool()>> predicates_;
    std::vector<std::string> pushed_; // the parts the view has now
    std::vector<tables::Record*> joined_;
};

} // namespace qv::fw
