#pragma once
// An in-process shim over the C library's open and read: a test arms it for one
// file, and every open of that file, or every read from it, fails with the
// error the test chose, as a damaged disk or a permission would make it fail
// (tests run as any user, root included, so permissions cannot be relied on).
// Define the shim in exactly one source of a test program: include this there
// after defining QV_IO_FAULT_SHIM.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <string>

namespace qv::testing {

struct IoFault {
    enum Where { None, Open, Read } where = None;
    dev_t dev = 0;
    ino_t ino = 0;
    int error = 0;
    int fds[64] = {}; // open descriptors of the file, +1 (0: free)
};
IoFault& ioFault();

// Arms the shim for the file as long as it lives; the file must exist.
class FaultyFile
{
public:
    FaultyFile(const std::string& path, IoFault::Where where, int error)
    {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0)
            return;
        IoFault& f = ioFault();
        f = IoFault{};
        f.dev = st.st_dev;
        f.ino = st.st_ino;
        f.error = error;
        f.where = where;
    }
    ~FaultyFile() { ioFault() = IoFault{}; }
    FaultyFile(const FaultyFile&) = delete;
    FaultyFile& operator=(const FaultyFile&) = delete;
};

} // namespace qv::testing

#ifdef QV_IO_FAULT_SHIM

namespace qv::testing {

IoFault& ioFault()
{
    static IoFault f;
    return f;
}

namespace {

template <class F> F real(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool armedFor(const char* path)
{
    const IoFault& f = ioFault();
    struct stat st;
    return f.where != IoFault::None && path && ::stat(path, &st) == 0 && st.st_dev == f.dev && st.st_ino == f.ino;
}

int opened(const char* path, int fd)
{
    IoFault& f = ioFault();
    if (fd >= 0 && f.where == IoFault::Read && armedFor(path))
        for (int& slot : f.fds)
            if (slot == 0) {
                slot = fd + 1;
                break;
            }
    return fd;
}

bool faultyFd(int fd)
{
    const IoFault& f = ioFault();
    if (f.where != IoFault::Read)
        return false;
    for (int slot : f.fds)
        if (slot == fd + 1)
            return true;
    return false;
}

template <class Open> int openThrough(Open realOpen, const char* path, int flags, va_list args)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | __O_TMPFILE))
        mode = static_cast<mode_t>(va_arg(args, int));
    if (ioFault().where == IoFault::Open && armedFor(path)) {
        errno = ioFault().error;
        return -1;
    }
    return opened(path, realOpen(path, flags, mode));
}

} // namespace
} // namespace qv::testing

extern "C" {

int open(const char* path, int flags, ...)
{
    static auto realOpen = qv::testing::real<int (*)(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const int fd = qv::testing::openThrough(realOpen, path, flags, args);
    va_end(args);
    return fd;
}

int open64(const char* path, int flags, ...)
{
    static auto realOpen = qv::testing::real<int (*)(const char*, int, ...)>("open64");
    va_list args;
    va_start(args, flags);
    const int fd = qv::testing::openThrough(realOpen, path, flags, args);
    va_end(args);
    return fd;
}

ssize_t read(int fd, void* buffer, size_t bytes)
{
    static auto realRead = qv::testing::real<ssize_t (*)(int, void*, size_t)>("read");
    if (qv::testing::faultyFd(fd)) {
        errno = qv::testing::ioFault().error;
        return -1;
    }
    return realRead(fd, buffer, bytes);
}

int close(int fd)
{
    static auto realClose = qv::testing::real<int (*)(int)>("close");
    for (int& slot : qv::testing::ioFault().fds)
        if (slot == fd + 1)
            slot = 0;
    return realClose(fd);
}

} // extern "C"

#endif
