#include "qvls/dictionary/tables.h"

#include <memory>
#include <stdexcept>

#include "platform/text/case.h"

namespace qv::qvls::schema {

using qv::tables::byteField;
using qv::tables::decimalField;
using qv::tables::DriverKind;
using qv::tables::FieldDef;
using qv::tables::KeyDef;
using qv::tables::longField;
using qv::tables::LongKind;
using qv::tables::MemoDef;
using qv::tables::shortField;
using qv::tables::stringField;
using qv::tables::TableDef;

namespace {

constexpr int kNoVersion = -1;

TableDef table(std::string label, std::string prefix, std::string fileName, DriverKind driver, std::string description,
    int version)
{
    TableDef d;
    d.label = std::move(label);
    d.prefix = std::move(prefix);
    d.fileName = std::move(fileName);
    d.driver = driver;
    d.description = std::move(description);
    d.version = version;
    return d;
}

KeyDef key(std::string name, std::string description, std::vector<std::string> components, bool unique, bool primary,
    std::string_view numbered)
{
    KeyDef k;
    k.name = std::move(name);
    k.description = std::move(description);
    k.components = std::move(components);
    k.unique = unique;
    k.primary = primary;
    if (!numbered.empty()) {
        for (size_t i = 0; i < k.components.size(); ++i)
            if (qv::tables::sameName(k.components[i], numbered))
                k.autoNumbered = static_cast<int>(i) + 1;
        if (k.autoNumbered == 0)
            throw std::logic_error(k.name + ": no component " + std::string(numbered));
    }
    return k;
}

// `numbered` names the component that gets the next free number on insert.
KeyDef duplicateKey(
    std::string name, std::string description, std::vector<std::string> components, std::string_view numbered = {})
{
    return key(std::move(name), std::move(description), std::move(components), false, false, numbered);
}

KeyDef uniqueKey(std::string name, std::string description, std::vector<std::string> components)
{
    return key(std::move(name), std::move(description), std::move(components), true, false, {});
}

KeyDef primaryKey(
    std::string name, std::string description, std::vector<std::string> components, std::string_view numbered = {})
{
    return key(std::move(name), std::move(description), std::move(components), true, true, numbered);
}

// Most keys leave out records whose components are all empty; these few list every record.
KeyDef keepingEmpty(KeyDef k)
{
    k.excludeEmpty = false;
    return k;
}

// Another collection's copy of a table: same layout and keys under its own label and
// prefix; field and key names are spelt in capitals, memo names as they are.
TableDef twin(const TableDef& of, std::string label, std::string prefix, std::string description)
{
    TableDef d = of;
    d.storedAs = of.storedName(); // reads the other collection's own files
    d.label = std::move(label);
    d.prefix = std::move(prefix);
    d.fileName.clear();
    d.description = std::move(description);
    for (auto& f : d.fields)
        f.name = d.prefix + ":" + text::asciiUpper(qv::tables::bareName(f.name));
    for (auto& k : d.keys)
        k.name = d.prefix + ":" + text::asciiUpper(qv::tables::bareName(k.name));
    for (auto& m : d.memos)
        m.name = d.prefix + ":" + std::string(qv::tables::bareName(m.name));
    return d;
}

} // namespace

TableDef Quorvel()
{
    TableDef d = table("Quorvel", "SNG", "qvldata", DriverKind::Keyed, "Songs", 14);
    d.fields = {
        stringField("SNG:Artist", 50),
        stringField("SNG:Title", 50),
        stringField("SNG:Mix", 30),
        stringField("SNG:Album", 50),
        stringField("SNG:Media", 20),
        stringField("SNG:FileNumber", 20),
        longField("SNG:ReleaseDate", LongKind::Year),
        longField("SNG:CategoryID"),
        stringField("SNG:Category", 30),
        byteField("SNG:ChartNumber"),
        byteField("SNG:TrackNumber"),
        byteField("SNG:Side"),
        longField("SNG:Time", LongKind::Time),
        stringField("SNG:UserDefinedKeyField", 30),
        stringField("SNG:AdditionalInformation1", 80),
        stringField("SNG:AdditionalInformation2", 80),
        stringField("SNG:AdditionalInformation3", 80),
        longField("SNG:BeatsPerMinute"),
        stringField("SNG:Style", 30),
        stringField("SNG:Composer", 80),
        longField("SNG:LastPlayed", LongKind::Date),
        byteField("SNG:Skips"),
        stringField("SNG:EndType", 6),
        stringField("SNG:InOut", 20),
        byteField("SNG:Rating"),
        byteField("SNG:Live"),
        byteField("SNG:DoNotPlay"),
        longField("SNG:ID"),
        longField("SNG:AlbumID"),
        stringField("SNG:CDDBSTRING", 8),
        stringField("SNG:AssociatedWAVFile", 255),
        stringField("SNG:VolumeLabel", 80),
        longField("SNG:Filesize"),
        stringField("SNG:Mode", 32),
        longField("SNG:Frequency"),
        longField("SNG:BitRate"),
    };
    d.memos = {
        {"SNG:Recording", 256},
        {"SNG:PerformanceNotes", 256},
        {"SNG:Notes", 4096},
    };
    d.keys = {
        keepingEmpty(duplicateKey("SNG:SongsByArtist", "Songs By Artist", {"Artist", "Title", "Mix"})),
        keepingEmpty(duplicateKey("SNG:SongsByTitle", "Songs By Title", {"Title", "Artist"})),
        keepingEmpty(
            duplicateKey("SNG:SongsByAlbum", "Songs By Album", {"Album", "Artist", "Side", "TrackNumber", "Title"})),
        keepingEmpty(duplicateKey("SNG:SongsByMedia", "Songs By Media", {"Media", "FileNumber", "Title"})),
        duplicateKey("SNG:SongsByCategory", "Songs By Category", {"CategoryID", "Artist", "Title", "Album"}),
        duplicateKey("SNG:SONGSBYCHARTNUMBER", "By Chart Number", {"ChartNumber", "Artist", "Title"}),
        duplicateKey("SNG:SONGSBYUSERDEFINEDKEY", "By User Defined Key", {"UserDefinedKeyField", "Artist", "Title"}),
        primaryKey("SNG:KEYID", "Unique Song ID", {"ID"}, "ID"),
        duplicateKey("SNG:KeyAlbumID", "Album ID", {"AlbumID", "Side", "TrackNumber"}, "TrackNumber"),
        duplicateKey("SNG:KEYBEATSPERMINUTE", "BPM", {"BeatsPerMinute", "Title", "Artist"}),
        duplicateKey("SNG:KEYFILENUMBER", "File Number", {"FileNumber"}),
        duplicateKey("SNG:KEYMIX", "Mix", {"Mix", "Title", "Artist"}),
        duplicateKey("SNG:KEYWAVFILE", "Associated Files", {"AssociatedWAVFile", "FileNumber"}),
    };
    return d;
}

TableDef AlbumDetails()
{
    TableDef d = table("AlbumDetails", "ADT", "QVL_ADT", DriverKind::Keyed, "", 1);
    d.fields = {
        longField("ADT:AlbumID"),
        longField("ADT:Sequence"),
        stringField("ADT:DATALABEL", 30),
        stringField("ADT:DATAVALUE", 90),
    };
    d.keys = {
        primaryKey("ADT:K_Album", "Album", {"AlbumID", "Sequence"}, "Sequence"),
    };
    return d;
}

TableDef ImportSongs()
{
    // Registered as version 15, but its files are other collections' songs files, which
    // carry the songs' version; so the file version stays the songs' own.
    TableDef d = twin(Quorvel(), "ImportSongs", "IS", "Songs");
    d.keys[d.keyIndex("IS:KEYWAVFILE")].description = "Associate Files";
    return d;
}

TableDef SongDetails()
{
    TableDef d = table("SongDetails", "SDT", "QVL_SDT", DriverKind::Keyed, "", 1);
    d.fields = {
        longField("SDT:ID"),
        longField("SDT:Sequence"),
        stringField("SDT:DATALABEL", 30),
        stringField("SDT:DATAVALUE", 90),
    };
    d.keys = {
        primaryKey("SDT:K_ID", "Song ID", {"ID", "Sequence"}, "Sequence"),
    };
    return d;
}

TableDef ImportAlbums()
{
    return twin(Album(), "ImportAlbums", "IA", "Albums - Import Database");
}

TableDef Categories()
{
    TableDef d = table("Categories", "CAT", "QVLCAT", DriverKind::Keyed, "Categories", 1);
    d.fields = {
        decimalField("CAT:CategoryID", 6, 0),
        stringField("CAT:Category", 30),
    };
    d.keys = {
        primaryKey("CAT:KeyCategoryID", "CAT:KeyCategoryID", {"CategoryID"}, "CategoryID"),
        uniqueKey("CAT:KeyCategory", "CAT:KeyCategory", {"Category"}),
    };
    return d;
}

TableDef Album()
{
    TableDef d = table("Album", "ALB", "qvlalbum", DriverKind::Keyed, "Albums", 5);
    d.fields = {
        longField("ALB:AlbumID"),
        stringField("ALB:Artist", 50),
        stringField("ALB:Album", 50),
        stringField("ALB:Media", 20),
        stringField("ALB:FileNumber", 20),
        longField("ALB:ReleaseDate", LongKind::Year),
        decimalField("ALB:CategoryID", 6, 0),
        stringField("ALB:Category", 30),
        stringField("ALB:AssociatedWAVFile", 255),
        stringField("ALB:AssociatedImage", 255),
        stringField("ALB:CDIdentifier", 24),
        stringField("ALB:PLAYLIST", 70),
        byteField("ALB:Rating"),
        longField("ALB:TotalTime", LongKind::Time),
        stringField("ALB:XCCD", 32),
        stringField("ALB:CDDBSTRING", 255),
        decimalField("ALB:Value", 8, 2),
        stringField("ALB:Condition", 20),
    };
    d.memos = {
        {"ALB:Recording", 256},
        {"ALB:Performance", 256},
        {"ALB:Notes", 4096},
    };
    d.keys = {
        primaryKey("ALB:KEYALBUMID", "Album ID", {"AlbumID"}, "AlbumID"),
        uniqueKey("ALB:KEYALBUM", "Album", {"Album", "Artist"}),
        uniqueKey("ALB:KEYARTIST", "Artist", {"Artist", "Album"}),
        uniqueKey("ALB:KEYCDIDENTIFIER", "CD Serial Number", {"CDIdentifier"}),
        duplicateKey("ALB:KEYFILENUMBER", "File Number", {"FileNumber"}),
        duplicateKey("ALB:KEYCATEGORY", "Category", {"CategoryID", "Album", "Artist"}),
        duplicateKey("ALB:KEYCATEGORYARTIST", "Category/Artist", {"CategoryID", "Artist", "Album"}),
    };
    return d;
}

TableDef Labels()
{
    TableDef d = table("Labels", "LAB", "qvllabel", DriverKind::Keyed, "Labels", 2);
    d.fields = {
        decimalField("LAB:LabelID", 6, 0),
        stringField("LAB:LabelDescription", 30),
        stringField("LAB:LabelType", 9),
        longField("LAB:ALBUMID"),
        stringField("LAB:CDSPINE", 100),
        longField("LAB:CDSPINEFONTID"),
        stringField("LAB:CDTitle", 100),
        longField("LAB:CDTITLEFONTID"),
        longField("LAB:CDCOVERTEXTFONTID"),
        longField("LAB:CDINSIDETEXTFONTID"),
        stringField("LAB:CDSPINEJUSTIFICATION", 6),
        stringField("LAB:CDTEXTJUSTIFICATION", 6),
        stringField("LAB:CDBACKCOVERJUSTIFICATION", 6),
        longField("LAB:CASSETTEFLAPFONTID"),
        longField("LAB:CASSETTETITLEFONTID"),
        longField("LAB:CASSETTECONTENTSFONTID"),
        stringField("LAB:CASSETTEFORMAT", 20),
        stringField("LAB:IMAGENAME", 255),
        longField("LAB:IMAGEPOSITIONX"),
        longField("LAB:IMAGEPOSITIONY"),
        stringField("LAB:IMAGESIZE", 20),
        longField("LAB:IMAGESIZEX"),
        stringField("LAB:IMAGESIZEY", 20),
    };
    d.memos = {
        {"LAB:CDCoverText", 3000},
        {"LAB:CDInsideText", 3000},
        {"LAB:CassetteFlap", 1024},
        {"LAB:CassetteTitle", 1024},
        {"LAB:CassetteContentsA", 3000},
        {"LAB:CassetteContentsB", 3000},
    };
    d.keys = {
        primaryKey("LAB:KeyLabelID", "LAB:KeyLabelID", {"LabelID"}, "LabelID"),
        uniqueKey("LAB:KeyLabelDescription", "LAB:KeyLabelDescription", {"LabelDescription"}),
        duplicateKey("LAB:KeyLabelType", "LAB:KeyLabelType", {"LabelType", "LabelDescription"}),
    };
    return d;
}

TableDef Fonts()
{
    TableDef d = table("Fonts", "FON", "qvlfont", DriverKind::Keyed, "Fonts", 1);
    d.fields = {
        decimalField("FON:FONTID", 6, 0),
        stringField("FON:TYPEFACE", 32),
        stringField("FON:SIZE", 32),
        stringField("FON:COLOUR", 32),
        stringField("FON:STYLE", 32),
    };
    d.keys = {
        primaryKey("FON:KeyFontID", "FON:KeyFontID", {"FONTID"}, "FONTID"),
        uniqueKey("FON:KeyTypeFace", "FON:KeyTypeFace", {"TYPEFACE", "SIZE", "COLOUR", "STYLE"}),
    };
    return d;
}

TableDef AddWizard()
{
    TableDef d = table("AddWizard", "AW", "QVLAdWiz", DriverKind::Keyed, "Add Wizard Temporary Files", 2);
    d.fields = {
        decimalField("AW:Instance", 6, 0),
        byteField("AW:Side"),
        decimalField("AW:Track", 2, 0),
        stringField("AW:ARTIST", 50),
        stringField("AW:TITLE", 50),
        longField("AW:TIME", LongKind::Time),
    };
    d.keys = {
        primaryKey("AW:KeyInstance", "Instance Side Track", {"Instance", "Side", "Track"}, "Track"),
    };
    return d;
}

TableDef PlaylistMaster()
{
    TableDef d = table("PlaylistMaster", "PLD", "qvlplist", DriverKind::Keyed, "Playlist Master (Descriptions)", 1);
    d.fields = {
        longField("PLD:PlaylistID"),
        stringField("PLD:PlaylistDescription", 30),
        longField("PLD:LASTEDITDATE", LongKind::Date),
    };
    d.memos = {
        {"PLD:Notes", 1000},
    };
    d.keys = {
        primaryKey("PLD:KeyPlaylistID", "PLD:KeyPlaylistID", {"PlaylistID"}, "PlaylistID"),
        uniqueKey("PLD:KEYPLAYLISTDESCRIPTION", "Playlists", {"PlaylistDescription"}),
    };
    return d;
}

TableDef PlaylistDetails()
{
    TableDef d = table("PlaylistDetails", "PLA", "qvlpldet", DriverKind::Keyed, "Playlist Details (Songs)", 2);
    d.fields = {
        longField("PLA:PlaylistID"),
        decimalField("PLA:PlaylistSeq", 6, 0),
        decimalField("PLA:ID", 6, 0),
        stringField("PLA:PlaylistNotes", 40),
        stringField("PLA:LastWeek", 3),
        stringField("PLA:ThisWeek", 3),
        stringField("PLA:HighestChartPosition", 3),
    };
    d.keys = {
        primaryKey("PLA:KeyPlaylistID", "Playlist", {"PlaylistID", "PlaylistSeq"}, "PlaylistSeq"),
        keepingEmpty(duplicateKey("PLA:KeyID", "PLA:KeyID", {"ID"})),
    };
    return d;
}

TableDef Media()
{
    // The description's spelling is what the framework's messages show.
    TableDef d = table("Media", "MED", "qvlmedia", DriverKind::Keyed, "Media Tyes", 1);
    d.fields = {
        stringField("MED:Media", 20),
    };
    d.keys = {
        uniqueKey("MED:KeyMedia", "MED:KeyMedia", {"Media"}),
    };
    return d;
}

TableDef Configuration()
{
    TableDef d = table("Configuration", "CF", "QVLConf", DriverKind::Keyed, "", 1);
    d.ownerPassword = "q#7mz";
    d.fields = {
        stringField("CF:DATATYPE", 40),
        stringField("CF:DATAVALUE", 80),
    };
    d.keys = {
        uniqueKey("CF:KeyDataType", "CF:KeyDataType", {"DATATYPE"}),
    };
    return d;
}

TableDef Input()
{
    TableDef d = table("Input", "INP", "", DriverKind::Text, "ASCII Input File", kNoVersion);
    d.fields = {
        stringField("INP:LINE", 1024),
    };
    return d;
}

TableDef Artists()
{
    TableDef d = table("Artists", "ART", "QVLARTST", DriverKind::Keyed, "Artists", 2);
    d.fields = {
        stringField("ART:Artist", 50),
        longField("ART:CATEGORYID"),
        stringField("ART:BIO", 4096),
    };
    d.keys = {
        primaryKey("ART:K_ARTIST", "Artists", {"Artist"}),
    };
    return d;
}

TableDef EventLog()
{
    TableDef d = table("EventLog", "EVL", "QVLEvent.LOG", DriverKind::Text, "MCI Event Log", kNoVersion);
    d.fields = {
        stringField("EVL:LOGDATE", 12),
        stringField("EVL:LOGTIME", 10),
        stringField("EVL:LOGLABEL", 30),
        stringField("EVL:LOGDATA", 50),
    };
    return d;
}

TableDef MP3FolderList()
{
    TableDef d = table("MP3FolderList", "MFL", "QVL_MFL.TPS", DriverKind::Keyed, "", 1);
    d.fields = {
        stringField("MFL:FOLDER", 255),
        stringField("MFL:FILENUMBER", 20),
        stringField("MFL:ALBUM", 50),
    };
    d.keys = {
        primaryKey("MFL:K_FOLDER", "Folder", {"FOLDER"}),
    };
    return d;
}

TableDef QVLTips()
{
    TableDef d = table("QVLTips", "TIP", "QVLTIPS", DriverKind::Keyed, "Tips", 0);
    d.fields = {
        stringField("TIP:TIP", 1024),
        longField("TIP:ID"),
    };
    d.keys = {
        uniqueKey("TIP:KEYTIP", "Tips", {"TIP"}),
        primaryKey("TIP:KEYID", "ID", {"ID"}, "ID"),
    };
    return d;
}

TableDef TagSet_()
{
    TableDef d = table("TagSet_", "TS_", "TAGSET_", DriverKind::Keyed, "", kNoVersion);
    d.fields = {
        shortField("TS_:Tbl"),
        longField("TS_:Usr"),
        stringField("TS_:SOURCE", 50),
        longField("TS_:DATE", LongKind::Date),
        longField("TS_:COUNT"),
        stringField("TS_:DESCRIPTION", 250),
    };
    d.keys = {
        keepingEmpty(primaryKey("TS_:TblKey", "TS_:TblKey", {"Tbl"})),
        duplicateKey("TS_:UsrTblKey", "TS_:UsrTblKey", {"Usr", "Tbl"}),
        duplicateKey("TS_:UsrSourceDateKey", "TS_:UsrSourceDateKey", {"Usr", "SOURCE", "DATE"}),
    };
    return d;
}

TableDef TagFile_()
{
    TableDef d = table("TagFile_", "TF_", "TAGFILE_", DriverKind::Keyed, "", kNoVersion);
    d.fields = {
        longField("TF_:USR"),
        shortField("TF_:TBL"),
        longField("TF_:PTR"),
        stringField("TF_:Val", 10),
    };
    d.keys = {
        primaryKey("TF_:PtrKey", "TF_:PtrKey", {"USR", "TBL", "PTR"}),
        duplicateKey("TF_:ValKey", "TF_:ValKey", {"USR", "TBL", "Val"}),
    };
    return d;
}

TableDef TagFilePos_()
{
    TableDef d = table("TagFilePos_", "TP_", "TAGFILEP", DriverKind::Keyed, "", kNoVersion);
    d.fields = {
        longField("TP_:USR"),
        shortField("TP_:TBL"),
        stringField("TP_:Pos", 256),
        stringField("TP_:Val", 10),
    };
    d.keys = {
        primaryKey("TP_:PosKey", "TP_:PosKey", {"USR", "TBL", "Pos"}),
        duplicateKey("TP_:ValKey", "TP_:ValKey", {"USR", "TBL", "Val"}),
    };
    return d;
}

TableDef MP3ApprovalList()
{
    TableDef d = table("MP3ApprovalList", "MAL", "QVL_MPAL.TPS", DriverKind::Keyed, "", 3);
    d.fields = {
        stringField("MAL:AssociatedWAVFile", 255),
        stringField("MAL:Title", 50),
        stringField("MAL:Artist", 50),
        stringField("MAL:Album", 50),
        longField("MAL:ReleaseDate", LongKind::Year),
        longField("MAL:Time", LongKind::Time),
        stringField("MAL:Category", 30),
        stringField("MAL:VOLUMELABEL", 80),
        longField("MAL:Filesize"),
        longField("MAL:TrackNumber"),
        stringField("MAL:Mode", 32),
        longField("MAL:Frequency"),
        longField("MAL:BitRate"),
    };
    d.memos = {
        {"MAL:Notes", 4096},
    };
    d.keys = {
        primaryKey("MAL:K_FILENAME", "Filename", {"AssociatedWAVFile"}),
    };
    return d;
}

TableDef DOSFile()
{
    TableDef d = table("DOSFile", "DOSF", "", DriverKind::Binary, "DOS File for Import/Export of MP3 data", kNoVersion);
    d.fields = {
        stringField("DOSF:LINE", 65535),
    };
    return d;
}

std::vector<TableDef> all()
{
    return {Quorvel(), AlbumDetails(), ImportSongs(), SongDetails(), ImportAlbums(), Categories(), Album(), Labels(),
        Fonts(), AddWizard(), PlaylistMaster(), PlaylistDetails(), Media(), Configuration(), Input(), Artists(),
        EventLog(), MP3FolderList(), QVLTips(), TagSet_(), TagFile_(), TagFilePos_(), MP3ApprovalList(), DOSFile()};
}

int registeredVersion(std::string_view label)
{
    if (qv::tables::sameName(label, "ImportSongs"))
        return 15;
    static const std::vector<TableDef> defs = all();
    for (const auto& d : defs)
        if (qv::tables::sameName(d.label, label))
            return d.version;
    return kNoVersion;
}

} // namespace qv::qvls::schema

