#pragma once
// The program's own files and windows: opening a file with the desktop, the
// next album file number, the list of the program's top-level windows, and
// where the running program lives.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {
class Window;
}

namespace qv::qvls {

// Hands the file to the desktop with the verb ("open" when empty). A failure
// is not reported: nothing opens.
void ShellOpenFile(std::string_view verb, std::string_view file);
inline void ShellOpenFile(std::string_view file)
{
    ShellOpenFile({}, file);
}

// ALB:FileNumber becomes the number after the last one given ("FileNumber"
// of section "Album"): 'CD0042' gives 'CD0043', 'CD999' gives 'CD1000'.
// Writes "FileNumberFormat"; nothing happens while no number was given yet.
void NextAlbumFileNumber();
// The same rule on a text: the file number that follows it, and the prefix
// length and digit count of that number.
struct FileNumberStep {
    std::string next;
    int prefixLength = 0;
    int digits = 0;
};
FileNumberStep followingFileNumber(std::string_view last);

// One row of WindowList.
struct WindowListRow {
    std::string line; // WQ_:LINE: the window's title
    rt::Window* handle = nullptr; // WQ_:HANDLE
    std::string windowClass; // Q:WIN:CLASS: the window's definition name
};
// The calling thread's WindowList.
std::vector<WindowListRow>& WindowList();
// Refills the calling thread's WindowList with the program's open top-level
// windows that have a title.
void ListTopWindows();

// The collection folder (the current folder), ending with "/".
std::string collectionFolder();

// The full path of the running program.
std::string ModuleFileName();
// Its folder with the final separator, or empty.
std::string ProgramDirectory();

} // namespace qv::qvls
