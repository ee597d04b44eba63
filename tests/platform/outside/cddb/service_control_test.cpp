#include <fstream>
#include <sstream>

#include "platform/cdaudio/mci.h"
#include "platform/outside/cddb/control_fixture.h"
#include "platform/runtime/clipboard.h"
#include "platform/runtime/scheduler.h"

namespace qv::cddb::testing {
namespace {

std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out + "\"";
}

// The fixture records, and queries that answer with scripted lists: one
// exact match given as a list of one, and inexact matches.
inline const std::string kListedOnceToc = "5a0a5a04 4 150 18327 34162 50932 912";
inline const std::string kInexactToc = "7e0e6e05 5 150 9000 20000 31000 45000 800";

std::string scriptedDatabase(const std::string& folder)
{
    std::ostringstream json;
    json << "{\"discs\": {";
    const char* names[] = {"rock/30038e04", "folk/21031e05", "jazz/1702ba03", "misc/1702ba03"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        json << (i ? ", " : "") << jsonText(names[i]) << ": " << jsonText(fixture(names[i]));
    json << "}, \"queries\": {"
         << "\"5a0a5a04\": {\"code\": 210, \"matches\": [\"rock/30038e04\"]}, "
         << "\"7e0e6e05\": {\"code\": 211, \"matches\": [\"folk/21031e05\", \"rock/30038e04\"]}}}";
    const std::string path = folder + "/discs.json";
    std::ofstream(path) << json.str();
    return path;
}

class Lookup : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        startServer(scriptedDatabase(config));
    }

    int lookUp(const std::string& toc)
    {
        int found = 0;
        run([&] { found = control.LookupMediaByToc(toc, 0); });
        EXPECT_TRUE(finished);
        EXPECT_EQ(error, 0u) << errorText;
        return found;
    }
};

TEST_F(Lookup, AnExactMatchHandsOverTheWholeRecord)
{
    const std::pair<std::string, const char*> cases[] = {{kHarbourToc, "200"}, {kListedOnceToc, "210"}};
    for (const auto& [toc, status] : cases) {
        SCOPED_TRACE(toc);
        events.lines.clear();
        ASSERT_EQ(lookUp(toc), kExactMatch);
        const LookupResult result = control.TakeLookupResult();
        ASSERT_TRUE(std::holds_alternative<DiscRef>(result));
        const Disc& disc = *std::get<DiscRef>(result);
        EXPECT_EQ(disc.artist, "The Lanterns");
        EXPECT_EQ(disc.title, "Harbour Lights");
        EXPECT_EQ(disc.category, "rock");
        EXPECT_EQ(disc.discId, "30038e04");
        EXPECT_EQ(disc.toc, toc);
        ASSERT_EQ(disc.trackCount(), 4);
        EXPECT_EQ(disc.tracks[1].title, "Café Étoile");
        // Taken once: the next take has nothing.
        EXPECT_TRUE(std::holds_alternative<std::monostate>(control.TakeLookupResult()));

        // The tool's log list: progress in steps, one line per request, the
        // server's word, and no completion event for a call that returned.
        EXPECT_EQ(events.starting("progress"),
            (std::vector<std::string>{"progress 10 1/3", "progress 10 2/3", "progress 10 3/3"}));
        const std::vector<std::string> requests = events.starting("log");
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_NE(requests[0].find("cddb+query"), std::string::npos) << requests[0];
        EXPECT_NE(requests[1].find("cddb+read+rock+30038e04"), std::string::npos) << requests[1];
        EXPECT_EQ(events.starting("server").size(), 1u);
        EXPECT_EQ(events.starting(std::string("server ") + status).size(), 1u);
        EXPECT_TRUE(events.starting("completed").empty());
    }
}

