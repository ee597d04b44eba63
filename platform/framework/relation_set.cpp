#include "platform/framework/relation_set.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#include "platform/tables/errors.h"
#include "platform/tables/group.h"

namespace qv::fw {

namespace {

// Deep enough for any chain of relations the dictionary declares; a cycle
// stops here instead of recursing for ever.
constexpr int kMaxDepth = 16;

std::int64_t lowestOf(const tables::FieldDef& f)
{
    switch (f.type) {
    case tables::FieldType::Byte:
        return 0;
    case tables::FieldType::Short:
        return std::numeric_limits<std::int16_t>::min();
    case tables::FieldType::Long:
        return std::numeric_limits<std::int32_t>::min();
    case tables::FieldType::Decimal: {
        std::int64_t top = 1;
        for (int i = 0; i < std::min(f.digits(), 18); ++i)
            top *= 10;
        return -(top - 1);
    }
    case tables::FieldType::String:
        return 0;
    }
    return 0;
}

// A linking value crossing from one field to another, converted between
// LONG, DECIMAL and STRING as the fields require.
void assignValue(const tables::Record& from, int fromField, tables::Record& to, int toField)
{
    switch (to.def().fields[static_cast<std::size_t>(toField)].type) {
    case tables::FieldType::String:
        to.setString(toField, from.getText(fromField));
        break;
    case tables::FieldType::Decimal:
        to.setDecimal(toField, from.getDecimal(fromField));
        break;
    default:
        to.setInt(toField, from.getDecimal(fromField).toInt());
        break;
    }
}

void clearValue(tables::Record& r, int field)
{
    switch (r.def().fields[static_cast<std::size_t>(field)].type) {
    case tables::FieldType::String:
        r.setString(field, "");
        break;
    case tables::FieldType::Decimal:
        r.setDecimalUnits(field, 0);
        break;
    default:
        r.setInt(field, 0);
        break;
    }
}

bool sameValue(const tables::Record& a, const tables::Record& b, int field)
{
    return a.getString(field) == b.getString(field);
}

} // namespace

// What an update or a delete through a set does, from opening the tables it
// may touch to the message after the transaction has ended.
struct RelationWork {
    using Relation = RelationSet::Relation;

    // A refusal or failure met inside the transaction; shown once the
    // transaction has ended, since a message waits for the user while other
    // threads run.
    struct Failure {
        TableAccess* access = nullptr;
        Msg msg = Msg::UpdateFailed;
        int result = 0; // the driver's answer to a refused write
        tables::ErrorState error;
        const Relation* restricted = nullptr; // the parent's relation whose links are reset
    };

    RelationSet& set;
    std::vector<TableAccess*> opened;
    std::vector<tables::Group*> begun;
    Failure failure;

    explicit RelationWork(RelationSet& s)
        : set(s)
    { }
    RelationWork(const RelationWork&) = delete;
    RelationWork& operator=(const RelationWork&) = delete;

    ~RelationWork()
    {
        rollback();
        for (auto it = opened.rbegin(); it != opened.rend(); ++it)
            (*it)->close();
    }

    bool fail(TableAccess& access, Msg msg, int result = 0)
    {
        failure.access = &access;
        failure.msg = msg;
        failure.result = result;
        failure.error = tables::lastError();
        return false;
    }

    // Opens every table the rules may reach, before the transaction: a file
    // cannot be attached inside one.
    Level openTables()
    {
        std::set<RelationSet*> seen;
        std::vector<RelationSet*> todo{&set};
        while (!todo.empty()) {
            RelationSet* s = todo.back();
            todo.pop_back();
            if (!seen.insert(s).second)
                continue;
            if (const Level l = s->primary_.open(); l != Benign)
                return l;
            opened.push_back(&s->primary_);
            for (const Relation& r : s->relations_)
                if (r.onUpdate != Rule::None || r.onDelete != Rule::None || !r.copies.empty())
                    todo.push_back(r.related);
        }
        return Benign;
    }

    bool begin()
    {
        if (!set.transactions_)
            return true;
        for (TableAccess* a : opened) {
            tables::Table& t = a->table();
            // A driver without transactions goes on without them.
            if (t.def().driver != tables::DriverKind::Keyed)
                continue;
            tables::Group& g = t.group();
            // A transaction the caller framed already covers the work.
            if (std::find(begun.begin(), begun.end(), &g) != begun.end() || g.inTransaction())
                continue;
            if (g.begin(2) != 0) {
                fail(set.primary_, Msg::AbortTransaction);
                rollback();
                return false;
            }
            begun.push_back(&g);
        }
        return true;
    }

    bool commit()
    {
        while (!begun.empty()) {
            if (begun.front()->commit() != 0)
                return fail(set.primary_, Msg::AbortTransaction);
            begun.erase(begun.begin());
        }
        return true;
    }

