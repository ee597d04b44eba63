#pragma once
// The child rows of one parent in the order the user chooses: move buttons,
// drag and drop inside the list, a new row placed below the highlighted one
// and the gap of a deleted row closed. The order is the last component of a
// key whose leading components name the parent (and, for songs, the side);
// rows are only ever rewritten one at a time through the table's access
// object, the moving row parked one above the highest value meanwhile.

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/table_access.h"
#include "platform/tables/errors.h"
#include "platform/tables/record.h"

namespace qv::qvls {

// How the writes of one operation are completed.
enum class SwapCompletion { Transaction, Flush, None };

// Where the side component's value comes from while an operation runs.
enum class SwapSide {
    None, // the key has no side
    MovedRow, // the side of the row being moved (or, on delete, of the highlighted row)
    Filled, // the side the owner fills, set with setFixedSide
    One, // always side 1
};

// One list that keeps its rows in order: which table, key and fields, and
// what the owner uses of it.
struct SwapInstance {
    std::string_view owner;
    std::string_view table; // label
    std::string_view key; // the ordering key
    std::string_view parentField; // answered by the owner's parent function
    std::string_view sideField; // empty when SwapSide::None
    SwapSide side = SwapSide::None;
    std::string_view sequenceField;
    SwapCompletion completion = SwapCompletion::None;
    bool renumbers = false; // renumbering with the owner's insert and delete hooks
    bool drags = false;
};

inline constexpr SwapInstance kAlbumDetailsSwap{"UpdateAlbum", "AlbumDetails", "ADT:K_Album", "ADT:AlbumID", "",
    SwapSide::None, "ADT:Sequence", SwapCompletion::Transaction, false, true};
// The album's songs move in a transaction too: a write refused halfway would
// otherwise leave two songs on one track.
inline constexpr SwapInstance kAlbumSongsSwap{"UpdateAlbum", "Quorvel", "SNG:KeyAlbumID", "SNG:AlbumID", "SNG:Side",
    SwapSide::MovedRow, "SNG:TrackNumber", SwapCompletion::Transaction, true, true};
inline constexpr SwapInstance kAddSingleArtistSwap{"AddSingleArtist", "AddWizard", "AW:KeyInstance", "AW:Instance",
    "AW:Side", SwapSide::One, "AW:Track", SwapCompletion::Flush, false, false};
inline constexpr SwapInstance kAddCompilationSwap{"AddCompilation", "AddWizard", "AW:KeyInstance", "AW:Instance",
    "AW:Side", SwapSide::One, "AW:Track", SwapCompletion::Flush, false, false};
inline constexpr SwapInstance kCddbWizardSwap{"CDDBWizard", "Quorvel", "SNG:KeyAlbumID", "SNG:AlbumID", "SNG:Side",
    SwapSide::MovedRow, "SNG:TrackNumber", SwapCompletion::Flush, true, false};
inline constexpr SwapInstance kAlbumWizardSwap{"AlbumWizard", "Quorvel", "SNG:KeyAlbumID", "SNG:AlbumID", "SNG:Side",
    SwapSide::Filled, "SNG:TrackNumber", SwapCompletion::Transaction, false, false};
inline constexpr SwapInstance kPlaylistEntriesSwap{"UpdatePlaylist", "PlaylistDetails", "PLA:KeyPlaylistID",
    "PLA:PlaylistID", "", SwapSide::None, "PLA:PlaylistSeq", SwapCompletion::Transaction, true, true};
inline constexpr SwapInstance kMultiCompilationSwap{"ToolMultiCompilationWizard", "Quorvel", "SNG:KeyAlbumID",
    "SNG:AlbumID", "SNG:Side", SwapSide::Filled, "SNG:TrackNumber", SwapCompletion::Transaction, false, true};
inline constexpr SwapInstance kSongDetailsSwap{"UpdateSong", "SongDetails", "SDT:K_ID", "SDT:ID", "", SwapSide::None,
    "SDT:Sequence", SwapCompletion::Transaction, false, true};
inline constexpr SwapInstance kFreeDatabaseSwap{"CDDBWizard:FreeDB", "Quorvel", "SNG:KeyAlbumID", "SNG:AlbumID",
    "SNG:Side", SwapSide::MovedRow, "SNG:TrackNumber", SwapCompletion::Flush, true, false};

// Every instance the program has.
const std::array<const SwapInstance*, 10>& swapInstances();

// The key components of an instance in key order: parent, side (if any), sequence.
std::vector<std::string_view> swapComponents(const SwapInstance& instance);

class RecordSwapClass
{
public:
    // parent answers the value of the first parent component (the album's id,
    // the playlist's, the song's, the wizard's instance number).
    RecordSwapClass(const SwapInstance& instance, std::function<std::int64_t()> parent);

