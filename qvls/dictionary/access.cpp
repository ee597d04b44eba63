#include "qvls/dictionary/access.h"

#include "platform/expr/datetime.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::dictionary {

namespace {

using Kind = FieldCheckRule::Kind;
using qv::tables::Record;

int currentYear()
{
    return expr::ymdFromDate(expr::defaultClock().today()).year;
}

// Defaults of new records read the caller's current album from its buffer.
Record& albumBuffer()
{
    return Album().record();
}

void songDefaults(Record& r)
{
    Record& a = albumBuffer();
    r["SNG:Artist"] = a["ALB:Artist"].toString();
    r["SNG:Album"] = a["ALB:Album"].toString();
    r["SNG:Media"] = a["ALB:Media"].toString();
    r["SNG:FileNumber"] = a["ALB:FileNumber"].toString();
    r["SNG:Category"] = a["ALB:Category"].toString();
    r["SNG:ReleaseDate"] = currentYear();
    r["SNG:CategoryID"] = a["ALB:CategoryID"].toDecimal().toInt();
    r["SNG:Side"] = 1;
    r["SNG:AlbumID"] = a["ALB:AlbumID"].toInt();
}

void albumDefaults(Record& r)
{
    r["ALB:ReleaseDate"] = currentYear();
    r["ALB:Condition"] = "Good";
}

void importAlbumDefaults(Record& r)
{
    r["IA:RELEASEDATE"] = currentYear();
    r["IA:CONDITION"] = "Good";
}

void albumDetailDefaults(Record& r)
{
    r["ADT:AlbumID"] = albumBuffer()["ALB:AlbumID"].toInt();
}
void songDetailDefaults(Record& r)
{
    r["SDT:ID"] = Quorvel().record()["SNG:ID"].toInt();
}
void addWizardDefaults(Record& r)
{
    r["AW:Side"] = 1;
}
void artistDefaults(Record& r)
{
    r["ART:Artist"] = albumBuffer()["ALB:Artist"].toString();
}
void folderDefaults(Record& r)
{
    r["MFL:ALBUM"] = albumBuffer()["ALB:Album"].toString();
}

void approvalDefaults(Record& r)
{
    Record& a = albumBuffer();
    r["MAL:Artist"] = a["ALB:Artist"].toString();
    r["MAL:Album"] = a["ALB:Album"].toString();
    r["MAL:ReleaseDate"] = currentYear();
    r["MAL:Category"] = a["ALB:Category"].toString();
}

FieldCheckRule range(
    std::string_view field, std::string_view text, std::int64_t low, std::int64_t high, std::string_view rangeText)
{
    FieldCheckRule c;
    c.field = field;
    c.fieldText = text;
    c.kind = Kind::Range;
    c.low = low;
    c.high = high;
    c.rangeText = rangeText;
    return c;
}

FieldCheckRule inTable(std::string_view field, std::string_view text, std::string_view label, std::string_view key,
    std::string_view lookupField, bool emptyAccepted, std::string_view name)
{
    FieldCheckRule c;
    c.field = field;
    c.fieldText = text;
    c.kind = Kind::InTable;
    c.lookupLabel = label;
    c.lookupKey = key;
    c.lookupField = lookupField;
    c.emptyAccepted = emptyAccepted;
    c.lookupName = name;
    return c;
}

} // namespace

