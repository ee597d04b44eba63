#pragma once
// The table-file manager: the program tells it once, at start, which table
// drivers exist and which tables it uses with their structure versions; the
// manager then opens tables for the tools and reports, refusing a file of
// another structure version unless it knows how to convert it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {
class Table;
}

namespace qv::outside {

struct RegisteredFile {
    const tables::Table* table = nullptr;
    std::string prefix;
    std::string label;
    int version = 0;
};

// Brings a file from one structure version to another in place; answers the
// driver's error code (0 when the file now has version `to`).
using Conversion = std::function<int(const std::string& path, int from, int to)>;

class FileManager
{
public:
    int addDriver(std::string_view name);
    int ignoreDriver(std::string_view name, int ignore);
    int usingFile(tables::Table& table, std::string_view prefix, std::string_view label, int version);
    void addConversion(std::string_view label, int from, int to, Conversion convert);

    // Opens the table with the access mode. A keyed file whose stored
    // structure version is not the one its table declares (the registered one
    // when it declares none) is converted when a conversion from that version
    // exists, else refused with 47.
    int fileOpen(tables::Table& table, int access);

    const std::vector<std::string>& drivers() const { return drivers_; }
    const std::vector<std::string>& ignoredDrivers() const { return ignored_; }
    const std::vector<RegisteredFile>& files() const { return files_; }
    const RegisteredFile* registration(const tables::Table& table) const;

    // Forgets everything (tests; a process registers once).
    void reset();

private:
    struct Step {
        std::string label;
        int from = 0, to = 0;
        Conversion convert;
    };
    std::vector<std::string> drivers_, ignored_;
    std::vector<RegisteredFile> files_;
    std::vector<Step> conversions_;
};

FileManager& fileManager();

// The library's entry points as the program calls them.
int ds_AddDriver(std::string_view name);
int ds_IgnoreDriver(std::string_view name, int ignore);
int ds_UsingFile(tables::Table& table, std::string_view prefix, std::string_view label, int version);
int ds_FileOpen(tables::Table& table, int access);

// The structure version a keyed table file holds; -1 when the file cannot
// be read as one.
int storedVersion(const std::string& path);

} // namespace qv::outside