TEST_F(Lookup, SeveralMatchesComeAsAListOfPartialRecords)
{
    struct Case {
        std::string toc;
        std::vector<std::string> expected; // category, disc id, artist, title
    };
    const Case cases[] = {
        {kSketchesToc, {"jazz 1702ba03 Sketches Sketches", "misc 1702ba03 Quiet Rooms Sketches"}},
        {kInexactToc, {"folk 21031e05 Various Folk Roads", "rock 30038e04 The Lanterns Harbour Lights"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toc);
        ASSERT_EQ(lookUp(c.toc), kSeveralMatches);
        const LookupResult result = control.TakeLookupResult();
        ASSERT_TRUE(std::holds_alternative<MatchListRef>(result));
        std::vector<std::string> shown;
        for (const DiscRef& d : std::get<MatchListRef>(result)->discs) {
            shown.push_back(d->category + " " + d->discId + " " + d->artist + " " + d->title);
            EXPECT_EQ(d->toc, c.toc);
            EXPECT_TRUE(d->tracks.empty());
        }
        EXPECT_EQ(shown, c.expected);
    }
}

TEST_F(Lookup, NoMatchLeavesNothingToTake)
{
    EXPECT_EQ(lookUp(kUnknownToc), kNoMatch);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(control.TakeLookupResult()));
    EXPECT_EQ(events.starting("server 202").size(), 1u);
}

TEST_F(Lookup, ThePersonPicksOneOfSeveralAndItsRecordIsRead)
{
    ASSERT_EQ(lookUp(kSketchesToc), kSeveralMatches);
    const MatchListRef matches = std::get<MatchListRef>(control.TakeLookupResult());

    DiscRef chosen;
    run([&] { chosen = control.PickMatchedDisc(*matches); });
    rt::Window& w = window("CddbMatches");
    ASSERT_EQ(host.listCell(w, "?Matches", 2, 2).value, "Quiet Rooms / Sketches");
    EXPECT_EQ(host.listCell(w, "?Matches", 1, 2).value, "Sketches");
    EXPECT_EQ(w["?Matches"].selected(), 1);
    host.choose(w, "?Matches", 2);
    host.press(w, "?OK");
    ASSERT_TRUE(finished);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->category, "misc");

    DiscRef full;
    run([&] { full = control.CompleteDiscRecord(*chosen, 0); });
    ASSERT_TRUE(finished);
    ASSERT_EQ(error, 0u) << errorText;
    ASSERT_TRUE(full);
    EXPECT_EQ(full->artist, "Quiet Rooms");
    ASSERT_EQ(full->trackCount(), 3);
    EXPECT_EQ(full->tracks[2].title, "Three");
    EXPECT_EQ(full->toc, kSketchesToc);

    // A disc the person entered has no record to read.
    Disc entered;
    entered.title = "Mine";
    EXPECT_EQ(failureOf([&] { control.CompleteDiscRecord(entered, 0); }), hr::kInvalidArgument);
}

TEST_F(Lookup, CancellingOrClosingThePickChoosesNone)
{
    ASSERT_EQ(lookUp(kSketchesToc), kSeveralMatches);
    const MatchListRef matches = std::get<MatchListRef>(control.TakeLookupResult());
    for (const bool close : {false, true}) {
        DiscRef chosen = std::make_shared<Disc>();
        run([&] { chosen = control.PickMatchedDisc(*matches); });
        rt::Window& w = window("CddbMatches");
        host.choose(w, "?Matches", 2);
        if (close)
            host.post(w, rt::Event{rt::event::CloseWindow});
        else
            host.press(w, "?Cancel");
        ASSERT_TRUE(finished);
        EXPECT_FALSE(chosen);
    }
    // Nothing to choose from: no window, no disc.
    DiscRef none = std::make_shared<Disc>();
    run([&] { none = control.PickMatchedDisc(MatchList{}); });
    EXPECT_TRUE(finished);
    EXPECT_FALSE(none);
}

