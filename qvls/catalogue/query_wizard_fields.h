#pragma once
// The fields the lists and reports offer the query wizard, packed as the
// wizard takes them, and the set-up every owner of a field queue runs.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outside/query_wizard.h"

namespace qv::expr {
class NameTable;
}

namespace qv::qvls {

class QueryWizardFields
{
public:
    // A: the 15 album rows; S: the 35 song rows; C: the category; M: the media.
    enum class Set { A, S, C, M };

    struct Instance {
        std::string_view procedure;
        std::string_view queueName;
        std::vector<Set> sets;
        bool hasSongs() const;
    };

    static const std::vector<outside::TCQW_FIELDSQUEUE>& rows(Set set);
    static std::string packed(const std::vector<Set>& sets);
    // Every procedure that offers the wizard, with its queue name and rows.
    static const std::vector<Instance>& instances();
    static const Instance* instance(std::string_view procedure);

    // Fills the procedure's queue and names it; after a refused list the
    // user hears "An error has prevented the Query Wizard from initializing."
    // once. A queue whose error is already set is left alone. For lists of
    // songs, "SelectSNG:Artist" is bound in names to the artist lookup.
    static void fill(
        outside::FieldsQueue& queue, const Instance& owner, std::int32_t& QueryWizardError, expr::NameTable* names);
};

// The artist lookup: the artist list for a choice, starting at the song's
// artist; the chosen artist, or empty.
std::string SelectSongArtist();

} // namespace qv::qvls
