#pragma once
// Paths as the program writes them (".\POSITION.INI", "..\DELETE.INI") and as
// the file system wants them. The program spells one file several ways
// ("QVLCONF.TPS", "QVLConf.tps"), so existing files are found without regard
// to case; new files get exactly the name they were given.

#include <optional>
#include <string>
#include <string_view>

namespace qv::rt {

// "\" becomes "/", trailing blanks go (fixed-length texts carry them, and
// Windows ignored them too). A leading drive letter is dropped: "C:\Music\a.mp3"
// is "/Music/a.mp3" (the drive's root is the file system's root) and
// "C:a.mp3" is "a.mp3" (relative to the current folder). Linux has no drives,
// so this is the one mapping that keeps absolute paths absolute.
std::string toPosixPath(std::string_view programPath);

// The existing file or folder at posixPath, each component matched exactly
// first and otherwise without regard to ASCII case in its folder; when several
// names differ only by case, the first in byte order wins. Empty when any
// component has no match.
std::optional<std::string> findNoCase(std::string_view posixPath);

// toPosixPath, then the existing spelling of each component that exists; the
// components from the first missing one on keep their exact spelling, so a
// file created at the result has the name the program gave it.
std::string resolvePath(std::string_view programPath);
// The same for a path already in POSIX form (no "\" mapping, no trimming).
std::string resolvePosixPath(std::string_view posixPath);

// Folder of the running executable, absolute, ending with "/" (so program
// code can append a file name, as it did with its folder ending in "\").
std::string programFolder();

// $XDG_CONFIG_HOME/quorvel, or ~/.config/quorvel; not created here.
std::string configFolder();

// Where an INI file lives: a bare name ("QVLRO98.INI", "WIN.INI") in the
// configuration folder, as Windows kept such files in its own folder; a name
// with a folder or drive (".\QVLROCFG.INI") relative to the current folder.
// The result is not resolved for case; resolvePath does that per access.
std::string iniFilePath(std::string_view iniName);
bool iniNameHasFolder(std::string_view iniName);

// a + "/" + b without doubling the separator; b when b is absolute or a empty.
std::string joinPath(std::string_view a, std::string_view b);

} // namespace qv::rt
