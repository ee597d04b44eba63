// The ordered child rows of every list that keeps them: each case is run on
// every list's table, key and completion, and the rows are read back through
// the table in key order.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "platform/tables/group.h"
#include "qvls/catalogue/record_swap.h"

namespace qv::qvls {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// The field that names a row, per table.
const std::map<std::string_view, const char*> kNameField{
    {"AlbumDetails", "ADT:DATALABEL"},
    {"Quorvel", "SNG:Title"},
    {"AddWizard", "AW:TITLE"},
    {"PlaylistDetails", "PLA:PlaylistNotes"},
    {"SongDetails", "SDT:DATALABEL"},
};

// The lines a failure message names the table and key with.
struct KeyLines {
    const char* table;
    std::vector<const char*> fields;
};
const std::map<std::string_view, KeyLines> kKeyLines{
    {"AlbumDetails", {"AlbumDetails, ADT:K_Album", {"Key Field ADT:AlbumID = ", "Key Field ADT:Sequence = "}}},
    {"Quorvel",
        {"Quorvel, SNG:KeyAlbumID",
            {"Key Field SNG:AlbumID = ", "Key Field SNG:Side = ", "Key Field SNG:TrackNumber = "}}},
    {"AddWizard",
        {"AddWizard, AW:KeyInstance", {"Key Field AW:Instance = ", "Key Field AW:Side = ", "Key Field AW:Track = "}}},
    {"PlaylistDetails",
        {"PlaylistDetails, PLA:KeyPlaylistID", {"Key Field PLA:PlaylistID = ", "Key Field PLA:PlaylistSeq = "}}},
    {"SongDetails", {"SongDetails, SDT:K_ID", {"Key Field SDT:ID = ", "Key Field SDT:Sequence = "}}},
};

std::string caseName(const ::testing::TestParamInfo<const SwapInstance*>& info)
{
    std::string name;
    for (char c : info.param->owner)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name + "_" + std::string(info.param->table);
}

std::vector<const SwapInstance*> instancesWhere(bool (*keep)(const SwapInstance&))
{
    std::vector<const SwapInstance*> out;
    for (const SwapInstance* i : swapInstances())
        if (keep(*i))
            out.push_back(i);
    return out;
}

class RecordSwap : public testing::CatalogueWindows, public ::testing::WithParamInterface<const SwapInstance*>
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        access = dictionary::accessOf(instance().table);
        ASSERT_NE(access, nullptr);
        ASSERT_EQ(access->open(), fw::Benign);
        const tables::TableDef& def = table().def();
        key = def.keyIndex(instance().key);
        parentField = def.fieldIndex(instance().parentField);
        sideField = instance().sideField.empty() ? -1 : def.fieldIndex(instance().sideField);
        seqField = def.fieldIndex(instance().sequenceField);
        nameField = def.fieldIndex(kNameField.at(instance().table));
        if (songs()) {
            // A song is checked against the media formats when it is written.
            ASSERT_EQ(dictionary::MediaAccess->open(), fw::Benign);
            ASSERT_EQ(dictionary::CategoriesAccess->open(), fw::Benign);
            add(dictionary::Media(), {{"MED:Media", "CD"}});
        }
    }

    const SwapInstance& instance() const { return *GetParam(); }
    tables::Table& table() const { return access->table(); }
    bool songs() const { return instance().table == "Quorvel"; }
    bool sided() const { return sideField >= 0; }

    // Rows named from `first` on, with these values, under a parent and a side.
    void fill(std::int64_t parent, const std::vector<std::int64_t>& values, int side = 1, char first = 'A')
    {
        tables::Record& r = table().record();
        // One commit for them all: a file synced per row makes the suite slow.
        ASSERT_EQ(table().group().begin(), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            r.clear();
            r.setInt(parentField, parent);
            if (sided())
                r.setInt(sideField, side);
            r.setString(nameField, std::string(1, static_cast<char>(first + i)));
            if (songs())
                r["SNG:Media"] = "CD";
            // Added above the range first: a value of 0 would be numbered.
            r.setInt(seqField, 200 + static_cast<std::int64_t>(i));
            ASSERT_EQ(table().insert(), 0) << tables::lastError().text;
            r.setInt(seqField, values[i]);
            ASSERT_EQ(table().update(), 0) << tables::lastError().text;
        }
        ASSERT_EQ(table().group().commit(), 0);
    }

    // "A:1 B:4 C:9": the rows of a parent and side in key order.
    std::string order(std::int64_t parent, int side = 1) const
    {
        std::string out;
        tables::Record& r = table().record();
        table().setOrder(key);
        while (table().next() == 0) {
            if (r.getInt(parentField) != parent || (sided() && r.getInt(sideField) != side))
                continue;
            if (!out.empty())
                out += ' ';
            out += r.getText(nameField) + ":" + std::to_string(r.getInt(seqField));
        }
        return out;
    }

    // The named row into the buffer, as a list re-reads its highlighted row.
    tables::Record load(std::int64_t parent, char name, int side = 1) const
    {
        tables::Record& r = table().record();
        table().setOrder(key);
        while (table().next() == 0)
            if (r.getInt(parentField) == parent && (!sided() || r.getInt(sideField) == side)
                && r.getText(nameField) == std::string(1, name))
                return r;
        ADD_FAILURE() << "no row " << name;
        return r;
    }

    std::string bufferName() const { return table().record().getText(nameField); }

    // On a thread of its own, as the owner's window runs it; every message is
    // noted and answered with OK.
    void run(const std::function<void()>& body)
    {
        host->start("Owner", body);
        while (rt::MessageBoxWindow* box = host->messageBox()) {
            EXPECT_FALSE(table().group().inTransaction()) << "message inside a transaction: " << box->text();
            titles.push_back(box->title());
            texts.push_back(box->text());
            host->answer(rt::button::Ok);
        }
    }

    std::vector<std::string> swapErrors() const
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < titles.size(); ++i)
            if (titles[i] == "Error!")
                out.push_back(texts[i]);
        return out;
    }

    // Makes the table file refuse one write, as another program's rule or a
    // failing disk would.
    void refuse(const std::string& when, const std::string& action)
    {
        const std::string seq = table().columnOf(seqField);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(table().filePath().c_str(), &db), SQLITE_OK);
        const std::string sql = "CREATE TRIGGER refuse BEFORE UPDATE ON " + tables::quoteId(table().def().storedName())
            + " WHEN " + when + " BEGIN " + action + "; END";
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }
    std::string seqColumn() const { return table().columnOf(seqField); }

    // The failure message's lines after the driver's text.
    std::string keyLines(std::int64_t parent, std::int64_t value, const char* section) const
    {
        const KeyLines& k = kKeyLines.at(instance().table);
        std::string out = std::string(k.table) + "\n" + k.fields[0] + std::to_string(parent) + "\n";
        if (k.fields.size() == 3)
            out += std::string(k.fields[1]) + "1\n";
        return out + k.fields.back() + std::to_string(value) + "\nSection = " + section;
    }

    RecordSwapClass swapper(std::int64_t parent) const
    {
        return RecordSwapClass(instance(), [parent] { return parent; });
    }

    fw::TableAccess* access = nullptr;
    int key = -1, parentField = -1, sideField = -1, seqField = -1, nameField = -1;
    std::vector<std::string> titles, texts;
};