namespace qv::qvls::dictionary {

using qv::tables::Table;

std::string ImportSongsFileName;
std::string ImportAlbumsFileName;
std::string InputFileName;
std::string DOSFileName;

namespace {

enum Index {
    kQuorvel,
    kAlbumDetails,
    kImportSongs,
    kSongDetails,
    kImportAlbums,
    kCategories,
    kAlbum,
    kLabels,
    kFonts,
    kAddWizard,
    kPlaylistMaster,
    kPlaylistDetails,
    kMedia,
    kConfiguration,
    kInput,
    kArtists,
    kEventLog,
    kMP3FolderList,
    kQVLTips,
    kTagSet,
    kTagFile,
    kTagFilePos,
    kMP3ApprovalList,
    kDOSFile,
};

// Built together on first use and never destroyed: record buffers outlive every thread,
// and no table's teardown can run after the connections it used are gone.
const std::vector<Table*>& registry()
{
    static const std::vector<Table*>* tables = [] {
        auto* v = new std::vector<Table*>;
        for (auto& def : schema::all())
            v->push_back(new Table(std::move(def)));
        return v;
    }();
    return *tables;
}

Table& at(Index i)
{
    return *registry()[i];
}

} // namespace

Table& Quorvel()
{
    return at(kQuorvel);
}
Table& AlbumDetails()
{
    return at(kAlbumDetails);
}
Table& ImportSongs()
{
    return at(kImportSongs);
}
Table& SongDetails()
{
    return at(kSongDetails);
}
Table& ImportAlbums()
{
    return at(kImportAlbums);
}
Table& Categories()
{
    return at(kCategories);
}
Table& Album()
{
    return at(kAlbum);
}
Table& Labels()
{
    return at(kLabels);
}
Table& Fonts()
{
    return at(kFonts);
}
Table& AddWizard()
{
    return at(kAddWizard);
}
Table& PlaylistMaster()
{
    return at(kPlaylistMaster);
}
Table& PlaylistDetails()
{
    return at(kPlaylistDetails);
}
Table& Media()
{
    return at(kMedia);
}
Table& Configuration()
{
    return at(kConfiguration);
}
Table& Input()
{
    return at(kInput);
}
Table& Artists()
{
    return at(kArtists);
}
Table& EventLog()
{
    return at(kEventLog);
}
Table& MP3FolderList()
{
    return at(kMP3FolderList);
}
Table& QVLTips()
{
    return at(kQVLTips);
}
Table& TagSet_()
{
    return at(kTagSet);
}
Table& TagFile_()
{
    return at(kTagFile);
}
Table& TagFilePos_()
{
    return at(kTagFilePos);
}
Table& MP3ApprovalList()
{
    return at(kMP3ApprovalList);
}
Table& DOSFile()
{
    return at(kDOSFile);
}

Table* table(std::string_view label)
{
    for (Table* t : registry())
        if (qv::tables::sameName(t->def().label, label))
            return t;
    return nullptr;
}

const std::vector<Table*>& allTables()
{
    return registry();
}

std::string* runTimeName(const Table& t)
{
    if (&t == &ImportSongs())
        return &ImportSongsFileName;
    if (&t == &ImportAlbums())
        return &ImportAlbumsFileName;
    if (&t == &Input())
        return &InputFileName;
    if (&t == &DOSFile())
        return &DOSFileName;
    return nullptr;
}

void applyRunTimeName(Table& t)
{
    if (std::string* name = runTimeName(t))
        t.setFileName(*name);
}

} // namespace qv::qvls::dictionary
