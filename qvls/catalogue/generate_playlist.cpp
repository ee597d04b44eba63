// The "Generate Play List" window: the user's limits in, a new playlist out.

#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/framework/table_access.h"
#include "platform/framework/table_drop.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/tables/view.h"
#include "platform/text/text.h"
#include "qvls/catalogue/playlist_generator.h"
#include "qvls/core/placement.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/GeneratePlaylist.h"

namespace qv::qvls {

namespace {

namespace W = ctl::GeneratePlaylist;

std::optional<std::uint32_t>& injectedSeed()
{
    static std::optional<std::uint32_t> seed;
    return seed;
}

constexpr std::int64_t kProgressPerSong = 18000;

rt::UseBinding numberBinding(std::int32_t& value)
{
    return rt::UseBinding{[&value] { return std::to_string(value); },
        [&value](const std::string& text) {
            const std::string_view t = text::trimRight(text::trimLeft(text));
            std::int32_t v = 0;
            std::from_chars(t.data(), t.data() + t.size(), v);
            value = v;
        }};
}

std::string clipped(std::string_view s)
{
    return std::string(text::trimRight(s));
}

class GeneratorWindow : public fw::WindowController
{
public:
    GeneratorWindow()
        : fw::WindowController(std::string(W::kWindow))
    {
        onAccepted(W::Ok, [this] { generate(); });
        for (rt::ControlId check : {W::SelectByDate, W::SelectByBPM, W::SelectByCategory})
            onAccepted(check, [this] { enableChosenLimits(); });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        if (dictionary::CategoriesRelations->open() != fw::Benign)
            return fw::Fatal;
        categoriesOpen_ = true;
        for (dictionary::DictionaryAccess* a :
            {dictionary::QuorvelAccess, dictionary::PlaylistDetailsAccess, dictionary::PlaylistMasterAccess}) {
            if (a->open() != fw::Benign)
                return fw::Fatal;
            opened_.push_back(a);
        }
        loadWindow("qvls", W::kWindow);
        bindVariable("LOC:MaximumPlayListTime", numberBinding(criteria_.maximumTime));
        bindVariable("LOC:MaximumNumberOfSongs", numberBinding(criteria_.maximumSongs));
        bindVariable("LOC:Weighting", criteria_.weighting);
        bindVariable("LOC:SelectByDate", numberBinding(selectByDate_));
        bindVariable("LOC:StartingReleaseDate", numberBinding(criteria_.startingReleaseDate));
        bindVariable("LOC:EndingReleaseDate", numberBinding(criteria_.endingReleaseDate));
        bindVariable("LOC:SelectByBPM", numberBinding(selectByBpm_));
        bindVariable("LOC:TargetBPM", numberBinding(criteria_.targetBpm));
        bindVariable("LOC:SelectByCategory", numberBinding(selectByCategory_));
        bindVariable("LOC:SelectedCategory", criteria_.selectedCategory);
        addResponseButton(W::Cancel.name, fw::response::Cancelled);
        categories_.emplace(*dictionary::CategoriesAccess, dictionary::Categories().def().keyIndex("CAT:KeyCategory"),
            std::string(W::Category.name), "CAT:Category", "CAT:Category", "LOC:SelectedCategory");
        addComponent(*categories_);
        const std::string datePicture = "@" + ReleaseDateToken();
        window()[W::StartDate].setPicture(datePicture);
        window()[W::EndDate].setPicture(datePicture);
        openWindow();
        enableChosenLimits();
        return fw::Benign;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        for (dictionary::DictionaryAccess* a : opened_)
            a->close();
        opened_.clear();
        if (categoriesOpen_)
            dictionary::CategoriesRelations->close();
        categoriesOpen_ = false;
    }

private:
    void enableChosenLimits()
    {
        rt::Window& w = window();
        w.update();
        w[W::StartDate].setEnabled(selectByDate_ != 0);
        w[W::EndDate].setEnabled(selectByDate_ != 0);
        w[W::TargetBPM].setEnabled(selectByBpm_ != 0);
        w[W::Category].setEnabled(selectByCategory_ != 0);
    }

    void showProgress() { window()[W::Progress].setValue(std::to_string(progress_.percent())); }

