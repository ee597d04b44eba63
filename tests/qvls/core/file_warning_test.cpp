#include "core_fixture.h"

#include "platform/runtime/dialogs.h"
#include "platform/runtime/halt.h"
#include "platform/runtime/headless.h"
#include "platform/tables/errors.h"
#include "qvls/core/file_warning.h"

namespace qv::qvls::testing {
namespace {

using rt::Icon;
namespace b = rt::button;

struct WarningCase {
    const char* what;
    int number;
    std::string text1, text2;
    int lastError;
    std::string title, text;
    Icon icon;
    std::vector<int> buttons;
    int defaultButton;
    int press;
    int answer; // what FileWarning answers; -1: it does not return
    std::string halt; // the text the program ends with
};

std::vector<int> answers(const rt::MessageBoxWindow& box)
{
    std::vector<int> out;
    for (const auto& button : box.buttons())
        out.push_back(button.answer);
    return out;
}

const std::string End = ".  Press OK to end this application.";
const std::vector<int> Ok{b::Ok}, YesNo{b::Yes, b::No}, YesNoCancel{b::Yes, b::No, b::Cancel},
    OkCancel{b::Ok, b::Cancel}, RetryCancel{b::Retry, b::Cancel};
const Icon X = Icon::Exclamation, Q = Icon::Question;

// The last error, where one matters, is 47 ("Invalid Data File").
const std::vector<WarningCase> kWarnings{
    {"1", 1, "qvlalbum.tps  ", "", 47, "Invalid File", "Error: (Invalid Data File (47)) accessing qvlalbum.tps" + End,
        X, Ok, b::Ok, b::Ok, -1, "Invalid File!"},
    {"2 yes", 2, "qvlalbum.tps", "", 46, "Invalid Key",
        "qvlalbum.tps key file is invalid.  Do you want to rebuild the key?", Q, YesNo, b::Yes, b::Yes, b::Yes, ""},
    {"2 no", 2, "qvlalbum.tps", "", 46, "Invalid Key",
        "qvlalbum.tps key file is invalid.  Do you want to rebuild the key?", Q, YesNo, b::Yes, b::No, -1,
        "Invalid Key!"},
    {"3", 3, "qvlalbum.tps", "", 40, "Key Rebuild Error",
        "Error: (Creates Duplicate Key (40)) repairing key for qvlalbum.tps" + End, X, Ok, b::Ok, b::Ok, -1,
        "Error Rebuilding Key!"},
    {"4", 4, "qvlalbum.tps", "", 2, "File Creation Error", "Error: (File Not Found (2)) creating qvlalbum.tps" + End, X,
        Ok, b::Ok, b::Ok, -1, "File Creation Error!"},
    {"5 has no blank after file:", 5, "qvlalbum.tps", "", 4, "File Creation Error",
        "Error: (Too Many Open Files (4)) opening created file:qvlalbum.tps" + End, X, Ok, b::Ok, b::Ok, -1,
        "File Creation Error!"},
    {"6", 6, "UpdateLabel", "", 0, "Procedure not defined", "The Procedure UpdateLabel has not been defined.", X, Ok,
        b::Ok, b::Ok, b::Ok, ""},
    {"7", 7, "", "", 35, "Record Read Error",
        "Unable to read keyed record.  Error: Record Not Found (35).  Insert Aborted", X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"8", 8, "Track", "99", 0, "Range Error", "The value of Track must be lower than 99.", X, Ok, b::Ok, b::Ok, b::Ok,
        ""},
    {"9", 9, "Track", "0", 0, "Range Error", "The value of Track must be higher than 0.", X, Ok, b::Ok, b::Ok, b::Ok,
        ""},
    {"10", 10, "Side", "1 and 19", 0, "Range Error", "The value of Side must be between 1 and 19.", X, Ok, b::Ok, b::Ok,
        b::Ok, ""},
    {"11", 11, "Media", "Media", 0, "Field Contents Error", "The value for Media must be found in the Media file.", X,
        Ok, b::Ok, b::Ok, b::Ok, ""},
    {"12", 12, "Songs", "", 0, "Referential Integrity Update Error",
        "This record is referenced from the file Songs.  Linking field(s) have been restricted from change and have "
        "been "
        "reset to original values.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"13", 13, "Songs", "", 0, "Referential Integrity Delete Error",
        "This record is referenced from the file Songs.  This record cannot be deleted while these references exist.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"14", 14, "", "", 40, "Record Insert Error",
        "An error was experienced during the update of record.  Error: Creates Duplicate Key (40).", X, Ok, b::Ok,
        b::Ok, b::Ok, ""},
    {"15 other error", 15, "Disk full", "", 40, "Update Operation Error",
        "An error (Creates Duplicate Key (40)) was experienced when attempting to update a record from the file.  "
        "Probable Cause: Disk full.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"15 changed", 15, "Disk full", "", 89, "Update Operation Error", "This record was changed by another station.", X,
        Ok, b::Ok, b::Ok, b::Ok, ""},
    {"15 no error", 15, "Disk full", "", 0, "Update Operation Error", "This record was changed by another station.", X,
        Ok, b::Ok, b::Ok, b::Ok, ""},
    {"16", 16, "", "", 0, "Record Update Error",
        "An error was experienced changing this record.  Do you want to try to save again?", X, YesNoCancel, b::Cancel,
        b::No, b::No, ""},
    {"17", 17, "Songs", "", 33, "Delete Operation Error",
        "An error (Record Not Available (33)) was experienced when attempting to delete a record from the file Songs.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"18", 18, "", "", 0, "Record Update Error",
        "An error was experienced deleting this record.  Do you want to try to save again?", X, YesNoCancel, b::Cancel,
        b::Yes, b::Yes, ""},
    {"19", 19, "", "", 0, "Invalid Request",
        "This procedure was called to insert a record, however inserts are not allowed for this procedure.  Press OK "
        "to "
        "return to the calling procedure",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"20", 20, "", "", 0, "Invalid Request",
        "This procedure was called to change a record, however changes are not allowed for this procedure.  Press OK "
        "to "
        "return to the calling procedure",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"21", 21, "", "", 0, "Invalid Request",
        "This procedure was called to delete a record, however deletions are not allowed for this procedure.  Press OK "
        "to "
        "return to the calling procedure",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"22 joins name and was", 22, "QVLConf.tps", "", 2, "File Creation Not Allowed",
        "The File QVLConf.tpswas not found, and creation of the file is not allowed.  Press OK to end this "
        "application.",
        X, Ok, b::Ok, b::Ok, -1, "File Creation Error!"},
    {"23", 23, "", "", 0, "Update Cancelled", "Are you sure you want to cancel?", Q, YesNo, b::No, b::Yes, b::Yes, ""},
    {"24", 24, "Album", "", 40, "Duplicate Key Error", "Adding this record creates a duplicate entry for the key:Album",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"25", 25, "", "", 40, "Auto Increment Error",
        "Attempts to automatically number this record have failed.  Error: Creates Duplicate Key (40).", X, RetryCancel,
        b::Cancel, b::Retry, b::Retry, ""},
    {"26", 26, "songs.csv", "", 2, "File Load Error", "songs.csv File Load Error.  Error: File Not Found (2).", X, Ok,
        b::Ok, b::Ok, b::Ok, ""},
    {"27", 27, "songs.csv", "", 0, "Cancel Request", "Are you certain you want to stop loading songs.csv?", Q, OkCancel,
        b::Cancel, b::Cancel, b::Cancel, ""},
    {"28", 28, "songs.csv", "", 0, "File Load Error",
        "songs.csv File Load Error.  The file you've requested contains no text.", X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"29 down", 29, "Down", "", 0, "End of File Error",
        "The end of the viewed file was encountered.  Do you want to start again from the beginning?", Q, YesNo, b::Yes,
        b::No, b::No, ""},
    {"29 up", 29, "Up", "", 0, "Beginning of File Error",
        "The beginning of the viewed file was encountered.  Do you want to start again from the end of the file?", Q,
        YesNo, b::Yes, b::Yes, b::Yes, ""},
    {"29 is exact about down", 29, "DOWN", "", 0, "Beginning of File Error",
        "The beginning of the viewed file was encountered.  Do you want to start again from the end of the file?", Q,
        YesNo, b::Yes, b::Yes, b::Yes, ""},
    {"30", 30, "qvlalbum.tps", "", 32, "File Access Error",
        "File (qvlalbum.tps) could not be opened.  Error: File Is Already Locked (32).", X, Ok, b::Ok, b::Ok, b::Ok,
        ""},
    {"31 put", 31, "Put", "Album View", 89, "Process PUT Error",
        "An error was experienced when making changes to the Album View file.  Error: Record Changed By Another "
        "Station (89)",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"31 anything else", 31, "Delete", "Album View", 33, "Process DELETE Error",
        "An error was experienced when deleting a record from the Album View file.  Error: Record Not Available (33)",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"32", 32, "", "", 0, "Confirm Delete",
        "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.", Q, OkCancel,
        b::Cancel, b::Ok, b::Ok, ""},
    {"33", 33, "", "", 0, "Update Cancelled", "Do you want to save the changes to this record?", Q, YesNoCancel, b::No,
        b::Cancel, b::Cancel, ""},
    {"34", 34, "Logout", "Songs", 48, "Transaction Framing Error",
        "Error: (Unable To Log Transaction (48)) attempting to frame the logout transaction on Songs.  Logout "
        "transaction "
        "cancelled.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"35", 35, "Album", "", 37, "Record Retrieval Error",
        "Error: (File Not Open (37)) attempting to access a record from the Album file.  Returning to previous window.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
    {"36", 36, "", "", 47, "View Open Error",
        "Error: (Invalid Data File (47)) attempting to open the current VIEW. Filter and Range Limits ignored.", X, Ok,
        b::Ok, b::Ok, b::Ok, ""},
    {"37", 37, "", "", 0, "Record Added", "This record has been added to the file. Do you want to add another record?",
        Q, YesNo, b::Yes, b::No, b::No, ""},
    {"38", 38, "", "", 89, "Record Was Not Updated",
        "This record was changed by another station. Those changes will now be displayed. Use the Ditto Button or "
        "Ctrl+' "
        "to recall your changes.",
        X, Ok, b::Ok, b::Ok, b::Ok, ""},
};

class FileWarnings : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        rt::setHaltHandler([this](int code, const std::string& text) { halts.push_back({code, text}); });
    }
    void TearDown() override
    {
        rt::setHaltHandler(nullptr);
        tables::clearError();
        CollectionFolder::TearDown();
    }

