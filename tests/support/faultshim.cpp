// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "support/faultshim.h"

#include <array>
#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

namespace {

struct Fault
{
    int error = 0;
    int times = 0;
    char name[PATH_MAX] = {};
};
std::array<Fault, 5> faults;
QByteArray lookName;
std::function<void()> afterLook;
bool onRename = false; // afterLook waits for a rename, not an lstat
QByteArray seen;

// Whether an armed fault hits this path, or without one the file of `fd`; counts the hit.
bool hits(faultshim::Call call, const char *path, int fd = -1)
{
    Fault &fault = faults[size_t(call)];
    char link[64], named[PATH_MAX] = {};
    if (fault.times > 0 && !path) {
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        path = ::readlink(link, named, sizeof named - 1) < 0 ? nullptr : named;
    }
    if (fault.times <= 0 || !path || !std::strstr(path, fault.name))
        return false;
    --fault.times;
    errno = fault.error;
    return true;
}

} // namespace

namespace faultshim {
void failNext(Call call, int error, const QByteArray &name, int times)
{
    Fault &fault = faults[size_t(call)];
    std::snprintf(fault.name, sizeof fault.name, "%s", name.constData());
    fault.error = error;
    fault.times = times;
}

void afterFirst(const QByteArray &name, After event, std::function<void()> then)
{
    lookName = name;
    afterLook = std::move(then);
    onRename = event == After::Rename;
}

QByteArray renamesAndFolderSyncs()
{
    return seen;
}

void reset()
{
    for (Fault &fault : faults)
        fault.times = 0;
    afterLook = nullptr;
    seen.clear();
}
} // namespace faultshim

extern "C" {

ssize_t read(int fd, void *buffer, size_t count)
{
    static const auto real = reinterpret_cast<decltype(&::read)>(::dlsym(RTLD_NEXT, "read"));
    return hits(faultshim::Call::Read, nullptr, fd) ? -1 : real(fd, buffer, count);
}

int fsync(int fd)
{
    static const auto real = reinterpret_cast<decltype(&::fsync)>(::dlsym(RTLD_NEXT, "fsync"));
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        seen += 'S';
    return hits(faultshim::Call::Fsync, nullptr, fd) ? -1 : real(fd);
}

int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags)
{
    static const auto real = reinterpret_cast<decltype(&::renameat2)>(::dlsym(RTLD_NEXT, "renameat2"));
    if (hits(faultshim::Call::Rename, to))
        return -1;
    const int result = real(fromFolder, from, toFolder, to, flags);
    seen += result == 0 ? "R" : "";
    if (result == 0 && afterLook && onRename && std::strstr(to, lookName.constData()))
        std::exchange(afterLook, nullptr)();
    return result;
}

// The atomic write falls back on renameat where the file system lacks renameat2's flag.
int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    return renameat2(fromFolder, from, toFolder, to, 0);
}

int openat(int folder, const char *path, int flags, ...)
{
    static const auto real = reinterpret_cast<int (*)(int, const char *, int, ...)>(::dlsym(RTLD_NEXT, "openat"));
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = flags & O_CREAT ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    return hits(faultshim::Call::Open, path) ? -1 : real(folder, path, flags, mode);
}

int fchmod(int fd, mode_t mode)
{
    static const auto real = reinterpret_cast<decltype(&::fchmod)>(::dlsym(RTLD_NEXT, "fchmod"));
    return hits(faultshim::Call::Chmod, nullptr, fd) ? -1 : real(fd, mode);
}

int lstat(const char *path, struct stat *info)
{
    static const auto real = reinterpret_cast<decltype(&::lstat)>(::dlsym(RTLD_NEXT, "lstat"));
    const int result = real(path, info), error = errno;
    if (afterLook && !onRename && std::strstr(path, lookName.constData()))
        std::exchange(afterLook, nullptr)();
    errno = error;
    return result;
}

} // extern "C"
