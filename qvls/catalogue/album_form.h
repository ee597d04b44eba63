#pragma once
// The form of one album, the centre of the catalogue: the album record on
// seven tabs, its songs and its detail lines on the same window. Lists,
// lookups, the song form, the wizards and the CD player call it.

#include <memory>
#include <string>

#include "qvls/catalogue/album_files.h"
#include "qvls/catalogue/album_songs.h"
#include "qvls/catalogue/ordered_list.h"
#include "qvls/catalogue/record_swap.h"
#include "qvls/core/form.h"
#include "qvls/core/type_ahead.h"

namespace qv::qvls {

class AlbumForm : public Form
{
public:
    AlbumForm();

protected:
    int CallUpdateProcedure(int number, int request) override;
    fw::Level prepareForm() override;
    void formOpened() override;
    void FillNewRecordDefaults() override;
    fw::Level beforeSave() override;
    fw::Level saveRecord() override;
    void Refresh() override;
    void CleanUp() override;

private:
    void registerGeneralTab();
    void registerSongsTab();
    bool checkField(const char* field);
    void cascadeIf(int setting);
    void notYet(const char* what);

    // The album this form edits: the Album buffer is shared with every
    // window, the id the form took is its own.
    std::int64_t albumId_ = 0;
    RecordSwapClass songSwap_{kAlbumSongsSwap, [this] { return albumId_; }};
    RecordSwapClass detailSwap_{kAlbumDetailsSwap, [this] { return albumId_; }};
    std::unique_ptr<OrderedList> songOrder_, detailOrder_;
    AlbumSongs songs_{*this, [this] { return albumId_; }};
    AlbumFiles files_{*this};
    ArtistTypeAhead artistTypeAhead_;
    bool artistsOpen_ = false;
};

// Makes UpdateAlbum startable by name.
void registerAlbumForm();

} // namespace qv::qvls
