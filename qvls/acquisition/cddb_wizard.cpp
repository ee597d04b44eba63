#include "qvls/acquisition/cddb_wizard.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/expr/datetime.h"
#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/framework/relation_set.h"
#include "platform/framework/table_drop.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/acquisition/disc_lookup.h"
#include "qvls/acquisition/disc_reading.h"
#include "qvls/acquisition/disc_side.h"
#include "qvls/catalogue/album_cascade.h"
#include "qvls/catalogue/album_songs.h"
#include "qvls/catalogue/name_buttons.h"
#include "qvls/catalogue/ordered_list.h"
#include "qvls/catalogue/record_swap.h"
#include "qvls/core/display.h"
#include "qvls/core/files.h"
#include "qvls/core/form.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/core/wizard_sheet.h"
#include "qvls/core/wizard_tabs.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/CDDBWizard.h"

namespace qv::qvls {

namespace {

namespace W = ctl::CDDBWizard;

// The song list's update procedure, as its declaration numbers it.
constexpr int kSongForm = 1;
// The song list's menu items beyond its buttons.
constexpr int kSwapAllSongs = 1560;
constexpr int kCascade = 1561;
constexpr int kEditAllSongs = 1562;

constexpr const char* kDefaultCategories[] = {"Rock", "Pop", "Jazz", "Classical", "Country"};

tables::Record& album()
{
    return dictionary::AlbumAccess->record();
}
std::string text(tables::Record& r, const char* field)
{
    return std::string(text::trimRight(r[std::string_view(field)].toString()));
}

// Another album on file with the key's values of the wizard's album (the
// buffer is left as it was); its record when there is one.
std::optional<tables::Record> otherAlbumByKey(const char* key)
{
    tables::Table& t = dictionary::AlbumAccess->table();
    const tables::Record own = t.record();
    std::optional<tables::Record> found;
    if (t.fetch(t.def().keyIndex(key)) == 0 && t.record().recordId != own.recordId)
        found = t.record();
    t.record() = own;
    return found;
}

// The category drop list also gives the album the category's number.
class CategoryDrop : public fw::TableDropList
{
public:
    CategoryDrop()
        : fw::TableDropList(*dictionary::CategoriesAccess,
            dictionary::CategoriesAccess->table().def().keyIndex("CAT:KeyCategory"), std::string(W::Category.name),
            "CAT:Category", "CAT:Category")
    { }

protected:
    void takeChoice(int row) override
    {
        fw::TableDropList::takeChoice(row);
        album()["ALB:CategoryID"] = dictionary::CategoriesAccess->record()["CAT:CategoryID"].toInt();
    }
};

class CddbWizardController : public Form
{
public:
    CddbWizardController()
        : Form(std::string(W::kWindow), *dictionary::AlbumRelations)
    {
        installNameButtons(*this,
            {W::Artist, W::Album, "ALB:Artist", "ALB:Album", W::SwapArtistName, W::CapitalizeArtist, W::CapitalizeAlbum,
                W::SwapArtistAlbum, {}, {}});
        onField(W::Media, [] {
            fw::TableAccess& a = *dictionary::AlbumAccess;
            return a.CheckField(a.table().def().fieldIndex("ALB:Media")) == fw::Benign;
        });
        onAccepted(W::Next, [this] { next(); });
        onAccepted(W::Back, [this] {
            ReloadSelectedRecords();
            steps_->Back();
        });
        onAccepted(W::ReadCD, [this] {
            ReloadSelectedRecords();
            readAndLookUp();
        });
        onAccepted(W::EditAllSongs, [this] { editAllSongs(); });
        onAccepted(W::SwapAllSongs, [this] { swapAllSongs(); });
        onNewSelection(W::Sheet, [this] {
            rt::Window& w = window();
            if (w[W::Sheet].selected() != steps_->CurrentStep)
                steps_->ShowStep(); // the steps change only through Back and Next
            if (!w[W::SongList].effectivelyHidden())
                w.select(w[W::SongList]);
        });
        setUpdateProcedure(kSongForm, [] {
            if (!rt::Procedures::call("UpdateSong")) {
                fw::handover().response = fw::response::Cancelled;
                reportNotAvailable("The song form");
            }
        });
    }

