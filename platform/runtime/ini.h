#pragma once
// INI files with the semantics of Windows private-profile files, which the
// program and its tools share between windows and processes.
//
// Reading: a line whose first non-blank character is "[" and that holds a "]"
// starts a section named by the text up to its last "]"; a line with "=" is a
// key (text before the first "=") and its raw value (everything after it to the
// end of the line); blanks, tabs and a CR around keys, values and section names
// are dropped. Lines starting with ";" and lines without "=" are kept but are
// no keys. Names match without regard to ASCII case; when a section or key
// occurs twice, the first counts. Quotes around a value are kept (Windows
// stripped a matching pair; here what was written is what is read).
//
// Writing: an existing key's line is rewritten in place (its own spelling and
// the blanks around "=" kept); a new key goes after the last key of its
// section, a new section at the end of the file. Every other byte of the file
// stays as it was, line endings included; new lines take the file's line
// ending (LF for a new file). The file is replaced atomically (temporary file
// beside it, then rename), under a lock on its folder so that two processes
// writing different keys both keep theirs. Leading and trailing blanks of a
// value are not written: they would not be read back.
//
// A file that is there but cannot be read (no permission, an I/O error) reads
// as empty and is never written: writing would replace it with the few keys
// written. A file the user made read-only is not replaced either, and a link
// is written through to its target, never replaced. Each such fault is told
// once per file (see setIniFaultReporter).
//
// Every call sees the file as it is on disk now; parsed files are cached by
// identity, size and modification time, so repeated reads cost one stat.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {

struct IniEntry {
    std::string key;
    std::string value;
};

// A file that could not be read or written: its path, the system's error
// number, and the reason in plain words ("Permission denied", "the file is
// read-only").
struct IniFault {
    std::string path;
    int error = 0;
    bool writing = false;
    std::string reason;
};
using IniFaultReporter = std::function<void(const IniFault&)>;
// Called on the thread that met the fault, once per file for reading and once
// for writing in the life of the process (a write refused because the file
// could not be read is the reading fault). Without a reporter the fault goes
// to standard error.
void setIniFaultReporter(IniFaultReporter reporter);

class IniFile
{
public:
    // A program INI name (".\POSITION.INI", "QVLRO98.INI"): placed by
    // iniFilePath and matched without regard to case on each access.
    static IniFile named(std::string_view iniName);
    // A POSIX path used as given.
    explicit IniFile(std::string posixPath);

    // The file this object reads and writes now (the existing spelling when
    // one exists).
    std::string path() const;
    bool exists() const;

    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::string get(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    // The value's leading decimal number, 0 when it has none; the default
    // only when the key is missing.
    long long getInt(std::string_view section, std::string_view key, long long defaultValue) const;

    std::vector<std::string> sections() const;
    std::vector<IniEntry> entries(std::string_view section) const;
    std::vector<std::string> keys(std::string_view section) const;

    // False when the file could not be written, or when the text could not be
    // read back as written: a section or key that is empty or holds a line
    // break, a key with "=" or starting with "[" or ";", a value with a line
    // break.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    bool setInt(std::string_view section, std::string_view key, long long value);
    // True when the key or section is gone afterwards (also when it was never there).
    bool removeKey(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

private:
    IniFile(std::string posixPath, bool resolveCase, bool makeFolder);

    std::string path_;
    bool resolveCase_ = false;
    bool makeFolder_ = false;
};

} // namespace qv::rt