enum class Op { Up, Down, Top, Bottom, Drag };

struct MoveCase {
    const char* what;
    std::vector<std::int64_t> values;
    char row;
    Op op;
    char onto; // Drag: 0 = no row; 'X' = a row of another side (or parent)
    const char* expected;
};

const std::vector<MoveCase> kMoves{
    {"up one exchanges two values", {1, 2, 3}, 'C', Op::Up, 0, "A:1 C:2 B:3"},
    {"down one", {1, 2, 3}, 'A', Op::Down, 0, "B:1 A:2 C:3"},
    {"to the top rotates the run", {1, 2, 3}, 'C', Op::Top, 0, "C:1 A:2 B:3"},
    {"to the bottom", {1, 2, 3}, 'A', Op::Bottom, 0, "B:1 C:2 A:3"},
    {"to the top from the middle leaves the rows below", {1, 2, 3, 4}, 'C', Op::Top, 0, "C:1 A:2 B:3 D:4"},
    {"gaps: up", {1, 4, 9}, 'C', Op::Up, 0, "A:1 C:4 B:9"},
    {"gaps: down", {1, 4, 9}, 'A', Op::Down, 0, "B:1 A:4 C:9"},
    {"gaps: to the top", {1, 4, 9}, 'C', Op::Top, 0, "C:1 A:4 B:9"},
    {"gaps: to the bottom", {1, 4, 9}, 'A', Op::Bottom, 0, "B:1 C:4 A:9"},
    {"a row valued 0 is shifted like any other", {0, 1}, 'B', Op::Up, 0, "B:0 A:1"},
    {"to the top over a row valued 0", {0, 1, 2}, 'C', Op::Top, 0, "C:0 A:1 B:2"},
    {"first row up", {1, 4, 9}, 'A', Op::Up, 0, "A:1 B:4 C:9"},
    {"last row down", {1, 4, 9}, 'C', Op::Down, 0, "A:1 B:4 C:9"},
    {"first row to the top", {1, 4, 9}, 'A', Op::Top, 0, "A:1 B:4 C:9"},
    {"last row to the bottom", {1, 4, 9}, 'C', Op::Bottom, 0, "A:1 B:4 C:9"},
    {"drag up lands directly below the drop row", {1, 2, 3, 4, 5}, 'E', Op::Drag, 'B', "A:1 B:2 E:3 C:4 D:5"},
    {"drag down", {1, 2, 3, 4, 5}, 'B', Op::Drag, 'D', "A:1 C:2 D:3 B:4 E:5"},
    {"drag up over gaps", {1, 4, 9, 12}, 'D', Op::Drag, 'A', "A:1 D:4 B:9 C:12"},
    {"drag down over gaps", {1, 4, 9, 12}, 'A', Op::Drag, 'C', "B:1 C:4 A:9 D:12"},
    {"drop on the row just above", {1, 2, 3}, 'C', Op::Drag, 'B', "A:1 B:2 C:3"},
    {"drop on the dragged row", {1, 2, 3}, 'B', Op::Drag, 'B', "A:1 B:2 C:3"},
    {"drop on no row", {1, 2, 3}, 'B', Op::Drag, 0, "A:1 B:2 C:3"},
    {"drop on a row of another list", {1, 2, 3}, 'C', Op::Drag, 'X', "A:1 B:2 C:3"},
};

