#include "qvls/dictionary/access.h"

#include "platform/framework/use_binding.h"

#include "platform/tables/group.h"
#include "qvls/dictionary/tables.h"

#include <array>
#include <filesystem>
#include <map>

namespace qv::qvls::dictionary {

DictionaryAccess* QuorvelAccess = nullptr;
DictionaryAccess* AlbumDetailsAccess = nullptr;
DictionaryAccess* ImportSongsAccess = nullptr;
DictionaryAccess* SongDetailsAccess = nullptr;
DictionaryAccess* ImportAlbumsAccess = nullptr;
DictionaryAccess* CategoriesAccess = nullptr;
DictionaryAccess* AlbumAccess = nullptr;
DictionaryAccess* LabelsAccess = nullptr;
DictionaryAccess* FontsAccess = nullptr;
DictionaryAccess* AddWizardAccess = nullptr;
DictionaryAccess* PlaylistMasterAccess = nullptr;
DictionaryAccess* PlaylistDetailsAccess = nullptr;
DictionaryAccess* MediaAccess = nullptr;
DictionaryAccess* ConfigurationAccess = nullptr;
DictionaryAccess* InputAccess = nullptr;
DictionaryAccess* ArtistsAccess = nullptr;
DictionaryAccess* EventLogAccess = nullptr;
DictionaryAccess* MP3FolderListAccess = nullptr;
DictionaryAccess* QVLTipsAccess = nullptr;
DictionaryAccess* TagSet_Access = nullptr;
DictionaryAccess* TagFile_Access = nullptr;
DictionaryAccess* TagFilePos_Access = nullptr;
DictionaryAccess* MP3ApprovalListAccess = nullptr;
DictionaryAccess* DOSFileAccess = nullptr;

DictionaryRelations* QuorvelRelations = nullptr;
DictionaryRelations* AlbumDetailsRelations = nullptr;
DictionaryRelations* ImportSongsRelations = nullptr;
DictionaryRelations* SongDetailsRelations = nullptr;
DictionaryRelations* ImportAlbumsRelations = nullptr;
DictionaryRelations* CategoriesRelations = nullptr;
DictionaryRelations* AlbumRelations = nullptr;
DictionaryRelations* LabelsRelations = nullptr;
DictionaryRelations* FontsRelations = nullptr;
DictionaryRelations* AddWizardRelations = nullptr;
DictionaryRelations* PlaylistMasterRelations = nullptr;
DictionaryRelations* PlaylistDetailsRelations = nullptr;
DictionaryRelations* MediaRelations = nullptr;
DictionaryRelations* ConfigurationRelations = nullptr;
DictionaryRelations* InputRelations = nullptr;
DictionaryRelations* ArtistsRelations = nullptr;
DictionaryRelations* EventLogRelations = nullptr;
DictionaryRelations* MP3FolderListRelations = nullptr;
DictionaryRelations* QVLTipsRelations = nullptr;
DictionaryRelations* TagSet_Relations = nullptr;
DictionaryRelations* TagFile_Relations = nullptr;
DictionaryRelations* TagFilePos_Relations = nullptr;
DictionaryRelations* MP3ApprovalListRelations = nullptr;
DictionaryRelations* DOSFileRelations = nullptr;

namespace {

constexpr std::size_t kTables = 24;

struct Refs {
    DictionaryAccess** access;
    DictionaryRelations** relations;
};

// In the dictionary's order, which is also the order the sets are built and cleaned up.
const std::array<Refs, kTables>& refs()
{
    static const std::array<Refs, kTables> r{{
        {&QuorvelAccess, &QuorvelRelations},
        {&AlbumDetailsAccess, &AlbumDetailsRelations},
        {&ImportSongsAccess, &ImportSongsRelations},
        {&SongDetailsAccess, &SongDetailsRelations},
        {&ImportAlbumsAccess, &ImportAlbumsRelations},
        {&CategoriesAccess, &CategoriesRelations},
        {&AlbumAccess, &AlbumRelations},
        {&LabelsAccess, &LabelsRelations},
        {&FontsAccess, &FontsRelations},
        {&AddWizardAccess, &AddWizardRelations},
        {&PlaylistMasterAccess, &PlaylistMasterRelations},
        {&PlaylistDetailsAccess, &PlaylistDetailsRelations},
        {&MediaAccess, &MediaRelations},
        {&ConfigurationAccess, &ConfigurationRelations},
        {&InputAccess, &InputRelations},
        {&ArtistsAccess, &ArtistsRelations},
        {&EventLogAccess, &EventLogRelations},
        {&MP3FolderListAccess, &MP3FolderListRelations},
        {&QVLTipsAccess, &QVLTipsRelations},
        {&TagSet_Access, &TagSet_Relations},
        {&TagFile_Access, &TagFile_Relations},
        {&TagFilePos_Access, &TagFilePos_Relations},
        {&MP3ApprovalListAccess, &MP3ApprovalListRelations},
        {&DOSFileAccess, &DOSFileRelations},
    }};
    return r;
}

// The sets themselves; the references above point into these while the dictionary stands.
std::array<std::unique_ptr<DictionaryRelations>, kTables>& sets()
{
    static std::array<std::unique_ptr<DictionaryRelations>, kTables> s;
    return s;
}

int indexOf(std::string_view label)
{
    const auto& rules = accessRules();
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (qv::tables::sameName(rules[i].label, label))
            return static_cast<int>(i);
    return -1;
}

using fw::Rule;

} // namespace

const std::vector<RelationDecl>& relationDecls()
{
    static const std::vector<RelationDecl> decls{
        {"Quorvel", "SongDetails", "SDT:K_ID", Rule::Cascade, Rule::Cascade, {{"SNG:ID", "SDT:ID"}}},
        {"Quorvel", "Media", "", Rule::None, Rule::None, {}},
        {"Quorvel", "PlaylistDetails", "PLA:KeyID", Rule::None, Rule::Restrict, {{"SNG:ID", "PLA:ID"}}},
        {"Quorvel", "Categories", "", Rule::None, Rule::None, {}},
        {"Quorvel", "Album", "", Rule::None, Rule::None, {}},
        {"AlbumDetails", "Album", "", Rule::None, Rule::None, {}},
        {"SongDetails", "Quorvel", "", Rule::None, Rule::None, {}},
        // Albums and songs keep a copy of their category's name; a rename
        // rewrites the copies in the save's own transaction.
        {"Categories", "Album", "ALB:KEYCATEGORY", Rule::Restrict, Rule::Restrict,
            {{"CAT:CategoryID", "ALB:CategoryID"}}, {{"CAT:Category", "ALB:Category"}}},
        {"Categories", "Quorvel", "SNG:SongsByCategory", Rule::Cascade, Rule::Restrict,
            {{"CAT:CategoryID", "SNG:CategoryID"}}, {{"CAT:Category", "SNG:Category"}}},
        {"Album", "AlbumDetails", "ADT:K_Album", Rule::Cascade, Rule::Cascade, {{"ALB:AlbumID", "ADT:AlbumID"}}},
        {"Album", "Categories", "", Rule::None, Rule::None, {}},
        {"Album", "Media", "MED:KeyMedia", Rule::None, Rule::None, {}},
        {"Album", "Quorvel", "SNG:KeyAlbumID", Rule::Cascade, Rule::Cascade, {{"ALB:AlbumID", "SNG:AlbumID"}}},
        {"Labels", "Fonts", "FON:KeyFontID", Rule::None, Rule::None, {{"LAB:CDSPINEFONTID", "FON:FONTID"}}},
        {"Fonts", "Labels", "", Rule::None, Rule::None, {}},
        {"PlaylistMaster", "PlaylistDetails", "PLA:KeyPlaylistID", Rule::None, Rule::Cascade,
            {{"PLD:PlaylistID", "PLA:PlaylistID"}}},
        {"PlaylistDetails", "Quorvel", "", Rule::None, Rule::None, {}},
        {"PlaylistDetails", "PlaylistMaster", "", Rule::None, Rule::None, {}},
        {"Media", "Quorvel", "SNG:SongsByMedia", Rule::Cascade, Rule::Restrict, {{"MED:Media", "SNG:Media"}}},
        // Albums name their media format as songs do: a rename reaches them, and
        // a format they use is not deleted, or they would name one that is gone.
        // No key of the albums serves the name: they are read through.
        {"Media", "Album", "", Rule::Cascade, Rule::Restrict, {{"MED:Media", "ALB:Media"}}},
        {"TagSet_", "TagFile_", "TF_:PtrKey", Rule::Cascade, Rule::Cascade,
            {{"TS_:Usr", "TF_:USR"}, {"TS_:Tbl", "TF_:TBL"}}},
        {"TagSet_", "TagFilePos_", "TP_:ValKey", Rule::Cascade, Rule::Cascade,
            {{"TS_:Usr", "TP_:USR"}, {"TS_:Tbl", "TP_:TBL"}}},
        {"TagFile_", "TagSet_", "", Rule::None, Rule::None, {}},
        {"TagFilePos_", "TagSet_", "", Rule::None, Rule::None, {}},
    };
    return decls;
}

DictionaryRelations::DictionaryRelations(
    std::unique_ptr<DictionaryAccess> access, DictionaryAccess** accessRef, DictionaryRelations** setRef)
    : OwnedAccess{std::move(access)}
    , RelationSet(*owned)
    , accessRef_(accessRef)
    , setRef_(setRef)
{
    // The access object's last step: its reference points at it.
    *accessRef_ = owned.get();
    setTransactions(true);
}

void DictionaryRelations::CleanUp()
{
    owned.reset();
    *accessRef_ = nullptr;
    RelationSet::CleanUp();
    *setRef_ = nullptr;
}

DictionaryAccess* accessOf(std::string_view label)
{
    const int i = indexOf(label);
    return i < 0 ? nullptr : *refs()[static_cast<std::size_t>(i)].access;
}

DictionaryRelations* relationsOf(std::string_view label)
{
    const int i = indexOf(label);
    return i < 0 ? nullptr : *refs()[static_cast<std::size_t>(i)].relations;
}

bool dictionaryBuilt()
{
    return QuorvelRelations != nullptr;
}

void InitDictionary()
{
    if (dictionaryBuilt())
        return;
    const auto& rules = accessRules();
    const auto& tables = allTables();
    auto& s = sets();
    // Every set is built before any declares its relations, since sets name sets that
    // come after them.
    for (std::size_t i = 0; i < kTables; ++i) {
        // Windows bind their controls to fields by name ("ALB:Artist").
        fw::registerRecord(tables[i]->record());
        auto access = std::make_unique<DictionaryAccess>(*tables[i], rules[i]);
        s[i] = std::make_unique<DictionaryRelations>(std::move(access), refs()[i].access, refs()[i].relations);
        *refs()[i].relations = s[i].get();
        fw::registerRelationSet(std::string(rules[i].label), *s[i]);
    }
    for (const RelationDecl& d : relationDecls()) {
        DictionaryRelations* parent = relationsOf(d.parent);
        DictionaryRelations* related = relationsOf(d.related);
        if (!parent || !related)
            continue;
        if (d.lookup()) {
            parent->addLookup(*related);
            continue;
        }
        std::vector<std::pair<std::string, std::string>> links;
        for (const auto& [p, c] : d.links)
            links.emplace_back(p, c);
        const int key = d.key.empty() ? -1 : related->access().table().def().keyIndex(d.key);
        parent->addRelation(*related, d.onUpdate, d.onDelete, key, std::move(links));
        if (!d.copies.empty()) {
            std::vector<std::pair<std::string, std::string>> copies;
            for (const auto& [p, c] : d.copies)
                copies.emplace_back(p, c);
            parent->addCopies(std::move(copies));
        }
    }
}

void KillDictionary()
{
    auto& s = sets();
    for (auto& set : s)
        if (set)
            set->CleanUp();
    for (auto& set : s)
        set.reset();
    for (qv::tables::Table* t : allTables())
        fw::unregisterRecord(t->record());
    for (const AccessRules& r : accessRules())
        fw::unregisterRelationSet(r.label);
}

const std::vector<std::string_view>& catalogueGroupLabels()
{
    static const std::vector<std::string_view> labels{"Quorvel", "Album", "AlbumDetails", "SongDetails",
        "PlaylistMaster", "PlaylistDetails", "Categories", "Media", "Artists"};
    return labels;
}

void useCollectionFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    // Groups outlive every switch: a table still open keeps the connection it opened on.
    static std::map<std::string, std::unique_ptr<qv::tables::Group>> groups;
    const fs::path base = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder)).lexically_normal();
    auto groupFor = [&](std::string_view file) -> qv::tables::Group& {
        const std::string path = (base / file).string();
        auto& g = groups[path];
        if (!g)
            g = std::make_unique<qv::tables::Group>(path);
        return *g;
    };
    qv::tables::Group& catalogue = groupFor(kCatalogueGroupFile);
    qv::tables::Group& other = groupFor(kOtherGroupFile);
    for (qv::tables::Table* t : allTables()) {
        if (t->def().driver != qv::tables::DriverKind::Keyed)
            continue;
        if (runTimeName(*t)) {
            t->setGroup(nullptr); // the group of the folder its file lies in
            continue;
        }
        bool inCatalogue = false;
        for (std::string_view l : catalogueGroupLabels())
            inCatalogue = inCatalogue || qv::tables::sameName(l, t->def().label);
        t->setGroup(inCatalogue ? &catalogue : &other);
    }
}

} // namespace qv::qvls::dictionary
