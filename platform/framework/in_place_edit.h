#pragma once
// Editing a list's row inside the list: entries laid over the highlighted
// row take the values of its columns, and the record is written back through
// its table access object. Lists of detail lines use it instead of a form.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/list_browser.h"
#include "platform/framework/relation_set.h"

namespace qv::fw {

class InPlaceEditManager : public WindowComponent
{
public:
    // The list's primary table is saved through set.
    InPlaceEditManager(ListBrowser& list, RelationSet& set);

    // An entry of the window (hidden until an edit starts) that edits one
    // field of the row, in the order Enter moves through them.
    void addColumn(std::string entryControl, std::string field);
    // The buttons that add a line, edit the highlighted one and delete it.
    void setButtons(std::string insert, std::string change, std::string del);
    // Height of a list row in dialog units (where the entries are laid).
    void setRowHeight(int dialogUnits) { rowHeight_ = dialogUnits; }

    // Add: a new record (its sequence numbered as it is added) is stored at
    // once and edited; a cancelled add takes it away again.
    bool beginInsert();
    bool beginChange();
    bool deleteRow();
    // Writes the entries into the record and the record back; false (and
    // still editing) when the table refused it.
    bool commit();
    void cancel();
    bool editing() const { return editing_; }

    void Prepare(WindowController& controller) override;
    void CleanUp() override;
    bool OnEvent(const rt::Event& e) override;

private:
    struct Column {
        std::string entry;
        std::string field;
    };
    void show(bool on);
    bool isEntry(int control) const;
    bool holdEdited();
    void nextOrCommit(int entry);
    int number(const std::string& name) const;

    ListBrowser& list_;
    RelationSet& set_;
    std::vector<Column> columns_;
    std::string insertName_, changeName_, deleteName_;
    int insert_ = 0, change_ = 0, delete_ = 0;
    int rowHeight_ = 10;
    WindowController* window_ = nullptr;
    bool editing_ = false;
    bool inserted_ = false;
    std::int64_t editedId_ = 0;
    std::vector<int> takenKeys_; // alert keys the editing added to the window
};

} // namespace qv::fw
