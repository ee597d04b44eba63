#pragma once

// The run-time half of the dictionary: one access object and one relation set per
// table. Procedures reach them only through the global references below, which
// InitDictionary points at the objects and KillDictionary clears.

#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::qvls::dictionary {

// A table's own rules, as data.
struct FieldCheckRule {
    enum class Kind { Range, InTable };
    std::string_view field; // "ALB:Rating"
    std::string_view fieldText; // %Field of the message
    Kind kind = Kind::Range;
    std::int64_t low = 0, high = 0; // Range, inclusive
    std::string_view rangeText; // Range: %Message
    // InTable: the field's value must be a record of lookupLabel found by lookupKey
    // once copied into lookupField; an empty value passes when emptyAccepted.
    std::string_view lookupLabel, lookupKey, lookupField;
    bool emptyAccepted = false;
    std::string_view lookupName; // InTable: %Message
};

struct AccessRules {
    std::string_view label;
    std::string_view nameInMessages; // empty: the framework's default
    std::string_view checkName;
    void (*defaults)(qv::tables::Record& fresh) = nullptr;
    std::vector<FieldCheckRule> checks;
    bool memosBound = false; // every memo bound under its name for expressions
};

// The 24 tables' rules, in the dictionary's order.
const std::vector<AccessRules>& accessRules();

class DictionaryAccess : public fw::TableAccess
{
public:
    DictionaryAccess(qv::tables::Table& table, const AccessRules& rules);

    const AccessRules& rules() const { return rules_; }

    // A table named at run time takes its name global's value as it opens.
    fw::Level open() override;
    fw::Level CheckField(int field) override;
    void FillDefaults() override;
    void BindRecordFields(expr::NameTable& names) override;

private:
    struct Check {
        const FieldCheckRule* rule;
        int field;
    };
    const AccessRules& rules_;
    std::vector<Check> checks_;
};

class DictionaryRelations;

// Builds the access object before the set that is made over it, so the set can own it.
struct OwnedAccess {
    std::unique_ptr<DictionaryAccess> owned;
};

class DictionaryRelations : private OwnedAccess, public fw::RelationSet
{
public:
    DictionaryRelations(
        std::unique_ptr<DictionaryAccess> access, DictionaryAccess** accessRef, DictionaryRelations** setRef);

    // Destroys the access object, clears its reference, drops the relations and
    // clears the set's own reference.
    void CleanUp() override;
    bool cleanedUp() const { return !owned; }

private:
    DictionaryAccess** accessRef_;
    DictionaryRelations** setRef_;
};

// The global references, one pair per table.
extern DictionaryAccess* QuorvelAccess;
extern DictionaryAccess* AlbumDetailsAccess;
extern DictionaryAccess* ImportSongsAccess;
extern DictionaryAccess* SongDetailsAccess;
extern DictionaryAccess* ImportAlbumsAccess;
extern DictionaryAccess* CategoriesAccess;
extern DictionaryAccess* AlbumAccess;
extern DictionaryAccess* LabelsAccess;
extern DictionaryAccess* FontsAccess;
extern DictionaryAccess* AddWizardAccess;
extern DictionaryAccess* PlaylistMasterAccess;
extern DictionaryAccess* PlaylistDetailsAccess;
extern DictionaryAccess* MediaAccess;
extern DictionaryAccess* ConfigurationAccess;
extern DictionaryAccess* InputAccess;
extern DictionaryAccess* ArtistsAccess;
extern DictionaryAccess* EventLogAccess;
extern DictionaryAccess* MP3FolderListAccess;
extern DictionaryAccess* QVLTipsAccess;
extern DictionaryAccess* TagSet_Access;
extern DictionaryAccess* TagFile_Access;
extern DictionaryAccess* TagFilePos_Access;
extern DictionaryAccess* MP3ApprovalListAccess;
extern DictionaryAccess* DOSFileAccess;

extern DictionaryRelations* QuorvelRelations;
extern DictionaryRelations* AlbumDetailsRelations;
extern DictionaryRelations* ImportSongsRelations;
extern DictionaryRelations* SongDetailsRelations;
extern DictionaryRelations* ImportAlbumsRelations;
extern DictionaryRelations* CategoriesRelations;
extern DictionaryRelations* AlbumRelations;
extern DictionaryRelations* LabelsRelations;
extern DictionaryRelations* FontsRelations;
extern DictionaryRelations* AddWizardRelations;
extern DictionaryRelations* PlaylistMasterRelations;
extern DictionaryRelations* PlaylistDetailsRelations;
extern DictionaryRelations* MediaRelations;
extern DictionaryRelations* ConfigurationRelations;
extern DictionaryRelations* InputRelations;
extern DictionaryRelations* ArtistsRelations;
extern DictionaryRelations* EventLogRelations;
extern DictionaryRelations* MP3FolderListRelations;
extern DictionaryRelations* QVLTipsRelations;
extern DictionaryRelations* TagSet_Relations;
extern DictionaryRelations* TagFile_Relations;
extern DictionaryRelations* TagFilePos_Relations;
extern DictionaryRelations* MP3ApprovalListRelations;
extern DictionaryRelations* DOSFileRelations;

// The references by label, without regard to case; nullptr when there is none or the
// dictionary is not built.
DictionaryAccess* accessOf(std::string_view label);
DictionaryRelations* relationsOf(std::string_view label);

// A relation as declared: the parent's set, the related table, the related key, the
// linking fields and the rules. Lookups have neither key nor rules.
struct RelationDecl {
    std::string_view parent, related;
    std::string_view key; // empty: the related table is read through (no key serves the links)
    fw::Rule onUpdate = fw::Rule::None, onDelete = fw::Rule::None;
    std::vector<std::pair<std::string_view, std::string_view>> links;
    // Copies the related records keep of the parent's fields (parent, related).
    std::vector<std::pair<std::string_view, std::string_view>> copies = {};
    bool lookup() const { return links.empty(); }
};
// In each set's declared order.
const std::vector<RelationDecl>& relationDecls();

void InitDictionary();
void KillDictionary();
bool dictionaryBuilt();

// Points the collection's tables at the connection groups of a folder: the tables that
// relation sets update together share one connection (so cascades commit atomically),
// the others a second one, each with a hidden main file in the folder. Tables named at
// run time keep the group of the folder their file lies in. Called when a collection
// is opened and again when it is switched.
void useCollectionFolder(const std::string& folder);
// The hidden main files of those groups.
inline constexpr std::string_view kCatalogueGroupFile = ".qvcatalogue";
inline constexpr std::string_view kOtherGroupFile = ".qvother";
// The labels in the first group.
const std::vector<std::string_view>& catalogueGroupLabels();

} // namespace qv::qvls::dictionary
