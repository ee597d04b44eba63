// The form shape: the record action by request, the caption, Cancel's
// question, OK's pass over every field, and the lookup of an entry with a
// "..." button.

#include <sstream>

#include "data_fixture.h"
#include "fwtest/windows/UpdateAlbum.h"
#include "platform/framework/form_controller.h"
#include "platform/framework/handover.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/resources.h"

std::span<const qv::rt::EmbeddedFile> fwtestResources();

namespace qv::fw::testing {
namespace {

namespace ctl = qv::fwtest::ctl::UpdateAlbum;

std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Counts the refreshes the form lets through.
struct RefreshCounter : WindowComponent {
    int count = 0;
    void Refresh() override { ++count; }
};

// The album form: its title must not be "Untitled", and its media is looked
// up in the media formats through the list "BrowseMedia".
class AlbumForm : public FormController
{
public:
    AlbumForm(Catalogue& c, FormController::Lookup media)
        : FormController("fwtest", "UpdateAlbum", c.albumSet)
    {
        onField(ctl::Title, [this] {
            ran.push_back("Title");
            sawValidating = validating() && window().acceptingAll();
            Refresh();
            return trimmed(title()) != "Untitled";
        });
        onField(ctl::Rating, [this] {
            ran.push_back("Rating");
            return true;
        });
        lookup(std::move(media));
    }
    Level prepareForm() override
    {
        addComponent(refreshes);
        return Benign;
    }

    std::vector<std::string> ran;
    bool sawValidating = false;
    RefreshCounter refreshes;

private:
    std::string title() const { return resolveUse("ALB:Title")->get(); }
};

class Forms : public ::testing::Test
{
protected:
    Catalogue c;
    std::int64_t arrival = 0, blue = 0;
    // What the media list was asked, and what it answers: a format to
    // select, or "" to cancel.
    std::vector<std::string> listCalls;
    std::string listChoice;
    int response = -1;
    rt::Window* form = nullptr;
    AlbumForm* live = nullptr;

    void SetUp() override
    {
        rt::ResourceStore::add("fwtest", fwtestResources());
        registerRecord(c.albums.record());
        registerRecord(c.media.record());
        handover() = Handover{};
        for (const char* m : {"CD", "LP", "Cassette"})
            c.addMedia(m);
        arrival = c.addAlbum("Arrival", "LP");
        blue = c.addAlbum("Blue", "CD");
        rt::Procedures::add("BrowseMedia", [this] {
            listCalls.push_back("request " + std::to_string(handover().request) + " at "
                + trimmed(c.media.record()["MED:Media"].toString()));
            if (listChoice.empty()) {
                handover().response = response::Cancelled;
                return;
            }
            c.media.record()["MED:Media"] = listChoice;
            handover().response = response::Completed;
        });
    }
    void TearDown() override
    {
        unregisterRecord(c.albums.record());
        unregisterRecord(c.media.record());
        handover() = Handover{};
    }

    FormController::Lookup mediaLookup(bool blankOpensList = false)
    {
        FormController::Lookup l{
            ctl::Media, ctl::MediaLookup, &c.mediaAccess, "MED:KeyMedia", "BrowseMedia", {{"MED:Media", "ALB:Media"}}};
        l.blankOpensList = blankOpensList;
        return l;
    }

    // Opens the form with a request on a thread of its own; the album buffer
    // holds `album` (0: cleared, for an insert).
    void open(int request, std::int64_t album = 0, bool blankOpensList = false)
    {
        if (album)
            c.loadAlbum(album);
        else
            c.albums.record().clear();
        c.host.start("form", [this, request, blankOpensList] {
            handover().request = request;
            AlbumForm f(c, mediaLookup(blankOpensList));
            live = &f;
            response = f.Execute();
            live = nullptr;
        });
        c.host.settle();
        form = c.host.window("UpdateAlbum");
    }

    bool formOpen() const { return form && c.host.window("UpdateAlbum") == form; }

