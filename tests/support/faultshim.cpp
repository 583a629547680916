#include "support/faultshim.h"

#include <array>
#include <utility>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fault
{
    int error = 0;
    int times = 0;
    char name[PATH_MAX] = {};
};
std::array<Fault, 3> faults;

QByteArray lookName;
std::function<void()> afterLook;

// Runs the armed step once the look at a matching path is done.
int looked(const char *path, int result)
{
    if (afterLook && path && std::strstr(path, lookName.constData())) {
        const int error = errno;
        const auto then = std::exchange(afterLook, nullptr);
        then();
        errno = error;
    }
    return result;
}

Fault &faultFor(faultshim::Call call)
{
    return faults[size_t(call)];
}

// Whether an armed fault hits this path; counts the hit.
bool hits(faultshim::Call call, const char *path)
{
    Fault &fault = faultFor(call);
    if (fault.times <= 0 || !path || !std::strstr(path, fault.name))
        return false;
    --fault.times;
    errno = fault.error;
    return true;
}

bool hitsDescriptor(faultshim::Call call, int fd)
{
    if (faultFor(call).times <= 0)
        return false;
    char link[64], path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length < 0)
        return false;
    path[length] = '\0';
    return hits(call, path);
}

template<typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

namespace faultshim {
void failNext(Call call, int error, const QByteArray &name, int times)
{
    Fault &fault = faultFor(call);
    std::snprintf(fault.name, sizeof fault.name, "%s", name.constData());
    fault.error = error;
    fault.times = times;
}

void afterFirstLook(const QByteArray &name, std::function<void()> then)
{
    lookName = name;
    afterLook = std::move(then);
}

void reset()
{
    for (Fault &fault : faults)
        fault.times = 0;
    afterLook = nullptr;
}
} // namespace faultshim

extern "C" {

ssize_t read(int fd, void *buffer, size_t count)
{
    static const auto real = next<ssize_t (*)(int, void *, size_t)>("read");
    if (hitsDescriptor(faultshim::Call::Read, fd))
        return -1;
    return real(fd, buffer, count);
}

int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    if (hitsDescriptor(faultshim::Call::Fsync, fd))
        return -1;
    return real(fd);
}

int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    if (hitsDescriptor(faultshim::Call::Fsync, fd))
        return -1;
    return real(fd);
}

int rename(const char *from, const char *to)
{
    static const auto real = next<int (*)(const char *, const char *)>("rename");
    if (hits(faultshim::Call::Rename, to))
        return -1;
    return real(from, to);
}

int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    static const auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    if (hits(faultshim::Call::Rename, to))
        return -1;
    return real(fromFolder, from, toFolder, to);
}

int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags)
{
    static const auto real = next<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    if (hits(faultshim::Call::Rename, to))
        return -1;
    return real(fromFolder, from, toFolder, to, flags);
}

int stat(const char *path, struct stat *info)
{
    static const auto real = next<int (*)(const char *, struct stat *)>("stat");
    return looked(path, real(path, info));
}

int lstat(const char *path, struct stat *info)
{
    static const auto real = next<int (*)(const char *, struct stat *)>("lstat");
    return looked(path, real(path, info));
}

int fstatat(int folder, const char *path, struct stat *info, int flags)
{
    static const auto real = next<int (*)(int, const char *, struct stat *, int)>("fstatat");
    return looked(path, real(folder, path, info, flags));
}

int statx(int folder, const char *path, int flags, unsigned int mask, struct statx *info)
{
    static const auto real = next<int (*)(int, const char *, int, unsigned int, struct statx *)>("statx");
    return looked(path, real(folder, path, flags, mask, info));
}

} // extern "C"
