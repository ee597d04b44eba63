#pragma once
// A table with its related tables: which open and close with it, which
// fields link them, and what an update or a delete of a record does to the
// records that refer to it. Forms save through it.

#include <string>
#include <utility>
#include <vector>

#include "platform/framework/table_access.h"

namespace qv::fw {

enum class Rule { None, Clear, Restrict, Cascade };

class RelationSet
{
public:
    explicit RelationSet(TableAccess& primary);
    virtual ~RelationSet();
    RelationSet(const RelationSet&) = delete;
    RelationSet& operator=(const RelationSet&) = delete;

    TableAccess& access() const { return primary_; }

    // Transactions frame deletes and linking-field updates (time-out 2 s).
    void setTransactions(bool on) { transactions_ = on; }
    // A related table found through its key by the linking fields
    // (parent field, related field), in order. Values convert between
    // LONG and DECIMAL fields as they cross.
    void addRelation(RelationSet& related, Rule onUpdate, Rule onDelete, int relatedKey,
        std::vector<std::pair<std::string, std::string>> links);
    // Copies that related records keep of the parent's fields (parent field,
    // related field), as albums keep their category's name: when a save
    // changes the parent's field, every related record that holds another
    // text gets the new one, after the parent is written and in the same
    // transaction. A related record that refuses the write keeps its copy.
    // The relation is the last one added.
    void addCopies(std::vector<std::pair<std::string, std::string>> copies);
    // A table that only opens and closes with this set.
    void addLookup(RelationSet& lookup);

    // Opens and closes the primary table and every related table.
    Level open();
    Level close();

    // Writes the primary buffer back; when linking fields changed, applies
    // the update rules to the related records (recursively) in one
    // transaction. A refusal rolls everything back and shows the message.
    // fromForm: the record's fields are checked first, as a form's save does.
    Level Update(bool fromForm = true);
    // Deletes the primary record with the delete rules applied (recursively)
    // in one transaction; ask: confirm first ("Confirm Delete").
    Level deleteRecord(bool ask = true);

    virtual void CleanUp();

protected:
    friend struct RelationWork;
    struct Relation {
        RelationSet* related;
        Rule onUpdate;
        Rule onDelete;
        int key;
        std::vector<std::pair<std::string, std::string>> links;
        std::vector<std::pair<std::string, std::string>> copies;
    };
    TableAccess& primary_;
    std::vector<Relation> relations_;
    std::vector<RelationSet*> lookups_;
    bool transactions_ = true;
};

} // namespace qv::fw
