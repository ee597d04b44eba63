#pragma once
// A list of a form whose rows keep the user's order: its four move buttons,
// a row dragged inside the list and dropped on another, and the placing of
// rows its update procedure adds or deletes.

#include <functional>
#include <string>

#include "platform/framework/list_browser.h"
#include "platform/framework/window_controller.h"
#include "qvls/catalogue/record_swap.h"

namespace qv::qvls {

class OrderedList : public fw::WindowComponent
{
public:
    struct Buttons {
        rt::ControlId up, top, down, bottom;
    };
    OrderedList(fw::ListBrowser& list, RecordSwapClass& swap, Buttons buttons);

    // Around the list's update procedure, for the lists whose rows a form
    // adds and deletes: the new row lands below the highlighted one, and a
    // deleted row leaves no gap.
    void beforeEdit(int request);
    void afterEdit(int request, int response);

    // Rows dragged away carry their `field` as the drop text, and a row of
    // another list dropped here goes to `dropped` with its text.
    void takeDrops(std::string field, std::function<void(const std::string&)> dropped)
    {
        dropField_ = std::move(field);
        foreignDrop_ = std::move(dropped);
    }

    void Prepare(fw::WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

private:
    void move(void (RecordSwapClass::*operation)());
    void showMoved();
    const tables::Record* row(int pageRow) const;

    fw::ListBrowser& list_;
    RecordSwapClass& swap_;
    Buttons buttons_;
    fw::WindowController* window_ = nullptr;
    tables::Record dragged_;
    bool dragging_ = false;
    std::string dropField_;
    std::function<void(const std::string&)> foreignDrop_;
};

} // namespace qv::qvls
