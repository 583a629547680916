// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include <QCollator>

// The editor's order straight from ICU, the exact text breaking its ties; never the program's own comparison.
inline bool referenceLess(const QString &a, const QString &b)
{
    static const QCollator swedish{QLocale(QLocale::Swedish, QLocale::Sweden)};
    const int order = swedish.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}
