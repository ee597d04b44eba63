#include "platform/framework/form_controller.h"

#include <algorithm>

#include <yaml-cpp/yaml.h>

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/record.h"
#include "platform/text/case.h"

namespace qv::fw {

namespace {

std::string controlName(std::string name)
{
    return name.empty() || name.front() == '?' ? name : "?" + name;
}

// A use name's value and its setter; nothing when the name resolves to nothing.
std::string valueOf(const std::string& use)
{
    const auto b = resolveUse(use);
    return b ? b->get() : std::string();
}

void assign(const std::string& use, const std::string& value)
{
    if (const auto b = resolveUse(use))
        b->set(value);
}

// Not on a tab of a sheet that shows another tab.
bool onShownTab(const rt::Control& control)
{
    for (const rt::Control* c = &control; c && c->parent(); c = c->parent()) {
        const rt::Control* sheet = c->parent();
        if (c->type() != rt::ControlType::Tab || sheet->type() != rt::ControlType::Sheet)
            continue;
        const auto& tabs = sheet->children();
        const auto at = std::find(tabs.begin(), tabs.end(), c);
        if (at - tabs.begin() + 1 != std::max(sheet->selected(), 1))
            return false;
    }
    return true;
}

bool isBlank(std::string_view value)
{
    return value.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

FormController::FormController(std::string module, std::string procedure, RelationSet& primary)
    : WindowController(std::move(procedure))
    , module_(std::move(module))
    , primary_(primary)
{ }

void FormController::onField(rt::ControlId field, FieldHandler handler)
{
    fields_[field.number] = std::move(handler);
}

void FormController::lookup(Lookup spec)
{
    const Lookup& l = lookups_.emplace_back(std::move(spec));
    const std::size_t index = lookups_.size() - 1;
    onField(l.entry, [this, index] { return runLookup(lookups_[index], false); });
    if (l.button)
        onAccepted(*l.button, [this, index] { runLookup(lookups_[index], true); });
}

Level FormController::Prepare()
{
    if (const Level l = WindowController::Prepare(); l != Benign)
        return l;
    if (request() == request::None)
        setRequest(request::Insert);
    loadWindow(module_, name());

    YAML::Node lists;
    const auto& sections = window().def().sections;
    if (const auto it = sections.find("form"); it != sections.end()) {
        const YAML::Node form = YAML::Load(it->second);
        if (form["ok"])
            okName_ = controlName(form["ok"].as<std::string>());
        if (form["cancel"])
            cancelName_ = controlName(form["cancel"].as<std::string>());
        if (form["history"]) {
            const auto key = rt::key::fromName(form["history"].as<std::string>());
            if (!key)
                throw rt::DefinitionError("window " + module_ + "/" + name() + ": unknown history key");
            historyKey_ = *key;
        }
        static const std::pair<const char*, int> kRequests[]
            = {{"insert", request::Insert}, {"change", request::Change}, {"view", request::Select}};
        if (const YAML::Node captions = form["captions"])
            for (const auto& [key, request] : kRequests)
                if (captions[key])
                    captions_[request] = captions[key].as<std::string>();
        if (form["lists"])
            lists.reset(form["lists"]);
    }

    addResponseButton(cancelName_, response::Cancelled);
    setPrimary(primary_, okName_);
    setHistoryKey(historyKey_);
    if (const Level l = PrepareRecordAction(); l != Benign)
        return l; // a delete was asked and done; the window never opens
    if (const auto it = captions_.find(request()); it != captions_.end())
        window().setTitle(it->second);
    if (request() == request::Change)
        enableRecordNavigation();
    if (const Level l = readLists(lists); l != Benign)
        return l;
    if (const Level l = prepareForm(); l != Benign)
        return l;
    openWindow();
    lists_.addMenuItems();
    // A list on a tab not shown has taken the focus as it opened: the form
    // starts on its first field.
    if (const rt::Control* focus = window().focus(); !focus || focus->effectivelyHidden() || !onShownTab(*focus))
        if (rt::Control* first = window().firstFocusable())
            window().select(*first);
    if (request() == request::Change)
        restoreNavigationFocus();
    if (viewing())
        showOnly();
    formOpened();
    return Benign;
}

Level FormController::readLists(const YAML::Node& lists)
{
    try {
        return lists_.read(
            lists,
            [this](RelationSet& set, const YAML::Node&) {
                if (set.open() != Benign)
                    return false;
                listSets_.push_back(&set);
                return true;
            },
            [this](ViewReader& reader, const std::string& control, const ListButtons& buttons) {
                return makeListBrowser(reader, control, buttons);
            });
    } catch (const YAML::Exception& e) {
        throw rt::DefinitionError("window " + module_ + "/" + name() + ": lists: " + e.what());
    } catch (const std::invalid_argument& e) {
        throw rt::DefinitionError("window " + module_ + "/" + name() + ": lists: " + e.what());
    }
    return Benign;
}

std::unique_ptr<ListBrowser> FormController::makeListBrowser(
    ViewReader& reader, const std::string& listControl, const ListButtons&)
{
    return std::make_unique<ListBrowser>(reader, listControl);
}

DeclaredList& FormController::declaredList(std::string_view control) const
{
    if (DeclaredList* l = lists_.find(control))
        return *l;
    throw std::logic_error("the form declares no list " + std::string(control));
}

ListBrowser& FormController::list(std::string_view control) const
{
    return declaredList(control).browser();
}

Level FormController::OnNewSelection(int control)
{
    const rt::Control* sheet = window().control(control);
    if (sheet && sheet->type() == rt::ControlType::Sheet && sheet->selected() >= 1
        && sheet->selected() <= static_cast<int>(sheet->children().size())) {
        const rt::Control* tab = sheet->children()[static_cast<std::size_t>(sheet->selected() - 1)];
        rt::Control* shown = nullptr;
        lists_.forEach([&](const DeclaredList& l, const YAML::Node&) {
            if (rt::Control* c = l.browser().listControl();
                !shown && c && c->parent() == tab && !c->effectivelyHidden())
                shown = c;
        });
        if (shown)
            window().select(*shown);
    }
    return WindowController::OnNewSelection(control);
}

void FormController::CleanUp()
{
    WindowController::CleanUp();
    for (auto it = listSets_.rbegin(); it != listSets_.rend(); ++it)
        (*it)->close();
    listSets_.clear();
}

Level FormController::OnAccepted(int control)
{
    const rt::Control* ok = window().control(okName_);
    if (ok && control == ok->number()) {
        if (viewing()) {
            setResponse(response::Completed);
            endLoop();
            return Benign;
        }
        if (checkRequired() != 0 || beforeSave() != Benign || !validateAll())
            return User;
        return WindowController::OnAccepted(control);
    }
    if (const auto it = fields_.find(control); it != fields_.end() && !viewing()) {
        if (!it->second())
            window().select(*window().control(control));
        return Benign;
    }
    return WindowController::OnAccepted(control);
}

void FormController::Refresh()
{
    if (!validating_)
        WindowController::Refresh();
}

bool FormController::validateAll()
{
    rt::Window& w = window();
    w.update(); // what the user typed last is in the record before the handlers read it
    validating_ = true;
    w.setAcceptingAll(true);
    int refused = 0;
    for (const auto& [number, handler] : fields_)
        if (!handler()) {
            refused = number;
            break;
        }
    w.setAcceptingAll(false);
    validating_ = false;
    if (refused != 0) {
        w.select(*w.control(refused));
        return false;
    }
    return true;
}

bool FormController::runLookup(const Lookup& l, bool pressed)
{
    if (!l.table || l.copies.empty())
        return true;
    const auto& [shownField, formField] = l.copies.front();
    auto copyBack = [&l] {
        for (const auto& [from, to] : l.copies)
            assign(to, valueOf(from));
    };
    auto clearOthers = [&l] {
        for (std::size_t i = 1; i < l.copies.size(); ++i)
            assign(l.copies[i].second, "");
    };
    auto select = [&]() {
        handover().request = request::Select;
        const bool ran = rt::Procedures::call(l.procedure);
        const bool chosen = ran && handover().response == response::Completed;
        if (chosen)
            copyBack();
        return chosen;
    };

    auto then = [&l] { return !l.then || l.then(); };
    if (pressed) {
        ReloadSelectedRecords();
        assign(shownField, valueOf(formField));
        const bool chosen = select();
        Refresh();
        if (chosen)
            then();
        return true;
    }
    const std::string value = valueOf(formField);
    if (isBlank(value) && !l.blankOpensList) {
        clearOthers();
        return true;
    }
    assign(shownField, value);
    const int key = l.table->table().def().keyIndex(l.key);
    if (!isBlank(value) && key >= 0 && l.table->Fetch(key) == 0) {
        copyBack();
        Refresh();
        return then();
    }
    if (select()) {
        Refresh();
        return then();
    }
    if (l.cancelClears)
        clearOthers();
    window().display();
    return false;
}

void FormController::restoreNavigationFocus()
{
    Handover& h = handover();
    if (h.navFocus == 0)
        return;
    if (rt::Control* c = window().control(h.navFocus); c && !c->effectivelyHidden())
        window().select(*c);
    h.navFocus = 0;
}

void FormController::showOnly()
{
    // Only the buttons that close stay live: a view saves nothing, its
    // lists' buttons included.
    const rt::Control* ok = window().control(okName_);
    const rt::Control* cancel = window().control(cancelName_);
    for (const auto& c : window().controls())
        if ((!c->def().use.empty() || c->type() == rt::ControlType::Button) && c.get() != ok && c.get() != cancel)
            c->setEnabled(false);
}

} // namespace qv::fw