    fw::Level Prepare() override
    {
        // Always a new album, with nothing of an album another window left
        // in the buffer.
        fw::handover().request = fw::request::Insert;
        dictionary::AlbumAccess->primeFields();
        const fw::Level l = Form::Prepare();
        if (l == fw::Benign) {
            // Named without the prompts' required marks.
            rt::Window& w = window();
            required().SetField(w[W::Artist].number(), true, "Artist", "Artist", "Artist", "ALB:Artist");
            required().SetField(w[W::Album].number(), true, "Album", "Album", "Album", "ALB:Album");
        }
        return l;
    }

protected:
    void FillNewRecordDefaults() override
    {
        tables::Record& a = album();
        const std::string token = text::asciiUpper(ReleaseDateToken());
        if (token.find('D') != std::string::npos)
            a["ALB:ReleaseDate"] = static_cast<std::int64_t>(expr::defaultClock().today());
        else if (token.find('N') != std::string::npos)
            a["ALB:ReleaseDate"] = static_cast<std::int64_t>(expr::ymdFromDate(expr::defaultClock().today()).year);
        NextAlbumFileNumber();
    }

    fw::Level prepareForm() override
    {
        // One CD after another: a saved album makes room for the next.
        setInsertAgain(true);
        albumId_ = album()["ALB:AlbumID"].toInt();
        fw::DeclaredList& songs = declaredList(W::SongList.name);
        songs.reader().addRange(1, "SNG:AlbumID", [this] { return std::to_string(albumId_); });
        songs.reader().addRange(1, "SNG:Side", [] { return std::to_string(effectiveSide()); });
        songs.browser().setComputed(
            songs.computedColumn("Title"), [] { return std::string(text::firstChars(SongDisplayTitle(), 50)); });
        songs.browser().setComputed(songs.computedColumn("Time"), [] {
            SongTimeText();
            return glo().songTimeText;
        });
        songOrder_ = std::make_unique<OrderedList>(
            list(W::SongList.name), songSwap_, OrderedList::Buttons{W::SongUp, W::SongTop, W::SongDown, W::SongBottom});
        addComponent(*songOrder_);
        media_.emplace(*dictionary::MediaAccess, dictionary::MediaAccess->table().def().keyIndex("MED:KeyMedia"),
            std::string(W::Media.name), "MED:Media", "MED:Media");
        addComponent(*media_);
        addComponent(categories_);
        for (fw::TableAccess* t : {dictionary::MediaAccess, dictionary::CategoriesAccess, dictionary::ArtistsAccess})
            if (t->open() != fw::Benign)
                return fw::Fatal;
            else
                opened_.push_back(t);
        return fw::Benign;
    }

    void formOpened() override
    {
        rt::Window& w = window();
        w.setTitle("CDDB Wizard");
        w[W::ReleaseDate].setPicture("@" + ReleaseDateToken());
        ApplyDatePicture(w[W::SongList]);
        if (fw::ContextMenu* menu = list(W::SongList.name).contextMenu()) {
            menu->addItemForEvent("Edit All Son&gs", kEditAllSongs);
            menu->addItemForEvent("Swap artist and title", kSwapAllSongs);
            menu->addSeparator();
            menu->addItemForEvent("Cascade Album Changes to Songs", kCascade);
            menu->AddItemForButton("Cop&y", W::CopySong.name);
        }
        addDefaultCategories();
        setWizardStyle(w[W::Sheet], true);
        steps_ = std::make_unique<WizardTabs>(w,
            WizardTabs::Controls{std::string(W::Sheet.name), std::string(W::Back.name), std::string(W::Next.name),
                std::string(W::Finish.name), std::string(W::Cancel.name)});
        steps_->setUp();
        newAlbum();
        Globals& g = glo();
        if (g.wizardFromCDPlayer != 0) {
            // The CD player has just let go of the drive for this wizard.
            g.wizardFromCDPlayer = 0;
            w.post(rt::event::Accepted, W::Next.number);
        }
    }

