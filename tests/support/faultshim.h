#pragma once

// Fault injection for the tests that link it in: the test program's own definitions of read, fsync,
// renameat and lstat come before the C library's (for the program's code and for Qt's alike), and fail on demand.
// Unarmed they pass every call through. Linux only.

#include <QByteArray>

#include <functional>

namespace faultshim {

enum class Call { Read, Fsync, Rename };

// The next `times` calls of that kind on a file whose path contains `name` (the new name of a rename) fail
// with `error`.
void failNext(Call call, int error, const QByteArray &name, int times = 1);
// Runs `then` once, right after the first lstat of a path containing `name`: whatever the caller then
// checks, the file system has changed under it.
void afterFirstLook(const QByteArray &name, std::function<void()> then);
// What the shim saw since the last reset: "R" for a rename that went through, "S" for a sync of a folder.
QByteArray renamesAndFolderSyncs();
// Disarms every fault and forgets what it saw.
void reset();

} // namespace faultshim
