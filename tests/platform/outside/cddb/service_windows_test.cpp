#include "platform/outside/cddb/control_fixture.h"
#include "platform/outside/cddb/xmcd.h"

namespace qv::cddb::testing {
namespace {

class DiscEditor : public ControlTest
{
protected:
    // Opens the disc window on a program thread; `flags` gets its answer.
    rt::Window& open(Disc& disc, int mode)
    {
        flags = 0xFFFF;
        run([&, mode] { flags = control.ShowDiscDialog(disc, mode); });
        return window("CddbDisc");
    }

    // The message the window shows, answered.
    std::string complaint()
    {
        if (!host.messageBox())
            return {};
        const std::string text = host.messageBox()->text();
        host.answer(rt::button::Ok);
        return text;
    }

    Disc known = fromXmcd(fixture("rock/30038e04"), "30038e04");
    std::uint32_t flags = 0;
};

TEST_F(DiscEditor, SubmitWritesTheEditsIntoTheDisc)
{
    known.category = "rock";
    rt::Window& w = open(known, 2);
    EXPECT_EQ(w["?Artist"].value(), "The Lanterns");
    EXPECT_EQ(w["?Genre"].value(), "Indie Rock");
    EXPECT_EQ(w["?Category"].value(), "Rock");
    EXPECT_EQ(host.listCell(w, "?Tracks", 2, 2).value, "Café Étoile");
    EXPECT_EQ(w["?TrackTitle"].value(), "Low Tide"); // the first track, highlighted

    host.enter(w, "?Title", "Harbour Lights (Live)");
    host.enter(w, "?Year", "1999");
    host.choose(w, "?Category", 8); // New Age
    // The highlighted track is edited below the list; the list follows.
    host.choose(w, "?Tracks", 3);
    EXPECT_EQ(w["?TrackTitle"].value(), "Rope \\ Anchor");
    host.enter(w, "?TrackTitle", "Rope and Anchor");
    host.enter(w, "?TrackArtist", "Cora Wynn");
    EXPECT_EQ(host.listCell(w, "?Tracks", 3, 2).value, "Rope and Anchor");
    EXPECT_EQ(host.listCell(w, "?Tracks", 3, 3).value, "Cora Wynn");
    // Typed, then straight to another track: the typing is kept.
    host.type(w, "?TrackTitle", "Rope & Anchor");
    host.choose(w, "?Tracks", 1);
    EXPECT_EQ(host.listCell(w, "?Tracks", 3, 2).value, "Rope & Anchor");
    host.type(w, "?Notes", "Live at the hall.");
    host.press(w, "?Submit");

    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, kFlagChanged | kFlagSubmit);
    EXPECT_TRUE(asksSubmission(flags));
    EXPECT_EQ(known.title, "Harbour Lights (Live)");
    EXPECT_EQ(known.year, "1999");
    EXPECT_EQ(known.category, "newage");
    EXPECT_EQ(known.genreId, "Indie Rock"); // untouched
    EXPECT_EQ(known.tracks[2].title, "Rope & Anchor");
    EXPECT_EQ(known.tracks[2].artist, "Cora Wynn");
    EXPECT_TRUE(known.markPerTrackArtists);
    EXPECT_EQ(known.notes, "Live at the hall.");
    EXPECT_EQ(known.tracks[1].title, "Café Étoile");
}

TEST_F(DiscEditor, SubmitAsksForWhatTheDatabaseNeeds)
{
    DiscRef disc = control.MakeNewDisc(kUnknownToc, "", "");
    rt::Window& w = open(*disc, 2);
    host.press(w, "?Submit");
    EXPECT_EQ(complaint(), "Please enter the disc's artist.");
    host.enter(w, "?Artist", "  Ann Reed ");
    host.enter(w, "?Title", "Two Roads");
    host.enter(w, "?Year", "98");
    host.press(w, "?Submit");
    EXPECT_EQ(complaint(), "The year has four digits, as 1969, or stays blank.");
    host.enter(w, "?Year", "");
    host.press(w, "?Submit");
    EXPECT_NE(complaint().find("category"), std::string::npos);
    host.choose(w, "?Category", 5);
    host.enter(w, "?TrackTitle", "North");
    host.press(w, "?Submit");
    // The track without a title is highlighted, ready for typing.
    EXPECT_EQ(complaint(), "Please enter the title of track 2.");
    EXPECT_EQ(w["?Tracks"].selected(), 2);
    EXPECT_EQ(w.focus(), &w["?TrackTitle"]);
    host.enter(w, "?TrackTitle", "South");
    host.press(w, "?Submit");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, kFlagChanged | kFlagSubmit);
    EXPECT_EQ(disc->artist, "Ann Reed");
    EXPECT_EQ(disc->category, "folk");
    EXPECT_EQ(disc->tracks[1].title, "South");
    EXPECT_FALSE(disc->markPerTrackArtists);
    EXPECT_TRUE(disc->discId.empty()); // still unknown to the database
}

TEST_F(DiscEditor, CancelLeavesTheDiscAsItWas)
{
    const Disc before = known;
    for (const bool close : {false, true}) {
        rt::Window& w = open(known, 2);
        host.enter(w, "?Artist", "Someone Else");
        host.choose(w, "?Category", 1);
        host.enter(w, "?TrackTitle", "Changed");
        if (close)
            host.post(w, rt::Event{rt::event::CloseWindow});
        else
            host.press(w, "?Cancel");
        ASSERT_TRUE(finished);
        EXPECT_EQ(flags, 0u);
        EXPECT_EQ(known.artist, before.artist);
        EXPECT_EQ(known.category, before.category);
        EXPECT_EQ(known.tracks[0].title, before.tracks[0].title);
    }
}

