#include "platform/runtime/ini.h"

#include "platform/runtime/paths.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>

namespace qv::rt {

namespace {

constexpr size_t npos = std::string::npos;

// Hand-edited files carry tabs and stray carriage returns around names and
// values; a line feed is never trimmed, so a value that holds one is refused.
constexpr std::string_view kBlanks = " \t\r\v\f";

bool isBlank(char c)
{
    return kBlanks.find(c) != std::string_view::npos;
}

std::string_view trim(std::string_view s)
{
    return text::trim(s, kBlanks);
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

struct Line {
    size_t begin = 0; // content, without the line ending
    size_t end = 0;
    size_t eolEnd = 0; // after the line ending
    enum Kind { Other, Header, Key } kind = Other;
    size_t nameBegin = 0, nameEnd = 0; // section name or key, trimmed
    size_t valueBegin = 0, valueEnd = 0; // trimmed value
};

struct Section {
    size_t header = npos; // npos: the lines before the first header
    size_t endLine = 0; // one past the section's last line
    std::vector<size_t> keyLines;
};

struct Doc {
    std::string text;
    std::vector<Line> lines;
    std::vector<Section> sections;
    std::string eol = "\n";

    std::string_view view(size_t b, size_t e) const { return std::string_view(text).substr(b, e - b); }
    std::string_view name(const Line& l) const { return view(l.nameBegin, l.nameEnd); }
    std::string_view value(const Line& l) const { return view(l.valueBegin, l.valueEnd); }

    std::string_view sectionName(const Section& s) const { return name(lines[s.header]); }

    const Section* findSection(std::string_view wanted) const
    {
        for (const Section& s : sections)
            if (s.header != npos && text::equalsNoCase(sectionName(s), wanted))
                return &s;
        return nullptr;
    }

    const Line* findKey(const Section& s, std::string_view key) const
    {
        for (size_t i : s.keyLines)
            if (text::equalsNoCase(name(lines[i]), key))
                return &lines[i];
        return nullptr;
    }
};

void classify(const std::string& text, Line& line, size_t contentBegin)
{
    std::string_view all(text);
    size_t s = contentBegin;
    while (s < line.end && isBlank(text[s]))
        ++s;
    if (s < line.end && text[s] == '[') {
        size_t close = all.substr(0, line.end).rfind(']');
        if (close != npos && close > s) {
            std::string_view n = trim(all.substr(s + 1, close - s - 1));
            line.kind = Line::Header;
            line.nameBegin = static_cast<size_t>(n.data() - text.data());
            line.nameEnd = line.nameBegin + n.size();
            return;
        }
    }
    if (s < line.end && text[s] == ';')
        return;
    size_t eq = all.substr(0, line.end).find('=', s);
    if (eq == npos)
        return;
    std::string_view k = trim(all.substr(s, eq - s));
    if (k.empty())
        return;
    std::string_view v = trim(all.substr(eq + 1, line.end - eq - 1));
    line.kind = Line::Key;
    line.nameBegin = static_cast<size_t>(k.data() - text.data());
    line.nameEnd = line.nameBegin + k.size();
    line.valueBegin = static_cast<size_t>(v.data() - text.data());
    line.valueEnd = line.valueBegin + v.size();
}

std::shared_ptr<const Doc> parse(std::string text)
{
    auto doc = std::make_shared<Doc>();
    doc->text = std::move(text);
    const std::string& t = doc->text;
    bool eolSeen = false;
    doc->sections.push_back(Section{});
    size_t pos = 0;
    while (pos < t.size()) {
        Line line;
        line.begin = pos;
        size_t nl = t.find('\n', pos);
        line.end = nl == npos ? t.size() : nl;
        line.eolEnd = nl == npos ? t.size() : nl + 1;
        if (line.end > pos && t[line.end - 1] == '\r')
            --line.end;
        if (!eolSeen && nl != npos) {
            doc->eol = t.substr(line.end, line.eolEnd - line.end);
            eolSeen = true;
        }
        size_t contentBegin = pos;
        if (pos == 0 && t.compare(0, 3, "\xEF\xBB\xBF") == 0)
            contentBegin = std::min<size_t>(3, line.end);
        classify(t, line, contentBegin);
        size_t index = doc->lines.size();
        if (line.kind == Line::Header) {
            doc->sections.back().endLine = index;
            doc->sections.push_back(Section{index, 0, {}});
        } else if (line.kind == Line::Key) {
            doc->sections.back().keyLines.push_back(index);
        }
        doc->lines.push_back(line);
        pos = line.eolEnd;
    }
    doc->sections.back().endLine = doc->lines.size();
    return doc;
}

// ---- reading, with a cache keyed by the file's identity ---------------------

struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    bool operator==(const Stamp& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec
            && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

Stamp stampOf(const struct stat& st)
{
    return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

struct CacheEntry {
    Stamp stamp;
    std::shared_ptr<const Doc> doc;
};

std::mutex& cacheMutex()
{
    static std::mutex m;
    return m;
}

std::unordered_map<std::string, CacheEntry>& cache()
{
    static std::unordered_map<std::string, CacheEntry> c;
    return c;
}

std::shared_ptr<const Doc> emptyDoc()
{
    static const std::shared_ptr<const Doc> doc = parse({});
    return doc;
}

// What a read found: the parsed file (empty when it is missing or unreadable) and, for a
// file that is there but could not be read, the system's error number.
struct Loaded {
    std::shared_ptr<const Doc> doc;
    int error = 0;
};

// ---- faults -----------------------------------------------------------------

std::mutex& faultMutex()
{
    static std::mutex m;
    return m;
}

IniFaultReporter& faultReporter()
{
    static IniFaultReporter reporter;
    return reporter;
}

std::vector<IniFault>& pendingFaults()
{
    static std::vector<IniFault> pending;
    return pending;
}

// Notes a fault, once per file and kind; it is told by tellFaults once no lock is held,
// since telling may wait for the user while other threads write files too.
void report(const std::string& file, int error, bool writing, std::string reason = {})
{
    std::error_code ec;
    const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
    std::lock_guard lock(faultMutex());
    static std::set<std::pair<std::string, bool>> told;
    if (told.insert({path, writing}).second)
        pendingFaults().push_back({path, error, writing, reason.empty() ? std::strerror(error) : std::move(reason)});
}

void tellFaults()
{
    for (;;) {
        IniFault fault;
        IniFaultReporter reporter;
        {
            std::lock_guard lock(faultMutex());
            if (pendingFaults().empty())
                return;
            fault = std::move(pendingFaults().front());
            pendingFaults().erase(pendingFaults().begin());
            reporter = faultReporter();
        }
        if (reporter)
            reporter(fault);
        else
            std::fprintf(stderr, "%s cannot be %s: %s\n", fault.path.c_str(), fault.writing ? "written" : "read",
                fault.reason.c_str());
    }
}

Loaded unreadable(const std::string& path, int error)
{
    report(path, error, false);
    return {emptyDoc(), error};
}

Loaded load(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return {emptyDoc(), 0};
        return unreadable(path, error);
    }
    if (!S_ISREG(st.st_mode))
        return unreadable(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    {
        std::lock_guard lock(cacheMutex());
        auto it = cache().find(path);
        if (it != cache().end() && it->second.stamp == stampOf(st))
            return {it->second.doc, 0};
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(path, errno);
    // The stamp of what was actually read, in case the file was replaced
    // between the stat and the open.
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return unreadable(path, error);
    }
    std::string text;
    text.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // Half a file taken for the whole would be written back as the whole.
            const int error = errno;
            ::close(fd);
            return unreadable(path, error);
        }
        if (n == 0)
            break;
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    auto doc = parse(std::move(text));
    // File times tick coarsely: a file changed within the last second could
    // change again, in place and to the same size, without its stamp moving.
    // Such a read is not cached (the racy-entry rule of version-control indexes).
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec - st.st_mtim.tv_sec < 2)
        return {doc, 0};
    std::lock_guard lock(cacheMutex());
    cache()[path] = CacheEntry{stampOf(st), doc};
    return {doc, 0};
}

// A read outside any lock, which can tell its fault at once.
Loaded loadAndTell(const std::string& path)
{
    Loaded loaded = load(path);
    tellFaults();
    return loaded;
}

// ---- writing ----------------------------------------------------------------

std::string parentOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Serialises read-modify-write cycles: within the process by a mutex, between
// processes by a lock on the folder (the file itself is replaced on every
// write, so a lock on it would not hold across writers).
class FolderLock
{
public:
    explicit FolderLock(const std::string& folder)
        : guard_(mutex())
    {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) { }
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // releases the flock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The file a write goes to: the target of a symbolic link, never the link itself, even
// when the target is missing. Empty when the link leads nowhere a file could be made.
std::string writeTarget(const std::string& path)
{
    struct stat lst;
    if (::lstat(path.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode))
        return path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string target = real;
        std::free(real);
        return target;
    }
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec)
        return {};
    if (target.is_relative())
        target = std::filesystem::path(parentOf(path)) / target;
    return std::filesystem::is_directory(target.parent_path(), ec) ? target.string() : std::string();
}

bool replaceFile(const std::string& path, std::string_view data)
{
    const std::string target = writeTarget(path);
    if (target.empty()) {
        report(path, ENOENT, true);
        return false;
    }
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A file the user made read-only keeps what it holds, though its folder would
    // allow a new file in its place.
    if (exists && ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        report(path, EACCES, true, (st.st_mode & 0222) == 0 ? "the file is read-only" : std::string());
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::string tmp = parentOf(target) + "/." + target.substr(target.rfind('/') + 1) + ".tmp"
        + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        report(path, errno, true);
        return false;
    }
    bool ok = true;
    if (exists)
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, data) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        error = error ? error : errno;
        ::unlink(tmp.c_str());
        report(path, error ? error : EIO, true);
    }
    return ok;
}