    void generate()
    {
        rt::Window& w = window();
        w.update();
        tables::Table& songs = dictionary::Quorvel();
        const std::int64_t songCount = songs.records();
        if (songCount == 0) {
            rt::message("There are no songs to select from", "Error");
            setResponse(fw::response::Completed);
            endLoop();
            return;
        }
        criteria_.selectByDate = selectByDate_ != 0;
        criteria_.selectByBpm = selectByBpm_ != 0;
        criteria_.selectByCategory = selectByCategory_ != 0;
        applyDefaultLimits(criteria_);
        w.display();
        progress_.setRange(1, songCount);
        progress_.setValue(1);
        showProgress();
        w[W::Status].setText("Working...");

        std::vector<PooledSong> pool = readPool(songCount);
        if (pool.empty()) {
            rt::message("No songs match the criteria you have entered.", "Error");
            return;
        }
        progress_.setValue(1);
        progress_.setRange(
            1, std::int64_t{criteria_.maximumTime} + std::int64_t{criteria_.maximumSongs} * kProgressPerSong);
        showProgress();

        // Entries for a playlist that could not be written would point at nothing.
        if (!addPlaylist())
            return;
        const std::optional<PlaylistDraw::Weighting> weighting = PlaylistDraw::weightingNamed(criteria_.weighting);
        PlaylistDraw draw(criteria_, weighting.value_or(PlaylistDraw::Weighting::None), std::move(pool),
            injectedSeed().value_or(std::random_device{}()), expr::defaultClock().today());
        if (weighting)
            addEntries(draw);
        else
            rt::message("Unknown Weighting " + text::padTo(criteria_.weighting, 30), "Error");

        w[W::Status].setText("Done!");
        rt::message(clipped(dictionary::PlaylistMaster().record()["PLD:PlaylistDescription"].toString())
                + " generated.  " + std::to_string(draw.songsAdded()) + " songs, length "
                + expr::format(expr::Value(std::int64_t{draw.length()}), "@t4b") + ".",
            "Status");
        setResponse(fw::response::Completed);
        endLoop();
    }

    std::vector<PooledSong> readPool(std::int64_t songCount)
    {
        tables::Table& songs = dictionary::Quorvel();
        tables::View view(songs);
        view.setOrderKey(songs.def().keyIndex("SNG:KEYID"));
        std::vector<PooledSong> pool;
        if (view.setFilter("Generate", songFilter(criteria_)) != 0)
            return pool;
        tables::Record& s = songs.record();
        std::int64_t read = 0;
        view.readThrough([&] {
            // Counted rather than the song's id, which may lie past the song count.
            progress_.setValue(std::min(++read, songCount));
            showProgress();
            pool.push_back({static_cast<std::int32_t>(s["SNG:ReleaseDate"].toInt()),
                static_cast<std::int32_t>(s["SNG:Time"].toInt()), static_cast<std::int32_t>(s["SNG:ID"].toInt())});
            return true;
        });
        return pool;
    }

    static bool taken(tables::Table& t, int key, const tables::Record& candidate)
    {
        t.record() = candidate;
        const bool found = t.fetch(key) == 0;
        t.record() = candidate;
        return found;
    }

    // The next free id after the last playlist, with a description that is free as well.
    bool addPlaylist()
    {
        fw::TableAccess& access = *dictionary::PlaylistMasterAccess;
        tables::Table& t = access.table();
        const int primary = t.def().keyIndex("PLD:KeyPlaylistID");
        const int byDescription = t.def().keyIndex("PLD:KEYPLAYLISTDESCRIPTION");
        t.record().clear();
        access.useKey(primary);
        std::int64_t id = access.TryPrevious() == 0 ? t.record()["PLD:PlaylistID"].toInt() : 0;
        tables::Record candidate = t.record();
        candidate.clear();
        candidate["PLD:LASTEDITDATE"] = std::int64_t{expr::defaultClock().today()};
        do {
            ++id;
            candidate["PLD:PlaylistID"] = id;
            candidate["PLD:PlaylistDescription"] = "Play List #" + std::to_string(id);
        } while (taken(t, primary, candidate) || taken(t, byDescription, candidate));
        if (access.TryInsert() == fw::Benign)
            return true;
        rt::message("There was an error (" + std::to_string(tables::lastError().code) + " - "
                + clipped(tables::lastError().text) + ") adding to the Play List Master file",
            "Error");
        window()[W::Status].setText("");
        return false;
    }

    void addEntries(PlaylistDraw& draw)
    {
        fw::TableAccess& access = *dictionary::PlaylistDetailsAccess;
        tables::Record& entry = access.record();
        const std::int64_t playlist = dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt();
        while (const std::optional<PooledSong> song = draw.next()) {
            draw.accept(*song);
            entry.clear();
            entry["PLA:PlaylistID"] = playlist;
            entry["PLA:PlaylistSeq"] = std::int64_t{draw.songsAdded()};
            entry["PLA:ID"] = std::int64_t{song->id};
            if (access.TryInsert() != fw::Benign)
                rt::message("There was an error (" + std::to_string(tables::lastError().code) + " - "
                        + clipped(tables::lastError().text) + ") adding to the Play List Details file",
                    "Error");
            progress_.setValue(draw.lengthDuration() + std::int64_t{draw.songsAdded()} * kProgressPerSong);
            showProgress();
        }
    }

    PlaylistCriteria criteria_;
    std::int32_t selectByDate_ = 0, selectByBpm_ = 0, selectByCategory_ = 0;
    ProgressRange progress_;
    std::optional<fw::TableDropCombo> categories_;
    std::vector<dictionary::DictionaryAccess*> opened_;
    bool categoriesOpen_ = false;
};

} // namespace

void setPlaylistGeneratorSeed(std::optional<std::uint32_t> seed)
{
    injectedSeed() = seed;
}

void registerPlaylistGenerator()
{
    rt::Procedures::add("GeneratePlaylist", [] { GeneratorWindow().Execute(); });
}

} // namespace qv::qvls
