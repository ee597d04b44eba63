#pragma once
// The playlists, by description, with the list class's header sorting and
// list print: the playlist form behind Add, Change and Delete, the
// generator, and the reports of the highlighted playlist, each run on the
// list's thread. A window not there yet is said plainly.

#include "qvls/catalogue/catalogue_list.h"

namespace qv::qvls {

class PlaylistList : public CatalogueList
{
public:
    // The context menu's "Report Wizard" and "Generate Play List".
    static constexpr int kReportWizard = 1549;
    static constexpr int kGenerate = 1550;

    PlaylistList();

    fw::Level OnEvent(const rt::Event& e) override;
    // The form, called by name; without it nothing is added, changed or deleted.
    int CallUpdateProcedure(int number, int request) override;

private:
    void print();
    void printChart();
    void reportWizard();
    void generate();
    // procedure with the highlighted playlist in the buffer; false when it is
    // not there (what: its name for the user).
    bool runForPlaylist(const char* procedure, const char* what);
};

// Makes BrowsePlayLists startable by name.
void registerPlaylistList();

} // namespace qv::qvls