    void rollback()
    {
        for (auto it = begun.rbegin(); it != begun.rend(); ++it)
            if ((*it)->inTransaction())
                (*it)->rollback();
        begun.clear();
    }

    // After the rollback: the failure's message, with the driver's error as
    // it was when the failure happened.
    Level show()
    {
        const auto& e = failure.error;
        tables::setError(e.code, e.file, e.osText, e.osCode);
        if (e.code == tables::DuplicateKey)
            tables::setDuplicateKey(e.file, e.key);
        TableAccess& a = *failure.access;
        switch (failure.msg) {
        case Msg::UpdateFailed:
        case Msg::DeleteFailed:
        case Msg::InsertFailed:
            return a.raiseWriteError(failure.result, failure.msg);
        default:
            return a.RaiseStoredError(failure.msg);
        }
    }

    // The record ids of the related records that carry parent's linking
    // values, read through the relation's key. A parent whose linking fields
    // are all empty refers to nothing.
    bool findRelated(const Relation& rel, const tables::Record& parent, std::vector<std::int64_t>& ids)
    {
        TableAccess& child = rel.related->primary_;
        tables::Table& t = child.table();
        tables::Record& buffer = t.record();
        const tables::TableDef& pdef = parent.def();
        const tables::TableDef& cdef = t.def();

        std::vector<std::pair<int, int>> links; // parent field, related field
        bool allEmpty = true;
        for (const auto& [pf, cf] : rel.links) {
            const int p = pdef.fieldIndex(pf), c = cdef.fieldIndex(cf);
            if (p < 0 || c < 0)
                continue;
            links.emplace_back(p, c);
            allEmpty = allEmpty && parent.isEmpty(p);
        }
        if (links.empty() || allEmpty)
            return true;

        buffer.clear();
        for (const auto& [p, c] : links)
            assignValue(parent, p, buffer, c);
        std::vector<tables::KeyValue> wanted;
        for (const auto& [p, c] : links)
            wanted.push_back(t.keyValueOf(c));

        // The linking fields that lead the key bound the range; the other
        // components start at their lowest values.
        const bool keyed = rel.key >= 0 && rel.key < static_cast<int>(cdef.keys.size());
        std::vector<int> leading;
        if (keyed) {
            bool prefix = true;
            for (const auto& comp : cdef.keys[static_cast<std::size_t>(rel.key)].components) {
                const int f = cdef.fieldIndex(comp);
                const bool isLink
                    = std::any_of(links.begin(), links.end(), [f](const auto& l) { return l.second == f; });
                if (prefix && isLink) {
                    leading.push_back(f);
                    continue;
                }
                prefix = false;
                if (!isLink && cdef.fields[static_cast<std::size_t>(f)].type != tables::FieldType::String) {
                    const auto& fd = cdef.fields[static_cast<std::size_t>(f)];
                    if (fd.type == tables::FieldType::Decimal)
                        buffer.setDecimalUnits(f, lowestOf(fd));
                    else
                        buffer.setInt(f, lowestOf(fd));
                }
            }
        }
        std::vector<tables::KeyValue> bound;
        for (int f : leading)
            bound.push_back(t.keyValueOf(f));

        if (leading.empty())
            t.setOrder(keyed ? rel.key : -1);
        else
            t.setAt(rel.key);
        int r;
        while ((r = t.next()) == 0) {
            bool inRange = true;
            for (std::size_t i = 0; i < leading.size() && inRange; ++i)
                inRange = t.keyValueOf(leading[i]) == bound[i];
            if (!inRange)
                break;
            bool match = true;
            for (std::size_t i = 0; i < links.size() && match; ++i)
                match = t.keyValueOf(links[i].second) == wanted[i];
            if (match)
                ids.push_back(buffer.recordId);
        }
        if (r != 0 && r != tables::RecordNotAvailable)
            return fail(child, Msg::RecordRetrievalError);
        return true;
    }

