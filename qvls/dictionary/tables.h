#pragma once

// The collection's 24 tables. Each is declared once, as data; its record buffer, its
// SQLite schema and the names expressions see all come from that declaration.

#include "platform/tables/decl.h"
#include "platform/tables/table.h"

#include <string>
#include <string_view>
#include <vector>

// The declarations: what each table holds and how it is keyed.
namespace qv::qvls::schema {

qv::tables::TableDef Quorvel(); // the songs
qv::tables::TableDef AlbumDetails();
qv::tables::TableDef ImportSongs(); // another collection's songs
qv::tables::TableDef SongDetails();
qv::tables::TableDef ImportAlbums(); // another collection's albums
qv::tables::TableDef Categories();
qv::tables::TableDef Album();
qv::tables::TableDef Labels();
qv::tables::TableDef Fonts();
qv::tables::TableDef AddWizard();
qv::tables::TableDef PlaylistMaster();
qv::tables::TableDef PlaylistDetails();
qv::tables::TableDef Media();
qv::tables::TableDef Configuration();
qv::tables::TableDef Input();
qv::tables::TableDef Artists();
qv::tables::TableDef EventLog();
qv::tables::TableDef MP3FolderList();
qv::tables::TableDef QVLTips();
qv::tables::TableDef TagSet_();
qv::tables::TableDef TagFile_();
qv::tables::TableDef TagFilePos_();
qv::tables::TableDef MP3ApprovalList();
qv::tables::TableDef DOSFile();

// Every declaration, in the dictionary's order.
std::vector<qv::tables::TableDef> all();

// The structure version a table is registered under with the table-file manager;
// -1 for the tables that are not registered. It differs from the file's version only
// for ImportSongs, which must still read the songs files of other collections.
int registeredVersion(std::string_view label);

} // namespace qv::qvls::schema

// The process's tables: one record buffer per table, shared by every thread.
namespace qv::qvls::dictionary {

// Names of the tables named at run time; their users set them before an open.
extern std::string ImportSongsFileName;
extern std::string ImportAlbumsFileName;
extern std::string InputFileName;
extern std::string DOSFileName;

qv::tables::Table& Quorvel();
qv::tables::Table& AlbumDetails();
qv::tables::Table& ImportSongs();
qv::tables::Table& SongDetails();
qv::tables::Table& ImportAlbums();
qv::tables::Table& Categories();
qv::tables::Table& Album();
qv::tables::Table& Labels();
qv::tables::Table& Fonts();
qv::tables::Table& AddWizard();
qv::tables::Table& PlaylistMaster();
qv::tables::Table& PlaylistDetails();
qv::tables::Table& Media();
qv::tables::Table& Configuration();
qv::tables::Table& Input();
qv::tables::Table& Artists();
qv::tables::Table& EventLog();
qv::tables::Table& MP3FolderList();
qv::tables::Table& QVLTips();
qv::tables::Table& TagSet_();
qv::tables::Table& TagFile_();
qv::tables::Table& TagFilePos_();
qv::tables::Table& MP3ApprovalList();
qv::tables::Table& DOSFile();

// A table by its label, without regard to case; nullptr when there is none.
qv::tables::Table* table(std::string_view label);
// All 24, in the dictionary's order.
const std::vector<qv::tables::Table*>& allTables();

// The name global a table takes its file name from, or nullptr for a table whose
// name is fixed.
std::string* runTimeName(const qv::tables::Table& table);
// Gives a table named at run time the name its global holds now; call it right
// before the table is created or opened. Fixed names are left alone.
void applyRunTimeName(qv::tables::Table& table);

} // namespace qv::qvls::dictionary