    struct Halt {
        int code;
        std::string text;
    };
    std::vector<Halt> halts;
};

TEST_F(FileWarnings, EveryNumberedWarning)
{
    for (const WarningCase& c : kWarnings) {
        SCOPED_TRACE(c.what);
        halts.clear();
        rt::HeadlessHost host;
        tables::setError(c.lastError, "qvlalbum.tps");
        int answer = -1;
        host.start("Warn", [&] { answer = FileWarning(c.number, c.text1, c.text2); });
        rt::MessageBoxWindow* box = host.messageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->title(), c.title);
        EXPECT_EQ(box->text(), c.text);
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(answers(*box), c.buttons);
        EXPECT_EQ(box->defaultAnswer(), c.defaultButton);
        host.answer(c.press);
        EXPECT_EQ(host.messageBox(), nullptr);
        EXPECT_EQ(answer, c.answer);
        if (c.halt.empty()) {
            EXPECT_TRUE(halts.empty());
        } else {
            ASSERT_EQ(halts.size(), 1u);
            EXPECT_EQ(halts[0].text, c.halt);
            EXPECT_NE(halts[0].code, 0);
        }
    }
}

TEST_F(FileWarnings, UnknownNumbersShowNothing)
{
    rt::HeadlessHost host;
    std::vector<int> got;
    host.start("Warn", [&] {
        for (int n : {0, 39, 100, -1})
            got.push_back(FileWarningPlain(n));
    });
    EXPECT_EQ(host.messageBox(), nullptr);
    EXPECT_EQ(got, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(halts.empty());
}

TEST_F(FileWarnings, NameAndPlainFormsAndTheErrorText)
{
    rt::HeadlessHost host;
    tables::setError(tables::FileSystemError, "qvldata.tps", "No space left on device", 28);
    EXPECT_EQ(fileErrorText(), "No space left on device (28)");
    host.start("Warn", [&] { FileWarningWithName(30, "qvldata.tps"); });
    EXPECT_EQ(
        host.messageBox()->text(), "File (qvldata.tps) could not be opened.  Error: No space left on device (28).");
    host.answer(b::Ok);
    host.start("Warn", [&] { FileWarningPlain(36); });
    EXPECT_EQ(host.messageBox()->text(),
        "Error: (No space left on device (28)) attempting to open the current VIEW. Filter and Range Limits "
        "ignored.");
    host.answer(b::Ok);

    tables::setError(tables::FileSystemError, "qvldata.tps", std::string(200, 'x'), 5);
    EXPECT_EQ(fileErrorText(), std::string(150, 'x'));
}

} // namespace
} // namespace qv::qvls::testing
