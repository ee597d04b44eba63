// The text-line and binary-block drivers: plain files, a line or a block per record.
// The record id of a record read is its byte offset in the file.

#include "platform/tables/table.h"
#include "platform/text/text.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace qv::tables {

static int osError(const std::string& path)
{
    int e = errno;
    if (e == ENOENT)
        return setError(FileNotFound, path);
    if (e == EACCES || e == EPERM)
        return setError(AccessDenied, path);
    return setError(FileSystemError, path, std::strerror(e), e);
}

int Table::textCreate()
{
    std::string path = filePath();
    if (isOpen())
        return setError(AlreadyOpen, path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return osError(path);
    std::fclose(f);
    return setError(NoError);
}

int Table::textOpen(int access)
{
    std::string path = filePath();
    if (def_.driver == DriverKind::Text)
        for (const auto& f : def_.fields)
            if (f.type != FieldType::String)
                return setError(InvalidFile, path);
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return setError(InvalidFile, path);
    file_ = std::fopen(path.c_str(), (access & 0x0F) == ReadOnly ? "rb" : "r+b");
    if (!file_)
        return osError(path);
    record_.recordId = 0;
    return setError(NoError);
}

int Table::textRead(bool forward)
{
    if (int e = requireOpen(false))
        return e;
    std::string path = filePath();
    if (def_.driver == DriverKind::Binary) {
        long len = def_.recordLength();
        if (!forward) {
            long at = static_cast<long>(record_.recordId) - len;
            if (at < 0 || record_.recordId == 0)
                return setError(RecordNotAvailable, path);
            std::fseek(file_, at, SEEK_SET);
        }
        long here = std::ftell(file_);
        std::string block(static_cast<size_t>(len), '\0');
        size_t n = std::fread(block.data(), 1, block.size(), file_);
        if (n == 0) {
            if (std::ferror(file_))
                return osError(path);
            return setError(RecordNotAvailable, path);
        }
        block.resize(n);
        bytesRead_ = n;
        record_.clear();
        size_t at = 0;
        for (int f = 0; f < record_.fieldCount() && at < block.size(); ++f) {
            size_t w = static_cast<size_t>(def_.fields[f].recordBytes());
            record_.setRaw(f, block.substr(at, w));
            at += w;
        }
        record_.recordId = here;
        return setError(NoError);
    }
    if (!forward)
        return setError(RecordNotAvailable, path);
    long here = std::ftell(file_);
    std::string line;
    int c;
    bool any = false;
    while ((c = std::fgetc(file_)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
    if (!any) {
        if (std::ferror(file_))
            return osError(path);
        return setError(RecordNotAvailable, path);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    bytesRead_ = line.size();
    // Files from other programs are often in the Windows code page.
    if (!text::isValidUtf8(line))
        line = text::fromCp1252(line);
    record_.clear();
    std::string_view rest(line);
    for (int f = 0; f < record_.fieldCount(); ++f) {
        auto part = text::firstChars(rest, static_cast<size_t>(def_.fields[f].length));
        record_.setString(f, part);
        rest.remove_prefix(part.size());
    }
    record_.recordId = here;
    return setError(NoError);
}

int Table::textWrite(bool append)
{
    if (int e = requireOpen(true))
        return e;
    std::string path = filePath();
    std::string out;
    if (def_.driver == DriverKind::Binary) {
        for (int f = 0; f < record_.fieldCount(); ++f)
            out += record_.rawString(f);
    } else {
        for (int f = 0; f < record_.fieldCount(); ++f)
            out += record_.getString(f);
        out = std::string(text::trimRight(out)) + "\n";
    }
    long at;
    if (append) {
        std::fseek(file_, 0, SEEK_END);
        at = std::ftell(file_);
    } else {
        // Only a block can be written back in place; a line may change its length.
        if (def_.driver != DriverKind::Binary)
            return setError(AccessDenied, path);
        at = static_cast<long>(record_.recordId);
        std::fseek(file_, at, SEEK_SET);
    }
    if (std::fwrite(out.data(), 1, out.size(), file_) != out.size() || std::fflush(file_) != 0)
        return osError(path);
    record_.recordId = at;
    return setError(NoError);
}

} // namespace qv::tables
