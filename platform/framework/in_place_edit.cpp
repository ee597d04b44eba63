#include "platform/framework/in_place_edit.h"

#include "platform/framework/table_access.h"
#include "platform/runtime/keycodes.h"

namespace qv::fw {

InPlaceEditManager::InPlaceEditManager(ListBrowser& list, RelationSet& set)
    : list_(list)
    , set_(set)
{ }

void InPlaceEditManager::addColumn(std::string entryControl, std::string field)
{
    columns_.push_back(Column{std::move(entryControl), std::move(field)});
}

void InPlaceEditManager::setButtons(std::string insert, std::string change, std::string del)
{
    insertName_ = std::move(insert);
    changeName_ = std::move(change);
    deleteName_ = std::move(del);
}

int InPlaceEditManager::number(const std::string& name) const
{
    const rt::Control* c = name.empty() || !window_ ? nullptr : window_->window().control(name);
    return c ? c->number() : 0;
}

void InPlaceEditManager::Prepare(WindowController& controller)
{
    window_ = &controller;
    insert_ = number(insertName_);
    change_ = number(changeName_);
    delete_ = number(deleteName_);
    show(false);
}

void InPlaceEditManager::show(bool on)
{
    rt::Window& w = window_->window();
    const rt::Control* list = list_.listControl();
    const int row = std::max(list_.selectedRow(), 1);
    tables::Record& r = set_.access().record();
    bool first = true;
    for (const Column& c : columns_) {
        rt::Control* e = w.control(c.entry);
        if (!e)
            continue;
        if (on) {
            if (list) {
                // Over the row, below the list's header.
                rt::Rect at = e->geometry();
                at.y = list->geometry().y + row * rowHeight_;
                e->setGeometry(at);
            }
            e->setValue(rt::formatPicture(r.getText(r.def().fieldIndex(c.field)), e->picture()));
        }
        e->setHidden(!on);
        if (on && first)
            w.select(*e);
        first = false;
    }
    if (!on && list)
        w.select(*const_cast<rt::Control*>(list));
    // Enter moves through the entries and Esc gives up, while a row is
    // edited: the window's own use of the keys waits.
    for (const int key : {rt::key::Enter, rt::key::Esc}) {
        if (on && !w.alertKeys().count(key)) {
            w.alert(key);
            takenKeys_.push_back(key);
        }
    }
    if (!on) {
        for (const int key : takenKeys_)
            w.unalert(key);
        takenKeys_.clear();
    }
}

bool InPlaceEditManager::beginInsert()
{
    if (editing_ || !window_)
        return false;
    list_.reader().ClearForNew();
    if (set_.access().Insert() != Benign)
        return false;
    editedId_ = set_.access().record().recordId;
    list_.resetFromBuffer();
    inserted_ = true;
    editing_ = true;
    show(true);
    return true;
}

bool InPlaceEditManager::beginChange()
{
    if (editing_ || !window_ || list_.RowCount() == 0)
        return false;
    list_.reloadSelectedRecord();
    editedId_ = set_.access().record().recordId;
    inserted_ = false;
    editing_ = true;
    show(true);
    return true;
}

bool InPlaceEditManager::deleteRow()
{
    if (editing_ || !window_ || list_.RowCount() == 0)
        return false;
    list_.reloadSelectedRecord();
    const bool gone = set_.deleteRecord(true) == Benign;
    list_.Refresh();
    return gone;
}

bool InPlaceEditManager::commit()
{
    if (!editing_)
        return false;
    rt::Window& w = window_->window();
    if (!holdEdited())
        return false;
    tables::Record& r = set_.access().record();
    for (const Column& c : columns_)
        if (const rt::Control* e = w.control(c.entry))
            r.setString(r.def().fieldIndex(c.field), rt::deformatPicture(e->value(), e->picture()));
    if (set_.access().Update() != Benign)
        return false; // the entries stay for another try
    editing_ = false;
    show(false);
    list_.resetFromBuffer();
    return true;
}

void InPlaceEditManager::cancel()
{
    if (!editing_)
        return;
    editing_ = false;
    show(false);
    if (inserted_ && holdEdited()) {
        // The added line was only there to be edited.
        set_.deleteRecord(false);
    }
    inserted_ = false;
    list_.Refresh();
}

bool InPlaceEditManager::holdEdited()
{
    // The buffer is shared with the list's rows and every window: the line
    // edited is the one read again by its id.
    tables::Table& t = set_.access().table();
    return t.record().recordId == editedId_ || t.fetchRecord(editedId_) == 0;
}

void InPlaceEditManager::CleanUp()
{
    // A line still being edited as the window closes was never finished: an
    // added one goes again.
    if (editing_)
        cancel();
    window_ = nullptr;
}

bool InPlaceEditManager::isEntry(int control) const
{
    for (const Column& c : columns_)
        if (number(c.entry) == control)
            return true;
    return false;
}

void InPlaceEditManager::nextOrCommit(int entry)
{
    // The next entry, or the row is written after the last one.
    for (std::size_t i = 0; i + 1 < columns_.size(); ++i)
        if (number(columns_[i].entry) == entry) {
            if (rt::Control* next = window_->window().control(columns_[i + 1].entry))
                window_->window().select(*next);
            return;
        }
    commit();
}

bool InPlaceEditManager::OnEvent(const rt::Event& e)
{
    if (!window_)
        return false;
    if (editing_) {
        if (e.code == rt::event::AlertKey && e.keyCode == rt::key::Esc) {
            cancel();
            return true;
        }
        if (e.code == rt::event::AlertKey && e.keyCode == rt::key::Enter) {
            nextOrCommit(window_->window().focus() ? window_->window().focus()->number() : 0);
            return true;
        }
        if (e.code == rt::event::Accepted && isEntry(e.control)) {
            nextOrCommit(e.control);
            return true;
        }
        // While a row is being edited the list's own buttons wait.
        if (e.code == rt::event::Accepted && (e.control == insert_ || e.control == change_ || e.control == delete_))
            return true;
        // Anything else the user does (another row, a move, a tab, OK)
        // writes the line first; a line the table refuses keeps the user.
        const bool acts = e.code == rt::event::Accepted || e.code == rt::event::NewSelection
            || e.code == rt::event::Dragging || e.code == rt::event::Drop;
        if (acts && e.control != 0 && !isEntry(e.control))
            return !commit();
        return false;
    }
    if (e.code != rt::event::Accepted || e.control == 0)
        return false;
    if (e.control == insert_)
        return beginInsert(), true;
    if (e.control == change_)
        return beginChange(), true;
    if (e.control == delete_)
        return deleteRow(), true;
    return false;
}

} // namespace qv::fw
