#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

// The editor's documented order straight from ICU: the Swedish collation, and where it calls two lines equal,
// their exact text. Tests sort by it with std::stable_sort, never by the program's own comparison.
inline bool referenceLess(const QString &a, const QString &b)
{
    static const QCollator swedish{QLocale(QLocale::Swedish, QLocale::Sweden)};
    const int order = swedish.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}
