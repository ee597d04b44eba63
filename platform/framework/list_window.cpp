#include "platform/framework/list_window.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include <yaml-cpp/yaml.h>

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "platform/tables/view.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {

constexpr int kUpdateProcedure = 1;

std::vector<ListWindow::Instance>& instances()
{
    static std::vector<ListWindow::Instance> list;
    return list;
}

std::string controlName(const YAML::Node& n)
{
    const std::string name = n ? n.as<std::string>() : std::string();
    return name.empty() || name.front() == '?' ? name : "?" + name;
}

std::string text(const YAML::Node& n, std::string_view fallback = {})
{
    return n ? n.as<std::string>() : std::string(fallback);
}

// One column of a list format: "160L(2)|M~Title~@s40@".
std::string formatOf(const YAML::Node& column)
{
    const std::string align = text(column["align"], "left");
    const char a = align == "right" ? 'R' : align == "center" ? 'C' : 'L';
    std::string f = std::to_string(column["width"] ? column["width"].as<int>() : 40) + a;
    if (column["indent"])
        f += "(" + std::to_string(column["indent"].as<int>()) + ")";
    f += "|M~" + text(column["header"]) + "~";
    if (column["header-align"]) {
        const std::string h = text(column["header-align"]);
        f += h == "right" ? 'R' : h == "center" ? 'C' : 'L';
        f += "(" + std::to_string(column["header-indent"] ? column["header-indent"].as<int>() : 0) + ")";
    }
    return f + text(column["picture"], "@s20") + "@";
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
                l->setEntry(controlName(e));
        else
            l->setEntry(controlName(entry));
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

// A list opened again reads the declaration it read before.
std::shared_ptr<const YAML::Node> parsedDeclaration(const std::string& text)
{
    static std::map<std::string, std::shared_ptr<const YAML::Node>, std::less<>> parsed;
    auto& node = parsed[text];
    if (!node)
        node = std::make_shared<const YAML::Node>(YAML::Load(text));
    return node;
}

RelationSet& setOf(const std::string& label)
{
    RelationSet* set = relationSetOf(label);
    if (!set)
        throw std::invalid_argument("no table '" + label + "'");
    return *set;
}

} // namespace

ListWindow::ListWindow(std::string module, std::string procedure)
    : WindowController(std::move(procedure))
    , module_(std::move(module))
{ }

ListWindow::~ListWindow() = default;

const YAML::Node& ListWindow::declaration() const
{
    return *declaration_;
}

const std::vector<ListWindow::Instance>& ListWindow::singleInstances()
{
    return instances();
}

void ListWindow::forgetSingleInstances()
{
    instances().clear();
}

std::unique_ptr<ListBrowser> ListWindow::makeBrowser(ViewReader& reader, const std::string& listControl, const Buttons&)
{
    return std::make_unique<ListBrowser>(reader, listControl);
}

Level ListWindow::Prepare()
{
    if (const Level l = WindowController::Prepare(); l != Benign)
        return l;
    loadWindow(module_, name());
    try {
        const auto& sections = window().def().sections;
        const auto found = sections.find("list");
        if (found == sections.end())
            throw std::invalid_argument("the definition has no list section");
        declaration_ = parsedDeclaration(found->second);
        if (const Level l = readDeclaration(*declaration_); l != Benign)
            return l;
    } catch (const YAML::Exception& e) {
        throw rt::DefinitionError("window " + module_ + "/" + name() + ": list: " + e.what());
    } catch (const std::invalid_argument& e) {
        throw rt::DefinitionError("window " + module_ + "/" + name() + ": list: " + e.what());
    }
    if (const Level l = prepareList(); l != Benign)
        return l;
    openWindow();

    // The context menu's own items come after those of the buttons.
    const YAML::Node& list = *declaration_;
    for (const YAML::Node& item : list["menu"]) {
        if (item.IsScalar() && item.as<std::string>() == "separator")
            menu_->addSeparator();
        else if (item["press"])
            menu_->AddItemForButton(text(item["text"]), controlName(item["press"]));
        else if (item["event"])
            menu_->addItemForEvent(text(item["text"]), item["event"].as<int>(), menu_->control());
    }
    showCount();
    listOpened();
    return Benign;
}

