// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

// The areas of the benchmark, one file each. An area's parent side makes its files in `temp`, starts fresh
// children of this executable and prints its table; its child side is one cold start of what is measured.

#include <QString>
#include <QStringList>

namespace bench {

int loadArea(const QString &temp);
int loadChild(const QStringList &args);

int searchArea(const QString &temp);
int searchChild(const QStringList &args);
int editorArea(const QString &temp);
int editorChild(const QStringList &args);
int shellArea(const QString &temp);
int shellChild(const QStringList &args);
int hostileArea(const QString &temp);
int hostileChild(const QStringList &args);
int fortuneArea(const QString &temp);
int fortuneChild(const QStringList &args);
int desktopArea(const QString &temp);
int desktopChild(const QStringList &args);

} // namespace bench
