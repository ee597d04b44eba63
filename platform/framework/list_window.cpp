#include "platform/framework/list_window.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include <yaml-cpp/yaml.h>

#include "platform/framework/declared_list.h"
#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/dialogs.h"
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

std::string text(const YAML::Node& n, std::string_view fallback = {})
{
    return n ? n.as<std::string>() : std::string(fallback);
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
    // The first page is read in the order of the tab the sheet shows at first, so the
    // list opens at that order's top (a tab changed later keeps its highlighted record).
    if (const rt::Control* sheet = orderSheet())
        if (const int order = tabOrder(*sheet); order != 0)
            list_->reader().setCurrentOrder(order);
    openWindow();

    // The context menu's own items come after those of the buttons.
    list_->addMenuItems(*declaration_);
    beside_.addMenuItems();
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
        listControl_ = declaredControl(list["control"]);
    readOnly_ = !list["form"];
    list_ = std::make_unique<DeclaredList>(*this);
    const Level read = list_->read(
        list, listControl_, [this](RelationSet& set) { return openData(set, readOnly_); },
        [this](ViewReader& reader, const std::string& control, const ListButtons& buttons) {
            return makeBrowser(reader, control, buttons);
        });
    if (read != Benign)
        return read;
    const Level beside = beside_.read(
        list["lists"], [this](RelationSet& set, const YAML::Node& node) { return openData(set, !node["buttons"]); },
        [this](ViewReader& reader, const std::string& control, const ListButtons& buttons) {
            return makeBrowser(reader, control, buttons);
        });
    if (beside != Benign)
        return beside;
    ListBrowser& browser = list_->browser();
    browser.setHideSelect(true);
    const ListButtons& b = list_->buttons();
    if (!b.close.empty()) {
        addResponseButton(b.close, response::Cancelled);
        // A lookup is left without choosing: its close button says so.
        if (request() == request::Select) {
            rt::Control& close = window()[b.close];
            close.setText("Cancel");
            close.setProperty(rt::prop::Icon, "cancel.png");
        }
    }

    form_ = text(list["form"]);
    if (!form_.empty()) {
        browser.setUpdateProcedure(kUpdateProcedure);
        setUpdateProcedure(kUpdateProcedure, [this] {
            if (rt::Procedures::call(form_))
                return;
            // No form ran: nothing was saved, whatever the last form answered.
            handover().response = response::Cancelled;
            rt::message("The form " + form_ + " is not available.", "Not Available", rt::Icon::Exclamation);
        });
    }

    ToolbarDispatcher::ListButtons targets;
    auto number = [this](const std::string& name) {
        const rt::Control* c = name.empty() ? nullptr : window().control(name);
        return c ? c->number() : 0;
    };
    targets.insert = number(b.insert);
    targets.change = number(b.change);
    targets.delete_ = number(b.delete_);
    targets.select = number(b.select);
    toolbar_.addListTarget(window()[listControl_].number(), targets);
    addComponent(toolbar_);
    return Benign;
}

bool ListWindow::openData(RelationSet& set, bool readOnly)
{
    // A list without a form changes nothing: it opens the tables it reads, not
    // those its relation set would update with them.
    if (readOnly) {
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

Level ListWindow::OnEvent(const rt::Event& e)
{
    const Level l = WindowController::OnEvent(e);
    // A form the list ran (every one is started by a press) may have added
    // or deleted records.
    if (e.code == rt::event::Accepted)
        showCount();
    if (hasWindow())
        beside_.followParents();
    return l;
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
        if (rt::Control* list = list_->browser().listControl(); list && !list->effectivelyHidden())
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
    beside_.followParents();
}

void ListWindow::showCount()
{
    // The whole table, whatever range or filter the list shows.
    if (!countCaption_ || !hasWindow() || !list_)
        return;
    std::string title = caption_ + std::to_string(list_->reader().access().table().records()) + " entries";
    if (title != window().title())
        window().setTitle(std::move(title));
}

rt::Control* ListWindow::orderSheet() const
{
    for (const DeclaredList::Order& o : list_->orders())
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
    for (const DeclaredList::Order& o : list_->orders())
        if (const rt::Control* tab = o.tab.empty() ? nullptr : window().control(o.tab))
            if (tab->parent() && tab->parent()->type() == rt::ControlType::Sheet) {
                followTab(*tab->parent());
                return;
            }
}

int ListWindow::tabOrder(const rt::Control& sheet) const
{
    const int shown = sheet.selected() > 0 ? sheet.selected() : 1;
    if (shown > static_cast<int>(sheet.children().size()))
        return 0;
    const std::string& tab = sheet.children()[static_cast<std::size_t>(shown - 1)]->name();
    for (const DeclaredList::Order& o : list_->orders())
        if (!o.tab.empty() && text::equalsNoCase(o.tab, tab))
            return o.number;
    return 0;
}

void ListWindow::followTab(const rt::Control& sheet)
{
    if (const int order = tabOrder(sheet); order != 0 && list_->reader().requestedOrder() != order)
        list_->browser().setSort(order);
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