    // Each step as a user takes it: "type Title Blue", "press OK", "answer No".
    void run(const std::vector<std::string>& steps)
    {
        for (const std::string& step : steps) {
            std::istringstream in(step);
            std::string verb, what, value;
            in >> verb >> what;
            std::getline(in >> std::ws, value);
            if (verb == "type")
                c.host.enter(*form, "?" + what, value);
            else if (verb == "press")
                c.host.press(*form, "?" + what);
            else if (verb == "answer")
                c.host.answer(what == "Yes" ? rt::button::Yes : what == "No" ? rt::button::No : rt::button::Cancel);
        }
    }

    std::vector<std::string> titles() { return Catalogue::rows(c.albums); }
    std::string box() const
    {
        const rt::MessageBoxWindow* m = c.host.messageBox();
        return m ? m->title() : std::string();
    }
};

TEST_F(Forms, EachRequestOpensSavesOrLeavesTheRecordAsTheUserDecides)
{
    struct Case {
        const char* what;
        int request;
        bool onArrival;
        std::vector<std::string> steps;
        const char* caption; // "" when the window never opens
        int response;
        std::vector<std::string> albums;
    };
    const std::vector<std::string> before{"1|Arrival|LP|0", "2|Blue|CD|0"};
    const Case cases[] = {
        {"insert saved", request::Insert, false, {"type Title Waterloo", "press OK"}, "Add Album", response::Completed,
            {"1|Arrival|LP|0", "2|Blue|CD|0", "3|Waterloo||0"}},
        {"insert cancelled", request::Insert, false, {"type Title Waterloo", "press Cancel", "answer No"}, "Add Album",
            response::Cancelled, before},
        {"none counts as insert; the caller primes", request::None, false, {"press OK"}, "Add Album",
            response::Completed, {"1|Arrival|LP|0", "2|Blue|CD|0", "3|||0"}},
        {"change saved", request::Change, true, {"type Title Arrival (Deluxe)", "press OK"}, "Change Album",
            response::Completed, {"1|Arrival (Deluxe)|LP|0", "2|Blue|CD|0"}},
        {"change cancelled", request::Change, true, {"type Title Voulez-Vous", "press Cancel", "answer No"},
            "Change Album", response::Cancelled, before},
        {"change cancelled, Yes saves", request::Change, true, {"type Title Voulez-Vous", "press Cancel", "answer Yes"},
            "Change Album", response::Completed, {"1|Voulez-Vous|LP|0", "2|Blue|CD|0"}},
        {"untouched change cancelled asks nothing", request::Change, true, {"press Cancel"}, "Change Album",
            response::Cancelled, before},
        {"delete confirmed", request::Delete, true, {"answer Yes"}, "", response::Completed, {"2|Blue|CD|0"}},
        {"delete refused", request::Delete, true, {"answer No"}, "", response::Cancelled, before},
        {"view saves nothing", request::Select, true, {"press OK"}, "Update Album", response::Completed, before},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        open(k.request, k.onArrival ? arrival : 0);
        if (*k.caption) {
            ASSERT_TRUE(formOpen());
            EXPECT_EQ(form->title(), k.caption);
        } else {
            EXPECT_EQ(form, nullptr) << "a delete never shows the form";
            EXPECT_EQ(box(), "Confirm Delete");
        }
        run(k.steps);
        EXPECT_FALSE(formOpen());
        EXPECT_EQ(response, k.response);
        EXPECT_EQ(titles(), k.albums);
        // Back to the two albums for the next case.
        c.albums.setOrder(0);
        while (c.albums.next() == 0)
            c.albums.remove();
        arrival = c.addAlbum("Arrival", "LP");
        blue = c.addAlbum("Blue", "CD");
        c.albums.record().clear();
    }
}

TEST_F(Forms, CancellingTheSaveQuestionGoesBackToTheFirstField)
{
    open(request::Change, arrival);
    run({"type Rating 7"});
    form->select((*form)["?Rating"]);
    run({"press Cancel"});
    EXPECT_EQ(box(), "Save Record");
    run({"answer Cancel"});
    ASSERT_TRUE(formOpen());
    EXPECT_EQ(form->focus()->name(), "?Title");
    run({"press Cancel", "answer No"});
    EXPECT_EQ(response, response::Cancelled);
}

TEST_F(Forms, AViewShowsTheRecordWithItsFieldsOff)
{
    open(request::Select, blue);
    ASSERT_TRUE(formOpen());
    EXPECT_EQ((*form)["?Title"].value(), "Blue");
    for (const char* field : {"?Title", "?Media", "?Rating"})
        EXPECT_FALSE((*form)[field].enabled()) << field;
    EXPECT_TRUE((*form)["?OK"].enabled());
    run({"press Cancel"});
    EXPECT_EQ(response, response::Cancelled);
}

TEST_F(Forms, OkRunsEveryFieldInControlOrderAndStopsAtTheFirstRefusal)
{
    open(request::Change, arrival);
    run({"type Title Untitled"});
    live->ran.clear();
    const int refreshesBefore = live->refreshes.count;
    run({"press OK"});
    ASSERT_TRUE(formOpen()) << "a refused field keeps the form open";
    EXPECT_EQ(live->ran, std::vector<std::string>{"Title"}) << "the rating after it did not run";
    EXPECT_TRUE(live->sawValidating);
    EXPECT_EQ(live->refreshes.count, refreshesBefore) << "refreshes wait while the fields are checked";
    EXPECT_FALSE(form->acceptingAll());
    EXPECT_EQ(form->focus()->name(), "?Title");
    EXPECT_EQ(titles(), (std::vector<std::string>{"1|Arrival|LP|0", "2|Blue|CD|0"}));

    // The media lookup refuses a format it cannot find when the list is
    // cancelled: OK stops there, after the title and before the rating.
    run({"type Title Arrival", "type Media Tape"});
    listCalls.clear();
    live->ran.clear();
    run({"press OK"});
    EXPECT_EQ(live->ran, std::vector<std::string>{"Title"});
    EXPECT_EQ(listCalls, std::vector<std::string>{"request 4 at Tape"});
    EXPECT_EQ(form->focus()->name(), "?Media");

    run({"type Media lp", "press OK"});
    EXPECT_FALSE(formOpen());
    EXPECT_EQ(response, response::Completed);
    EXPECT_EQ(titles(), (std::vector<std::string>{"1|Arrival|LP|0", "2|Blue|CD|0"}));
}

TEST_F(Forms, TheLookupOfAnEntryWithItsListButton)
{
    struct Case {
        const char* what;
        bool blankOpensList;
        std::vector<std::string> steps;
        const char* choice; // what the list selects; "" cancels
        const char* media; // ALB:Media afterwards
        std::vector<std::string> calls;
        const char* focus; // the field the user is on afterwards; "" when the entry was left
    };
    const Case cases[] = {
        {"blank accepted", false, {"type Media  "}, "LP", "", {}, ""},
        {"blank opens the list", true, {"type Media  "}, "LP", "LP", {"request 4 at "}, ""},
        {"found by its key, as the table spells it", false, {"type Media cassette"}, "LP", "Cassette", {}, ""},
        {"not found, then selected", false, {"type Media Tape"}, "LP", "LP", {"request 4 at Tape"}, ""},
        {"not found, then cancelled", false, {"type Media Tape"}, "", "Tape", {"request 4 at Tape"}, "?Media"},
        {"the button opens the list at the value", false, {"press MediaLookup"}, "Cassette", "Cassette",
            {"request 4 at CD"}, ""},
        {"the button's list cancelled", false, {"press MediaLookup"}, "", "CD", {"request 4 at CD"}, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        listCalls.clear();
        listChoice = k.choice;
        open(request::Change, blue, k.blankOpensList);
        ASSERT_TRUE(formOpen());
        form->select((*form)["?Title"]);
        run(k.steps);
        EXPECT_EQ(listCalls, k.calls);
        EXPECT_EQ(trimmed(c.albums.record()["ALB:Media"].toString()), k.media);
        EXPECT_EQ((*form)["?Media"].value(), k.media) << "the form shows what the record holds";
        if (*k.focus) {
            EXPECT_EQ(form->focus()->name(), k.focus);
        }
        run({"press Cancel"});
        if (c.host.messageBox())
            run({"answer No"});
        EXPECT_FALSE(formOpen());
    }
}

} // namespace
} // namespace qv::fw::testing
