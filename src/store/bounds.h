// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QtGlobal>

namespace tankedosan::store {

// The most the program reads of any one file (a collection, a file to import, a text file, the help text).
// Past these a read is refused with a message instead of filling the memory: a user can choose a file of
// gigabytes, or one that never ends (/proc/self/pagemap), in the import window. A collection in memory
// takes its file's size, 16 bytes per line and little else, so these bounds hold one within about 800 MB.
inline constexpr qint64 kMaxReadBytes = qint64(512) << 20; // 512 MB
inline constexpr qsizetype kMaxReadLines = 16'000'000;
// The bounds the reads keep: these, except where a test sets small ones to try them on small files.
inline qint64 maxReadBytes = kMaxReadBytes;
inline qsizetype maxReadLines = kMaxReadLines;

} // namespace tankedosan::store
