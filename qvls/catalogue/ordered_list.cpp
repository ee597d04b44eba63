#include "qvls/catalogue/ordered_list.h"

#include "platform/framework/handover.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"

namespace qv::qvls {

OrderedList::OrderedList(fw::ListBrowser& list, RecordSwapClass& swap, Buttons buttons)
    : list_(list)
    , swap_(swap)
    , buttons_(buttons)
    , dragged_(list.reader().record())
{ }

void OrderedList::Prepare(fw::WindowController& controller)
{
    window_ = &controller;
    list_.setDragHandlers(
        [this] {
            // The rows of the page may change before the drop arrives.
            const tables::Record* from = row(list_.dragRow());
            dragging_ = from != nullptr;
            if (!from)
                return;
            dragged_ = *from;
            if (rt::Control* c = list_.listControl(); c && !dropField_.empty())
                c->setDropText(std::string(text::trimRight(from->getText(from->def().fieldIndex(dropField_)))));
        },
        [this] {
            if (!dragging_) {
                // A row of another list: the window takes it.
                if (rt::Control* c = list_.listControl(); c && foreignDrop_)
                    foreignDrop_(c->dropText());
                return;
            }
            dragging_ = false;
            swap_.DragMove(&dragged_, row(list_.dropRow()));
            showMoved();
        });
}

const tables::Record* OrderedList::row(int pageRow) const
{
    return pageRow >= 1 && pageRow <= list_.RowCount() ? &list_.rowRecord(pageRow) : nullptr;
}

bool OrderedList::OnEvent(const rt::Event& e)
{
    // The list's own drop comes right after its drag and never reaches
    // here: a drag that went to another list is over.
    dragging_ = false;
    if (!window_ || e.code != rt::event::Accepted || e.control == 0)
        return false;
    const std::pair<rt::ControlId, void (RecordSwapClass::*)()> moves[]
        = {{buttons_.up, &RecordSwapClass::MoveUp}, {buttons_.top, &RecordSwapClass::MoveToTop},
            {buttons_.down, &RecordSwapClass::MoveDown}, {buttons_.bottom, &RecordSwapClass::MoveToBottom}};
    for (const auto& [button, operation] : moves)
        if (e.control == button.number) {
            move(operation);
            return true;
        }
    return false;
}

void OrderedList::move(void (RecordSwapClass::*operation)())
{
    if (list_.RowCount() == 0)
        return;
    window_->ReloadSelectedRecords();
    (swap_.*operation)();
    showMoved();
}

void OrderedList::showMoved()
{
    // The class leaves the row to show in the buffer.
    list_.resetFromBuffer();
    if (rt::Control* c = list_.listControl())
        window_->window().select(*c);
}

void OrderedList::beforeEdit(int request)
{
    const tables::Record* highlighted = row(list_.selectedRow());
    if (request == fw::request::Insert)
        swap_.beforeInsert(highlighted);
    else if (request == fw::request::Delete)
        swap_.beforeDelete(highlighted);
}

void OrderedList::afterEdit(int request, int response)
{
    if (request == fw::request::Insert)
        swap_.afterInsert(response);
    else if (request == fw::request::Delete)
        swap_.afterDelete(response);
}

} // namespace qv::qvls
