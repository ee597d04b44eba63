#include "qvls/dictionary/folder_check.h"

#include <unistd.h>

#include <filesystem>

#include "platform/runtime/paths.h"
#include "platform/tables/errors.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::dictionary {

namespace fs = std::filesystem;

std::optional<DamagedFile> damagedTableFile(const std::string& folder)
{
    // The probe's connection keeps its helper file out of the user's folder.
    const fs::path probeFile = fs::temp_directory_path() / (".qvprobe-" + std::to_string(::getpid()));
    std::optional<DamagedFile> damaged;
    {
        tables::Group probe(probeFile.string());
        for (tables::TableDef def : schema::all()) {
            // Text files and tables named at run time are not the collection's own.
            if (def.fileName.empty() || def.driver != tables::DriverKind::Keyed)
                continue;
            tables::Table t(def);
            t.setGroup(&probe);
            t.setFileName((fs::path(folder) / def.fileName).string());
            const std::string expected = t.filePath();
            const auto found = rt::findNoCase(expected);
            if (!found)
                continue;
            t.setFileName(*found);
            if (const int rc = t.open(tables::ReadOnly | tables::DenyNone); rc != 0) {
                damaged = DamagedFile{*found, tables::errorText(rc)};
                break;
            }
            t.close();
        }
    }
    std::error_code ec;
    fs::remove(probeFile, ec);
    return damaged;
}

} // namespace qv::qvls::dictionary
