#include "support/faultshim.h"

#include <array>
#include <cerrno>
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
std::array<Fault, 3> faults;
QByteArray lookName;
std::function<void()> afterLook;
QList<QByteArray> unsynced;
int renameCount = 0;

// Whether an armed fault hits this path; counts the hit.
bool hits(faultshim::Call call, const char *path)
{
    Fault &fault = faults[size_t(call)];
    if (fault.times <= 0 || !path || !std::strstr(path, fault.name))
        return false;
    --fault.times;
    errno = fault.error;
    return true;
}

QByteArray pathOf(int fd)
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    return length < 0 ? QByteArray() : QByteArray(path, length);
}

bool hitsDescriptor(faultshim::Call call, int fd)
{
    return faults[size_t(call)].times > 0 && hits(call, pathOf(fd).constData());
}

// A rename that went through waits for a sync of the folder it was made in.
int renamed(int result, int folder, const char *to)
{
    const int error = errno;
    char here[PATH_MAX] = ".";
    const QByteArray in = folder == AT_FDCWD ? QByteArray(::getcwd(here, sizeof here) ? here : ".") : pathOf(folder);
    const QByteArray path = to[0] == '/' ? QByteArray(to) : in + '/' + to;
    if (result == 0) {
        ++renameCount;
        unsynced.append(path.first(path.lastIndexOf('/')));
    }
    errno = error;
    return result;
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
    Fault &fault = faults[size_t(call)];
    std::snprintf(fault.name, sizeof fault.name, "%s", name.constData());
    fault.error = error;
    fault.times = times;
}

void afterFirstLook(const QByteArray &name, std::function<void()> then)
{
    lookName = name;
    afterLook = std::move(then);
}

QList<QByteArray> renamesNotSynced()
{
    return unsynced;
}

int renames()
{
    return renameCount;
}

void reset()
{
    for (Fault &fault : faults)
        fault.times = 0;
    afterLook = nullptr;
    unsynced.clear();
    renameCount = 0;
}
} // namespace faultshim

extern "C" {

ssize_t read(int fd, void *buffer, size_t count)
{
    static const auto real = next<ssize_t (*)(int, void *, size_t)>("read");
    return hitsDescriptor(faultshim::Call::Read, fd) ? -1 : real(fd, buffer, count);
}

int fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    if (hitsDescriptor(faultshim::Call::Fsync, fd))
        return -1;
    const int result = real(fd), error = errno;
    struct stat info
    { };
    if (result == 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        unsynced.removeAll(pathOf(fd));
    errno = error;
    return result;
}

// The atomic write renames with renameat2, or with renameat where the file system lacks its flag.
int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    static const auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
    return hits(faultshim::Call::Rename, to) ? -1 : renamed(real(fromFolder, from, toFolder, to), toFolder, to);
}

int renameat2(int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags)
{
    static const auto real = next<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    return hits(faultshim::Call::Rename, to) ? -1 : renamed(real(fromFolder, from, toFolder, to, flags), toFolder, to);
}

int lstat(const char *path, struct stat *info)
{
    static const auto real = next<int (*)(const char *, struct stat *)>("lstat");
    const int result = real(path, info), error = errno;
    if (afterLook && std::strstr(path, lookName.constData()))
        std::exchange(afterLook, nullptr)();
    errno = error;
    return result;
}

} // extern "C"
