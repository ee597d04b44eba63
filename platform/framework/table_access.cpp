#include "platform/framework/table_access.h"

#include "platform/tables/bindings.h"
#include "platform/tables/errors.h"

namespace qv::fw {

namespace {

// Copies one field or memo (memos are numbered after the fields).
void copyField(const tables::Record& from, tables::Record& to, int field)
{
    if (field < 0)
        return;
    if (field >= from.fieldCount()) {
        const int memo = field - from.fieldCount();
        if (memo < from.memoCount())
            to.setMemo(memo, from.memo(memo));
        return;
    }
    switch (from.def().fields[field].type) {
    case tables::FieldType::String:
        to.setString(field, from.getString(field));
        break;
    case tables::FieldType::Decimal:
        to.setDecimalUnits(field, from.decimalUnits(field));
        break;
    default:
        to.setInt(field, from.getInt(field));
        break;
    }
}

} // namespace

TableAccess::TableAccess(tables::Table& table, ErrorReporter& reporter)
    : table_(table)
    , reporter_(reporter)
{
    for (const auto& k : table_.def().keys)
        keys_.push_back({k.description, k.autoNumbered});
}

TableAccess::~TableAccess() = default;

const std::string& TableAccess::name() const
{
    if (!name_.empty())
        return name_;
    defaultName_ = table_.filePath();
    if (defaultName_.empty())
        defaultName_ = table_.def().label;
    return defaultName_;
}

std::string TableAccess::checkName() const
{
    if (!checkName_.empty())
        return checkName_;
    return table_.def().description.empty() ? table_.def().label : table_.def().description;
}

void TableAccess::RegisterKey(int key, std::string description, int autoNumbered)
{
    if (key < 0)
        return;
    if (key >= static_cast<int>(keys_.size()))
        keys_.resize(static_cast<std::size_t>(key) + 1);
    keys_[static_cast<std::size_t>(key)] = {std::move(description), autoNumbered};
}

std::string TableAccess::keyDescription(int key) const
{
    if (key < 0 || key >= static_cast<int>(keys_.size()))
        return {};
    return keys_[static_cast<std::size_t>(key)].description;
}

int TableAccess::autoNumbered(int key) const
{
    if (key < 0 || key >= static_cast<int>(keys_.size()))
        return 0;
    return keys_[static_cast<std::size_t>(key)].autoNumbered;
}

// ---------------------------------------------------------------------------
// open and close

Level TableAccess::open()
{
    int r = table_.open(openMode_);
    if (r == tables::AlreadyOpen)
        return Benign; // the table counted this open
    if (r == tables::FileNotFound && create_) {
        if (table_.create() != 0)
            return RaiseStoredError(Msg::CreateFailed);
        r = table_.open(openMode_);
    }
    if (r == tables::FileLocked && lockRecover_ > 0) {
        table_.sendOption("Recover=" + std::to_string(lockRecover_));
        r = table_.open(openMode_);
    }
    if (r == tables::BadKeys && table_.rebuildKeys() == 0)
        r = table_.open(openMode_);
    if (r != 0)
        return RaiseStoredError(Msg::OpenFailed);
    place_ = Place::Start;
    key_ = -1;
    if (bindings_)
        BindRecordFields(*bindings_);
    return Benign;
}

Level TableAccess::close()
{
    if (table_.isOpen())
        table_.close();
    return Benign;
}

// ---------------------------------------------------------------------------
// reading

void TableAccess::placeAfterRead(int result)
{
    // A read that finds nothing leaves the position where it was.
    if (result == 0)
        place_ = Place::After;
}

int TableAccess::useKey(int key)
{
    key_ = key;
    place_ = Place::Start;
    atValues_.reset();
    return table_.setOrder(key);
}

int TableAccess::setPosition(int key)
{
    key_ = key;
    place_ = Place::At;
    atValues_ = std::make_unique<tables::Record>(record());
    return table_.setAt(key);
}

int TableAccess::TryNext()
{
    const int r = table_.next();
    placeAfterRead(r);
    return r;
}

int TableAccess::TryPrevious()
{
    const int r = table_.previous();
    placeAfterRead(r);
    return r;
}

Level TableAccess::ReadNext()
{
    const int r = TryNext();
    if (r == 0)
        return Benign;
    return RaiseStoredError(r == tables::RecordNotAvailable ? Msg::RecordLimit : Msg::RecordRetrievalError);
}

Level TableAccess::ReadPrevious()
{
    const int r = TryPrevious();
    if (r == 0)
        return Benign;
    return RaiseStoredError(r == tables::RecordNotAvailable ? Msg::RecordLimit : Msg::RecordRetrievalError);
}

int TableAccess::Fetch(int key)
{
    const int r = table_.fetch(key);
    if (r == 0) {
        key_ = key;
        place_ = Place::After;
    }
    return tables::fetchLevel(r);
}

int TableAccess::TryFetch(int key)
{
    const int r = Fetch(key);
    if (r != 0)
        record().clear();
    return r;
}

// ---------------------------------------------------------------------------
// writing

Level TableAccess::raiseWriteError(int driverResult, Msg msg)
{
    if (driverResult == tables::ChangedByOther) {
        // The other station's record is shown; the form's history keeps ours.
        table_.reget();
        place_ = Place::After;
        return RaiseStoredError(Msg::ChangedByAnother);
    }
    if (driverResult != tables::DuplicateKey)
        return RaiseStoredError(msg);
    // The key as this table describes it.
    const std::string refused = tables::lastError().key;
    const auto& keys = table_.def().keys;
    for (int k = 0; k < static_cast<int>(keys.size()); ++k)
        if (keys[static_cast<std::size_t>(k)].description == refused)
            return RaiseErrorWithText(Msg::DuplicateKey, keyDescription(k));
    return RaiseErrorWithText(Msg::DuplicateKey, refused);
}

Level TableAccess::Insert()
{
    const int r = table_.insert();
    if (r == 0) {
        place_ = Place::After;
        return Benign;
    }
    return raiseWriteError(r, Msg::InsertFailed);
}

Level TableAccess::TryInsert()
{
    const int r = table_.insert();
    if (r == 0) {
        place_ = Place::After;
        return Benign;
    }
    return r == tables::DuplicateKey ? User : Program;
}

Level TableAccess::Update()
{
    if (const Level l = validateRecord(); l != Benign)
        return l;
    return writeRecord();
}

Level TableAccess::writeRecord()
{
    const int r = table_.update();
    if (r == 0) {
        place_ = Place::After;
        return Benign;
    }
    return raiseWriteError(r, Msg::UpdateFailed);
}

Level TableAccess::TryUpdate()
{
    const bool wasSilent = reporter_.silent();
    reporter_.setSilent(true);
    const Level l = validateRecord();
    reporter_.setSilent(wasSilent);
    if (l != Benign)
        return l;
    const int r = table_.update();
    if (r == 0) {
        place_ = Place::After;
        return Benign;
    }
    if (r == tables::ChangedByOther) {
        table_.reget();
        place_ = Place::After;
        return User;
    }
    return r == tables::DuplicateKey ? User : Program;
}

Level TableAccess::deleteRecord()
{
    const int r = table_.remove();
    if (r == 0)
        return Benign;
    return raiseWriteError(r, Msg::DeleteFailed);
}

Level TableAccess::primeRecord()
{
    primeFields();
    return primeAutoInc();
}

void TableAccess::primeFields(bool keepBuffer)
{
    if (!keepBuffer)
        record().clear();
    FillDefaults();
}

Level TableAccess::primeAutoInc()
{
    bool numbered = false;
    for (const auto& k : keys_)
        numbered = numbered || k.autoNumbered > 0;
    if (!numbered)
        return Benign;
    // The id is taken now, so rows added while a form is open can carry it.
    // A kept buffer (a copy) gets new numbers, not the original's.
    tables::Record primed = record();
    primed.recordId = 0;
    primed.changeCount = 0;
    const auto& def = table_.def();
    for (int k = 0; k < static_cast<int>(def.keys.size()); ++k) {
        const auto& comps = def.keys[static_cast<std::size_t>(k)].components;
        const int n = autoNumbered(k);
        if (n < 1 || n > static_cast<int>(comps.size()))
            continue;
        if (const int f = def.fieldIndex(comps[static_cast<std::size_t>(n - 1)]); f >= 0) {
            if (def.fields[static_cast<std::size_t>(f)].type == tables::FieldType::Decimal)
                primed.setDecimalUnits(f, 0);
            else
                primed.setInt(f, 0);
        }
    }
    for (;;) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            record() = primed;
            if (table_.insert() == 0) {
                place_ = Place::After;
                return Benign;
            }
        }
        const Level answer = RaiseStoredError(Msg::RetryAutoInc);
        if (answer != Benign) {
            record() = primed;
            return answer;
        }
    }
}

