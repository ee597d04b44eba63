#include "platform/outside/file_manager.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/tables/errors.h"
#include "platform/tables/table.h"
#include "platform/text/case.h"

namespace qv::outside {

int storedVersion(const std::string& path)
{
    // The database header keeps user_version big-endian at byte 60.
    std::ifstream in(path, std::ios::binary);
    char header[100] = {};
    if (!in.read(header, sizeof header))
        return -1;
    if (std::string_view(header, 16) != std::string_view("SQLite format 3\0", 16))
        return -1;
    const auto* b = reinterpret_cast<const unsigned char*>(header + 60);
    const std::uint32_t v
        = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    return static_cast<int>(v);
}

int FileManager::addDriver(std::string_view name)
{
    for (const auto& d : drivers_)
        if (text::equalsNoCase(d, name))
            return 0;
    drivers_.emplace_back(name);
    return 0;
}

int FileManager::ignoreDriver(std::string_view name, int ignore)
{
    std::erase_if(ignored_, [name](const std::string& d) { return text::equalsNoCase(d, name); });
    if (ignore)
        ignored_.emplace_back(name);
    return 0;
}

int FileManager::usingFile(tables::Table& table, std::string_view prefix, std::string_view label, int version)
{
    for (auto& f : files_)
        if (f.table == &table) {
            f = {&table, std::string(prefix), std::string(label), version};
            return 0;
        }
    files_.push_back({&table, std::string(prefix), std::string(label), version});
    return 0;
}

void FileManager::addConversion(std::string_view label, int from, int to, Conversion convert)
{
    conversions_.push_back({std::string(label), from, to, std::move(convert)});
}

const RegisteredFile* FileManager::registration(const tables::Table& table) const
{
    for (const auto& f : files_)
        if (f.table == &table)
            return &f;
    return nullptr;
}

int FileManager::fileOpen(tables::Table& table, int access)
{
    const RegisteredFile* reg = registration(table);
    if (!reg || table.def().driver != tables::DriverKind::Keyed)
        return table.open(access);
    const std::string path = table.filePath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return table.open(access); // the driver reports the missing file
    int version = storedVersion(path);
    if (version < 0)
        return table.open(access); // not a table file: the driver says so
    // A file must hold the version its table's declaration gives, which the
    // driver checks too. The registered number names the layout and is the
    // same, except for a table that reads files another table makes (one
    // collection reading another's songs): those carry the maker's version.
    const int wanted = table.def().version >= 0 ? table.def().version : reg->version;
    // Older files are brought forward one known step at a time; a cycle of
    // steps cannot run for ever.
    for (int steps = 0; version != wanted; ++steps) {
        const Step* step = nullptr;
        for (const auto& s : conversions_)
            if (s.from == version && text::equalsNoCase(s.label, reg->label))
                step = &s;
        if (!step || steps > 64)
            return tables::setError(tables::InvalidFile, path);
        if (table.isOpen())
            return tables::setError(tables::AccessDenied, path);
        if (const int r = step->convert(path, step->from, step->to); r != 0)
            return tables::setError(r, path);
        version = storedVersion(path);
    }
    return table.open(access);
}

void FileManager::reset()
{
    drivers_.clear();
    ignored_.clear();
    files_.clear();
    conversions_.clear();
}

FileManager& fileManager()
{
    static FileManager manager;
    return manager;
}

int ds_AddDriver(std::string_view name)
{
    return fileManager().addDriver(name);
}
int ds_IgnoreDriver(std::string_view name, int ignore)
{
    return fileManager().ignoreDriver(name, ignore);
}
int ds_UsingFile(tables::Table& table, std::string_view prefix, std::string_view label, int version)
{
    return fileManager().usingFile(table, prefix, label, version);
}
int ds_FileOpen(tables::Table& table, int access)
{
    return fileManager().fileOpen(table, access);
}

} // namespace qv::outside
