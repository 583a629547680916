// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

// Fault injection (Linux): the test's own read, fsync, renameat, fchmod, openat and lstat come before the C library's
// and pass every call through unless armed.

#include <QByteArray>

#include <functional>

namespace faultshim {

enum class Call { Read, Fsync, Rename, Chmod, Open };
enum class After { Look, Rename }; // an lstat, a rename that went through

// The next `times` calls on a path containing `name` (a rename's new name) fail with `error`.
void failNext(Call call, int error, const QByteArray &name, int times = 1);
// Runs `then` once, right after the first look at or rename onto a path containing `name`: it changes under its user.
void afterFirst(const QByteArray &name, After event, std::function<void()> then);
// What the shim saw since the last reset: "R" for a rename that went through, "S" for a sync of a folder.
QByteArray renamesAndFolderSyncs();
// Disarms every fault and forgets what it saw.
void reset();

} // namespace faultshim