TEST_F(Lookup, FailuresAreComErrorsWithTheirCodes)
{
    struct Case {
        const char* fault; // the server's scripted answer; null: none
        std::string toc;
        std::uint32_t code;
    };
    const Case cases[] = {
        {"\"403\"", kHarbourToc, hr::kServer},
        {"\"500\"", kHarbourToc, hr::kServer},
        {"\"http500\"", kHarbourToc, hr::kServer},
        {"\"malformed\"", kHarbourToc, hr::kBadAnswer},
        {"\"truncated\"", kSketchesToc, hr::kBadAnswer},
        {"\"nonutf8\"", kHarbourToc, hr::kBadAnswer},
        {nullptr, "not a table of contents", hr::kInvalidArgument},
        {nullptr, "", hr::kInvalidArgument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault ? c.fault : c.toc);
        if (c.fault)
            server->setFault(c.fault);
        else
            server->clearFault();
        EXPECT_EQ(failureOf([&] { control.LookupMediaByToc(c.toc, 0); }), c.code) << errorText;
        EXPECT_FALSE(errorText.empty());
        EXPECT_TRUE(std::holds_alternative<std::monostate>(control.TakeLookupResult()));
    }
    // The read of a chosen disc fails the same way.
    Disc chosen;
    chosen.category = "rock";
    chosen.discId = "30038e04";
    server->setFault("\"401\"");
    EXPECT_EQ(failureOf([&] { control.CompleteDiscRecord(chosen, 0); }), hr::kServer);
}

TEST_F(Lookup, AServerThatIsNotThereIsANetworkFailure)
{
    Options o = *control.FetchOptions();
    const int port = server->port();
    server.reset(); // nothing listens there any more
    o.serverUrl = "http://127.0.0.1:" + std::to_string(port) + "/~cddb/cddb.cgi";
    control.ApplyOptions(o);
    EXPECT_EQ(failureOf([&] { control.LookupMediaByToc(kHarbourToc, 0); }), hr::kNetwork);
}

TEST_F(Lookup, CancelEndsTheWaitForAnAnswer)
{
    server->setFault("\"timeout\"", 30);
    // The lookup waits for the slow server; another thread of the program
    // cancels as soon as the request is on its way, as a Cancel button
    // would: through cancel(), or through the host's own cancel check.
    bool stop = false;
    CddbServiceControl checked([&stop] { return stop; });
    checked.connect(&events);
    const std::pair<CddbServiceControl*, std::function<void()>> ways[] = {
        {&control, [this] { control.cancel(); }},
        {&checked, [&stop] { stop = true; }},
    };
    auto& scheduler = rt::Scheduler::instance();
    for (const auto& [target, cancel] : ways) {
        events.lines.clear();
        finished = false;
        error = 0;
        int found = -1;
        scheduler.start("Lookup", [&, target] {
            try {
                found = target->LookupMediaByToc(kHarbourToc, 0);
            } catch (const ComError& e) {
                error = e.code();
            }
            finished = true;
        });
        scheduler.start("Cancel", [&, cancel] {
            while (events.starting("log").empty())
                scheduler.yield();
            cancel();
        });
        host.settle();
        ASSERT_TRUE(finished);
        EXPECT_EQ(found, -1);
        EXPECT_EQ(error, hr::kCancelled);
    }
    // The next lookup is not cancelled by the one before.
    server->clearFault();
    control.cancel(); // nothing runs: no effect
    EXPECT_EQ(lookUp(kHarbourToc), kExactMatch);
}

TEST_F(Lookup, ATocReadFromTheDriveIsLookedUp)
{
    const std::string tocFile = config + "/harbour.toc";
    std::ofstream(tocFile) << "track 1 150\ntrack 2 18327\ntrack 3 34162\ntrack 4 50932\nleadout 68400\n";
    cdaudio::setDriveOverrides({{"D:", tocFile}});
    std::string toc;
    run([&] { toc = control.ReadTocFromDevice(0); });
    EXPECT_EQ(toc, kHarbourToc);
    EXPECT_EQ(lookUp(toc), kExactMatch);

    std::ofstream(tocFile) << "disc none\n";
    run([&] { toc = control.ReadTocFromDevice(0); });
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(toc, "");
    cdaudio::setDriveOverrides({});
}