const std::vector<AccessRules>& accessRules()
{
    // A blank song media fails its check unless a blank media format is stored;
    // an album's blank media passes.
    static const std::vector<AccessRules> rules{
        {"Quorvel", "Songs [Quorvel]", "Songs", songDefaults,
            {inTable("SNG:Media", "Media (Song)", "Media", "MED:KeyMedia", "MED:Media", false, "Media"),
                inTable("SNG:CategoryID", "Category (Unique ID)", "Categories", "CAT:KeyCategoryID", "CAT:CategoryID",
                    true, "Categories"),
                range("SNG:ChartNumber", "Chart", 0, 100, "0 and 100"),
                range("SNG:TrackNumber", "Track", 0, 99, "0 and 99"),
                range("SNG:Rating", "SNG:Rating", 0, 10, "0 and 10")},
            true},
        {"AlbumDetails", "", "AlbumDetails", albumDetailDefaults, {}, false},
        {"ImportSongs", "Songs [ImportSongs]", "Songs", nullptr,
            {range("IS:CHARTNUMBER", "Chart", 0, 100, "0 and 100"), range("IS:TRACKNUMBER", "Track", 0, 99, "0 and 99"),
                range("IS:Rating", "IS:Rating", 0, 10, "0 and 10")},
            true},
        {"SongDetails", "", "SongDetails", songDetailDefaults, {}, false},
        {"ImportAlbums", "Albums - Import Database [ImportAlbums]", "Albums - Import Database", importAlbumDefaults,
            {range("IA:RATING", "Rating", 0, 10, "0 and 10")}, true},
        {"Categories", "Categories [Categories]", "Categories", nullptr, {}, false},
        {"Album", "Albums [Album]", "Albums", albumDefaults,
            {inTable("ALB:Media", "Media (Album)", "Media", "MED:KeyMedia", "MED:Media", true, "Media"),
                inTable("ALB:CategoryID", "Category (Unique ID)", "Categories", "CAT:KeyCategoryID", "CAT:CategoryID",
                    true, "Categories"),
                range("ALB:Rating", "Rating", 0, 10, "0 and 10")},
            true},
        {"Labels", "Labels [Labels]", "Labels", nullptr, {}, true},
        {"Fonts", "Fonts [Fonts]", "Fonts", nullptr, {}, false},
        {"AddWizard", "Add Wizard Temporary Files [AddWizard]", "Add Wizard Temporary Files", addWizardDefaults, {},
            false},
        {"PlaylistMaster", "Playlist Master (Descriptions) [PlaylistMaster]", "Playlist Master (Descriptions)", nullptr,
            {}, true},
        {"PlaylistDetails", "Playlist Details (Songs) [PlaylistDetails]", "Playlist Details (Songs)", nullptr, {},
            false},
        {"Media", "Media Tyes [Media]", "Media Tyes", nullptr, {}, false},
        {"Configuration", "", "Configuration", nullptr, {}, false},
        {"Input", "ASCII Input File [Input]", "ASCII Input File", nullptr, {}, false},
        {"Artists", "Artists [Artists]", "Artists", artistDefaults, {}, false},
        {"EventLog", "MCI Event Log [EventLog]", "MCI Event Log", nullptr, {}, false},
        {"MP3FolderList", "", "MP3FolderList", folderDefaults, {}, false},
        {"QVLTips", "Tips [QVLTips]", "Tips", nullptr, {}, false},
        {"TagSet_", "TagSet_", "TagSet_", nullptr, {}, false},
        {"TagFile_", "TagFile_", "TagFile_", nullptr, {}, false},
        {"TagFilePos_", "TagFilePos_", "TagFilePos_", nullptr, {}, false},
        {"MP3ApprovalList", "", "MP3ApprovalList", approvalDefaults, {}, true},
        {"DOSFile", "DOS File for Import/Export of MP3 data [DOSFile]", "DOS File for Import/Export of MP3 data",
            nullptr, {}, false},
    };
    return rules;
}

DictionaryAccess::DictionaryAccess(qv::tables::Table& table, const AccessRules& rules)
    : TableAccess(table, fw::appErrorReporter())
    , rules_(rules)
{
    setOpenMode(qv::tables::DefaultAccess);
    setCreate(true);
    setLockRecover(10);
    if (!rules.nameInMessages.empty())
        setName(std::string(rules.nameInMessages));
    setCheckName(std::string(rules.checkName));
    const auto& def = table.def();
    for (int k = 0; k < static_cast<int>(def.keys.size()); ++k)
        RegisterKey(
            k, def.keys[static_cast<std::size_t>(k)].description, def.keys[static_cast<std::size_t>(k)].autoNumbered);
    for (const FieldCheckRule& c : rules.checks)
        checks_.push_back({&c, def.fieldIndex(c.field)});
}

fw::Level DictionaryAccess::open()
{
    if (!table().isOpen())
        applyRunTimeName(table());
    return TableAccess::open();
}

fw::Level DictionaryAccess::CheckField(int field)
{
    if (const fw::Level l = TableAccess::CheckField(field); l != fw::Benign)
        return l;
    for (const Check& c : checks_) {
        if (c.field != field)
            continue;
        const FieldCheckRule& rule = *c.rule;
        if (rule.kind == Kind::Range)
            return checkRange(field, rule.fieldText, rule.low, rule.high, rule.rangeText);
        if (rule.emptyAccepted && record().isEmpty(field))
            return fw::Benign;
        DictionaryAccess* lookup = accessOf(rule.lookupLabel);
        if (!lookup)
            return fw::Benign;
        const int key = lookup->table().def().keyIndex(rule.lookupKey);
        const int into = lookup->table().def().fieldIndex(rule.lookupField);
        const auto& from = table().def().fields[static_cast<std::size_t>(field)];
        return checkFound(rule.fieldText, *lookup, key, rule.lookupName, [&](Record& r) {
            // Ids cross between LONG and DECIMAL(6,0) here.
            if (from.type == qv::tables::FieldType::String)
                r.setString(into, record().getText(field));
            else
                r.setDecimal(into, record().getDecimal(field));
        });
    }
    return fw::Benign;
}

void DictionaryAccess::FillDefaults()
{
    TableAccess::FillDefaults();
    if (rules_.defaults)
        rules_.defaults(record());
}

void DictionaryAccess::BindRecordFields(expr::NameTable& names)
{
    TableAccess::BindRecordFields(names);
    if (!rules_.memosBound)
        return;
    const auto& memos = table().def().memos;
    for (int m = 0; m < static_cast<int>(memos.size()); ++m)
        names.bind(memos[static_cast<std::size_t>(m)].name, [this, m] { return expr::Value(record().memo(m)); });
}

} // namespace qv::qvls::dictionary