    int CallUpdateProcedure(int number, int request) override
    {
        if (number != kSongForm)
            return Form::CallUpdateProcedure(number, request);
        songOrder_->beforeEdit(request);
        const int response = Form::CallUpdateProcedure(number, request);
        songOrder_->afterEdit(request, response);
        return response;
    }

    fw::Level beforeSave() override
    {
        // The serial number recognises one album: a second one on file loses it.
        if (!text::trim(album()["ALB:CDIdentifier"].toString()).empty() && otherAlbumByKey("ALB:KEYCDIDENTIFIER"))
            album()["ALB:CDIdentifier"] = "";
        CascadeAlbumToSongs(false);
        return fw::Benign;
    }

    fw::Level saveRecord() override
    {
        const fw::Level saved = Form::saveRecord();
        // A refused save hands out no file number.
        if (saved == fw::Benign) {
            settingsIni().set(settings_section::Album, settings_key::FileNumber, album()["ALB:FileNumber"].toString());
            savedOne_ = true;
        }
        return saved;
    }

    fw::Level OnAccepted(int control) override
    {
        savedOne_ = false;
        const fw::Level l = Form::OnAccepted(control);
        // Saved: the next CD's album has been reserved.
        if (control == W::Finish.number && savedOne_ && !loopEnded())
            startOver();
        return l;
    }

    fw::Level OnControlEvent(const rt::Event& e) override
    {
        switch (e.code) {
        case kEditAllSongs:
            editAllSongs();
            break;
        case kSwapAllSongs:
            swapAllSongs();
            break;
        case kCascade:
            ReloadSelectedRecords();
            CascadeAlbumToSongs(true);
            reloadSongs();
            break;
        default:
            return Form::OnControlEvent(e);
        }
        return fw::Benign;
    }

    void Refresh() override
    {
        if (validating())
            return;
        // The category record follows the album.
        fw::TableAccess& categories = *dictionary::CategoriesAccess;
        tables::Record& c = categories.record();
        c["CAT:Category"] = album()["ALB:Category"].toString();
        if (categories.Fetch(categories.table().def().keyIndex("CAT:KeyCategory")) != 0) {
            c["CAT:CategoryID"] = album()["ALB:CategoryID"].toInt();
            categories.Fetch(categories.table().def().keyIndex("CAT:KeyCategoryID"));
        }
        Form::Refresh();
        if (hasWindow() && window().isOpen())
            window()[W::CopySong].setEnabled(list(W::SongList.name).RowCount() > 0);
    }

    void CleanUp() override
    {
        Form::CleanUp();
        for (fw::TableAccess* t : opened_)
            t->close();
        opened_.clear();
    }

private:
    // What a new album of the wizard starts with.
    void newAlbum()
    {
        Globals& g = glo();
        g.side = 1;
        g.songFormFromWizard = 1;
        tables::Record& a = album();
        a.setMemo(a.def().memoIndex("ALB:Notes"), "");
        tables::Record& s = dictionary::QuorvelAccess->record();
        s.setMemo(s.def().memoIndex("SNG:Notes"), "");
        a["ALB:Media"] = settings().DefaultMedia;
        albumId_ = a["ALB:AlbumID"].toInt();
        // Closing before a disc was looked up gives the reserved album up
        // without asking.
        setAskOnClose(false);
        window().display();
        window().select(window()[W::Next]);
    }

    void startOver()
    {
        rt::Window& w = window();
        w[W::StepText].setText("Step 1:  Insert another CD and press Next.");
        steps_->CurrentStep = steps_->FirstStep;
        w[W::Next].setEnabled(true);
        steps_->ShowStep();
        newAlbum();
        reloadSongs();
    }

    void addDefaultCategories()
    {
        fw::TableAccess& categories = *dictionary::CategoriesAccess;
        if (categories.table().records() != 0)
            return;
        tables::Record& c = categories.record();
        for (const char* name : kDefaultCategories) {
            c.clear();
            c["CAT:Category"] = name;
            categories.Insert();
        }
        categories_.reload();
    }