// ---------------------------------------------------------------------------
// history

void TableAccess::saveHistory()
{
    history_ = std::make_unique<tables::Record>(record());
}

bool TableAccess::changedSinceHistory() const
{
    return history_ && !history_->sameValues(record());
}

void TableAccess::restoreHistoryField(int field)
{
    if (history_)
        copyField(*history_, record(), field);
}

// ---------------------------------------------------------------------------
// the table's rules

Level TableAccess::CheckField(int field)
{
    reporter_.setFile(checkName());
    return Benign;
}

void TableAccess::FillDefaults()
{ }

void TableAccess::BindRecordFields(expr::NameTable& names)
{
    const auto& fields = table_.def().fields;
    for (int i = 0; i < static_cast<int>(fields.size()); ++i)
        names.bind(fields[static_cast<std::size_t>(i)].name,
            [this, i] { return tables::RecordBindings::fieldValue(record(), i); });
}

Level TableAccess::RaiseStoredError(Msg msg)
{
    reporter_.setFile(name());
    return reporter_.raise(msg);
}

Level TableAccess::RaiseErrorWithText(Msg msg, std::string text)
{
    reporter_.setFile(name());
    return reporter_.throwMessage(msg, text);
}

Level TableAccess::validateRecord(int* failedField)
{
    for (int i = 0; i < record().fieldCount(); ++i) {
        const Level l = CheckField(i);
        if (l != Benign) {
            if (failedField)
                *failedField = i;
            return l;
        }
    }
    if (failedField)
        *failedField = -1;
    return Benign;
}

