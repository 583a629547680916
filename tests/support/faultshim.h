#pragma once

// Fault injection for the tests that link it in: the test program's own definitions of read, fsync and
// renameat come before the C library's (for the program's code and for Qt's alike), and fail on demand.
// Unarmed they pass every call through. Linux only.

#include <QByteArray>

namespace faultshim {

enum class Call { Read, Fsync, Rename };

// The next `times` calls of that kind on a file whose path contains `name` (the new name of a rename) fail
// with `error`.
void failNext(Call call, int error, const QByteArray &name, int times = 1);
// Disarms every fault.
void reset();

} // namespace faultshim
