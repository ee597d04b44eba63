#include "qvls/catalogue/record_swap.h"

#include <stdexcept>
#include <tuple>
#include <utility>

#include "platform/runtime/dialogs.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {

std::int64_t powerOfTen(int digits)
{
    std::int64_t p = 1;
    for (int i = 0; i < digits && i < 18; ++i)
        p *= 10;
    return p;
}

// The range a field can hold, so a high or low key really is past every row.
std::pair<std::int64_t, std::int64_t> rangeOf(const tables::FieldDef& f)
{
    switch (f.type) {
    case tables::FieldType::Byte:
        return {0, 255};
    case tables::FieldType::Short:
        return {std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
    case tables::FieldType::Decimal: {
        const std::int64_t top = powerOfTen(f.digits() - f.places) - 1;
        return {-top, top};
    }
    default:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    }
}

} // namespace

const std::array<const SwapInstance*, 10>& swapInstances()
{
    static const std::array<const SwapInstance*, 10> all{&kAlbumDetailsSwap, &kAlbumSongsSwap, &kAddSingleArtistSwap,
        &kAddCompilationSwap, &kCddbWizardSwap, &kAlbumWizardSwap, &kPlaylistEntriesSwap, &kMultiCompilationSwap,
        &kSongDetailsSwap, &kFreeDatabaseSwap};
    return all;
}

std::vector<std::string_view> swapComponents(const SwapInstance& instance)
{
    std::vector<std::string_view> c{instance.parentField};
    if (!instance.sideField.empty())
        c.push_back(instance.sideField);
    c.push_back(instance.sequenceField);
    return c;
}

RecordSwapClass::RecordSwapClass(const SwapInstance& instance, std::function<std::int64_t()> parent)
    : instance_(instance)
    , parent_(std::move(parent))
{ }

bool RecordSwapClass::resolve(Table& t) const
{
    t.access = dictionary::accessOf(instance_.table);
    if (!t.access)
        return false;
    const tables::TableDef& def = t.access->table().def();
    t.key = def.keyIndex(instance_.key);
    t.parent = def.fieldIndex(instance_.parentField);
    t.side = instance_.sideField.empty() ? -1 : def.fieldIndex(instance_.sideField);
    t.sequence = def.fieldIndex(instance_.sequenceField);
    if (t.key < 0 || t.parent < 0 || t.sequence < 0 || (!instance_.sideField.empty() && t.side < 0))
        throw std::logic_error(
            std::string(instance_.owner) + ": the order does not match " + std::string(instance_.key));
    std::tie(t.lowest, t.highest) = rangeOf(def.fields[static_cast<std::size_t>(t.sequence)]);
    return true;
}

