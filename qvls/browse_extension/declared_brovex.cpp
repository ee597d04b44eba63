#include "qvls/browse_extension/declared_brovex.h"

#include <yaml-cpp/yaml.h>

#include "platform/framework/context_menu.h"
#include "platform/framework/declared_list.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/list_window.h"
#include "platform/framework/view_reader.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"

namespace qv::qvls {

namespace {

constexpr const char* kFilterName = "Brovex";

} // namespace

DeclaredBrovex::DeclaredBrovex(fw::ListWindow& window, fw::DeclaredList& target, const YAML::Node& declaration)
    : window_(window)
    , target_(target)
{
    const YAML::Node brovex = declaration["brovex"];
    flags_.mask = brovex["mask"] ? brovex["mask"].as<long>() : 0;
    replace_ = brovex["replace"] && brovex["replace"].as<bool>();
    visual_ = brovex["mark"] ? brovex["mark"].as<std::string>() : ">Header";
    flags_.titleText = brovex["title"] ? brovex["title"].as<std::string>() : "";
    allowResize_ = brovex["resize"] && brovex["resize"].as<bool>();
    definitions_ = brovexColumnDefinitions(declaration["columns"]);
}

DeclaredBrovex::~DeclaredBrovex() = default;

void DeclaredBrovex::attach()
{
    fw::ListBrowser& browse = target_.browser();
    rt::Control& control = window_.window()[target_.controlName()];
    listName_ = control.name();
    list_.AttachBrowse(*this, window_, browse, flags_, control, visual_,
        glo().positionFile.empty() ? std::string(kPositionFile) : glo().positionFile);
    list_.allowListResize(allowResize_);
    list_.upper = true;
    fileOrder_ = target_.reader().AddSortOrder(-1);
    list_.PrepareSortOrders(replace_);
    ownOrder_ = target_.reader().requestedOrder();
    SetupSortOrders();
    target_.reader().setOrderChoice([this](int requested) { return chooseOrder(requested); });
    for (const int key : {rt::key::withAlt(rt::key::F1 + 10), rt::key::withAlt(rt::key::F1 + 11), rt::key::withAlt('R'),
             rt::key::withAlt('M')})
        window_.window().alert(key);
}

void DeclaredBrovex::opened()
{
    list_.RestoreLayout(window_.name(), listName_);
    list_.ShowListMenu();
    if (fw::ContextMenu* menu = target_.browser().contextMenu())
        menu->setBeforeOpen([this] { return list_.BeforeListMenu(); });
    opened_ = true;
    window_.window().post(BrovexList::kOpened, list_.listControl().number());
}

bool DeclaredBrovex::OnEvent(const rt::Event& e)
{
    switch (e.code) {
    case rt::event::GainFocus:
    case rt::event::Sized:
        if (opened_)
            list_.ReadColumnState(true);
        return false;
    case rt::event::AlertKey:
        return e.control == 0 || e.control == list_.listControl().number() ? list_.TakeEvent(e.code, e.keyCode) : false;
    default:
        break;
    }
    if ((e.control != 0 && e.control != list_.listControl().number()) || e.code < BrovexList::kPressHeader
        || e.code > BrovexList::kOpened)
        return false;
    return list_.TakeEvent(e.code);
}

void DeclaredBrovex::closing()
{
    if (!opened_)
        return;
    list_.ClearSortMark();
    const BrovexColumn* current
        = list_.currentCol() >= 1 && list_.currentCol() <= static_cast<int>(list_.shown().size())
        ? &list_.shown()[static_cast<std::size_t>(list_.currentCol() - 1)]
        : nullptr;
    list_.SaveLayout(
        window_.name(), listName_, flags_.viewOrder ? flags_.sortColumn : 0, current ? current->ascDesc : 0);
    list_.Release();
    opened_ = false;
}

void DeclaredBrovex::restoreDesign()
{
    if (opened_)
        list_.ResetToDefault();
}

int DeclaredBrovex::AddSortOrder(int n)
{
    fw::ViewReader& reader = target_.reader();
    const int order = reader.AddOrderExpression({});
    // The n-th sortable column's field, for its locator.
    int sortable = 0;
    for (const BrovexColumnDefinition& d : definitions_)
        if (d.sortable && ++sortable == n) {
            if (d.locatorType == 'S') {
                locators_.push_back(std::make_unique<fw::TypedPrefixLocator>());
                target_.browser().setLocator(order, locators_.back().get());
            }
            break;
        }
    return order;
}

std::vector<BrovexColumnDefinition> DeclaredBrovex::DefineColumns()
{
    // A field of another table than the browsed one is a related table's.
    const std::string prefix = target_.reader().access().table().def().prefix;
    std::vector<BrovexColumnDefinition> out = definitions_;
    for (BrovexColumnDefinition& d : out) {
        const auto colon = d.field.find(':');
        if (d.viewField == 1 && colon != std::string::npos && !text::equalsNoCase(d.field.substr(0, colon), prefix))
            d.viewField = 2;
    }
    return out;
}

void DeclaredBrovex::SetupSortOrders()
{
    fw::ViewReader& reader = target_.reader();
    // "Do not sort" keeps the list's range as the header orders do.
    if (ownOrder_ > 0)
        reader.limitLike(fileOrder_, ownOrder_);
    for (const BrovexColumn& c : list_.all()) {
        if (c.sortField == 0)
            continue;
        for (int direction : {0, 1}) {
            const int order = c.sortField + direction;
            if (ownOrder_ > 0)
                reader.limitLike(order, ownOrder_);
            reader.setOrderExpressionKeepingRange(order, {});
            list_.AddOrderExpression(c, order, replace_, direction);
        }
    }
}

void DeclaredBrovex::SetOrderExpression(int order, const std::string& expression, bool replace)
{
    fw::ViewReader& reader = target_.reader();
    const std::string& now = reader.orderExpression(order);
    reader.setOrderExpressionKeepingRange(order, replace || now.empty() ? expression : now + "," + expression);
}

long DeclaredBrovex::CountRecords()
{
    fw::ViewReader& reader = target_.reader();
    const long n = static_cast<long>(reader.view().count());
    return n != 0 ? n : static_cast<long>(reader.access().table().records());
}

void DeclaredBrovex::RefreshBrowse()
{
    target_.browser().ReapplySort();
}

int DeclaredBrovex::chooseOrder(int requested)
{
    fw::ViewReader& reader = target_.reader();
    if (requested != ownOrder_ && requested != fileOrder_) {
        // The window's own order changed (a tab): the header sort ends with it.
        flags_.viewOrder = 0;
        flags_.fileOrder = 0;
        list_.ClearSortMark();
        ownOrder_ = requested;
        SetupSortOrders();
    }
    reader.setFilter(kFilterName, list_.FilterText());
    if (flags_.viewOrder == 1) {
        if (const int order = list_.CurrentSortOrder(); order != 0)
            return order;
        // No column to sort on: the window's own order, with no mark.
        flags_.viewOrder = 0;
    }
    return flags_.fileOrder == 1 ? fileOrder_ : ownOrder_;
}

} // namespace qv::qvls
