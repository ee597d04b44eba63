#pragma once
// The songs: nine orders chosen by tab (one limited to a media format, one
// to a category, both kept by the list), the song form behind Add, Copy,
// Change and Delete, the report of the order chosen, the song's album, the
// query wizard, and the song import and export.

#include <string>

#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/category_choice.h"
#include "qvls/catalogue/list_query.h"
#include "qvls/catalogue/song_commands.h"

namespace qv::qvls {

class SongList : public CatalogueList
{
public:
    // "&More" opens the menu beside the button once its middle is this far
    // (300 pixels of the 8-point font) below the window's top; above, under it.
    static constexpr int kMoreBesideBelow = 185;

    SongList();

    fw::Level OnEvent(const rt::Event& e) override;
    int CallUpdateProcedure(int number, int request) override;

protected:
    fw::Level prepareList() override;
    void listOpened() override;

private:
    // The report of the order the tab shows.
    void print();
    void more();

    SongCommands commands_;
    CategoryChoice category_;
    LookupChoice media_;
    ListQuery query_;
};

// The song lists' column of the display title (the title with its skip and
// mix marks), for a list that declares the computed column `name`.
void showSongTitles(fw::ListWindow& list, std::string_view name);

// Makes BrowseSongs startable by name.
void registerSongList();

} // namespace qv::qvls