TEST_F(Lookup, TheMessageOfTheDayIsShown)
{
    run([&] { control.SwitchMOperation(CddbServiceControl::kMessageOfTheDay); });
    ASSERT_NE(host.messageBox(), nullptr);
    EXPECT_EQ(host.messageBox()->title(), "Message of the Day");
    EXPECT_NE(host.messageBox()->text().find("Welcome to the loopback disc database."), std::string::npos);
    host.answer(rt::button::Ok);
    EXPECT_TRUE(finished);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(failureOf([&] { control.SwitchMOperation(1); }), hr::kInvalidArgument);
}

TEST_F(Lookup, TheAboutBoxNamesTheServer)
{
    run([&] { control.ShowAboutBox(); });
    rt::Window& w = window("CddbAbout");
    EXPECT_EQ(w["?Server"].text(), server->queryUrl());
    host.press(w, "?OK");
    EXPECT_TRUE(finished);
}

class Submission : public ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        startServer();
    }

    DiscRef filledDisc()
    {
        DiscRef disc = control.MakeNewDisc(kUnknownToc, "Ann Reed", "Two Roads");
        disc->track(1).title = "North";
        disc->track(2).title = "South";
        disc->category = "folk";
        return disc;
    }
};

TEST_F(Submission, ANewDiscIsSubmittedWithItsCategoryAndTheTocsDiscId)
{
    const DiscRef disc = filledDisc();
    run([&] { control.SubmitDisc(*disc, 0); });
    ASSERT_TRUE(finished);
    ASSERT_EQ(error, 0u) << errorText;
    const std::vector<std::string> sent = server->submissions();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("09012a02"), std::string::npos) << sent[0];
    EXPECT_NE(sent[0].find("folk"), std::string::npos) << sent[0];
    EXPECT_NE(sent[0].find("Ann Reed / Two Roads"), std::string::npos) << sent[0];
    EXPECT_EQ(events.starting("progress"), (std::vector<std::string>{"progress 18 1/2", "progress 18 2/2"}));

    // Without a category there is nothing to file it under.
    disc->category.clear();
    EXPECT_EQ(failureOf([&] { control.SubmitDisc(*disc, 0); }), hr::kInvalidArgument);
    EXPECT_EQ(server->submissions().size(), 1u);
}

TEST_F(Submission, MakeNewDiscNeedsATocThatParses)
{
    const DiscRef disc = control.MakeNewDisc(kFolkToc, "", "");
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->trackCount(), 5);
    EXPECT_EQ(disc->toc, kFolkToc);
    EXPECT_TRUE(disc->category.empty() && disc->discId.empty());
    EXPECT_EQ(disc->revision, -1);
    EXPECT_TRUE(disc->track(5).title.empty());
    EXPECT_THROW(disc->track(6), ComError);
    EXPECT_THROW(disc->track(0), ComError);

    for (const char* bad : {"", "30038e04", "30038e04 4 150 18327 34162 912", "3003ze04 4 150 18327 34162 50932 912",
             "30038e04 2 18327 150 912", "30038e04 0 912", "30038e04 4 150 18327 34162 50932 1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(control.MakeNewDisc(bad, "", ""));
    }
}

TEST_F(Submission, EditAndSubmitTocEditsANewDiscAndSubmitsIt)
{
    std::uint32_t flags = 0;
    run([&] { flags = control.EditAndSubmitToc(kUnknownToc, 0); });
    rt::Window& w = window("CddbDisc");
    host.enter(w, "?Artist", "Ann Reed");
    host.enter(w, "?Title", "Two Roads");
    host.choose(w, "?Category", 5); // Folk
    host.enter(w, "?TrackTitle", "North");
    host.choose(w, "?Tracks", 2);
    host.enter(w, "?TrackTitle", "South");
    host.press(w, "?Submit");
    ASSERT_TRUE(finished);
    ASSERT_EQ(error, 0u) << errorText;
    EXPECT_EQ(flags, kFlagChanged | kFlagSubmit);
    ASSERT_EQ(server->submissions().size(), 1u);
    EXPECT_NE(server->submissions()[0].find("South"), std::string::npos);

    // Cancelled: nothing goes out.
    run([&] { flags = control.EditAndSubmitToc(kUnknownToc, 0); });
    host.press(window("CddbDisc"), "?Cancel");
    ASSERT_TRUE(finished);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(server->submissions().size(), 1u);
}

