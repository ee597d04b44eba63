#include "platform/framework/table_writes.h"

#include "platform/tables/errors.h"

namespace qv::fw::writes {

namespace {

// The unique key on which another record holds the buffer's values, or -1.
int clashingKey(tables::Table& t, const tables::Record& values)
{
    const auto& keys = t.def().keys;
    int found = -1;
    for (int k = 0; k < static_cast<int>(keys.size()) && found < 0; ++k) {
        if (!keys[static_cast<std::size_t>(k)].unique)
            continue;
        t.record() = values;
        if (t.fetch(k) == 0 && t.record().recordId != values.recordId)
            found = k;
    }
    t.record() = values;
    return found;
}

int refused(tables::Table& t, const tables::Record& values)
{
    const std::string file = t.filePath();
    if (values.recordId != 0) {
        const int got = t.fetchRecord(values.recordId);
        const bool changed = got == 0 && t.record().changeCount != values.changeCount;
        t.record() = values;
        if (got != 0)
            return tables::setError(tables::RecordNotAvailable, file);
        if (changed)
            return tables::setError(tables::ChangedByOther, file);
    }
    if (const int k = clashingKey(t, values); k >= 0) {
        tables::setDuplicateKey(file, t.def().keys[static_cast<std::size_t>(k)].description);
        return tables::DuplicateKey;
    }
    return tables::setError(tables::FileSystemError, file, "The write was refused", 0);
}

} // namespace

int insert(tables::Table& t)
{
    if (t.def().driver != tables::DriverKind::Keyed)
        return t.insert();
    t.record().recordId = 0;
    const int r = t.insert();
    if (r != 0 || t.record().recordId != 0)
        return r;
    const tables::Record values = t.record();
    return refused(t, values);
}

int update(tables::Table& t)
{
    if (t.def().driver != tables::DriverKind::Keyed)
        return t.update();
    const tables::Record values = t.record();
    const int r = t.update();
    if (r != 0 || t.record().changeCount != values.changeCount)
        return r;
    return refused(t, values);
}

int remove(tables::Table& t)
{
    if (t.def().driver != tables::DriverKind::Keyed)
        return t.remove();
    const tables::Record values = t.record();
    const int r = t.remove();
    if (r != 0 || t.record().recordId == 0)
        return r;
    return refused(t, values);
}

} // namespace qv::fw::writes