TEST_P(RecordSwap, MovesPermuteTheRowsOverTheirValues)
{
    std::int64_t parent = 100;
    for (const MoveCase& c : kMoves) {
        SCOPED_TRACE(c.what);
        ++parent;
        fill(parent, c.values);
        // Neighbours that must stay as they are: another side, another parent.
        if (sided())
            fill(parent, {1, 2}, 2, 'X');
        else
            fill(parent + 1000, {1, 2}, 1, 'X');
        const std::string before = order(parent);
        const std::string others = sided() ? order(parent, 2) : order(parent + 1000);

        RecordSwapClass swap = swapper(parent);
        std::optional<tables::Record> onto;
        if (c.onto == 'X')
            onto = sided() ? load(parent, 'X', 2) : load(parent + 1000, 'X');
        else if (c.onto)
            onto = load(parent, c.onto);
        const tables::Record dragged = load(parent, c.row);
        titles.clear();
        run([&] {
            switch (c.op) {
            case Op::Up:
                return swap.MoveUp();
            case Op::Down:
                return swap.MoveDown();
            case Op::Top:
                return swap.MoveToTop();
            case Op::Bottom:
                return swap.MoveToBottom();
            case Op::Drag:
                return swap.DragMove(&dragged, onto ? &*onto : nullptr);
            }
        });

        // The buffer holds the row to show.
        EXPECT_EQ(bufferName(), std::string(1, c.row));
        const bool moves = c.op != Op::Drag || instance().drags;
        EXPECT_EQ(order(parent), moves ? c.expected : before);
        EXPECT_EQ(sided() ? order(parent, 2) : order(parent + 1000), others);
        EXPECT_TRUE(titles.empty()) << texts.front();
        EXPECT_FALSE(swap.failed());
        if (c.op != Op::Drag || (instance().drags && c.onto && c.onto != 'X' && c.onto != c.row)) {
            const std::string shown = std::string(1, c.row) + ":" + std::to_string(swap.lastValue());
            EXPECT_THAT(" " + order(parent) + " ", HasSubstr(" " + shown + " "));
        }
    }
}