TEST_F(DiscEditor, TheDisplayHasNothingToEdit)
{
    known.genreId = "newage";
    const Disc before = known;
    rt::Window& w = open(known, 0);
    EXPECT_EQ(w["?Genre"].value(), "New Age");
    EXPECT_TRUE(w["?Submit"].hidden());
    EXPECT_TRUE(w["?Cancel"].hidden());
    EXPECT_FALSE(w["?Close"].hidden());
    for (const char* entry : {"?Artist", "?Title", "?Year", "?Genre", "?TrackTitle", "?TrackArtist", "?Notes"})
        EXPECT_THROW(host.enter(w, entry, "x"), std::logic_error) << entry;
    EXPECT_THROW(host.choose(w, "?Category", 2), std::logic_error);
    // Browsing the tracks still shows each one.
    host.choose(w, "?Tracks", 4);
    EXPECT_EQ(w["?TrackTitle"].value().substr(0, 12), "The Long Way");
    host.press(w, "?Close");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(known.genreId, before.genreId);
    EXPECT_EQ(known.tracks[3].title, before.tracks[3].title);
    EXPECT_EQ(failureOf([&] { control.ShowDiscDialog(known, 1); }), hr::kInvalidArgument);
}

class OptionsDialog : public ControlTest
{
protected:
    rt::Window& open()
    {
        flags = 0xFFFF;
        run([this] { flags = control.ShowOptionsDialog(options); });
        return window("CddbOptions");
    }

    Options options = [] {
        Options o;
        o.serverUrl = "http://127.0.0.1:8880/~cddb/cddb.cgi";
        o.submitUrl = "http://127.0.0.1:8880/~cddb/submit.cgi";
        o.email = "ann@example.org";
        o.proxyHost = "proxy.example.org";
        o.proxyPort = 3128;
        o.proxyUser = "ann";
        o.proxyPassword = "s3cret";
        return o;
    }();
    std::uint32_t flags = 0;
};

TEST_F(OptionsDialog, OkWithoutChangesChangesNothing)
{
    rt::Window& w = open();
    EXPECT_EQ(w["?ServerUrl"].value(), options.serverUrl);
    EXPECT_EQ(w["?ProxyPort"].value(), "3128");
    EXPECT_EQ(w["?SubmitMode"].value(), "test");
    EXPECT_EQ(w["?ConnectTimeout"].value(), "10");
    // The password is there but never shown.
    EXPECT_TRUE(w["?ProxyPassword"].def().password);
    EXPECT_FALSE(w["?ProxyUser"].def().password);
    EXPECT_EQ(w["?ProxyPassword"].value(), "s3cret");
    host.press(w, "?OK");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, 0u);
}

TEST_F(OptionsDialog, OkWritesTheChangesAndSaysSo)
{
    const Options before = options;
    rt::Window& w = open();
    host.enter(w, "?ProxyPort", "eighty");
    host.choose(w, "?SubmitMode", 2);
    host.enter(w, "?ProxyPassword", "n3w");
    host.press(w, "?OK");
    ASSERT_NE(host.messageBox(), nullptr);
    EXPECT_EQ(host.messageBox()->text(), "The proxy port is a number from 0 to 65535.");
    host.answer(rt::button::Ok);
    EXPECT_FALSE(finished);
    EXPECT_EQ(options, before); // nothing written while the dialog refuses
    host.enter(w, "?ProxyPort", "8080");
    host.enter(w, "?TransferTimeout", "0");
    host.press(w, "?OK");
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    host.enter(w, "?TransferTimeout", "60");
    host.press(w, "?OK");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, kFlagChanged);
    EXPECT_EQ(options.proxyPort, 8080);
    EXPECT_FALSE(options.testSubmissions);
    EXPECT_EQ(options.proxyPassword, "n3w");
    EXPECT_EQ(options.transferTimeoutSeconds, 60);
    EXPECT_EQ(options.serverUrl, before.serverUrl);
}

TEST_F(OptionsDialog, CancelChangesNothing)
{
    const Options before = options;
    rt::Window& w = open();
    host.enter(w, "?ServerUrl", "http://elsewhere.example.org/cddb");
    host.enter(w, "?ProxyHost", "");
    host.press(w, "?Cancel");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(options, before);
}

TEST_F(OptionsDialog, AddressesMustBeWebAddresses)
{
    rt::Window& w = open();
    for (const char* bad : {"", "ftp://example.org/cddb", "gnudb.org", "http://"}) {
        SCOPED_TRACE(bad);
        host.enter(w, "?ServerUrl", bad);
        host.press(w, "?OK");
        ASSERT_NE(host.messageBox(), nullptr);
        host.answer(rt::button::Ok);
        EXPECT_FALSE(finished);
        EXPECT_EQ(w.focus(), &w["?ServerUrl"]);
    }
    host.enter(w, "?ServerUrl", "HTTPS://gnudb.example.org/~cddb/cddb.cgi");
    host.press(w, "?OK");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, kFlagChanged);
}

} // namespace
} // namespace qv::cddb::testing
