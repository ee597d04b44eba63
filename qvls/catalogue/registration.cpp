#include "qvls/catalogue/registration.h"

#include "qvls/catalogue/album_form.h"
#include "qvls/catalogue/album_list.h"
#include "qvls/catalogue/album_lookup.h"
#include "qvls/catalogue/albums_and_songs.h"
#include "qvls/catalogue/explorer_album_list.h"
#include "qvls/catalogue/explorer_song_list.h"
#include "qvls/catalogue/favourite_fonts.h"
#include "qvls/catalogue/playlist_entry.h"
#include "qvls/catalogue/playlist_form.h"
#include "qvls/catalogue/playlist_generator.h"
#include "qvls/catalogue/playlist_list.h"
#include "qvls/catalogue/reference_lists.h"
#include "qvls/catalogue/song_form.h"
#include "qvls/catalogue/song_list.h"
#include "qvls/catalogue/song_lookup.h"
#include "qvls/catalogue/tips.h"

namespace qv::qvls {

void registerCatalogue()
{
    registerReferenceLists();
    registerTips();
    registerFavouriteFonts();
    registerSongLookup();
    registerAlbumForm();
    registerAlbumList();
    registerAlbumsAndSongsList();
    registerExplorerAlbumList();
    registerSongForm();
    registerSongList();
    registerExplorerSongList();
    registerAlbumLookup();
    registerPlaylistForm();
    registerPlaylistEntryForm();
    registerPlaylistList();
    registerPlaylistGenerator();
}

} // namespace qv::qvls
