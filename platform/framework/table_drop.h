#pragma once
// Drop lists filled from a small table in key order: choosing a row puts the
// chosen record into the table's buffer and its value field into the
// control's use variable. The combo form also takes typed text.

#include <string>
#include <vector>

#include "platform/framework/window_controller.h"
#include "platform/runtime/list_source.h"
#include "platform/tables/record.h"

namespace qv::fw {

class TableAccess;

class TableDropList : public WindowComponent
{
public:
    // shown: the field the list shows; value: the field written into the use
    // variable named by useName ("" for the control's own use name).
    TableDropList(TableAccess& access, int key, std::string control, std::string shown, std::string value,
        std::string useName = {});

    void Prepare(WindowController& controller) override;
    void CleanUp() override;
    bool OnEvent(const rt::Event& e) override;
    void Refresh() override;
    void reloadSelectedRecord() override;

    int RowCount() const { return rows_.rowCount(); }
    // Reads the table again (the list keeps every row: the table is small).
    void reload();

protected:
    // The row chosen (1-based): buffer and use variable.
    virtual void takeChoice(int row);
    // Typed text that names no row; the combo keeps it.
    virtual void takeText(const std::string&) { }
    int findValue(const std::string& value, bool byShown) const;
    std::string useValue() const;
    void setUseValue(const std::string& value);
    void showCurrent();

    TableAccess& access_;
    int key_;
    std::string controlName_, useName_;
    int shown_, value_;
    WindowController* window_ = nullptr;
    rt::Control* control_ = nullptr;
    rt::ListQueue rows_{1};
    std::vector<tables::Record> records_;
};

class TableDropCombo : public TableDropList
{
public:
    using TableDropList::TableDropList;
    bool OnEvent(const rt::Event& e) override;

protected:
    void takeText(const std::string& text) override;
};

} // namespace qv::fw