TEST_P(RecordSwap, ARefusedParkingEndsTheMoveAtOnceWithOneMessage)
{
    fill(7, {1, 2, 3});
    // A clash on another rule of the table when the row is parked above the highest.
    refuse("NEW." + seqColumn() + " = 4", "SELECT RAISE(ABORT, 'refused')");
    RecordSwapClass swap = swapper(7);
    load(7, 'B');
    run([&] { swap.MoveDown(); });
    EXPECT_EQ(bufferName(), "B");

    EXPECT_EQ(order(7), "A:1 B:2 C:3");
    EXPECT_TRUE(swap.failed());
    ASSERT_EQ(swapErrors().size(), 1u);
    EXPECT_EQ(titles.back(), "Error!") << "the table's own message comes first";
    EXPECT_THAT(swapErrors()[0], StartsWith("Record swap error: \n"));
    EXPECT_THAT(swapErrors()[0], HasSubstr(keyLines(7, 4, "Put Swap Out (NKD)")));
    EXPECT_EQ(swap.lastValue(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    EveryList, RecordSwap, ::testing::ValuesIn(swapInstances().begin(), swapInstances().end()), caseName);

// A failure half-way through a transaction takes the whole move back.
using RecordSwapRollback = RecordSwap;

TEST_P(RecordSwapRollback, AFailedShiftTakesTheWholeMoveBack)
{
    fill(7, {1, 2, 3, 4, 5});
    refuse("OLD." + seqColumn() + " = 3 AND NEW." + seqColumn() + " = 4", "SELECT abs(-9223372036854775807 - 1)");
    RecordSwapClass swap = swapper(7);
    load(7, 'E');
    run([&] { swap.MoveToTop(); });
    EXPECT_EQ(bufferName(), "E");

    // Every row is there with its own value: none left parked or doubled.
    EXPECT_EQ(order(7), "A:1 B:2 C:3 D:4 E:5");
    EXPECT_TRUE(swap.failed());
    ASSERT_EQ(swapErrors().size(), 1u);
    EXPECT_THAT(swapErrors()[0], StartsWith("Record swap error: \ninteger overflow\n"));
    EXPECT_THAT(swapErrors()[0], HasSubstr(keyLines(7, 4, "Shift Stage")));
    EXPECT_EQ(swap.lastValue(), 5);

    // The table is free again: the next move goes through.
    titles.clear();
    load(7, 'B');
    run([&] { swap.MoveUp(); });
    EXPECT_EQ(order(7), "B:1 A:2 C:3 D:4 E:5");
    EXPECT_TRUE(titles.empty());
}

INSTANTIATE_TEST_SUITE_P(TransactionLists, RecordSwapRollback,
    ::testing::ValuesIn(
        instancesWhere([](const SwapInstance& i) { return i.completion == SwapCompletion::Transaction; })),
    caseName);

// The lists whose update procedure adds and deletes rows.
using RecordSwapHooks = RecordSwap;

struct InsertCase {
    const char* what;
    std::vector<std::int64_t> values;
    char highlighted; // 0: the list is empty
    int response;
    const char* expected;
    std::int64_t shown;
    int side = 1; // where the new row is added
};

const std::vector<InsertCase> kInserts{
    {"below the second of five", {1, 2, 3, 4, 5}, 'B', 1, "A:1 B:2 N:3 C:4 D:5 E:6", 3},
    {"below a row among gaps", {1, 4, 9}, 'A', 1, "A:1 N:4 B:9 C:10", 4},
    {"below the last row nothing moves", {1, 2, 3}, 'C', 1, "A:1 B:2 C:3 N:4", 4},
    {"into an empty list", {}, 0, 1, "N:1", 1},
    {"cancelled", {1, 2, 3}, 'A', 2, "A:1 B:2 C:3", 1},
    {"on another side than the highlighted row it stays last there", {1, 2, 3}, 'A', 1, "A:1 B:2 C:3", 3, 2},
};

TEST_P(RecordSwapHooks, ANewRowIsPlacedBelowTheHighlightedRow)
{
    std::int64_t parent = 100;
    for (const InsertCase& c : kInserts) {
        if (c.side != 1 && !sided())
            continue;
        SCOPED_TRACE(c.what);
        ++parent;
        fill(parent, c.values);
        if (sided())
            fill(parent, {1, 2}, 2, 'X');
        RecordSwapClass swap = swapper(parent);
        std::optional<tables::Record> highlighted;
        if (c.highlighted)
            highlighted = load(parent, c.highlighted);
        titles.clear();
        run([&] {
            swap.beforeInsert(highlighted ? &*highlighted : nullptr);
            // The update procedure adds the row, numbered one above the highest.
            if (c.response == 1) {
                tables::Record& r = table().record();
                r.clear();
                r.setInt(parentField, parent);
                if (sided())
                    r.setInt(sideField, c.side);
                r.setString(nameField, "N");
                if (songs())
                    r["SNG:Media"] = "CD";
                ASSERT_EQ(access->Insert(), fw::Benign);
            }
            swap.afterInsert(c.response);
        });
        EXPECT_EQ(order(parent), c.expected);
        if (sided()) {
            EXPECT_EQ(order(parent, 2), c.side == 2 ? "X:1 Y:2 N:3" : "X:1 Y:2");
        }
        EXPECT_EQ(swap.lastValue(), c.shown);
        EXPECT_TRUE(titles.empty());
    }
}

struct DeleteCase {
    const char* what;
    std::vector<std::int64_t> values;
    char deleted;
    int side;
    int response;
    const char* expected;
    std::int64_t shown; // the row before the deleted one, or the first
};

const std::vector<DeleteCase> kDeletes{
    {"the third of five", {1, 2, 3, 4, 5}, 'C', 1, 1, "A:1 B:2 D:3 E:4", 2},
    {"the first row", {1, 2, 3}, 'A', 1, 1, "B:1 C:2", 1},
    {"among gaps", {1, 4, 9}, 'B', 1, 1, "A:1 C:4", 1},
    {"the last row", {1, 2, 3}, 'C', 1, 1, "A:1 B:2", 2},
    {"the first of rows from 0", {0, 1, 2}, 'A', 1, 1, "B:0 C:1", 0},
    {"a song of the second side closes the gap there", {1, 2, 3}, 'B', 2, 1, "A:1 C:2", 1},
    {"refused", {1, 2, 3}, 'B', 1, 2, "A:1 B:2 C:3", 2},
};

TEST_P(RecordSwapHooks, ADeletedRowLeavesNoGap)
{
    std::int64_t parent = 100;
    for (const DeleteCase& c : kDeletes) {
        if (c.side != 1 && !sided())
            continue;
        SCOPED_TRACE(c.what);
        ++parent;
        // The side the delete is on, and one beside it that keeps its values.
        const int beside = c.side == 1 ? 2 : 1;
        fill(parent, c.values, c.side);
        if (sided())
            fill(parent, {1, 3}, beside, 'X');
        RecordSwapClass swap = swapper(parent);
        tables::Record highlighted = load(parent, c.deleted, c.side);
        titles.clear();
        run([&] {
            swap.beforeDelete(&highlighted);
            if (c.response == 1) {
                load(parent, c.deleted, c.side);
                ASSERT_EQ(access->deleteRecord(), fw::Benign);
            }
            swap.afterDelete(c.response);
        });
        EXPECT_EQ(order(parent, c.side), c.expected);
        if (sided()) {
            EXPECT_EQ(order(parent, beside), "X:1 Y:3");
        }
        EXPECT_EQ(swap.lastValue(), c.shown);
        EXPECT_TRUE(titles.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(EditedLists, RecordSwapHooks,
    ::testing::ValuesIn(instancesWhere([](const SwapInstance& i) { return i.renumbers; })), caseName);

TEST(RecordSwapInstances, EachNamesTheComponentsOfItsKey)
{
    for (const SwapInstance* i : swapInstances()) {
        SCOPED_TRACE(std::string(i->owner));
        tables::TableDef def;
        for (const tables::TableDef& d : schema::all())
            if (d.label == i->table)
                def = d;
        ASSERT_GE(def.keyIndex(i->key), 0);
        std::vector<std::string> declared;
        for (const std::string& c : def.keys[static_cast<std::size_t>(def.keyIndex(i->key))].components)
            declared.push_back(def.prefix + ":" + c);
        std::vector<std::string> named;
        for (std::string_view c : swapComponents(*i))
            named.emplace_back(c);
        EXPECT_EQ(named, declared);
        EXPECT_EQ(i->side == SwapSide::None, i->sideField.empty());
    }
}

} // namespace
} // namespace qv::qvls
