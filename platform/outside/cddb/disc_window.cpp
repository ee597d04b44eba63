// The disc editor and the disc display: one window, read-only for display.

#include <algorithm>
#include <cctype>

#include "cddb/windows/CddbDisc.h"
#include "platform/outside/cddb/client.h"
#include "platform/outside/cddb/service_windows.h"

namespace qv::cddb {

namespace {

namespace W = ctl::CddbDisc;

bool isYear(const std::string& year)
{
    return year.empty()
        || (year.size() == 4 && std::all_of(year.begin(), year.end(), [](unsigned char c) { return std::isdigit(c); }));
}

class DiscWindow
{
public:
    DiscWindow(Disc& disc, DiscView view)
        : disc_(disc)
        , draft_(disc)
        , editing_(view == DiscView::Edit)
        , w_(detail::loadWindow(W::kWindow))
    { }

    bool run()
    {
        prepare();
        w_->open();
        const bool submitted = rt::runDialog(*w_, {W::Cancel, W::Close}, [this](const rt::Event& e) {
            if (e.code == rt::event::NewSelection && e.control == W::Tracks.number) {
                keepTrack();
                showTrack(c(W::Tracks).selected());
                return false;
            }
            if (e.code != rt::event::Accepted)
                return false;
            if (e.control == W::TrackTitle.number || e.control == W::TrackArtist.number)
                keepTrack();
            return e.control == W::Submit.number && submit();
        });
        w_->close();
        return submitted;
    }

private:
    rt::Control& c(rt::ControlId id) const { return (*w_)[id]; }

    void prepare()
    {
        rt::Window& w = *w_;
        w.setTitle(editing_ ? "Submit Disc Information" : "Disc Information");
        for (const std::string& category : categories())
            categoryRows_.append({genres_.name(category)});
        c(W::Category).setList(&categoryRows_);
        c(W::Artist).setValue(draft_.artist);
        c(W::Title).setValue(draft_.title);
        c(W::Year).setValue(draft_.year);
        c(W::Genre).setValue(genres_.name(draft_.genreId));
        showCategory();
        c(W::Notes).setValue(draft_.notes);
        for (int n = 1; n <= draft_.trackCount(); ++n)
            trackRows_.append(trackRow(n));
        c(W::Tracks).setList(&trackRows_);
        if (!editing_) {
            for (rt::ControlId id : {W::Artist, W::Title, W::Year, W::Genre, W::TrackTitle, W::TrackArtist, W::Notes})
                c(id).setReadOnly(true);
            c(W::Category).setEnabled(false);
            c(W::Submit).setHidden(true);
            c(W::Submit).setDefault(false);
            c(W::Cancel).setHidden(true);
            c(W::Close).setHidden(false);
            c(W::Close).setDefault(true);
        }
        const bool hasTracks = draft_.trackCount() > 0;
        c(W::TrackTitle).setEnabled(hasTracks);
        c(W::TrackArtist).setEnabled(hasTracks);
        c(W::Tracks).setSelected(hasTracks ? 1 : 0);
        showTrack(hasTracks ? 1 : 0);
    }

    void showCategory()
    {
        const std::vector<std::string>& all = categories();
        const auto it = std::find(all.begin(), all.end(), draft_.category);
        const int choice = it == all.end() ? 0 : static_cast<int>(it - all.begin()) + 1;
        c(W::Category).setSelected(choice);
        c(W::Category).setValue(choice ? genres_.name(draft_.category) : std::string());
    }

    std::vector<std::string> trackRow(int n) const
    {
        const Track& t = draft_.tracks[static_cast<std::size_t>(n - 1)];
        return {std::to_string(n), t.title, t.artist};
    }

    // The highlighted track into the entries below the list.
    void showTrack(int n)
    {
        current_ = n >= 1 && n <= draft_.trackCount() ? n : 0;
        const Track* t = current_ ? &draft_.track(current_) : nullptr;
        c(W::TrackTitle).setValue(t ? t->title : std::string());
        c(W::TrackArtist).setValue(t ? t->artist : std::string());
    }

    // What the entries hold back into the track they show.
    void keepTrack()
    {
        if (!editing_ || !current_)
            return;
        Track& t = draft_.track(current_);
        t.title = detail::entered(c(W::TrackTitle));
        t.artist = detail::entered(c(W::TrackArtist));
        trackRows_.set(current_ - 1, trackRow(current_));
    }

    void keepDisc()
    {
        keepTrack();
        draft_.artist = detail::entered(c(W::Artist));
        draft_.title = detail::entered(c(W::Title));
        draft_.year = detail::entered(c(W::Year));
        const std::string genre = detail::entered(c(W::Genre));
        // A genre shown by its name stays the identifier it was.
        if (genre != genres_.name(draft_.genreId))
            draft_.genreId = genre;
        const int choice = c(W::Category).selected();
        const std::vector<std::string>& all = categories();
        if (choice >= 1 && choice <= static_cast<int>(all.size()))
            draft_.category = all[static_cast<std::size_t>(choice - 1)];
        draft_.notes = c(W::Notes).value();
        draft_.markPerTrackArtists = draft_.markPerTrackArtists
            || std::any_of(
                draft_.tracks.begin(), draft_.tracks.end(), [](const Track& t) { return !t.artist.empty(); });
    }

    // The database takes a disc only with these; the person hears what is
    // missing and lands on it.
    bool submit()
    {
        keepDisc();
        if (draft_.artist.empty())
            return refuse(W::Artist, "Please enter the disc's artist.");
        if (draft_.title.empty())
            return refuse(W::Title, "Please enter the disc's title.");
        if (!isYear(draft_.year))
            return refuse(W::Year, "The year has four digits, as 1969, or stays blank.");
        if (draft_.category.empty())
            return refuse(
                W::Category, "Please choose the disc's category: the disc database files every disc under one.");
        for (int n = 1; n <= draft_.trackCount(); ++n)
            if (draft_.track(n).title.empty()) {
                c(W::Tracks).setSelected(n);
                showTrack(n);
                return refuse(W::TrackTitle, "Please enter the title of track " + std::to_string(n) + ".");
            }
        disc_ = draft_;
        return true;
    }

    bool refuse(rt::ControlId id, const std::string& why)
    {
        tell(why);
        w_->select(c(id));
        return false;
    }

    Disc& disc_;
    Disc draft_;
    bool editing_;
    GenreList genres_;
    std::unique_ptr<rt::Window> w_;
    rt::ListQueue trackRows_{3}, categoryRows_;
    int current_ = 0;
};

} // namespace

bool editDisc(Disc& disc, DiscView view)
{
    return DiscWindow(disc, view).run();
}

} // namespace qv::cddb
