#include <gtest/gtest.h>

#include "platform/framework/error_reporter.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/errors.h"

using namespace qv;
using namespace qv::fw;

namespace {

struct ExpandCase {
    const char* what;
    const char* text;
    const char* field;
    const char* file;
    const char* message;
    const char* errorText;
    int errorCode;
    const char* expected;
};

class Expansion : public ::testing::TestWithParam<ExpandCase>
{ };

TEST_P(Expansion, ReplacesPlaceholders)
{
    const ExpandCase& c = GetParam();
    ErrorReporter r;
    r.SetField(c.field);
    r.setFile(c.file);
    r.setMessageText(c.message);
    r.setErrorText(c.errorText, c.errorCode);
    EXPECT_EQ(r.expand(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, Expansion,
    ::testing::Values(ExpandCase{"range", "The value of %Field must be between %Message.", "Rating", "", "0 and 10", "",
                          0, "The value of Rating must be between 0 and 10."},
        ExpandCase{"trailingBlanksOfValues", "The value of %Field must be found in the %Message file.",
            "Media (Song)    ", "", "Media   ", "", 0, "The value of Media (Song) must be found in the Media file."},
        ExpandCase{"leadingBlanksKept", "[%Field]", "  Chart", "", "", "", 0, "[  Chart]"},
        ExpandCase{"errorTextAndCode", "Error %ErrorCode (%ErrorText) on %File.", "", "Songs [Quorvel]", "",
            "Record Not Found", 35, "Error 35 (Record Not Found) on Songs [Quorvel]."},
        ExpandCase{"repeated", "%File/%File", "", "qvlalbum", "", "", 0, "qvlalbum/qvlalbum"},
        ExpandCase{"followedByLetters", "%Files", "", "Album", "", "", 0, "Albums"},
        ExpandCase{
            "valueNotExpandedAgain", "The value of %Field.", "%Message", "", "secret", "", 0, "The value of %Message."},
        ExpandCase{"unknownAndLonePercent", "%Foo is 100%", "x", "", "", "", 0, "%Foo is 100%"},
        ExpandCase{"emptyValues", "[%Field][%Message]", "", "", "", "", 0, "[][]"},
        ExpandCase{"empty", "", "a", "b", "c", "d", 1, ""}),
    [](const auto& info) { return std::string(info.param.what); });

struct ShownCase {
    const char* what;
    Msg msg;
    int press;
    Level expected;
    const char* title;
    const char* text;
};

class Shown : public ::testing::TestWithParam<ShownCase>
{ };

TEST_P(Shown, TitleTextAndLevelOfTheAnswer)
{
    const ShownCase& c = GetParam();
    rt::HeadlessHost host;
    ErrorReporter r;
    r.setFile("Playlist Details (Songs) [PlaylistDetails]");
    r.setMessageText("Artists");
    r.setErrorText("File Not Open", 37);
    Level level = Fatal;
    host.start("Asker", [&] { level = r.raise(c.msg); });
    rt::MessageBoxWindow* box = host.messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), c.title);
    EXPECT_EQ(box->text(), c.text);
    host.answer(c.press);
    EXPECT_EQ(level, c.expected);
    EXPECT_EQ(r.lastTitle(), c.title);
    EXPECT_EQ(r.messageCount(), 1);
}

namespace button = qv::rt::button;

INSTANTIATE_TEST_SUITE_P(Messages, Shown,
    ::testing::Values(ShownCase{"saveYes", Msg::SaveRecord, button::Yes, Benign, "Save Record",
                          "Do you want to save the changes to this record?"},
        ShownCase{"saveNo", Msg::SaveRecord, button::No, User, "Save Record",
            "Do you want to save the changes to this record?"},
        ShownCase{"saveCancel", Msg::SaveRecord, button::Cancel, Cancel, "Save Record",
            "Do you want to save the changes to this record?"},
        ShownCase{"confirmDeleteNo", Msg::ConfirmDelete, button::No, User, "Confirm Delete",
            "Are you sure you want to delete the highlighted record?"},
        ShownCase{"restrictDelete", Msg::RestrictDelete, button::Ok, User, "Referential Integrity Delete Error",
            "This record is referenced from the file Playlist Details (Songs) [PlaylistDetails]. This record "
            "cannot be deleted while these references exist."},
        ShownCase{"changedByAnother", Msg::ChangedByAnother, button::Ok, User, "Record Was Not Updated",
            "This record was changed by another station. Those changes will now be displayed. Use the Ditto "
            "Button or Ctrl+' to recall your changes."},
        ShownCase{"autoIncrementYes", Msg::RetryAutoInc, button::Yes, Benign, "Auto Increment Error",
            "Attempts to automatically number this Playlist Details (Songs) [PlaylistDetails] record have "
            "failed. Error: File Not Open. Try Again?"},
        ShownCase{"autoIncrementNo", Msg::RetryAutoInc, button::No, User, "Auto Increment Error",
            "Attempts to automatically number this Playlist Details (Songs) [PlaylistDetails] record have "
            "failed. Error: File Not Open. Try Again?"},
        ShownCase{"transaction", Msg::AbortTransaction, button::Ok, Program, "Transaction cancelled",
            "Error: (File Not Open) attempting to frame the transaction on Playlist Details (Songs) "
            "[PlaylistDetails]."}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ErrorReporter, EndOfTableShowsNothing)
{
    ErrorReporter r;
    EXPECT_EQ(r.raise(Msg::RecordLimit), Notify);
    EXPECT_EQ(r.messageCount(), 0);
}

TEST(ErrorReporter, ErrorTextIsTheDriversUnlessSetForOneMessage)
{
    ErrorReporter r;
    r.setSilent(true);
    r.setFile("Albums [Album]");
    tables::setError(tables::RecordNotFound, "albums.tps");
    r.raise(Msg::RecordRetrievalError);
    EXPECT_EQ(r.lastText(), "Error 35 (Record Not Found) attempting to read a record from the file Albums [Album].");

    r.setErrorText("Disk full", 90);
    r.raise(Msg::UpdateFailed);
    EXPECT_EQ(r.lastText(), "Error 90 (Disk full) attempting to change a record of the file Albums [Album].");

    r.raise(Msg::UpdateFailed);
    EXPECT_EQ(r.lastText(), "Error 35 (Record Not Found) attempting to change a record of the file Albums [Album].");
    tables::clearError();
}

TEST(ErrorReporter, SilentAnswersTheDefaultButton)
{
    ErrorReporter r;
    r.setSilent(true);
    EXPECT_EQ(r.raise(Msg::SaveRecord), Cancel);
    EXPECT_EQ(r.raise(Msg::ConfirmDelete), User);
    EXPECT_EQ(r.throwMessage(Msg::FieldOutOfRange, "0 and 99"), User);
    EXPECT_EQ(r.lastTitle(), "Range Error");
    EXPECT_EQ(r.messageCount(), 3);
}

TEST(ErrorReporter, ProcedureNamesArePerThread)
{
    rt::HeadlessHost host;
    ErrorReporter r;
    r.pushProcedure("Main");
    std::vector<std::string> list, wizard;
    auto& s = rt::Scheduler::instance();
    // Both threads run turn about: each yields while the other has pushed.
    s.start("List", [&] {
        r.pushProcedure("BrowseAlbums");
        s.yield();
        list.push_back(r.currentProcedure());
        r.pushProcedure("UpdateAlbum");
        s.yield();
        list.push_back(r.currentProcedure());
        r.popProcedure();
        list.push_back(r.currentProcedure());
    });
    s.start("Wizard", [&] {
        wizard.push_back(r.currentProcedure());
        r.pushProcedure("CDDBWizard");
        s.yield();
        wizard.push_back(r.currentProcedure());
        s.yield();
        wizard.push_back(r.currentProcedure());
    });
    host.settle();
    EXPECT_EQ(list, (std::vector<std::string>{"BrowseAlbums", "UpdateAlbum", "BrowseAlbums"}));
    EXPECT_EQ(wizard, (std::vector<std::string>{"", "CDDBWizard", "CDDBWizard"}));
    EXPECT_EQ(r.currentProcedure(), "Main");

    // A thread that reuses an ended thread's number starts with no names.
    std::string fresh = "?";
    host.start("Again", [&] { fresh = r.currentProcedure(); });
    EXPECT_EQ(fresh, "");
    r.popProcedure();
    r.popProcedure(); // more pops than pushes are harmless
    EXPECT_EQ(r.currentProcedure(), "");
}

} // namespace