    // The delete rules below a record. With perform false nothing is
    // written: the walk only finds a restriction, so that a set without
    // transactions never stops half-way.
    bool deleteBelow(RelationSet& s, const tables::Record& parent, int depth, bool perform)
    {
        if (depth > kMaxDepth)
            return true;
        for (const Relation& rel : s.relations_) {
            if (rel.onDelete == Rule::None)
                continue;
            std::vector<std::int64_t> ids;
            if (!findRelated(rel, parent, ids))
                return false;
            if (ids.empty())
                continue;
            TableAccess& child = rel.related->primary_;
            tables::Table& t = child.table();
            if (rel.onDelete == Rule::Restrict)
                return fail(child, Msg::RestrictDelete);
            for (std::int64_t id : ids) {
                const int got = t.fetchRecord(id);
                if (got == tables::RecordNotFound)
                    continue; // gone already by another path of the rules
                if (got != 0)
                    return fail(child, Msg::RecordRetrievalError);
                const tables::Record old = t.record();
                if (rel.onDelete == Rule::Cascade) {
                    if (!deleteBelow(*rel.related, old, depth + 1, perform))
                        return false;
                    if (perform) {
                        t.record() = old;
                        if (const int r = t.remove(); r != 0)
                            return fail(child, Msg::DeleteFailed, r);
                    }
                } else { // Clear
                    tables::Record cleared = old;
                    for (const auto& [pf, cf] : rel.links)
                        if (const int c = t.def().fieldIndex(cf); c >= 0)
                            clearValue(cleared, c);
                    if (!updateBelow(*rel.related, old, cleared, depth + 1, perform))
                        return false;
                    if (perform) {
                        t.record() = cleared;
                        if (const int r = t.update(); r != 0)
                            return fail(child, Msg::UpdateFailed, r);
                    }
                }
            }
        }
        return true;
    }

    static bool copiesChanged(
        const RelationSet::Relation& rel, const tables::Record& before, const tables::Record& after)
    {
        for (const auto& pair : rel.copies) {
            const int p = before.def().fieldIndex(pair.first);
            if (p >= 0 && before.getText(p) != after.getText(p))
                return true;
        }
        return false;
    }

    // The copies of the saved parent's fields in its related records. An
    // exact comparison: a change of case counts. A record whose write is
    // refused (its field checks, another station's change) keeps its copy.
    bool carryCopies(RelationSet& s, const tables::Record& before, const tables::Record& after)
    {
        for (const Relation& rel : s.relations_) {
            if (rel.copies.empty() || !copiesChanged(rel, before, after))
                continue;
            std::vector<std::int64_t> ids;
            if (!findRelated(rel, after, ids))
                return false;
            TableAccess& child = rel.related->primary_;
            tables::Table& t = child.table();
            for (std::int64_t id : ids) {
                if (t.fetchRecord(id) != 0)
                    continue;
                bool differs = false;
                for (const auto& [pf, cf] : rel.copies) {
                    const int p = after.def().fieldIndex(pf), c = t.def().fieldIndex(cf);
                    if (p < 0 || c < 0 || after.getText(p) == t.record().getText(c))
                        continue;
                    assignValue(after, p, t.record(), c);
                    differs = true;
                }
                if (differs)
                    child.TryUpdate();
            }
        }
        return true;
    }

    static bool linksChanged(
        const RelationSet::Relation& rel, const tables::Record& before, const tables::Record& after)
    {
        for (const auto& pair : rel.links) {
            const int p = before.def().fieldIndex(pair.first);
            if (p >= 0 && !sameValue(before, after, p))
                return true;
        }
        return false;
    }

