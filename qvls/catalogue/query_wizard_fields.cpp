#include "qvls/catalogue/query_wizard_fields.h"

#include <algorithm>

#include "platform/expr/expression.h"
#include "platform/framework/handover.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls {

namespace {

using outside::TCQW_FIELDSQUEUE;

TCQW_FIELDSQUEUE row(std::string desc, std::string name, std::string picture, std::uint16_t length,
    std::uint8_t dataType = outside::datatype::Text, std::uint8_t control = outside::fieldcontrol::Plain,
    std::string options = {}, std::string lookup = {})
{
    TCQW_FIELDSQUEUE r;
    r.QWFLDDESC = std::move(desc);
    r.QWFLDNAME = std::move(name);
    r.QWFLDPICTURE = std::move(picture);
    r.QWFLDLENGTH = length;
    r.QWFLDDATATYPE = dataType;
    r.QWFLDCONTROL = control;
    r.QWFLDOPTIONS = std::move(options);
    r.QWFLDLOOKUP = std::move(lookup);
    return r;
}

constexpr std::uint8_t N = outside::datatype::Number;
constexpr std::uint8_t T = outside::datatype::Text;
constexpr std::uint8_t Check = outside::fieldcontrol::Check;
constexpr std::uint8_t Choice = outside::fieldcontrol::DropList;

const std::vector<TCQW_FIELDSQUEUE> kAlbumRows{
    row("Album Artist", "ALB:Artist", "@s50", 50),
    row("Album Title", "ALB:Album", "@s50", 50),
    row("Media (Album)", "ALB:Media", "@s20", 20),
    row("File Number (Album)", "ALB:FileNumber", "@s20", 20),
    row("Release Date (Album)", "ALB:ReleaseDate", "@n_4", 4, N),
    row("Category", "ALB:Category", "@s30", 30),
    row("Audio File (MP3/WAV)", "ALB:AssociatedWAVFile", "@s255", 255),
    row("Image File", "ALB:AssociatedImage", "@s255", 255),
    row("Recording Information", "ALB:Recording", "@s255", 256),
    row("Performance", "ALB:Performance", "@s255", 256),
    row("Rating", "ALB:Rating", "@n2", 1, N),
    row("Album Time", "ALB:TotalTime", "@n-13", 4, N),
    row("Notes", "ALB:Notes", "@s255", 4096),
    row("Value of album", "ALB:Value", "@n16.2-", 15, N),
    row("Condition of the album", "ALB:Condition", "@s10", 20, T, Choice,
        "Very Poor|Poor|Good|Very Good|Near Mint|Mint|Sealed"),
};

const std::vector<TCQW_FIELDSQUEUE> kSongRows{
    row("Artist (Song)", "SNG:Artist", "@s50", 50, T, outside::fieldcontrol::Plain, {}, "SelectSNG:Artist()"),
    row("Title (Song)", "SNG:Title", "@s50", 50),
    row("Mix or Version Specific Information", "SNG:Mix", "@s30", 30),
    row("Album", "SNG:Album", "@s50", 50),
    row("Media (Song)", "SNG:Media", "@s20", 20),
    row("File Number (Song)", "SNG:FileNumber", "@s20", 20),
    row("Release Date/Year (Song)", "SNG:ReleaseDate", "@n4b", 4, N),
    row("Category", "SNG:Category", "@s30", 30),
    row("Chart", "SNG:ChartNumber", "@n3", 1, N),
    row("Track", "SNG:TrackNumber", "@n3", 1, N),
    row("Side / Disc", "SNG:Side", "@n2b", 1, N),
    row("Time", "SNG:Time", "@T4", 4, N),
    row("Custom Order Field (User Defined Key Field)", "SNG:UserDefinedKeyField", "@s30", 30),
    row("Custom Field #1", "SNG:AdditionalInformation1", "@s80", 80),
    row("Custom Field #2", "SNG:AdditionalInformation2", "@s80", 80),
    row("Custom Field #3", "SNG:AdditionalInformation3", "@s80", 80),
    row("Beats Per Minute (BPM)", "SNG:BeatsPerMinute", "@n_4b", 4, N),
    row("Style", "SNG:Style", "@s30", 30),
    row("Recording Information", "SNG:Recording", "@s255", 256),
    row("Composer", "SNG:Composer", "@s80", 80),
    row("Performance Notes", "SNG:PerformanceNotes", "@s255", 256),
    row("Date Last Played", "SNG:LastPlayed", "@d17-", 4, N),
    row("Skips", "SNG:Skips", "@n3", 1, N, Check, "Skips"),
    row("Type of ending", "SNG:EndType", "@s6", 6, T, Choice, "Slow|Fast|Abrupt"),
    row("In/Out Information", "SNG:InOut", "@s20", 20),
    row("Rating", "SNG:Rating", "@n2", 1, N),
    row("Live", "SNG:Live", "@n3", 1, N, Check, "Live"),
    row("DoNotPlay", "SNG:DoNotPlay", "@n3", 1, N, Check, "Do Not Play"),
    row("Audio file", "SNG:AssociatedWAVFile", "@s255", 255),
    row("Media Volume Label", "SNG:VolumeLabel", "@s80", 80),
    row("MP3 File Size", "SNG:Filesize", "@n-14", 4, N),
    row("MP3 Mode", "SNG:Mode", "@s32", 32),
    row("MP3 Frequency", "SNG:Frequency", "@n-14", 4, N),
    row("MP3 BitRate", "SNG:BitRate", "@n-14", 4, N),
    row("Notes", "SNG:Notes", "@s255", 4096),
};

const std::vector<TCQW_FIELDSQUEUE> kCategoryRows{row("Category", "CAT:Category", "@s30", 30)};
const std::vector<TCQW_FIELDSQUEUE> kMediaRows{row("Media", "MED:Media", "@s20", 20)};

std::vector<QueryWizardFields::Instance> makeInstances()
{
    using S = QueryWizardFields::Set;
    std::vector<QueryWizardFields::Instance> all{
        {"BrowseAlbums", "ALBUMS", {S::A, S::C}},
        {"BrowseAlbumsAndSongs", "BALBUMS", {S::A, S::C, S::S}},
        {"BrovexAlbums", "ALBUMS", {S::A}},
        {"BrovexSongs", "SONGS", {S::M, S::S}},
        {"BrowseSongs", "SONGS", {S::M, S::S}},
        {"PrintAlbumsCustom", "SONGS", {S::A}},
        {"PrintByFileNumber", "SONGS", {S::A, S::S}},
    };
    for (std::string_view p : {"PrintSNG:SongsByAlbum", "PrintSNG:SongsByMedia", "PrintSNG:SongsByArtist",
             "PrintSNG:SongsByTitle", "PrintDJLog", "PrintSNG:SongsByBPM", "BriefSNG:SongsByCategorySelected",
             "PrintSNG:SongsByCategorySelected", "PrintSNG:SongsByUDK", "PrintSNG:SongsByFileNumber"})
        all.push_back({p, "SONGS", {S::C, S::S}});
    for (std::string_view p :
        {"BriefSNG:SongsByArtist", "BriefSNG:SongsByAlbum", "BriefSNG:SongsByMedia", "BriefSNG:SongsByTitle",
            "PrintSmallSongsByTitle", "BriefSNG:SongsByBPM", "PrintSmallSongsByArtist", "BriefSNG:SongsByChart",
            "BriefSNG:SongsByUDK", "PrintSongsByChart", "PrintSongsCustom", "BriefSNG:SongsByFileNumber"})
        all.push_back({p, "SONGS", {S::S}});
    return all;
}

} // namespace

