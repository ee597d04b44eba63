#pragma once
// The songs in the explorer style: one list in artist order, sorted by a
// click on a column's header instead of by tabs, with the song form behind
// Add, Copy, Change and Delete, the query wizard, the list printed as it
// shows, and the song import and export.

#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/list_query.h"
#include "qvls/catalogue/song_commands.h"

namespace qv::qvls {

class ExplorerSongList : public CatalogueList
{
public:
    ExplorerSongList();

    fw::Level OnEvent(const rt::Event& e) override;
    int CallUpdateProcedure(int number, int request) override;

protected:
    fw::Level prepareList() override;
    void listOpened() override;

private:
    void print();

    SongCommands commands_;
    ListQuery query_;
};

// Makes BrovexSongs startable by name.
void registerExplorerSongList();

} // namespace qv::qvls
