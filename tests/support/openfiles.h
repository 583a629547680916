#pragma once

#include <QDir>

// How many files the test process holds open, or -1 where the system does not tell (no /proc).
inline qsizetype openFileCount()
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    return descriptors.exists() ? descriptors.entryList(QDir::Files | QDir::System).size() : -1;
}
