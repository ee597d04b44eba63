#pragma once
// A list over a view that holds one page of rows: the rows the list control
// can show, read around a position by key and moved a row or a page at a
// time. Insert, Change and Delete run the list's update procedure and then
// re-read the page around the record; a select list hands the highlighted
// record back.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/locators.h"
#include "platform/framework/thumb_step.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/list_source.h"
#include "platform/tables/record.h"

namespace qv::fw {

class ContextMenu;

class ListBrowser : public WindowComponent, public rt::ListSource
{
public:
    ListBrowser(ViewReader& reader, std::string listControl);
    ~ListBrowser() override;

    ViewReader& reader() const { return reader_; }
    WindowController* controller() const { return window_; }
    rt::Control* listControl() const { return list_; }

    // --- set-up, before the window opens
    // A column shown from a field of the primary table or of a table the
    // view joins; the row keeps a copy of every such record.
    int addField(tables::Record& record, std::string_view field);
    // A column whose text StoreRowFromBuffer computes (an override, or the
    // function given to setComputed).
    int addColumn();
    // The text of a computed column (0-based), made from the row's buffers.
    void setComputed(int column, std::function<std::string()> text) { computed_[column] = std::move(text); }
    // Records besides the primary one that a row keeps (joined tables).
    void addRowRecord(tables::Record& record);
    // Rows of one page: what the list control shows at once.
    void setPageSize(int rows) { pageSize_ = rows < 1 ? 1 : rows; }
    int pageSize() const { return pageSize_; }
    // Buttons by control name ("" for none).
    void setInsertControl(std::string name) { insertName_ = std::move(name); }
    void setChangeControl(std::string name) { changeName_ = std::move(name); }
    void setDeleteControl(std::string name) { deleteName_ = std::move(name); }
    void setSelectControl(std::string name) { selectName_ = std::move(name); }
    void setPrintControl(std::string name) { printName_ = std::move(name); }
    // Outside a selection the Select button is hidden, not only disabled.
    void setHideSelect(bool on) { hideSelect_ = on; }
    // The update procedure EditRecord runs (0: none; the buttons stay off).
    void setUpdateProcedure(int number) { updateProcedure_ = number; }
    // Per sort order: a locator and a thumb (not owned; may be shared).
    void setLocator(int order, Locator* locator);
    void setThumbStep(int order, ThumbStep* thumb);
    // Whether the list's keys (Insert, Delete, Enter, typed characters) are
    // taken over for the whole window. Keys are window-wide in the run time,
    // so by default only a window where nothing else takes typing gives its
    // keys to the list.
    enum class Keys { Auto, On, Off };
    void setKeys(Keys keys) { keys_ = keys; }
    // Drag and drop identifiers of the list ("" for none); given before the
    // window opens they replace the definition's, afterwards they apply at once.
    void setDragId(std::string id);
    void setDropId(std::string id);
    const std::string& dragId() const { return list_ ? list_->dragId() : dragId_; }
    const std::string& dropId() const { return list_ ? list_->dropId() : dropId_; }
    // What the window does when a row of this list is dragged away, and when
    // one is dropped on it.
    void setDragHandlers(std::function<void()> dragged, std::function<void()> dropped)
    {
        dragHandler_ = std::move(dragged);
        dropHandler_ = std::move(dropped);
    }
    // Rows of the page (1-based, 0 for none): where the drag started in this
    // list, and where it ended when this list is the target.
    int dragRow() const { return list_ ? list_->mouseDownRow() : 0; }
    int dropRow() const { return list_ ? list_->mouseUpRow() : 0; }
    // The context menu gets an item for each button the list has.
    void setContextMenu(ContextMenu* menu) { popup_ = menu; }
    ContextMenu* contextMenu() const { return popup_; }
    const std::string& insertControlName() const { return insertName_; }
    const std::string& deleteControlName() const { return deleteName_; }
    const std::string& selectControlName() const { return selectName_; }
    const std::string& changeControlName() const { return changeName_; }

    // --- WindowComponent
    void Prepare(WindowController& controller) override;
    void CleanUp() override;
    bool OnEvent(const rt::Event& e) override;
    void Refresh() override;
    void reloadSelectedRecord() override;
    void RegisterHotKeys() override;

    // --- rt::ListSource: the loaded page
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    int columnCount() const override { return columns_; }
    std::string cell(int row, int column) const override;