Level ListWindow::readDeclaration(const YAML::Node& list)
{
    singleInstance_ = list["single-instance"] && list["single-instance"].as<bool>();
    countCaption_ = static_cast<bool>(list["caption"]);
    caption_ = text(list["caption"]);
    markTab_ = list["mark-tab"] && list["mark-tab"].as<bool>();
    if (singleInstance_ && request() != request::Select && takenByOpenInstance())
        return Notify;

    if (list["control"])
        listControl_ = controlName(list["control"]);
    rt::Control& control = window()[listControl_];
    readOnly_ = !list["form"];
    RelationSet& primary = setOf(text(list["view"]));
    if (!openData(primary))
        return Fatal;
    view_ = std::make_unique<tables::View>(primary.access().table());
    reader_ = std::make_unique<ViewReader>(*view_, primary.access());
    for (const YAML::Node& j : list["join"]) {
        RelationSet& joined = setOf(text(j["table"]));
        if (!openData(joined))
            return Fatal;
        tables::Table& t = joined.access().table();
        const int key = t.def().keyIndex(text(j["key"]));
        if (key < 0)
            throw std::invalid_argument("no key '" + text(j["key"]) + "'");
        std::vector<std::string> on;
        for (const YAML::Node& f : j["on"])
            on.push_back(f.as<std::string>());
        view_->join(t, key, std::move(on), j["inner"] && j["inner"].as<bool>());
        reader_->addJoinedRecord(t.record());
        joinedRecords_.push_back(&t.record());
    }

    for (const YAML::Node& o : list["orders"]) {
        Order order;
        order.number = reader_->AddSortOrder(text(o["key"]));
        order.tab = controlName(o["tab"]);
        if (o["parent"]) {
            RelationSet& parent = setOf(text(o["parent"]));
            if (!openData(parent))
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

    Buttons b;
    if (const YAML::Node n = list["buttons"]) {
        b.insert = controlName(n["insert"]);
        b.change = controlName(n["change"]);
        b.delete_ = controlName(n["delete"]);
        b.select = controlName(n["select"]);
        b.print = controlName(n["print"]);
        b.view = controlName(n["view"]);
        b.copy = controlName(n["copy"]);
        b.close = controlName(n["close"]);
    }
    browser_ = makeBrowser(*reader_, listControl_, b);
    ListBrowser& browser = *browser_;
    for (tables::Record* r : joinedRecords_)
        browser.addRowRecord(*r);
    browser.setInsertControl(b.insert);
    browser.setChangeControl(b.change);
    browser.setDeleteControl(b.delete_);
    browser.setSelectControl(b.select);
    browser.setPrintControl(b.print);
    browser.setHideSelect(true);
    if (!b.close.empty()) {
        addResponseButton(b.close, response::Cancelled);
        // A lookup is left without choosing: its close button says so.
        if (request() == request::Select) {
            rt::Control& close = window()[b.close];
            close.setText("Cancel");
            close.setProperty(rt::prop::Icon, "cancel.png");
        }
    }
    for (const Order& o : orders_) {
        browser.setLocator(o.number, o.locator.get());
        browser.setThumbStep(o.number, o.thumb.get());
    }

    std::string format;
    for (const YAML::Node& column : list["columns"]) {
        const std::string field = text(column["field"]);
        const FieldLocation at = locateField(field);
        if (!at.record || at.field < 0)
            throw std::invalid_argument("no field '" + field + "'");
        browser.addField(*at.record, field);
        format += formatOf(column);
    }
    control.setFormat(format);

    // A page is what the control shows: about one row per 8 dialog units
    // below its header.
    const int rows = list["rows"] ? list["rows"].as<int>() : (control.geometry().height - 10) / 8;
    browser.setPageSize(std::max(rows, 4));

    form_ = text(list["form"]);
    if (!form_.empty()) {
        browser.setUpdateProcedure(kUpdateProcedure);
        setUpdateProcedure(kUpdateProcedure, [this] { rt::Procedures::call(form_); });
    }

    menu_ = std::make_unique<ContextMenu>(control.number());
    browser.setContextMenu(menu_.get());
    ToolbarDispatcher::ListButtons targets;
    auto number = [this](const std::string& name) {
        const rt::Control* c = name.empty() ? nullptr : window().control(name);
        return c ? c->number() : 0;
    };
    targets.insert = number(b.insert);
    targets.change = number(b.change);
    targets.delete_ = number(b.delete_);
    targets.select = number(b.select);
    toolbar_.addListTarget(control.number(), targets);

    addComponent(browser);
    addComponent(*menu_);
    addComponent(toolbar_);
    return Benign;
}

bool ListWindow::openData(RelationSet& set)
{
    // A list without a form changes nothing: it opens the tables it reads, not
    // those its relation set would update with them.
    if (readOnly_) {
        if (set.access().open() != Benign)
            return false;
        openTables_.push_back(&set.access());
    } else {
        if (set.open() != Benign)
            return false;
        openSets_.push_back(&set);
    }
    return true;
}

bool ListWindow::takenByOpenInstance()
{
    auto& list = instances();
    const auto open = std::find_if(
        list.begin(), list.end(), [this](const Instance& i) { return text::equalsNoCase(i.procedure, name()); });
    if (open != list.end()) {
        rt::Scheduler::instance().post(open->thread, rt::Event{rt::event::GainFocus});
        return true;
    }
    list.push_back({name(), rt::Scheduler::instance().current()});
    registered_ = true;
    return false;
}

Level ListWindow::OnWindowEvent(const rt::Event& e)
{
    if (e.code == rt::event::GainFocus && hasWindow())
        window().activate(); // brought forward, and restored when minimised
    return WindowController::OnWindowEvent(e);
}

Level ListWindow::OnNewSelection(int control)
{
    if (const rt::Control* c = window().control(control); c && c->type() == rt::ControlType::Sheet) {
        followTab(*c);
        if (markTab_ && c == orderSheet())
            markCurrentTab();
        // The list is what a tab of the sheet is about.
        if (rt::Control* list = browser_->listControl(); list && !list->effectivelyHidden())
            window().select(*list);
    }
    return WindowController::OnNewSelection(control);
}

void ListWindow::RunEventLoop()
{
    // The remembered tab has come back by now.
    if (markTab_)
        markCurrentTab();
    WindowController::RunEventLoop();
}

void ListWindow::Refresh()
{
    showCount();
    WindowController::Refresh();
}

void ListWindow::showCount()
{
    // The whole table, whatever range or filter the list shows.
    if (countCaption_ && hasWindow() && reader_)
        window().setTitle(caption_ + std::to_string(reader_->access().table().records()) + " entries");
}

rt::Control* ListWindow::orderSheet() const
{
    for (const Order& o : orders_)
        if (const rt::Control* tab = o.tab.empty() ? nullptr : window().control(o.tab))
            if (tab->parent() && tab->parent()->type() == rt::ControlType::Sheet)
                return tab->parent();
    return nullptr;
}

void ListWindow::markCurrentTab()
{
    rt::Control* sheet = orderSheet();
    if (!sheet || sheet->children().empty())
        return;
    const int shown = std::clamp(sheet->selected(), 1, static_cast<int>(sheet->children().size()));
    rt::Control* tab = sheet->children()[static_cast<std::size_t>(shown - 1)];
    if (tab == marked_)
        return;
    if (marked_) {
        marked_->setFont(markedFont_);
        marked_->setText(std::string(text::trimRight(marked_->text())));
    }
    marked_ = tab;
    markedFont_ = tab->font();
    rt::FontDef bold = markedFont_;
    bold.bold = true;
    tab->setFont(std::move(bold));
    tab->setText(tab->text() + "   ");
}

void ListWindow::followCurrentTab()
{
    for (const Order& o : orders_)
        if (const rt::Control* tab = o.tab.empty() ? nullptr : window().control(o.tab))
            if (tab->parent() && tab->parent()->type() == rt::ControlType::Sheet) {
                followTab(*tab->parent());
                return;
            }
}

void ListWindow::followTab(const rt::Control& sheet)
{
    const int shown = sheet.selected() > 0 ? sheet.selected() : 1;
    if (shown > static_cast<int>(sheet.children().size()))
        return;
    const std::string& tab = sheet.children()[static_cast<std::size_t>(shown - 1)]->name();
    for (const Order& o : orders_)
        if (!o.tab.empty() && text::equalsNoCase(o.tab, tab)) {
            if (reader_->currentOrder() != o.number)
                browser_->setSort(o.number);
            return;
        }
}

void ListWindow::CleanUp()
{
    WindowController::CleanUp();
    marked_ = nullptr;
    for (auto it = openSets_.rbegin(); it != openSets_.rend(); ++it)
        (*it)->close();
    openSets_.clear();
    for (auto it = openTables_.rbegin(); it != openTables_.rend(); ++it)
        (*it)->close();
    openTables_.clear();
    if (registered_) {
        std::erase_if(instances(), [this](const Instance& i) { return text::equalsNoCase(i.procedure, name()); });
        registered_ = false;
    }
}

} // namespace qv::fw