    // The update rules below a record whose values change from before to
    // after; perform as for deleteBelow.
    bool updateBelow(RelationSet& s, const tables::Record& before, const tables::Record& after, int depth, bool perform)
    {
        if (depth > kMaxDepth)
            return true;
        for (const Relation& rel : s.relations_) {
            if (rel.onUpdate == Rule::None || !linksChanged(rel, before, after))
                continue;
            std::vector<std::int64_t> ids;
            if (!findRelated(rel, before, ids))
                return false;
            if (ids.empty())
                continue;
            TableAccess& child = rel.related->primary_;
            tables::Table& t = child.table();
            if (rel.onUpdate == Rule::Restrict) {
                fail(child, Msg::RestrictUpdate);
                if (depth == 0)
                    failure.restricted = &rel;
                return false;
            }
            for (std::int64_t id : ids) {
                const int got = t.fetchRecord(id);
                if (got == tables::RecordNotFound)
                    continue;
                if (got != 0)
                    return fail(child, Msg::RecordRetrievalError);
                const tables::Record old = t.record();
                tables::Record changed = old;
                for (const auto& [pf, cf] : rel.links) {
                    const int p = after.def().fieldIndex(pf), c = t.def().fieldIndex(cf);
                    if (p < 0 || c < 0)
                        continue;
                    if (rel.onUpdate == Rule::Cascade)
                        assignValue(after, p, changed, c);
                    else
                        clearValue(changed, c);
                }
                if (!updateBelow(*rel.related, old, changed, depth + 1, perform)) {
                    if (depth == 0 && failure.msg == Msg::RestrictUpdate && !failure.restricted)
                        failure.restricted = &rel;
                    return false;
                }
                if (perform) {
                    t.record() = changed;
                    if (const int r = t.update(); r != 0)
                        return fail(child, Msg::UpdateFailed, r);
                }
            }
        }
        return true;
    }
};

RelationSet::RelationSet(TableAccess& primary)
    : primary_(primary)
{ }

RelationSet::~RelationSet() = default;

void RelationSet::addRelation(RelationSet& related, Rule onUpdate, Rule onDelete, int relatedKey,
    std::vector<std::pair<std::string, std::string>> links)
{
    // Only the reference is kept: the related set may declare its own
    // relations later.
    relations_.push_back({&related, onUpdate, onDelete, relatedKey, std::move(links), {}});
}

void RelationSet::addCopies(std::vector<std::pair<std::string, std::string>> copies)
{
    if (!relations_.empty())
        relations_.back().copies = std::move(copies);
}

void RelationSet::addLookup(RelationSet& lookup)
{
    lookups_.push_back(&lookup);
}

Level RelationSet::open()
{
    std::vector<TableAccess*> opened;
    auto openOne = [&opened](TableAccess& a) {
        const Level l = a.open();
        if (l == Benign)
            opened.push_back(&a);
        return l;
    };
    Level l = openOne(primary_);
    for (std::size_t i = 0; l == Benign && i < relations_.size(); ++i)
        l = openOne(relations_[i].related->primary_);
    for (std::size_t i = 0; l == Benign && i < lookups_.size(); ++i)
        l = openOne(lookups_[i]->primary_);
    if (l != Benign)
        for (auto it = opened.rbegin(); it != opened.rend(); ++it)
            (*it)->close();
    return l;
}

Level RelationSet::close()
{
    for (auto it = lookups_.rbegin(); it != lookups_.rend(); ++it)
        (*it)->primary_.close();
    for (auto it = relations_.rbegin(); it != relations_.rend(); ++it)
        it->related->primary_.close();
    primary_.close();
    return Benign;
}

Level RelationSet::Update(bool fromForm)
{
    tables::Table& t = primary_.table();
    const tables::Record edited = t.record();

    // The stored record tells which linking fields the edit changes.
    bool linksChanged = false;
    tables::Record stored(t.def());
    bool copiesChanged = false;
    const bool hasRules = std::any_of(relations_.begin(), relations_.end(),
        [](const Relation& r) { return r.onUpdate != Rule::None || !r.copies.empty(); });
    if (hasRules && edited.recordId != 0 && t.isOpen() && t.reget() == 0) {
        stored = t.record();
        t.record() = edited;
        for (const Relation& rel : relations_) {
            linksChanged
                = linksChanged || (rel.onUpdate != Rule::None && RelationWork::linksChanged(rel, stored, edited));
            copiesChanged = copiesChanged || RelationWork::copiesChanged(rel, stored, edited);
        }
    }
    if (!linksChanged && !copiesChanged)
        return fromForm ? primary_.Update() : primary_.writeRecord();

    if (fromForm)
        if (const Level l = primary_.validateRecord(); l != Benign)
            return l;

    RelationWork work(*this);
    if (const Level l = work.openTables(); l != Benign)
        return l;
    t.record() = edited;
    bool ok = work.begin() && (transactions_ || work.updateBelow(*this, stored, edited, 0, false))
        && work.updateBelow(*this, stored, edited, 0, true);
    if (ok) {
        t.record() = edited;
        if (const int r = t.update(); r != 0)
            ok = work.fail(primary_, Msg::UpdateFailed, r);
    }
    if (ok && copiesChanged) {
        const tables::Record saved = t.record();
        ok = work.carryCopies(*this, stored, saved);
        t.record() = saved;
    }
    ok = ok && work.commit();
    if (ok)
        return Benign;

    work.rollback();
    t.record() = edited;
    if (const Relation* rel = work.failure.restricted) {
        for (const auto& pair : rel->links)
            if (const int p = t.def().fieldIndex(pair.first); p >= 0)
                assignValue(stored, p, t.record(), p);
    }
    return work.show();
}

Level RelationSet::deleteRecord(bool ask)
{
    tables::Table& t = primary_.table();
    // The record the user is asked about: while the question is up, other
    // threads run and may load other records into the shared buffer.
    const tables::Record before = t.record();
    if (ask) {
        const Level l = primary_.RaiseStoredError(Msg::ConfirmDelete);
        t.record() = before;
        if (l != Benign)
            return l;
    }
    RelationWork work(*this);
    if (const Level l = work.openTables(); l != Benign)
        return l;
    t.record() = before;
    // Without a transaction the restrictions are looked for before anything
    // is deleted; inside one, the rollback undoes what was done.
    bool ok = work.begin() && (transactions_ || work.deleteBelow(*this, before, 0, false))
        && work.deleteBelow(*this, before, 0, true);
    if (ok) {
        t.record() = before;
        if (const int r = t.remove(); r != 0)
            ok = work.fail(primary_, Msg::DeleteFailed, r);
    }
    ok = ok && work.commit();
    if (ok)
        return Benign;

    work.rollback();
    t.record() = before;
    return work.show();
}

void RelationSet::CleanUp()
{
    relations_.clear();
    lookups_.clear();
}

} // namespace qv::fw
