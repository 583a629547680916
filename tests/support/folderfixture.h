// SPDX-License-Identifier: LicenseRef-Tankedosan
#pragma once

#include "store/writtenform.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tankedosan;
using namespace tankedosan::store;

inline constexpr auto kAllEntries = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// A program folder of the test's own, pointed to by the store for as long as the fixture lives.
class FolderFixture
{
public:
    FolderFixture();
    ~FolderFixture();

    QString folder() const { return m_dir.path(); }
    // A name inside the folder; an absolute path stands as it is.
    QString path(const QString &fileName) const { return QDir(m_dir.path()).filePath(fileName); }
    void write(const QString &fileName, const QByteArray &bytes) const;
    // A collection in the written form: Windows-1252 lines each followed by CR LF.
    void writeCollection(const QString &name, const QStringList &lines) const
    {
        write(name + QStringLiteral(".dat"), store::encodeLines(lines));
    }
    QByteArray read(const QString &fileName) const;
    bool exists(const QString &fileName) const { return QFileInfo::exists(path(fileName)); }

    // "Ordspråk 1" … "Ordspråk count": easy to tell apart and to check by number.
    static QStringList numbered(int count, const QString &stem = QStringLiteral("Ordspråk"));

private:
    QTemporaryDir m_dir;
};