bool QueryWizardFields::Instance::hasSongs() const
{
    return std::find(sets.begin(), sets.end(), Set::S) != sets.end();
}

const std::vector<TCQW_FIELDSQUEUE>& QueryWizardFields::rows(Set set)
{
    switch (set) {
    case Set::A:
        return kAlbumRows;
    case Set::S:
        return kSongRows;
    case Set::C:
        return kCategoryRows;
    case Set::M:
        break;
    }
    return kMediaRows;
}

std::string QueryWizardFields::packed(const std::vector<Set>& sets)
{
    std::string out;
    for (Set set : sets)
        for (const TCQW_FIELDSQUEUE& r : rows(set))
            out += outside::packFieldRow(r);
    return out;
}

const std::vector<QueryWizardFields::Instance>& QueryWizardFields::instances()
{
    static const std::vector<Instance> all = makeInstances();
    return all;
}

const QueryWizardFields::Instance* QueryWizardFields::instance(std::string_view procedure)
{
    for (const Instance& i : instances())
        if (i.procedure == procedure)
            return &i;
    return nullptr;
}

void QueryWizardFields::fill(
    outside::FieldsQueue& queue, const Instance& owner, std::int32_t& QueryWizardError, expr::NameTable* names)
{
    if (QueryWizardError != 0)
        return;
    outside::TC_ADDFIELDSQUEUEDATA(queue, packed(owner.sets), QueryWizardError);
    if (QueryWizardError != 0)
        rt::message("An error has prevented the Query Wizard from initializing.",
            "Query Wizard Error# " + std::to_string(QueryWizardError), rt::Icon::Information, rt::button::Ok);
    outside::TC_INITFIELDSQUEUE(queue, owner.queueName);
    if (owner.hasSongs() && names)
        names->bindProcedure(
            "SelectSNG:Artist", [](std::span<const expr::Value>) { return expr::Value(SelectSongArtist()); });
}

std::string SelectSongArtist()
{
    fw::TableAccess& artists = *dictionary::ArtistsAccess;
    tables::Record& artist = artists.record();
    // The list opens on the song's artist when there is one such, else at its start.
    artist["ART:Artist"] = dictionary::QuorvelAccess->record()["SNG:Artist"].toString();
    artists.TryFetch(artists.table().def().keyIndex("ART:K_ARTIST"));
    fw::handover().request = fw::request::Select;
    const bool chosen = rt::Procedures::call("BrowseArtists") && fw::handover().response == fw::response::Completed;
    fw::handover().response = fw::response::Cancelled;
    return chosen ? artist["ART:Artist"].toString() : std::string();
}

} // namespace qv::qvls
