#include "qvls/catalogue/list_format_saver.h"

#include "platform/framework/ini_store.h"
#include "platform/runtime/events.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/settings.h"

namespace qv::qvls {

namespace {
// The text the file can hold for a format: at most 4096 characters, without
// the outer blanks the file drops. Comparing this form keeps a layout that
// went through the file equal to its design.
std::string storable(std::string_view format)
{
    std::u32string c = text::toChars(text::trim(format));
    if (c.size() > ListFormatSaver::kMaxFormat)
        c.resize(ListFormatSaver::kMaxFormat);
    return std::string(text::trim(text::fromChars(c)));
}
} // namespace

ListFormatSaver::ListFormatSaver(
    fw::IniStore& store, std::string procedure, std::vector<std::string> lists, bool keepsTab)
    : store_(store)
    , procedure_(std::move(procedure))
    , lists_(std::move(lists))
    , keepsTab_(keepsTab)
{ }

bool ListFormatSaver::visible(const rt::Control& control)
{
    for (const rt::Control* c = &control; c; c = c->parent()) {
        if (c->hidden())
            return false;
        const rt::Control* sheet = c->parent();
        if (c->type() == rt::ControlType::Tab && sheet && sheet->type() == rt::ControlType::Sheet) {
            int index = 0;
            for (const rt::Control* tab : sheet->children()) {
                if (tab->type() == rt::ControlType::Tab)
                    ++index;
                if (tab == c)
                    break;
            }
            const int shown = sheet->selected() > 0 ? sheet->selected() : 1;
            if (index != shown)
                return false;
        }
    }
    return true;
}

bool ListFormatSaver::tabKept(rt::Window& window) const
{
    const rt::Control* sheet = window.control(kSheet);
    // A wizard's steps are not a tab to come back to.
    return keepsTab_ && settings().SaveLastTab == 1 && sheet && sheet->property(rt::prop::Wizard) != "1";
}

void ListFormatSaver::Restore(rt::Window& window)
{
    designs_.clear();
    restored_ = true;
    for (const std::string& name : lists_) {
        rt::Control* list = window.control(name);
        if (!list)
            continue;
        const std::string design = list->format();
        designs_.push_back({name, list->number(), design});
        const std::string original = store_.Fetch(procedure_, originalKeyOf(name), kUnknown);
        if (storable(original) != storable(design)) {
            store_.Update(procedure_, originalKeyOf(name), storable(design));
            store_.Update(procedure_, keyOf(name), storable(design));
            continue;
        }
        std::string saved = design;
        store_.fetchInto(procedure_, keyOf(name), saved);
        if (saved != list->format())
            list->setFormat(saved);
    }
    if (tabKept(window)) {
        const std::string tab = store_.Fetch(procedure_, kTabKey);
        rt::Control& sheet = *window.control(kSheet);
        int tabs = 0;
        for (const rt::Control* c : sheet.children())
            tabs += c->type() == rt::ControlType::Tab;
        // A number the sheet has no tab for is left alone.
        if (!tab.empty()) {
            const int n = std::atoi(tab.c_str());
            if (n >= 1 && n <= tabs)
                sheet.setSelected(n);
        }
    }
    window.alert(kRestoreDesignKey);
}

void ListFormatSaver::Save(rt::Window& window)
{
    if (!restored_ || !window.isOpen())
        return;
    if (tabKept(window)) {
        const rt::Control& sheet = *window.control(kSheet);
        store_.Update(procedure_, kTabKey, std::to_string(sheet.selected() > 0 ? sheet.selected() : 1));
    }
    for (const std::string& name : lists_)
        if (const rt::Control* list = window.control(name))
            store_.Update(procedure_, keyOf(name), storable(list->format()));
}

void ListFormatSaver::RestoreDesign(rt::Window& window)
{
    for (const DesignFormat& d : designs_) {
        rt::Control* list = window.control(d.control);
        if (!list || !visible(*list))
            continue;
        list->setFormat(d.format);
        window.post(rt::event::NewSelection, d.control);
    }
}

bool ListFormatSaver::onAlertKey(rt::Window& window, int keyCode)
{
    if (keyCode != kRestoreDesignKey)
        return false;
    RestoreDesign(window);
    return true;
}

} // namespace qv::qvls