std::int64_t RecordSwapClass::sideOf(const Table& t, const tables::Record& r) const
{
    switch (instance_.side) {
    case SwapSide::MovedRow:
        return r.getInt(t.side);
    case SwapSide::Filled:
        return fixedSide_;
    case SwapSide::One:
        return 1;
    case SwapSide::None:
        break;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// positioning

void RecordSwapClass::setLowKey(Table& t)
{
    tables::Record& r = t.record();
    r.clear();
    r.setInt(t.parent, parentValue_);
    if (t.side >= 0)
        r.setInt(t.side, side_);
    r.setInt(t.sequence, t.lowest);
}

void RecordSwapClass::setHighKey(Table& t)
{
    setLowKey(t);
    t.record().setInt(t.sequence, t.highest);
}

void RecordSwapClass::positionAt(Table& t, std::int64_t value)
{
    setLowKey(t);
    t.record().setInt(t.sequence, value);
    t.access->setPosition(t.key);
    readNeighbour(t);
}

void RecordSwapClass::readNeighbour(Table& t)
{
    done_ = false;
    const int r = (mode_ % 2 == 1) ? t.access->TryPrevious() : t.access->TryNext();
    if (r != 0) {
        done_ = true;
        return;
    }
    checkParent(t);
    if (mode_ == DragUp && sequenceOf(t) <= dropValue_)
        done_ = true;
    if (mode_ == DragDown && sequenceOf(t) > dropValue_)
        done_ = true;
}

void RecordSwapClass::checkParent(Table& t)
{
    const tables::Record& r = t.record();
    if (r.getInt(t.parent) != parentValue_ || (t.side >= 0 && r.getInt(t.side) != side_))
        done_ = true;
}

// ---------------------------------------------------------------------------
// completion and failures

bool RecordSwapClass::startSwap(Table& t)
{
    error_ = false;
    pending_.clear();
    ownsTransaction_ = deferring_ = false;
    if (instance_.completion != SwapCompletion::Transaction)
        return true;
    tables::Group& group = t.access->table().group();
    if (group.inTransaction())
        return true; // the caller's transaction decides
    if (group.begin(1) != 0) {
        error_ = true;
        t.access->RaiseStoredError(fw::Msg::AbortTransaction);
        return false;
    }
    ownsTransaction_ = deferring_ = true;
    wasSilent_ = t.access->reporter().silent();
    t.access->reporter().setSilent(true);
    return true;
}

void RecordSwapClass::finishSwap(Table& t)
{
    if (ownsTransaction_) {
        tables::Group& group = t.access->table().group();
        if (!error_ && group.commit() != 0) {
            error_ = true;
            failure_ = tables::lastError();
            reportSwapError(t, "Commit");
        }
        if (error_)
            group.rollback();
        ownsTransaction_ = false;
    }
    if (deferring_) {
        deferring_ = false;
        t.access->reporter().setSilent(wasSilent_);
        for (const Pending& p : pending_)
            rt::message(p.text, p.title, p.framework ? rt::Icon::Exclamation : rt::Icon::None, rt::button::Ok);
    }
    pending_.clear();
}

bool RecordSwapClass::write(Table& t)
{
    failure_ = tables::ErrorState{};
    fw::ErrorReporter& reporter = t.access->reporter();
    const int shown = reporter.messageCount();
    bool ok = t.access->validateRecord() == fw::Benign;
    if (ok) {
        const int r = t.access->table().update();
        ok = r == 0;
        if (!ok) {
            // Kept before the message: a record changed by another station is re-read for it.
            failure_ = tables::lastError();
            t.access->raiseWriteError(r, fw::Msg::UpdateFailed);
        }
    }
    if (!ok) {
        error_ = true;
        if (deferring_ && reporter.messageCount() != shown)
            pending_.push_back({reporter.lastTitle(), reporter.lastText(), true});
    }
    return ok;
}

void RecordSwapClass::reportSwapError(Table& t, std::string_view stage)
{
    if (failure_.code == 0)
        return;
    error_ = true;
    const tables::Record& r = t.record();
    std::string text = "Record swap error: |";
    text += failure_.code == tables::FileSystemError && !failure_.osText.empty() ? failure_.osText : failure_.text;
    text += "|" + std::string(instance_.table) + ", " + std::string(instance_.key);
    for (std::string_view field : swapComponents(instance_))
        text += "|Key Field " + std::string(field) + " = " + std::to_string(r.getInt(r.def().fieldIndex(field)));
    text += "|Section = " + std::string(stage);
    if (deferring_)
        pending_.push_back({"Error!", std::move(text), false});
    else
        rt::message(text, "Error!", rt::Icon::None, rt::button::Ok);
}

// ---------------------------------------------------------------------------
// operations

void RecordSwapClass::MoveUp()
{
    move(Up);
}
void RecordSwapClass::MoveDown()
{
    move(Down);
}
void RecordSwapClass::MoveToTop()
{
    move(Top);
}
void RecordSwapClass::MoveToBottom()
{
    move(Bottom);
}

void RecordSwapClass::move(Mode mode)
{
    Table t;
    if (!resolve(t))
        return;
    mode_ = mode;
    tables::Record& r = t.record();
    const std::int64_t origin = r.getInt(t.sequence);
    free_ = origin;
    last_ = origin;
    parentValue_ = parent_();
    side_ = sideOf(t, r);
    if (!startSwap(t))
        return;

    // Nothing to do: the row is gone, or already first, last or below the drop row.
    positionAt(t, free_);
    const bool found = !done_ && sequenceOf(t) == free_;
    if (found)
        readNeighbour(t);
    if (!found || done_ || sequenceOf(t) <= lowerBound_) {
        finishSwap(t);
        positionAt(t, origin);
        return;
    }

    setHighKey(t);
    t.access->setPosition(t.key);
    const bool highest = t.access->ReadPrevious() == fw::Benign;
    swapOut_ = sequenceOf(t) + 1;
    if (!highest || swapOut_ > t.highest) {
        // A full range has no parking value left: the rows stay as they are.
        error_ = true;
        finishSwap(t);
        positionAt(t, origin);
        return;
    }

    setLowKey(t);
    r.setInt(t.sequence, free_);
    t.access->TryFetch(t.key);
    r.setInt(t.sequence, swapOut_);
    if (!write(t)) {
        const bool otherKey
            = failure_.code == tables::DuplicateKey && failure_.key != r.def().keys[std::size_t(t.key)].description;
        reportSwapError(t, otherKey ? "Put Swap Out (NKD)" : "Put Swap Out");
        finishSwap(t);
        positionAt(t, origin);
        return;
    }

    const bool rollsBack = instance_.completion == SwapCompletion::Transaction;
    positionAt(t, free_);
    while (!done_) {
        const std::int64_t v = sequenceOf(t);
        if (v == swapOut_ || v <= lowerBound_)
            break;
        last_ = v;
        r.setInt(t.sequence, free_);
        if (!write(t)) {
            reportSwapError(t, "Shift Stage");
            if (rollsBack)
                break; // all of it goes back anyway
        }
        if (mode_ < Top)
            break;
        readNeighbour(t);
        free_ = last_;
    }

    if (!(error_ && rollsBack)) {
        if (done_ || sequenceOf(t) != swapOut_) {
            setLowKey(t);
            r.setInt(t.sequence, swapOut_);
            if (t.access->TryFetch(t.key) != 0) {
                failure_ = tables::lastError();
                reportSwapError(t, "Prepare for Final Move");
            }
        }
        r.setInt(t.sequence, last_);
        if (!write(t))
            reportSwapError(t, "Final Move");
    }

    finishSwap(t);
    if (error_ && rollsBack)
        last_ = origin;
    positionAt(t, last_);
}

void RecordSwapClass::DragMove(const tables::Record* dragged, const tables::Record* droppedOn)
{
    if (!instance_.drags || !dragged || !droppedOn || dragged == droppedOn)
        return;
    Table t;
    if (!resolve(t))
        return;
    if (dragged->recordId != 0 && dragged->recordId == droppedOn->recordId)
        return;
    // Only rows of this list: the same parent and, for songs, the same side.
    const std::int64_t parent = parent_();
    if (dragged->getInt(t.parent) != parent || droppedOn->getInt(t.parent) != parent)
        return;
    if (t.side >= 0 && dragged->getInt(t.side) != droppedOn->getInt(t.side))
        return;
    const std::int64_t from = dragged->getInt(t.sequence);
    dropValue_ = droppedOn->getInt(t.sequence);
    if (from == dropValue_)
        return;
    t.record() = *dragged;
    move(dropValue_ < from ? DragUp : DragDown);
    dropValue_ = 0;
}

// ---------------------------------------------------------------------------
// the owner's hooks

void RecordSwapClass::beforeInsert(const tables::Record* highlighted)
{
    error_ = false;
    placing_ = false;
    Table t;
    if (!instance_.renumbers || !resolve(t))
        return;
    placing_ = true;
    below_ = highlighted != nullptr;
    if (highlighted) {
        highlighted_ = highlighted->getInt(t.sequence);
        heldSide_ = sideOf(t, *highlighted);
    }
}

void RecordSwapClass::afterInsert(int response)
{
    if (!placing_)
        return;
    placing_ = false;
    Table t;
    if (!resolve(t))
        return;
    if (response != 1) {
        if (below_)
            last_ = highlighted_;
        return;
    }
    const std::int64_t fresh = sequenceOf(t);
    last_ = fresh;
    // A row added on another side than the highlighted one stays where it
    // was numbered: the highlighted row says nothing of its place.
    if (!below_ || fresh == highlighted_ + 1 || sideOf(t, t.record()) != heldSide_)
        return;
    // The new row was numbered after the last one: walk it up to the highlighted row.
    mode_ = Place;
    t.access->setPosition(t.key);
    if (t.access->TryNext() != 0)
        return;
    lowerBound_ = highlighted_;
    move(Place);
    lowerBound_ = kNoBound;
}

void RecordSwapClass::beforeDelete(const tables::Record* highlighted)
{
    error_ = false;
    closing_ = false;
    if (!instance_.renumbers || !highlighted)
        return;
    Table t;
    if (!resolve(t))
        return;
    renumberFrom_ = highlighted->getInt(t.sequence);
    heldSide_ = sideOf(t, *highlighted);
    closing_ = true;
}

void RecordSwapClass::afterDelete(int response)
{
    if (!closing_)
        return;
    closing_ = false;
    Table t;
    if (!resolve(t))
        return;
    if (response != 1) {
        last_ = renumberFrom_;
        return;
    }
    const std::int64_t deleted = renumberFrom_;
    parentValue_ = parent_();
    side_ = heldSide_;
    if (sequenceOf(t) != deleted - 1) {
        mode_ = Renumbering;
        renumber(t);
    }
    // The row before the deleted one, else the first row.
    mode_ = Up;
    done_ = true;
    if (deleted - 1 >= t.lowest)
        positionAt(t, deleted - 1);
    if (done_) {
        mode_ = Down;
        positionAt(t, t.lowest);
    }
    last_ = done_ ? 0 : sequenceOf(t);
}

void RecordSwapClass::renumber(Table& t)
{
    if (!startSwap(t))
        return;
    const bool rollsBack = instance_.completion == SwapCompletion::Transaction;
    setLowKey(t);
    t.record().setInt(t.sequence, renumberFrom_);
    t.access->setPosition(t.key);
    for (;;) {
        readNeighbour(t);
        if (done_)
            break;
        t.record().setInt(t.sequence, renumberFrom_);
        if (!write(t)) {
            reportSwapError(t, "Put Upd Seq");
            if (rollsBack)
                break;
        }
        ++renumberFrom_;
    }
    finishSwap(t);
}

} // namespace qv::qvls
