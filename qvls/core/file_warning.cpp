#include "qvls/core/file_warning.h"

#include "platform/outside/file_manager.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <algorithm>
#include <filesystem>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/halt.h"
#include "platform/tables/errors.h"
#include "platform/tables/group.h"

namespace qv::qvls {

namespace {

// The file a warning about the table names: the table's own, with the target when it is
// a link, or the connection's helper file when the fault lies there.
std::string fileName(tables::Table& table)
{
    const std::string path = table.filePath();
    const std::string& concerned = tables::lastError().file;
    if (!concerned.empty() && concerned == table.group().mainFile())
        return concerned;
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (!ec) {
            if (target.is_relative())
                target = std::filesystem::path(path).parent_path() / target;
            return path + ", a link to " + target.string();
        }
    }
    return path;
}

} // namespace

std::string fileErrorText()
{
    const tables::ErrorState& e = tables::lastError();
    std::string text = e.code == tables::FileSystemError
        ? e.osText + " (" + std::to_string(e.osCode) + ")"
        : (e.text.empty() ? tables::errorText(e.code) : e.text) + " (" + std::to_string(e.code) + ")";
    return std::string(text::firstChars(text, 150));
}

int FileWarning(int number, std::string_view text1In, std::string_view text2In)
{
    using rt::Icon;
    namespace b = rt::button;
    const std::string error = fileErrorText();
    const int lastCode = tables::lastError().code;
    const std::string t1(text::trimRight(text1In)), t2(text::trimRight(text2In));

    rt::MessageSpec m;
    m.icon = Icon::Exclamation;
    m.buttons = b::Ok;
    std::string haltText; // non-empty: the program ends after the box

    switch (number) {
    case 1:
        m.title = "Invalid File";
        m.text = "Error: (" + error + ") accessing " + t1 + ".  Press OK to end this application.";
        haltText = "Invalid File!";
        break;
    case 2:
        m.title = "Invalid Key";
        m.text = t1 + " key file is invalid.  Do you " + "want to rebuild the key?";
        m.icon = Icon::Question;
        m.buttons = b::Yes | b::No;
        m.defaultButton = b::Yes;
        break;
    case 3:
        m.title = "Key Rebuild Error";
        m.text = "Error: (" + error + ") repairing key for " + t1 + ".  Press OK to end this application.";
        haltText = "Error Rebuilding Key!";
        break;
    case 4:
        m.title = "File Creation Error";
        m.text = "Error: (" + error + ") creating " + t1 + ".  Press OK to end this application.";
        haltText = "File Creation Error!";
        break;
    case 5:
        m.title = "File Creation Error";
        m.text = "Error: (" + error + ") opening created " + "file:" + t1 + ".  Press OK to end this application.";
        haltText = "File Creation Error!";
        break;
    case 6:
        m.title = "Procedure not defined";
        m.text = "The Procedure " + t1 + " has not " + "been defined.";
        break;
    case 7:
        m.title = "Record Read Error";
        m.text = "Unable to read keyed record.  Error: " + error + ".  Insert Aborted";
        break;
    case 8:
        m.title = "Range Error";
        m.text = "The value of " + t1 + " must be lower than " + t2 + ".";
        break;
    case 9:
        m.title = "Range Error";
        m.text = "The value of " + t1 + " must be higher than " + t2 + ".";
        break;
    case 10:
        m.title = "Range Error";
        m.text = "The value of " + t1 + " must be between " + t2 + ".";
        break;
    case 11:
        m.title = "Field Contents Error";
        m.text = "The value for " + t1 + " must be found in the " + t2 + " file.";
        break;
    case 12:
        m.title = "Referential Integrity Update Error";
        m.text = "This record is referenced from the file " + t1
            + ".  Linking field(s) have been restricted from change and have been reset to original values.";
        break;
    case 13:
        m.title = "Referential Integrity Delete Error";
        m.text = "This record is referenced from the file " + t1
            + ".  This record cannot be deleted while these references exist.";
        break;
    case 14:
        m.title = "Record Insert Error";
        m.text = "An error was experienced during the update of record.  Error: " + error + ".";
        break;
    case 15:
        m.title = "Update Operation Error";
        if (lastCode != 0 && lastCode != tables::ChangedByOther)
            m.text = "An error (" + error
                + ") was experienced when attempting to update a record from the file.  "
                  "Probable Cause: "
                + t1 + ".";
        else
            m.text = "This record was changed by another station.";
        break;
    case 16:
        m.title = "Record Update Error";
        m.text = "An error was experienced changing this record.  Do you want to try to save again?";
        m.buttons = b::Yes | b::No | b::Cancel;
        m.defaultButton = b::Cancel;
        break;
    case 17:
        m.title = "Delete Operation Error";
        m.text
            = "An error (" + error + ") was experienced when attempting to delete a record from the file " + t1 + ".";
        break;
    case 18:
        m.title = "Record Update Error";
        m.text = "An error was experienced deleting this record.  Do you want to try to save again?";
        m.buttons = b::Yes | b::No | b::Cancel;
        m.defaultButton = b::Cancel;
        break;
    case 19:
        m.title = "Invalid Request";
        m.text = "This procedure was called to insert a record, however inserts are not allowed for this procedure.  "
                 "Press OK to return to the calling procedure";
        break;
    case 20:
        m.title = "Invalid Request";
        m.text = "This procedure was called to change a record, however changes are not allowed for this procedure.  "
                 "Press OK to return to the calling procedure";
        break;
    case 21:
        m.title = "Invalid Request";
        m.text = "This procedure was called to delete a record, however deletions are not allowed for this "
                 "procedure.  Press OK to return to the calling procedure";
        break;
    case 22:
        m.title = "File Creation Not Allowed";
        m.text = "The File " + t1 + "was not found, " + "and creation of the file is not allowed.  Press OK to end "
            + "this application.";
        haltText = "File Creation Error!";
        break;
    case 23:
        m.title = "Update Cancelled";
        m.text = "Are you sure you want to cancel?";
        m.icon = Icon::Question;
        m.buttons = b::Yes | b::No;
        m.defaultButton = b::No;
        break;
    case 24:
        m.title = "Duplicate Key Error";
        m.text = "Adding this record creates a duplicate entry for the key:" + t1;
        break;
    case 25:
        m.title = "Auto Increment Error";
        m.text = "Attempts to automatically number this record have failed.  Error: " + error + ".";
        m.buttons = b::Retry | b::Cancel;
        m.defaultButton = b::Cancel;
        break;
    case 26:
        m.title = "File Load Error";
        m.text = t1 + " File Load Error.  " + "Error: " + error + ".";
        break;
    case 27:
        m.title = "Cancel Request";
        m.text = "Are you certain you want to stop loading " + t1 + "?";
        m.icon = Icon::Question;
        m.buttons = b::Ok | b::Cancel;
        m.defaultButton = b::Cancel;
        break;
    case 28:
        m.title = "File Load Error";
        m.text = t1 + " File Load Error.  " + "The file you've requested contains no text.";
        break;
    case 29: {
        const bool down = t1 == "Down";
        m.title = down ? "End of File Error" : "Beginning of File Error";
        m.text = down ? "The end of the viewed file was encountered.  Do you want to start again from the beginning?"
                      : "The beginning of the viewed file was encountered.  Do you want to start again from the end of "
                        "the file?";
        m.icon = Icon::Question;
        m.buttons = b::Yes | b::No;
        m.defaultButton = b::Yes;
        break;
    }
    case 30:
        m.title = "File Access Error";
        m.text = "File (" + t1 + ") could not be opened.  Error: " + error + ".";
        break;
    case 31:
        if (t1 == "Put") {
            m.title = "Process PUT Error";
            m.text = "An error was experienced when making changes to the " + t2 + " file.  Error: " + error;
        } else {
            m.title = "Process DELETE Error";
            m.text = "An error was experienced when deleting a record from the " + t2 + " file.  Error: " + error;
        }
        break;
    case 32:
        m.title = "Confirm Delete";
        m.text = "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.";
        m.icon = Icon::Question;
        m.buttons = b::Ok | b::Cancel;
        m.defaultButton = b::Cancel;
        break;
    case 33:
        m.title = "Update Cancelled";
        m.text = "Do you want to save the changes to this record?";
        m.icon = Icon::Question;
        m.buttons = b::Yes | b::No | b::Cancel;
        m.defaultButton = b::No;
        break;
    case 34:
        m.title = "Transaction Framing Error";
        m.text = "Error: (" + error + ") attempting to frame the " + text::asciiLower(t1) + " transaction on " + t2
            + ".  " + t1 + " transaction cancelled.";
        break;
    case 35:
        m.title = "Record Retrieval Error";
        m.text = "Error: (" + error + ") attempting to access a " + "record from the " + t1 + " file.  Returning to "
            + "previous window.";
        break;
    case 36:
        m.title = "View Open Error";
        m.text = "Error: (" + error + ") attempting to open the " + "current VIEW. Filter and Range Limits ignored.";
        break;
    case 37:
        m.title = "Record Added";
        m.text = "This record has been added to the file. Do you want to add another record?";
        m.icon = Icon::Question;
        m.buttons = b::Yes | b::No;
        m.defaultButton = b::Yes;
        break;
    case 38:
        m.title = "Record Was Not Updated";
        m.text = "This record was changed by another station. Those changes will now be displayed. Use the Ditto "
                 "Button or Ctrl+' to recall your changes.";
        break;
    default:
        return 0;
    }

    const int answer = rt::message(m);
    if (!haltText.empty())
        rt::halt(kFileHaltCode, haltText);
    if (number == 2) {
        // Nothing is rebuilt without a Yes.
        if (answer != b::Yes)
            rt::halt(kFileHaltCode, "Invalid Key!");
        return b::Yes;
    }
    return answer;
}

