#pragma once
// What a list control shows: rows of column texts. A list control never
// copies its rows; the host asks for the cells it draws, so a source may
// be a small in-memory queue or a page of a view over a huge table.

#include <string>
#include <vector>

namespace qv::rt {

class ListObserver
{
public:
    virtual ~ListObserver() = default;
    virtual void listReset() = 0;
    virtual void rowsChanged(int first, int last) = 0;
    // The source is going away; an observer must stop reading it.
    virtual void sourceDestroyed() { }
};

class ListSource
{
public:
    virtual ~ListSource();
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    // row and column are 0-based; out of range gives an empty text.
    virtual std::string cell(int row, int column) const = 0;

    void addObserver(ListObserver* o);
    void removeObserver(ListObserver* o);

protected:
    void notifyReset();
    void notifyRowsChanged(int first, int last);

private:
    std::vector<ListObserver*> observers_;
};

// An in-memory queue of rows, the common case for small lists.
class ListQueue : public ListSource
{
public:
    explicit ListQueue(int columns = 1)
        : columns_(columns)
    { }

    int rowCount() const override { return static_cast<int>(rows_.size()); }
    int columnCount() const override { return columns_; }
    std::string cell(int row, int column) const override;

    void append(std::vector<std::string> row);
    void insert(int at, std::vector<std::string> row);
    void set(int row, std::vector<std::string> values);
    void remove(int row);
    void clear();
    const std::vector<std::string>& row(int r) const { return rows_.at(r); }

private:
    int columns_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace qv::rt