    void next()
    {
        ReloadSelectedRecords();
        glo().songFormFromWizard = 2;
        if (steps_->CurrentStep == steps_->FirstStep) {
            if (!readAndLookUp())
                return; // the wizard ends as Cancel ends it
            NextAlbumFileNumber();
            setAskOnClose(true);
        } else if (steps_->CurrentStep == steps_->FirstStep + 1) {
            updateSongsFromAlbum();
            if (otherAlbumByKey("ALB:KEYALBUM"))
                rt::message("Warning!  This duplicates an album already on file!", "Artist + Album Conflict");
        }
        steps_->next();
        reloadSongs();
    }

    // Reads the CD and looks it up; false when the user would rather not
    // add an album already on file (on the first step the wizard then ends).
    bool readAndLookUp()
    {
        if (readDisc(0)) {
            album()["ALB:XCCD"] = discIdOfTrackQueue();
            if (!text::trim(album()["ALB:CDIdentifier"].toString()).empty())
                if (auto other = otherAlbumByKey("ALB:KEYCDIDENTIFIER"); other && !addDuplicate(*other)) {
                    if (steps_->CurrentStep == steps_->FirstStep)
                        window().post(rt::event::Accepted, W::Cancel.number);
                    return false;
                }
        }
        LookupCDDB();
        reloadSongs();
        return true;
    }

    static bool addDuplicate(tables::Record& other)
    {
        rt::MessageSpec ask;
        ask.text = "Warning!\r\n\r\nThis album is already on file with the same identifier:\r\n"
            + text(other, "ALB:Artist") + "\r\n" + text(other, "ALB:Album") + "\r\n" + text(other, "ALB:XCCD") + "\r\n"
            + text(other, "ALB:CDIdentifier") + "\r\n\r\nDo you still want to add this album?";
        ask.title = "Duplicate";
        ask.custom = "&Yes|&No";
        ask.defaultButton = 2;
        ask.icon = rt::Icon::Exclamation;
        return rt::message(ask) == 1;
    }

    // The album's fields reach its songs before they are shown for checking.
    void updateSongsFromAlbum()
    {
        tables::Record& a = album();
        const bool various = text::upper(text(a, "ALB:Artist")).find("VARIOUS") != std::string::npos;
        tables::Record& s = dictionary::QuorvelAccess->record();
        eachSongOfAlbum(
            albumId_, effectiveSide(),
            [&] {
                for (const char* field : {"Album", "FileNumber", "CategoryID", "Category", "ReleaseDate"})
                    s[std::string_view("SNG:" + std::string(field))]
                        = a[std::string_view("ALB:" + std::string(field))].toString();
                if (!various)
                    s["SNG:Artist"] = a["ALB:Artist"].toString();
                return true;
            },
            "Update Songs");
        glo().songFormFromWizard = 3;
    }

    void editAllSongs()
    {
        ReloadSelectedRecords();
        editEverySong(albumId_);
        reloadSongs();
        window().select(window()[W::SongList]);
    }

    void swapAllSongs()
    {
        ReloadSelectedRecords();
        tables::Record& s = dictionary::QuorvelAccess->record();
        eachSongOfAlbum(
            albumId_, effectiveSide(),
            [&] {
                const std::string artist = s["SNG:Artist"].toString();
                s["SNG:Artist"] = s["SNG:Title"].toString();
                s["SNG:Title"] = artist;
                return true;
            },
            "Swap Artist and Title");
        reloadSongs();
    }

    void reloadSongs()
    {
        list(W::SongList.name).Refresh();
        Refresh();
    }

    std::int64_t albumId_ = 0;
    RecordSwapClass songSwap_{kCddbWizardSwap, [this] { return albumId_; }};
    std::unique_ptr<OrderedList> songOrder_;
    std::unique_ptr<WizardTabs> steps_;
    std::optional<fw::TableDropList> media_;
    CategoryDrop categories_;
    std::vector<fw::TableAccess*> opened_;
    bool savedOne_ = false;
};

} // namespace

void CDDBWizard()
{
    CddbWizardController wizard;
    wizard.Execute();
}

void registerCddbWizard()
{
    rt::Procedures::add("CDDBWizard", [] { CDDBWizard(); });
}

} // namespace qv::qvls