Level TableAccess::checkRange(
    int field, std::string_view fieldText, std::int64_t low, std::int64_t high, std::string_view rangeText)
{
    const expr::Decimal v = record().getDecimal(field);
    if (v >= expr::Decimal::fromInt(low) && v <= expr::Decimal::fromInt(high))
        return Benign;
    reporter_.setFile(checkName());
    reporter_.SetField(std::string(fieldText));
    return reporter_.throwMessage(Msg::FieldOutOfRange, rangeText);
}

Level TableAccess::checkFound(std::string_view fieldText, TableAccess& lookup, int key, std::string_view lookupName,
    const std::function<void(tables::Record&)>& setKey)
{
    const State kept = lookup.SaveTableState();
    setKey(lookup.record());
    const int found = lookup.Fetch(key);
    lookup.RestoreTableState(kept);
    if (found == 0)
        return Benign;
    reporter_.setFile(checkName());
    reporter_.SetField(std::string(fieldText));
    return reporter_.throwMessage(Msg::FieldNotInFile, lookupName);
}

// ---------------------------------------------------------------------------
// state

TableAccess::State TableAccess::SaveTableState() const
{
    State s;
    s.key = key_;
    s.record = std::make_unique<tables::Record>(record());
    s.opaque.push_back(static_cast<std::uint8_t>(place_));
    if (place_ == Place::At && atValues_)
        s.position = std::make_unique<tables::Record>(*atValues_);
    return s;
}

void TableAccess::RestoreTableState(const State& state)
{
    if (!state.record)
        return;
    key_ = state.key;
    place_ = state.opaque.empty() ? Place::Start : static_cast<Place>(state.opaque.front());
    atValues_.reset();
    switch (place_) {
    case Place::Start:
        table_.setOrder(key_);
        break;
    case Place::At:
        atValues_ = std::make_unique<tables::Record>(state.position ? *state.position : *state.record);
        record() = *atValues_;
        table_.setAt(key_);
        break;
    case Place::After:
        table_.setOrder(key_);
        if (state.record->recordId == 0 || table_.fetchRecord(state.record->recordId) != 0) {
            // The record is gone: the next read starts where it stood.
            record() = *state.record;
            table_.setAt(key_);
        }
        break;
    }
    record() = *state.record;
}

} // namespace qv::fw
