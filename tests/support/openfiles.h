#pragma once

#include <QDir>

// How many files the test process holds open, or -1 where the system does not tell (no /proc).
inline qsizetype openFileCount()
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    if (!descriptors.exists())
        return -1;
    return descriptors.entryList(QDir::Files | QDir::System).size();
}