    const SwapInstance& instance() const { return instance_; }

    // The side a filling wizard keeps (1 until set).
    void setFixedSide(int side) { fixedSide_ = side; }

    // On the row now in the table's record buffer.
    void MoveUp();
    void MoveDown();
    void MoveToTop();
    void MoveToBottom();

    // A drag inside the list: the rows under the mouse when it went down and
    // when it came up (nullptr: no row). The dragged row lands directly below
    // the row it was dropped on.
    void DragMove(const tables::Record* dragged, const tables::Record* droppedOn);

    // Around the list's update procedure: the highlighted row before (nullptr:
    // the list is empty), the procedure's answer after (1: done).
    void beforeInsert(const tables::Record* highlighted);
    void afterInsert(int response);
    void beforeDelete(const tables::Record* highlighted);
    void afterDelete(int response);

    // The sequence value of the row to show now; the buffer holds that row.
    std::int64_t lastValue() const { return last_; }
    // A failure was reported by the last operation.
    bool failed() const { return error_; }

private:
    static constexpr std::int64_t kNoBound = std::numeric_limits<std::int64_t>::min();

    enum Mode : int {
        Up = 1,
        Down = 2,
        Top = 3,
        Bottom = 4,
        Place = 5,
        Renumbering = 6,
        DragUp = 7,
        DragDown = 8,
    };

    struct Table {
        fw::TableAccess* access = nullptr;
        int key = -1, parent = -1, side = -1, sequence = -1;
        std::int64_t lowest = 0, highest = 0;
        tables::Record& record() const { return access->record(); }
    };
    bool resolve(Table& t) const;

    void move(Mode mode);
    void renumber(Table& t);
    void setLowKey(Table& t);
    void setHighKey(Table& t);
    void positionAt(Table& t, std::int64_t value);
    void readNeighbour(Table& t);
    void checkParent(Table& t);
    bool startSwap(Table& t);
    void finishSwap(Table& t);
    bool write(Table& t);
    void reportSwapError(Table& t, std::string_view stage);
    std::int64_t sequenceOf(Table& t) const { return t.record().getInt(t.sequence); }
    std::int64_t sideOf(const Table& t, const tables::Record& r) const;

    const SwapInstance& instance_;
    std::function<std::int64_t()> parent_;
    int fixedSide_ = 1;

    // Working fields of one operation.
    int mode_ = 0;
    std::int64_t lowerBound_ = kNoBound;
    std::int64_t swapOut_ = 0, free_ = 0, last_ = 0;
    std::int64_t dropValue_ = 0;
    bool error_ = false, done_ = false;
    std::int64_t parentValue_ = 0, side_ = 0;

    // Between an owner's before- and after-hook.
    bool placing_ = false, below_ = false, closing_ = false;
    std::int64_t highlighted_ = 0, renumberFrom_ = 0, heldSide_ = 0;

    // Inside a transaction nothing waits for the user: messages are kept and
    // shown once it has ended.
    bool ownsTransaction_ = false, deferring_ = false, wasSilent_ = false;
    struct Pending {
        std::string title, text;
        bool framework = false; // the table's own message
    };
    std::vector<Pending> pending_;
    tables::ErrorState failure_;
};

} // namespace qv::qvls