int FileWarningWithName(int number, std::string_view name)
{
    return FileWarning(number, name, {});
}

int FileWarningPlain(int number)
{
    return FileWarning(number, {}, {});
}

void CreateTableAndOpen(tables::Table& table, int access)
{
    if (table.create() != 0)
        FileWarning(4, fileName(table));
    if (table.open(access) != 0)
        FileWarning(5, fileName(table));
}

void OpenTableChecked(tables::Table& table, int createRule, bool forceCreate, int access, bool defaultAccess)
{
    if (defaultAccess)
        access = tables::DefaultAccess;
    // Through the table-file manager, which brings an older structure
    // version forward where a conversion is registered.
    int error = outside::ds_FileOpen(table, access);
    if (error == tables::FileLocked) {
        table.sendOption("Recover=10");
        error = outside::ds_FileOpen(table, access);
    }
    switch (error) {
    case tables::NoError:
    case tables::AlreadyOpen:
        return;
    case tables::FileNotFound:
        if (forceCreate || createRule == 1) {
            CreateTableAndOpen(table, access);
            return;
        }
        FileWarning(4, fileName(table));
        break;
    case tables::BadKeys:
        FileWarning(2, fileName(table));
        if (table.rebuildKeys() != 0)
            FileWarning(3, fileName(table));
        error = table.open(access);
        if (error == tables::NoError || error == tables::AlreadyOpen)
            return;
        break;
    case tables::InvalidFile:
        FileWarning(1, fileName(table));
        break;
    default:
        break;
    }
    FileWarning(30, fileName(table));
    rt::halt(kFileHaltCode, "Disk Error");
}

} // namespace qv::qvls
