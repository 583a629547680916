// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QtGlobal>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace tankedosan::store {

// Asks Linux to back the 2 MiB stretches of a fresh, untouched block with huge pages: a collection of tens of
// megabytes then costs a few dozen page faults to fill instead of one per 4 KiB. Only advice; elsewhere, or
// when the system declines, nothing changes.
inline void preferHugePages(void *data, qsizetype size)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr quintptr kHugePage = quintptr(2) << 20;
    const auto first = (reinterpret_cast<quintptr>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto last = (reinterpret_cast<quintptr>(data) + quintptr(size)) & ~(kHugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace tankedosan::store