TEST_F(Submission, TheRecordGoesToTheClipboard)
{
    const DiscRef disc = filledDisc();
    run([&] { control.SwitchBOperation(*disc, 0, 0); });
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    ASSERT_TRUE(finished);
    EXPECT_NE(rt::clipboard().text().find("DTITLE=Ann Reed / Two Roads"), std::string::npos) << rt::clipboard().text();
    EXPECT_NE(rt::clipboard().text().find("TTITLE1=South"), std::string::npos);
}

class Service : public ControlTest
{ };

TEST_F(Service, SignUpStoresTheUserAndCancelRefuses)
{
    EXPECT_FALSE(control.QueryServiceUser(0));

    // Cancel: still nobody.
    ServiceUserRef user = std::make_shared<ServiceUser>();
    run([&] { user = control.QueryServiceUser(1); });
    rt::Window& first = window("CddbUser");
    EXPECT_FALSE(first["?Name"].value().empty()); // the local user's name
    host.enter(first, "?Email", "ann@example.org");
    host.press(first, "?Cancel");
    ASSERT_TRUE(finished);
    EXPECT_FALSE(user);
    EXPECT_FALSE(control.QueryServiceUser(0));

    // OK needs a name and an address that can be one.
    run([&] { user = control.QueryServiceUser(1); });
    rt::Window& w = window("CddbUser");
    host.enter(w, "?Name", "Ann Reed");
    host.enter(w, "?Email", "ann at example");
    host.press(w, "?OK");
    ASSERT_NE(host.messageBox(), nullptr);
    host.answer(rt::button::Ok);
    EXPECT_FALSE(finished);
    host.enter(w, "?Email", "ann@example.org");
    host.press(w, "?OK");
    ASSERT_TRUE(finished);
    ASSERT_TRUE(user);
    EXPECT_EQ(user->name, "Ann Reed");

    // Kept for the next run: another control finds the same user silently,
    // and its sign-up starts from it; a cancel there keeps it.
    CddbServiceControl next;
    const ServiceUserRef stored = next.QueryServiceUser(0);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->email, "ann@example.org");
    run([&] { user = next.QueryServiceUser(1); });
    rt::Window& again = window("CddbUser");
    EXPECT_EQ(again["?Name"].value(), "Ann Reed");
    host.press(again, "?Cancel");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->name, "Ann Reed");
    EXPECT_EQ(failureOf([&] { control.QueryServiceUser(2); }), hr::kInvalidArgument);
}

TEST_F(Service, AppliedOptionsAreKeptForTheNextRun)
{
    Options o = *control.FetchOptions();
    o.proxyHost = "proxy.example.org";
    o.proxyPort = 3128;
    o.proxyPassword = "s3cret";
    o.testSubmissions = false;
    control.ApplyOptions(o);
    EXPECT_EQ(*control.FetchOptions(), o);
    CddbServiceControl next;
    EXPECT_EQ(*next.FetchOptions(), o);
}

TEST_F(Service, GenresAreNamedAndTheListsAreEmpty)
{
    const GenreListRef genres = control.ObtainGenreList(0);
    ASSERT_TRUE(genres);
    const std::pair<const char*, const char*> cases[] = {{"newage", "New Age"}, {"soundtrack", "Soundtrack"},
        {"rock", "Rock"}, {"misc", "Misc"}, {"Indie Rock", "Indie Rock"}, {"", ""}, {"NEWAGE", "NEWAGE"}};
    for (const auto& [id, name] : cases)
        EXPECT_EQ(genres->name(id), name) << id;
    for (const std::string& category : categories())
        EXPECT_NE(genres->name(category), category) << "no name for " << category;
    EXPECT_TRUE(control.ObtainRegionList(0)->regions.empty());
    ASSERT_TRUE(control.ObtainDiscLinks(Disc{}, 0));
    EXPECT_TRUE(control.ObtainDiscLinks(Disc{}, 0)->links.empty());
}

} // namespace
} // namespace qv::cddb::testing
