#include "platform/framework/declared_list.h"

#include <algorithm>
#include <stdexcept>

#include <yaml-cpp/yaml.h>

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/window.h"
#include "platform/tables/view.h"

namespace qv::fw {

namespace {

std::string text(const YAML::Node& n, std::string_view fallback = {})
{
    return n ? n.as<std::string>() : std::string(fallback);
}

rt::ListJustification justificationOf(const YAML::Node& align, const YAML::Node& indent)
{
    const std::string a = text(align, "left");
    rt::ListJustification j;
    j.letter = a == "right" ? 'R' : a == "center" ? 'C' : a == "decimal" ? 'D' : 'L';
    if (indent)
        j.offset = indent.as<int>();
    return j;
}

// One column of a list format: "160L(2)|M~Title~@s40@".
rt::ListFormatColumn formatOf(const YAML::Node& column)
{
    rt::ListFormatColumn f;
    f.width = column["width"] ? column["width"].as<int>() : 40;
    f.data = justificationOf(column["align"], column["indent"]);
    f.marks = {rt::list_mark::RightBorder, rt::list_mark::Resizable};
    f.header = text(column["header"]);
    if (column["header-align"]) {
        f.headerJustification = justificationOf(column["header-align"], column["header-indent"]);
        f.headerJustification.offset = f.headerJustification.offset.value_or(0);
    }
    f.picture = text(column["picture"], "@s20");
    return f;
}

std::unique_ptr<Locator> locatorOf(const YAML::Node& order)
{
    const std::string kind = text(order["locator"]);
    std::unique_ptr<Locator> l;
    if (kind == "prefix")
        l = std::make_unique<TypedPrefixLocator>();
    else if (kind == "jump")
        l = std::make_unique<KeyJumpLocator>();
    else if (!kind.empty())
        throw std::invalid_argument("unknown locator '" + kind + "'");
    if (const YAML::Node entry = order["entry"]; l && entry) {
        if (entry.IsSequence())
            for (const YAML::Node& e : entry)
                l->setEntry(declaredControl(e));
        else
            l->setEntry(declaredControl(entry));
    }
    return l;
}

std::unique_ptr<ThumbStep> thumbOf(const YAML::Node& order)
{
    const std::string kind = text(order["thumb"]);
    if (kind == "letters")
        return std::make_unique<ThumbStepText>();
    if (kind == "alphanumeric")
        return std::make_unique<ThumbStepText>(ThumbStepText::LettersDigitsPunctuation);
    if (kind == "number")
        return std::make_unique<ThumbStepLong>();
    if (kind == "decimal")
        return std::make_unique<ThumbStepReal>();
    if (!kind.empty())
        throw std::invalid_argument("unknown thumb '" + kind + "'");
    return nullptr;
}

RelationSet& setOf(const std::string& label)
{
    RelationSet* set = relationSetOf(label);
    if (!set)
        throw std::invalid_argument("no table '" + label + "'");
    return *set;
}

} // namespace

std::string declaredControl(const YAML::Node& n)
{
    const std::string name = n ? n.as<std::string>() : std::string();
    return name.empty() || name.front() == '?' ? name : "?" + name;
}

DeclaredList::DeclaredList(WindowController& owner)
    : owner_(owner)
{ }

DeclaredList::~DeclaredList() = default;

Level DeclaredList::read(
    const YAML::Node& list, std::string listControl, const Opener& open, const BrowserFactory& make)
{
    control_ = std::move(listControl);
    rt::Window& window = owner_.window();
    rt::Control& control = window[control_];
    RelationSet& primary = setOf(text(list["view"]));
    if (!open(primary))
        return Fatal;
    view_ = std::make_unique<tables::View>(primary.access().table());
    reader_ = std::make_unique<ViewReader>(*view_, primary.access());
    std::vector<tables::Record*> joined;
    for (const YAML::Node& j : list["join"]) {
        RelationSet& set = setOf(text(j["table"]));
        if (!open(set))
            return Fatal;
        tables::Table& t = set.access().table();
        const int key = t.def().keyIndex(text(j["key"]));
        if (key < 0)
            throw std::invalid_argument("no key '" + text(j["key"]) + "'");
        std::vector<std::string> on;
        for (const YAML::Node& f : j["on"])
            on.push_back(f.as<std::string>());
        view_->join(t, key, std::move(on), j["inner"] && j["inner"].as<bool>());
        reader_->addJoinedRecord(t.record());
        joined.push_back(&t.record());
    }

    for (const YAML::Node& o : list["orders"]) {
        Order order;
        order.number = reader_->AddSortOrder(text(o["key"]));
        order.tab = declaredControl(o["tab"]);
        if (o["parent"]) {
            RelationSet& parent = setOf(text(o["parent"]));
            if (!open(parent))
                return Fatal;
            std::vector<std::pair<std::string, std::string>> links;
            for (const YAML::Node& link : o["links"])
                links.emplace_back(link[0].as<std::string>(), link[1].as<std::string>());
            reader_->LimitToParent(order.number, parent, std::move(links));
        }
        order.locator = locatorOf(o);
        order.thumb = thumbOf(o);
        orders_.push_back(std::move(order));
    }

    ListButtons& b = buttons_;
    if (const YAML::Node n = list["buttons"]) {
        b.insert = declaredControl(n["insert"]);
        b.change = declaredControl(n["change"]);
        b.delete_ = declaredControl(n["delete"]);
        b.select = declaredControl(n["select"]);
        b.print = declaredControl(n["print"]);
        b.view = declaredControl(n["view"]);
        b.copy = declaredControl(n["copy"]);
        b.close = declaredControl(n["close"]);
    }
    browser_ = make(*reader_, control_, b);
    ListBrowser& browser = *browser_;
    for (tables::Record* r : joined)
        browser.addRowRecord(*r);
    for (const Order& o : orders_) {
        browser.setLocator(o.number, o.locator.get());
        browser.setThumbStep(o.number, o.thumb.get());
    }

    // A column declared `shown: false` is read into every row but not shown;
    // the columns after it name the row field they show.
    rt::ListFormat format;
    int field = 0;
    bool skipped = false;
    for (const YAML::Node& column : list["columns"]) {
        ++field;
        if (column["shown"] && !column["shown"].as<bool>()) {
            skipped = true;
        } else {
            format.columns.push_back(formatOf(column));
            if (skipped)
                format.columns.back().fieldNumber = field;
        }
        if (column["computed"]) {
            computed_[text(column["computed"])] = browser.addColumn() - 1;
            continue;
        }
        const std::string field = text(column["field"]);
        const FieldLocation at = locateField(field);
        if (!at.record || at.field < 0)
            throw std::invalid_argument("no field '" + field + "'");
        browser.addField(*at.record, field);
    }
    control.setFormat(rt::writeListFormat(format));

    // A page is what the control shows: about one row per 8 dialog units
    // below its header.
    const int rows = list["rows"] ? list["rows"].as<int>() : (control.geometry().height - 10) / 8;
    browser.setPageSize(std::max(rows, 4));

    menu_ = std::make_unique<ContextMenu>(control.number());
    browser.setContextMenu(menu_.get());

    if (const YAML::Node entries = list["in-place"]) {
        // The entries edit the row: the buttons are theirs, not an update procedure's.
        inPlace_ = std::make_unique<InPlaceEditManager>(browser, primary);
        for (const YAML::Node& e : entries)
            inPlace_->addColumn(declaredControl(e[0]), e[1].as<std::string>());
        inPlace_->setButtons(b.insert, b.change, b.delete_);
        owner_.addComponent(*inPlace_);
    } else {
        browser.setInsertControl(b.insert);
        browser.setChangeControl(b.change);
        browser.setDeleteControl(b.delete_);
    }
    browser.setSelectControl(b.select);
    browser.setPrintControl(b.print);
    if (list["procedure"])
        browser.setUpdateProcedure(list["procedure"].as<int>());
    owner_.addComponent(browser);
    owner_.addComponent(*menu_);
    return Benign;
}

int DeclaredList::computedColumn(std::string_view name) const
{
    const auto it = computed_.find(std::string(name));
    if (it == computed_.end())
        throw std::logic_error("the list declares no computed column " + std::string(name));
    return it->second;
}

void DeclaredList::addMenuItems(const YAML::Node& list)
{
    if (inPlace_) {
        // The browser adds these for the buttons it runs; here the entries run them.
        const std::pair<const char*, const std::string*> edits[]
            = {{"&Insert", &buttons_.insert}, {"&Change", &buttons_.change}, {"&Delete", &buttons_.delete_}};
        for (const auto& [item, button] : edits)
            if (!button->empty())
                menu_->AddItemForButton(item, *button);
    }
    for (const YAML::Node& item : list["menu"]) {
        if (item.IsScalar() && item.as<std::string>() == "separator")
            menu_->addSeparator();
        else if (item["press"])
            menu_->AddItemForButton(text(item["text"]), declaredControl(item["press"]));
        else if (item["event"])
            menu_->addItemForEvent(text(item["text"]), item["event"].as<int>(), menu_->control());
    }
}

} // namespace qv::fw