    // --- operations
    // An alert key on the list; true when handled.
    virtual bool OnKey(int keyCode);
    // Runs the update procedure with a request, re-reads before and
    // repositions after, and repeats while the form asks for the next or
    // previous record. Answers the last response.
    virtual int EditRecord(int request);
    // The highlighted row into the record buffers (cleared when empty).
    virtual void LoadRowToBuffer();
    // The buffers into a row: the records kept and the column texts.
    // Computed columns are set here by an override (after this version).
    virtual void StoreRowFromBuffer();
    // Buttons on and off by the rows there are.
    virtual void UpdateControls();
    // Re-applies the current sort order (filters and range included) and
    // reloads around the highlighted record.
    virtual void ReapplySort();
    // Changes the order; the highlighted record stays highlighted.
    void setSort(int order);
    int RowCount() const { return rowCount(); }
    int selectedRow() const;
    // Highlights row (1-based) and posts a new selection for the list.
    void SelectRowAndNotify(int row);
    bool selecting() const { return selecting_; }
    void setSelecting(bool on) { selecting_ = on; }

    enum class Where { Top, Bottom };
    void scrollTo(Where where);
    // One row or one page on; false at the end of the view.
    bool moveRows(int delta);
    bool movePage(bool forward);
    // The first row whose free key field is at or after value (in the order).
    void locate(std::string_view value);
    // Re-reads the page so that the record now in the primary buffer is on it
    // and highlighted (or, if it left the view, its neighbour).
    void resetFromBuffer();
    // Thumb: the highlighted row's place 0..100, and a move of it.
    int thumbPosition();
    void scrollToThumb(int percent);

    // A row's kept copy of a record (the primary one is 0).
    const tables::Record& rowRecord(int row, int index = 0) const;
    // The column texts of the row being stored: StoreRowFromBuffer overrides
    // write computed columns here.
    std::vector<std::string>& storing();
    // An insert whose new record starts from the highlighted one's values.
    int copyRecord();
    // Every record of the view from its start, in its order, filters and
    // range, as the column texts a row would show; onRow answers false to
    // stop. The page and the highlighted record's buffers stay as they were.
    // Answers the records handed over.
    long forEachRecord(const std::function<bool(const std::vector<std::string>& cells)>& onRow);

protected:
    // Drag and drop on the list (events 18, 19): the source gets Dragging,
    // the target Drop. By default the window's handlers run.
    virtual void onDrag()
    {
        if (dragHandler_)
            dragHandler_();
    }
    virtual void onDrop()
    {
        if (dropHandler_)
            dropHandler_();
    }
    // The text the drop hands over: set by the source in onDrag, read by
    // the target in onDrop.
    std::string dropText() const { return list_ ? list_->dropText() : std::string(); }
    void setDropText(std::string text)
    {
        if (list_)
            list_->setDropText(std::move(text));
    }
    // The record put into the buffers by LoadRowToBuffer has been re-read
    // from the table; false when it is gone.
    bool rereadRecord();

private:
    struct Column {
        tables::Record* record = nullptr; // nullptr: computed
        int field = -1;
    };
    struct Row {
        std::vector<tables::Record> records;
        std::vector<std::string> cells;
    };

    Row readRow();
    void putRow(const Row& row);
    void setRows(std::vector<Row> rows, int selected);
    void keepSpare(std::vector<Row>::iterator from, std::vector<Row>::iterator to);
    void loadFrom(bool fromStart);
    void loadAround(const tables::Record& target, int wantedIndex);
    int readBefore(const tables::Record& from, int n, std::vector<Row>& out);
    int readAfter(const tables::Record& from, int n, std::vector<Row>& out);
    void afterMove();
    void resetLocator();
    Locator* locator() const;
    ThumbStep* thumb() const;
    int control(const std::string& name) const;
    void press(int control);
    bool keysOnWindow() const;
    int selectedIndex() const;
    void reload();
    void moveForNavigation(int navRequest);

    ViewReader& reader_;
    std::string listName_;
    WindowController* window_ = nullptr;
    rt::Control* list_ = nullptr;
    std::vector<Column> columns_v_;
    int columns_ = 0;
    std::vector<tables::Record*> rowRecords_; // [0] is the primary buffer
    std::vector<Row> rows_;
    std::vector<Row> spareRows_; // rows left by an earlier page, reused by the next read
    Row* storingRow_ = nullptr;
    bool copyPending_ = false;
    int pageSize_ = 20;
    std::string insertName_, changeName_, deleteName_, selectName_, printName_;
    int insert_ = 0, change_ = 0, delete_ = 0, select_ = 0, print_ = 0;
    bool hideSelect_ = false;
    bool selecting_ = false;
    int updateProcedure_ = 0;
    std::vector<Locator*> locators_;
    std::vector<ThumbStep*> thumbs_;
    Keys keys_ = Keys::Auto;
    std::string dragId_, dropId_;
    ContextMenu* popup_ = nullptr;
    mutable std::map<const tables::TableDef*, std::unique_ptr<tables::Record>> blankRecords_;
    bool editing_ = false;
    std::function<void()> dragHandler_, dropHandler_;
    std::map<int, std::function<std::string()>> computed_;
};

} // namespace qv::fw