bool validSection(std::string_view s)
{
    return !s.empty() && !hasLineBreak(s);
}

bool validKey(std::string_view k)
{
    return !k.empty() && !hasLineBreak(k) && k.find('=') == std::string_view::npos && k.front() != '['
        && k.front() != ';';
}

} // namespace

void setIniFaultReporter(IniFaultReporter reporter)
{
    std::lock_guard lock(faultMutex());
    faultReporter() = std::move(reporter);
}

IniFile::IniFile(std::string posixPath)
    : IniFile(std::move(posixPath), false, false)
{ }

IniFile::IniFile(std::string posixPath, bool resolveCase, bool makeFolder)
    : path_(std::move(posixPath))
    , resolveCase_(resolveCase)
    , makeFolder_(makeFolder)
{ }

IniFile IniFile::named(std::string_view iniName)
{
    return IniFile(iniFilePath(iniName), true, !iniNameHasFolder(iniName));
}

std::string IniFile::path() const
{
    return resolveCase_ ? resolvePosixPath(path_) : path_;
}

bool IniFile::exists() const
{
    struct stat st;
    return ::stat(path().c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const
{
    auto doc = loadAndTell(path()).doc;
    const Section* s = doc->findSection(trim(section));
    if (!s)
        return std::nullopt;
    const Line* l = doc->findKey(*s, trim(key));
    if (!l)
        return std::nullopt;
    return std::string(doc->value(*l));
}

std::string IniFile::get(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    auto v = find(section, key);
    return v ? std::move(*v) : std::string(defaultValue);
}

long long IniFile::getInt(std::string_view section, std::string_view key, long long defaultValue) const
{
    auto v = find(section, key);
    if (!v)
        return defaultValue;
    std::string_view s = *v;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned long long magnitude = 0;
    const unsigned long long limit = negative ? static_cast<unsigned long long>(LLONG_MAX) + 1 : LLONG_MAX;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        unsigned digit = static_cast<unsigned>(c - '0');
        magnitude = (magnitude > (limit - digit) / 10) ? limit : magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == limit ? LLONG_MIN : -static_cast<long long>(magnitude);
    return static_cast<long long>(magnitude);
}

std::vector<std::string> IniFile::sections() const
{
    auto doc = loadAndTell(path()).doc;
    std::vector<std::string> out;
    for (const Section& s : doc->sections)
        if (s.header != npos)
            out.emplace_back(doc->sectionName(s));
    return out;
}

std::vector<IniEntry> IniFile::entries(std::string_view section) const
{
    auto doc = loadAndTell(path()).doc;
    std::vector<IniEntry> out;
    if (const Section* s = doc->findSection(trim(section)))
        for (size_t i : s->keyLines)
            out.push_back(IniEntry{std::string(doc->name(doc->lines[i])), std::string(doc->value(doc->lines[i]))});
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> out;
    for (IniEntry& e : entries(section))
        out.push_back(std::move(e.key));
    return out;
}

bool IniFile::set(std::string_view section, std::string_view key, std::string_view value)
{
    section = trim(section);
    key = trim(key);
    value = trim(value);
    if (!validSection(section) || !validKey(key) || hasLineBreak(value))
        return false;

    if (makeFolder_) {
        std::error_code ec;
        std::filesystem::create_directories(parentOf(path_), ec);
    }
    // A fault is told once the folder lock is let go: telling may wait for the user.
    const bool ok = [&] {
        std::string file = path();
        FolderLock lock(parentOf(file));
        const Loaded loaded = load(file);
        if (loaded.error)
            return false; // a file that could not be read is never written over
        const auto& doc = loaded.doc;
        const std::string& t = doc->text;
        std::string out;

        if (const Section* s = doc->findSection(section)) {
            if (const Line* l = doc->findKey(*s, key)) {
                if (doc->value(*l) == value)
                    return true;
                // Keep the line's own spelling of the key and its blanks around "=".
                size_t keep = l->valueBegin;
                if (l->valueBegin == l->valueEnd)
                    keep = l->end;
                out.reserve(t.size() + value.size());
                out.append(t, 0, keep);
                out.append(value);
                out.append(t, l->end, npos);
            } else {
                const Line& after = doc->lines[s->keyLines.empty() ? s->header : s->keyLines.back()];
                out.append(t, 0, after.eolEnd);
                if (after.eolEnd == after.end)
                    out.append(doc->eol);
                out.append(key).append("=").append(value).append(doc->eol);
                out.append(t, after.eolEnd, npos);
            }
        } else {
            out = t;
            if (!out.empty() && out.back() != '\n')
                out.append(doc->eol);
            out.append("[").append(section).append("]").append(doc->eol);
            out.append(key).append("=").append(value).append(doc->eol);
        }
        return replaceFile(file, out);
    }();
    tellFaults();
    return ok;
}

bool IniFile::setInt(std::string_view section, std::string_view key, long long value)
{
    return set(section, key, std::to_string(value));
}

bool IniFile::removeKey(std::string_view section, std::string_view key)
{
    section = trim(section);
    key = trim(key);
    const bool ok = [&] {
        std::string file = path();
        FolderLock lock(parentOf(file));
        const Loaded loaded = load(file);
        if (loaded.error)
            return false;
        const auto& doc = loaded.doc;
        const Section* s = doc->findSection(section);
        if (!s)
            return true;
        std::vector<const Line*> drop;
        for (size_t i : s->keyLines)
            if (text::equalsNoCase(doc->name(doc->lines[i]), key))
                drop.push_back(&doc->lines[i]);
        if (drop.empty())
            return true;
        std::string out;
        size_t from = 0;
        for (const Line* l : drop) {
            out.append(doc->text, from, l->begin - from);
            from = l->eolEnd;
        }
        out.append(doc->text, from, npos);
        return replaceFile(file, out);
    }();
    tellFaults();
    return ok;
}

bool IniFile::removeSection(std::string_view section)
{
    section = trim(section);
    const bool ok = [&] {
        std::string file = path();
        FolderLock lock(parentOf(file));
        const Loaded loaded = load(file);
        if (loaded.error)
            return false;
        const auto& doc = loaded.doc;
        std::string out;
        size_t from = 0;
        bool any = false;
        for (const Section& s : doc->sections) {
            if (s.header == npos || !text::equalsNoCase(doc->sectionName(s), section))
                continue;
            any = true;
            out.append(doc->text, from, doc->lines[s.header].begin - from);
            from = s.endLine < doc->lines.size() ? doc->lines[s.endLine].begin : doc->text.size();
        }
        if (!any)
            return true;
        out.append(doc->text, from, npos);
        return replaceFile(file, out);
    }();
    tellFaults();
    return ok;
}

} // namespace qv::rt
